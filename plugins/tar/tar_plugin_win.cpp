// The TAR/CBT archive plug-in: a 64-bit Susie archive plug-in over tar_index.
// Lists the regular files of uncompressed ustar and GNU archives and hands one
// member's bytes back in memory. Sources in memory and extraction to a folder
// are not offered (the host asks for neither).
#include <cstring>

#include "archive/susie_abi.h"
#include "plugins/plugin_export.h"
#include "plugins/tar/tar_index.h"

namespace {

const char* const kInfo[] = {"00AM", "Pagewick TAR/CBT archive plug-in", "*.tar;*.cbt", "TAR archives"};

bool ReadSource(void* context, uint64_t offset, void* buffer, uint32_t n) {
    return static_cast<const PluginFile*>(context)->ReadAt(offset, buffer, n);
}

// The archive-information block, grown as members are found.
struct Listing {
    HLOCAL block = nullptr;
    size_t records = 0;
    size_t capacity = 0;
    uint64_t start = 0;
    bool failed = false;
};

bool AddRecord(void* context, const TarMember& m) {
    auto* l = static_cast<Listing*>(context);
    // Folder with '\' separators and a trailing '\', then the name.
    const char* slash = std::strrchr(m.name, '/');
    const size_t folderLength = slash != nullptr ? static_cast<size_t>(slash - m.name) + 1 : 0;
    const char* name = m.name + folderLength;
    const size_t nameLength = std::strlen(name);
    if (nameLength == 0 || nameLength >= kSusieMemberTextBytes || folderLength >= kSusieMemberTextBytes ||
        m.header - l->start > UINT32_MAX) {
        return true;  // not representable in a record: left out
    }
    if (l->records + 1 >= l->capacity) {  // room for the end record too
        const size_t grown = l->capacity == 0 ? 64 : l->capacity * 2;
        HLOCAL bigger = l->block == nullptr
                            ? LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, grown * kSusieMemberSize)
                            : LocalReAlloc(l->block, grown * kSusieMemberSize, LMEM_MOVEABLE | LMEM_ZEROINIT);
        if (bigger == nullptr) {
            l->failed = true;
            return false;
        }
        l->block = bigger;
        l->capacity = grown;
    }
    auto* base = static_cast<uint8_t*>(LocalLock(l->block));
    if (base == nullptr) {
        l->failed = true;
        return false;
    }
    uint8_t* r = base + l->records * kSusieMemberSize;
    std::memset(r, 0, kSusieMemberSize);
    std::memcpy(r + kSusieMemberMethod, "tar", 3);
    const uint64_t position = m.header - l->start;
    const int64_t time = m.modified;
    std::memcpy(r + kSusieMemberPosition, &position, 8);
    std::memcpy(r + kSusieMemberCompressed, &m.size, 8);
    std::memcpy(r + kSusieMemberSizeField, &m.size, 8);
    std::memcpy(r + kSusieMemberTime, &time, 8);
    char* path = reinterpret_cast<char*>(r + kSusieMemberPath);
    for (size_t i = 0; i < folderLength; ++i) {
        path[i] = m.name[i] == '/' ? '\\' : m.name[i];
    }
    std::memcpy(r + kSusieMemberName, name, nameLength);
    LocalUnlock(l->block);
    ++l->records;
    return true;
}

}  // namespace

PW_SUSIE_EXPORT int GetPluginInfo(int infoNo, char* buffer, int length) {
    if (infoNo < 0 || infoNo >= static_cast<int>(sizeof kInfo / sizeof kInfo[0])) {
        return 0;
    }
    return CopyInfoText(kInfo[infoNo], buffer, length);
}

PW_SUSIE_EXPORT int IsSupported(const char* /*fileName*/, void* header) {
    const auto* h = static_cast<const uint8_t*>(header);
    return h != nullptr && h[0] != 0 && TarHeaderValid(h) ? 1 : 0;
}

PW_SUSIE_EXPORT int GetArchiveInfo(const char* source, intptr_t length, unsigned flag, HLOCAL* info) {
    if (info == nullptr) {
        return kSusieInternalError;
    }
    *info = nullptr;
    if ((flag & 7) != 0 || length < 0) {
        return kSusieNotImplemented;
    }
    PluginFile file(source);
    if (!file.valid()) {
        return kSusieReadError;
    }
    const TarSource tar{&file, ReadSource, file.size()};
    Listing l;
    l.start = static_cast<uint64_t>(length);
    if (!TarWalk(tar, l.start, AddRecord, &l) || l.failed || l.records == 0) {
        if (l.block != nullptr) {
            LocalFree(l.block);
        }
        return l.failed ? kSusieNoMemory : kSusieUnknownFormat;
    }
    *info = l.block;  // the end record is already zero
    return kSusieOk;
}

PW_SUSIE_EXPORT int GetFile(const char* source,
                            intptr_t length,
                            char* destination,
                            unsigned flag,
                            SusieProgress progress,
                            intptr_t userData) {
    if ((flag & 7) != 0 || ((flag >> 8) & 7) != 1 || destination == nullptr || length < 0) {
        return kSusieNotImplemented;
    }
    auto* out = reinterpret_cast<HLOCAL*>(destination);
    *out = nullptr;
    PluginFile file(source);
    if (!file.valid()) {
        return kSusieReadError;
    }
    const TarSource tar{&file, ReadSource, file.size()};
    TarMember m;
    if (!TarMemberAt(tar, static_cast<uint64_t>(length), &m) || m.size == 0 || m.size > UINT32_MAX) {
        return kSusieBadData;
    }
    if (progress != nullptr && progress(0, 1, userData) != 0) {
        return kSusieAborted;
    }
    HLOCAL block = LocalAlloc(LMEM_FIXED, static_cast<SIZE_T>(m.size));
    if (block == nullptr) {
        return kSusieNoMemory;
    }
    if (!file.ReadAt(m.data, block, static_cast<uint32_t>(m.size))) {
        LocalFree(block);
        return kSusieReadError;
    }
    *out = block;
    if (progress != nullptr) {
        (void)progress(1, 1, userData);
    }
    return kSusieOk;
}
