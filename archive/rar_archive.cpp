// RAR listing and member reads over the library's four calls. Every open is
// paired with a close; a listing walks the headers twice (count, then fill) so the
// member array is allocated once at its final size.
#include "archive/rar_archive.h"

#include <cstddef>
#include <cstring>

#include "archive/rar_library.h"
#include "archive/zip_host.h"
#include "platform/file.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {

// Owns one open archive of a context's library.
class OpenArchive {
  public:
    OpenArchive(RarContext* c, const char16_t* path, int mode, bool withCallback) : c_(c) {
        rar::OpenArchiveDataEx data{};
        // The library reads the name and never writes it.
        data.ArcNameW = const_cast<char16_t*>(path);
        data.OpenMode = static_cast<uint32_t>(mode);
        data.Callback = withCallback ? RarCallback : nullptr;
        data.UserData = reinterpret_cast<intptr_t>(c);
        handle_ = c->entry.openArchiveEx(&data);
        if (handle_ != nullptr && data.OpenResult != 0) {
            (void)c->entry.closeArchive(handle_);
            handle_ = nullptr;
        }
        flags_ = data.Flags;
    }
    ~OpenArchive() {
        if (handle_ != nullptr) {
            (void)c_->entry.closeArchive(handle_);
        }
    }
    OpenArchive(const OpenArchive&) = delete;
    OpenArchive& operator=(const OpenArchive&) = delete;

    bool ok() const { return handle_ != nullptr; }
    uint32_t flags() const { return flags_; }
    int ReadHeader(rar::HeaderDataEx* h) { return c_->entry.readHeaderEx(handle_, h); }
    int Process(int operation) { return c_->entry.processFileW(handle_, operation, nullptr, nullptr); }

  private:
    RarContext* c_;
    void* handle_ = nullptr;
    uint32_t flags_ = 0;
};

// A header record cleared where the library would otherwise return comments and
// link targets.
void ClearHeader(rar::HeaderDataEx* h) {
    h->CmtBuf = nullptr;
    h->CmtBufSize = 0;
    const size_t from = offsetof(rar::HeaderDataEx, RedirType);
    std::memset(reinterpret_cast<uint8_t*>(h) + from, 0, sizeof(rar::HeaderDataEx) - from);
}

// The header's name as the member's folder text, ready for SplitMemberPath.
bool TakeName(rar::HeaderDataEx* h, ArchiveMember* m) {
    constexpr size_t kMax = sizeof h->FileNameW / sizeof h->FileNameW[0];
    h->FileNameW[kMax - 1] = 0;
    m->folder.Assign(h->FileNameW);
    if (h->FileNameW[0] != 0 && m->folder.length == 0) {
        return false;
    }
    return SplitMemberPath(m);
}

uint64_t ArchiveTime(const char16_t* path) {
    FileHandle file(FileOpenRead(path));
    uint64_t time = 0;
    if (!file.valid() || !FileGetTime(file.get(), &time)) {
        return 0;
    }
    return time;
}

// "x.partN.rar" (any N but 1, any case): the only names whose set is listed from
// another volume, so other archives are never probed twice.
bool NamesLaterPart(const char16_t* path) {
    const uint32_t n = TextLength(path);
    const uint32_t last = ExtensionStart(path, n);
    const uint32_t second = ExtensionStart(path, last);
    if (last == n || second == last || last - second < 6) {
        return false;
    }
    static constexpr char16_t kPart[] = u".part";
    for (uint32_t i = 0; i < 5; ++i) {
        char16_t ch = path[second + i];
        if (ch >= u'A' && ch <= u'Z') {
            ch = static_cast<char16_t>(ch + 32);
        }
        if (ch != kPart[i]) {
            return false;
        }
    }
    // Digits only, numbering anything but the first part (part1, part01 ...).
    uint32_t number = 0;
    for (uint32_t i = second + 5; i < last; ++i) {
        if (path[i] < u'0' || path[i] > u'9') {
            return false;
        }
        number = number > 100000 ? number : number * 10 + (path[i] - u'0');
    }
    return number != 1;
}

