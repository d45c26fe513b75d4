#include "archive/fetch_member.h"

#include "archive/plugin_host.h"
#include "archive/rar_archive.h"
#include "archive/zip_reader.h"
#include "platform/file.h"

namespace {
constexpr int32_t kKindZip = 2;
constexpr int32_t kKindRar = 3;

uint8_t* FetchZipMember(const char16_t* archivePath, uint32_t* locator) {
    FileHandle file(FileOpenRead(archivePath));
    if (!file.valid()) {
        return nullptr;
    }
    return ZipReadMember(file.get(), locator, nullptr);
}

// Each read is its own use of the library: an encrypted archive asks for its
// password again, with no owner window (the read may run on the loader thread).
uint8_t* FetchRarMember(const char16_t* archivePath, uint32_t* locator) {
    RarContext context;
    return RarReadMember(&context, archivePath, locator);
}

const ArchiveFetchOps kZipOps = {FetchZipMember};
const ArchiveFetchOps kRarOps = {FetchRarMember};
// Any other kind: the archive plug-ins' GetFile (nothing without a host).
const ArchiveFetchOps kPluginOps = {PluginReadMember};
}  // namespace

const ArchiveFetchOps* ArchiveFetchOpsFor(int32_t kind) {
    switch (kind) {
        case kKindZip:
            return &kZipOps;
        case kKindRar:
            return &kRarOps;
        default:
            return &kPluginOps;
    }
}

uint8_t* FetchArchiveMember(int32_t kind, const char16_t* archivePath, uint32_t* locator) {
    const ArchiveFetchOps* ops = ArchiveFetchOpsFor(kind);
    if (ops->fetch == nullptr || archivePath == nullptr) {
        return nullptr;
    }
    return ops->fetch(archivePath, locator);
}
