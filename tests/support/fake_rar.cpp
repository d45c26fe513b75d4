#include "tests/support/fake_rar.h"

#include <algorithm>

namespace {

FakeRarState gState;

struct Handle {
    const FakeRarArchive* archive;
    rar::OpenArchiveDataEx open;
    size_t next = 0;  // header to return next
    bool unlocked = false;
};

bool AskPassword(Handle* h) {
    if (h->unlocked || h->open.Callback == nullptr) {
        return h->unlocked;
    }
    char16_t buffer[128] = {};
    ++gState.passwordAsks;
    if (h->open.Callback(rar::kNeedPasswordW, h->open.UserData, reinterpret_cast<intptr_t>(buffer), 128) !=
        0) {
        return false;
    }
    h->unlocked = buffer == h->archive->password;
    return h->unlocked;
}

void* Open(rar::OpenArchiveDataEx* data) {
    gState.lastOpened = data->ArcNameW;
    auto found = gState.archives.find(data->ArcNameW);
    if (found == gState.archives.end()) {
        data->OpenResult = 15;  // cannot open
        return nullptr;
    }
    auto* h = new Handle{&found->second, *data};
    data->Flags = found->second.flags;
    if (found->second.encryptedHeaders && !AskPassword(h)) {
        delete h;
        data->OpenResult = 22;  // missing password
        return nullptr;
    }
    data->OpenResult = 0;
    ++gState.opens;
    return h;
}

int Close(void* archive) {
    ++gState.closes;
    delete static_cast<Handle*>(archive);
    return 0;
}

int ReadHeader(void* archive, rar::HeaderDataEx* out) {
    auto* h = static_cast<Handle*>(archive);
    while (h->next < h->archive->members.size() && h->archive->members[h->next].continuation &&
           h->open.OpenMode != rar::kOpenExtract) {
        ++h->next;
    }
    if (h->next >= h->archive->members.size()) {
        return rar::kEndArchive;
    }
    if (h->next == 0 && h->archive->missingNextVolume && h->open.Callback != nullptr &&
        h->open.Callback(rar::kChangeVolumeW, h->open.UserData, 0, rar::kVolumeAsk) != 0) {
        return rar::kEndArchive;
    }
    const FakeRarMember& m = h->archive->members[h->next];
    const size_t n = std::min<size_t>(m.name.size(), 1023);
    std::copy_n(m.name.data(), n, out->FileNameW);
    out->FileNameW[n] = 0;
    out->Flags = (m.folder ? rar::kHeaderDirectory : 0) | (m.continuation ? rar::kHeaderSplitBefore : 0);
    out->UnpSize = m.announced != UINT32_MAX ? m.announced : static_cast<uint32_t>(m.data.size());
    out->UnpSizeHigh = m.sizeHigh;
    out->FileTime = m.dosTime;
    return 0;
}

int Process(void* archive, int operation, char16_t* destPath, char16_t*) {
    auto* h = static_cast<Handle*>(archive);
    if (operation == rar::kExtract) {
        gState.extractedInto.emplace_back(destPath != nullptr ? destPath : u"");
    }
    if (h->next >= h->archive->members.size()) {
        return 21;
    }
    const FakeRarMember& m = h->archive->members[h->next++];
    if (operation == rar::kSkip) {
        return m.failSkip ? 12 : 0;
    }
    if (m.encrypted && !AskPassword(h)) {
        return 24;  // bad password
    }
    for (size_t at = 0; at < m.data.size(); at += gState.chunk) {
        const size_t n = std::min(gState.chunk, m.data.size() - at);
        if (h->open.Callback == nullptr) {
            break;
        }
        if (h->open.Callback(rar::kProcessData, h->open.UserData,
                             reinterpret_cast<intptr_t>(m.data.data() + at), static_cast<intptr_t>(n)) != 0) {
            return 255;  // user break
        }
    }
    return 0;
}

const RarEntryPoints kEntries{Open, Close, ReadHeader, Process};

}  // namespace

FakeRarState& FakeRar() {
    return gState;
}

void FakeRarReset() {
    gState = FakeRarState{};
}

const RarEntryPoints& FakeRarEntryPoints() {
    return kEntries;
}