// The path the set is read from: the first part for a later part of a new-style
// set, else path itself.
const char16_t* SetPath(RarContext* c, const char16_t* path, StrBuf* first) {
    if (NamesLaterPart(path) && RarVolumeKind(c, path) == kRarLaterPart) {
        RarFirstVolumeName(path, first);
        return first->Text();
    }
    return path;
}

int32_t CountHeaders(RarContext* c, const char16_t* path, rar::HeaderDataEx* h) {
    OpenArchive arc(c, path, rar::kOpenList, true);
    if (!arc.ok()) {
        return 0;
    }
    ClearHeader(h);
    int32_t count = 0;
    while (arc.ReadHeader(h) == 0) {
        if (arc.Process(rar::kSkip) != 0 || count == INT32_MAX) {
            return 0;
        }
        count += (h->Flags & rar::kHeaderSplitBefore) != 0 ? 0 : 1;
    }
    return count;
}

bool FillMembers(RarContext* c, const char16_t* path, rar::HeaderDataEx* h, ArchiveMemberList* list) {
    OpenArchive arc(c, path, rar::kOpenList, true);
    if (!arc.ok()) {
        return false;
    }
    ClearHeader(h);
    while (list->count < list->capacity && arc.ReadHeader(h) == 0) {
        if ((h->Flags & rar::kHeaderSplitBefore) != 0) {
            if (arc.Process(rar::kSkip) != 0) {
                return false;
            }
            continue;
        }
        ArchiveMember* m = &list->members[list->count];
        if (!TakeName(h, m)) {
            return false;
        }
        m->locator = static_cast<uint32_t>(list->count);
        m->size = (h->Flags & rar::kHeaderDirectory) != 0 ? 0 : h->UnpSize;
        m->modified = DosTimeToFiletime(static_cast<uint16_t>(h->FileTime >> 16),
                                        static_cast<uint16_t>(h->FileTime & 0xFFFF));
        ++list->count;
        if (arc.Process(rar::kSkip) != 0) {
            return false;
        }
    }
    return true;
}

// Reads the member at position `index` of an archive opened for extraction.
uint8_t* ReadAt(RarContext* c, OpenArchive* arc, uint32_t index, uint32_t* size) {
    AppPtr<rar::HeaderDataEx> header(static_cast<rar::HeaderDataEx*>(AppAlloc(sizeof(rar::HeaderDataEx))));
    rar::HeaderDataEx* h = header.get();
    if (h == nullptr) {
        return nullptr;
    }
    ClearHeader(h);
    // In extract mode the library also reports the continuation of a member
    // split across volumes as a header of its own; listings never show it, so
    // it does not count as a position.
    for (uint32_t i = 0;;) {
        if (arc->ReadHeader(h) != 0) {
            return nullptr;
        }
        const bool continuation = (h->Flags & rar::kHeaderSplitBefore) != 0;
        if (!continuation && i == index) {
            break;
        }
        if (arc->Process(rar::kSkip) != 0) {
            return nullptr;
        }
        i += continuation ? 0 : 1;
    }
    if (h->UnpSizeHigh != 0) {
        return nullptr;
    }
    VmBlock block(VmAlloc(static_cast<size_t>(h->UnpSize) + 4));
    if (block.get() == nullptr) {
        return nullptr;
    }
    c->block = block.get();
    c->writePos = block.get();
    c->end = block.get() + h->UnpSize;
    const int result = arc->Process(rar::kTest);
    const bool whole = c->writePos == c->end;
    c->block = c->writePos = c->end = nullptr;
    // A member that delivers less than its header announced would leave zeros in
    // the page; the library's own check does not cover a lying size field.
    if (result != 0 || !whole) {
        return nullptr;
    }
    *size = h->UnpSize;
    return block.release();
}

}  // namespace

RarContext::RarContext() {
    RarCopyPluginFolder(&pluginFolder);
}

RarContext::~RarContext() {
    if (password.buffer != nullptr) {
        std::memset(password.buffer, 0, password.capacity);
    }
    RarReleaseLibrary(this);
}

RarVolume RarVolumeFromFlags(uint32_t flags) {
    if ((flags & rar::kFlagVolume) == 0) {
        return kRarSingle;
    }
    if ((flags & rar::kFlagNewNumbering) == 0) {
        return kRarOldVolume;
    }
    return (flags & rar::kFlagFirstVolume) != 0 ? kRarFirstPart : kRarLaterPart;
}

RarVolume RarVolumeKind(RarContext* c, const char16_t* path) {
    if (!RarLoadLibrary(c)) {
        return kRarSingle;
    }
    OpenArchive arc(c, path, rar::kOpenList, false);
    return arc.ok() ? RarVolumeFromFlags(arc.flags()) : kRarSingle;
}

void RarFirstVolumeName(const char16_t* path, StrBuf* out) {
    const uint32_t n = TextLength(path);
    const uint32_t cut = ExtensionStart(path, ExtensionStart(path, n));
    out->ResetReserve(cut + 11);
    (void)out->Append(path, cut);
    (void)out->Append(u".part1.rar", 10);
}

ArchiveMemberList* RarListMembers(RarContext* c, const char16_t* path) {
    if (path == nullptr || !RarLoadLibrary(c)) {
        return nullptr;
    }
    StrBuf first;
    path = SetPath(c, path, &first);
    // The header record is about 10 KB: from the heap, not the stack of a thread
    // that may be deep in a window procedure.
    AppPtr<rar::HeaderDataEx> header(static_cast<rar::HeaderDataEx*>(AppAlloc(sizeof(rar::HeaderDataEx))));
    rar::HeaderDataEx* h = header.get();
    if (h == nullptr) {
        return nullptr;
    }
    MemberListPtr list;
    const int32_t count = CountHeaders(c, path, h);
    if (count > 0) {
        list.reset(NewMemberList(count));
    }
    if (list.get() != nullptr) {
        list->archiveTime = ArchiveTime(path);
        if (!FillMembers(c, path, h, list.get()) || list->count == 0) {
            list.reset();
        }
    }
    c->passwordGiven = false;
    return list.release();
}

uint8_t* RarReadMember(RarContext* c, const char16_t* path, uint32_t* locator) {
    if (path == nullptr || locator == nullptr || !RarLoadLibrary(c)) {
        return nullptr;
    }
    StrBuf first;
    path = SetPath(c, path, &first);
    c->memoryTarget = true;
    uint8_t* block = nullptr;
    uint32_t size = 0;
    {
        OpenArchive arc(c, path, rar::kOpenExtract, true);
        if (arc.ok()) {
            block = ReadAt(c, &arc, *locator, &size);
        }
    }
    c->memoryTarget = false;
    if (block != nullptr) {
        *locator = size;
    }
    return block;
}

int RarCallback(uint32_t message, intptr_t userData, intptr_t p1, intptr_t p2) {
    auto* c = reinterpret_cast<RarContext*>(userData);
    switch (message) {
        case rar::kProcessData: {
            if (!c->memoryTarget) {
                return 0;
            }
            if (p2 < 0 || c->writePos == nullptr ||
                static_cast<uint64_t>(p2) > static_cast<uint64_t>(c->end - c->writePos)) {
                return -1;
            }
            std::memcpy(c->writePos, reinterpret_cast<const void*>(p1), static_cast<size_t>(p2));
            c->writePos += p2;
            return 0;
        }
        case rar::kChangeVolumeW:
            return p2 == rar::kVolumeAsk ? -1 : 0;
        case rar::kNeedPasswordW: {
            if (p1 == 0 || p2 <= 0) {
                return -1;
            }
            if (!c->passwordGiven && !RarAskPassword(c->ownerWindow, c->passwordDialogId, &c->password)) {
                return -1;
            }
            auto* out = reinterpret_cast<char16_t*>(p1);
            const uint32_t room = static_cast<uint32_t>(p2 > INT32_MAX ? INT32_MAX : p2) - 1;
            const uint32_t n = c->password.length < room ? c->password.length : room;
            std::memcpy(out, c->password.Text(), n * sizeof(char16_t));
            out[n] = 0;
            c->passwordGiven = true;
            return 0;
        }
        default:
            return 0;
    }
}
