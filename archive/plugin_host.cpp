#include "archive/plugin_host.h"

#include <cstring>

#include "app/text.h"
#include "archive/archive_member.h"
#include "archive/plugin_search.h"
#include "platform/file.h"
#include "platform/lock.h"

namespace {

// The progress callback of every call: always go on.
int GoOn(int /*num*/, int /*denom*/, intptr_t /*userData*/) {
    return 0;
}

// The first kSusieHeaderBuffer bytes of a file, its size (0 from 4 GiB on) and
// last-write time. False unless the whole buffer arrives.
struct FileHeader {
    uint8_t bytes[kSusieHeaderBuffer];
    uint32_t size;
    uint64_t time;
};

bool ReadFileHeader(const char16_t* path, FileHeader* out) {
    std::memset(out->bytes, 0, sizeof out->bytes);
    FileHandle file(FileOpenRead(path));
    uint32_t got = 0;
    uint64_t size = 0;
    if (!file.valid() || !FileReadAt(file.get(), 0, out->bytes, sizeof out->bytes, &got) ||
        got != sizeof out->bytes || !FileGetSize(file.get(), &size) || !FileGetTime(file.get(), &out->time)) {
        return false;
    }
    out->size = size < (uint64_t{1} << 32) ? static_cast<uint32_t>(size) : 0;
    return true;
}

// A plug-in handle locked for reading; unlocked and freed on scope exit.
class LockedHandle {
  public:
    LockedHandle(const PluginPlatform* p, SusieHandle h) : p_(p), h_(h) {
        if (h_ != nullptr) {
            data_ = p_->lockHandle(h_, &size_);
        }
    }
    LockedHandle(const LockedHandle&) = delete;
    LockedHandle& operator=(const LockedHandle&) = delete;
    ~LockedHandle() {
        if (h_ != nullptr) {
            if (data_ != nullptr) {
                p_->unlockHandle(h_);
            }
            p_->freeHandle(h_);
        }
    }
    const uint8_t* data() const { return data_; }
    size_t size() const { return data_ != nullptr ? size_ : 0; }

  private:
    const PluginPlatform* p_;
    SusieHandle h_;
    const uint8_t* data_ = nullptr;
    size_t size_ = 0;
};

// Decodes with the chosen picture plug-in; source/length/flag as the published
// interface wants them for a file or a memory block.
bool DecodeWith(const PluginSearch& s,
                const char* source,
                intptr_t length,
                unsigned flag,
                DecodedImage* image) {
    const PluginPlatform* p = s.platform;
    int32_t depth = 0;
    auto getInfo = reinterpret_cast<SusieGetPictureInfo>(p->getProc(s.module.get(), "GetPictureInfo"));
    if (getInfo != nullptr) {
        uint8_t info[kSusiePictureInfoSize] = {};
        if (getInfo(source, length, flag, info) == kSusieOk) {
            SusieHandle text;
            std::memcpy(&text, info + kSusiePictureInfoTextHandle, sizeof text);
            if (text != nullptr) {
                p->freeGlobal(text);
            }
            int16_t bits;
            std::memcpy(&bits, info + kSusiePictureInfoDepth, sizeof bits);
            depth = bits;
        }
    }
    auto getPicture = reinterpret_cast<SusieGetPicture>(p->getProc(s.module.get(), "GetPicture"));
    if (getPicture == nullptr) {
        return false;
    }
    SusieHandle infoHandle = nullptr;
    SusieHandle bitsHandle = nullptr;
    if (getPicture(source, length, flag, &infoHandle, &bitsHandle, GoOn, 0) != kSusieOk) {
        return false;
    }
    LockedHandle info(p, infoHandle);
    LockedHandle bits(p, bitsHandle);
    return ConvertPluginPicture(info.data(), info.size(), bits.data(), bits.size(), depth, image);
}

bool Ansi(const PluginPlatform* p, const char16_t* text, char (&out)[kPluginAnsiPath]) {
    return p->toAnsi(text, out, sizeof out);
}

}  // namespace

DecodedImage* PluginOpenPictureFile(const char16_t* path) {
    AppLockGuard lock;
    PluginSearch s;
    FileHeader header;
    char ansi[kPluginAnsiPath];
    if (!BeginPluginSearch(&s) || !ReadFileHeader(path, &header) || !Ansi(s.platform, path, ansi)) {
        return nullptr;
    }
    DecodedImagePtr image(NewDecodedImage());
    if (!image || !FindPlugin(&s, ansi, header.bytes, kPluginPicture)) {
        return nullptr;
    }
    image->sourceSize = header.size;
    image->sourceTime = header.time;
    if (!DecodeWith(s, ansi, static_cast<intptr_t>(s.headerOffset), 0, image.get())) {
        return nullptr;
    }
    return image.release();
}

DecodedImage* PluginOpenPictureMemory(const char16_t* name, const uint8_t* data, size_t size) {
    AppLockGuard lock;
    PluginSearch s;
    char ansi[kPluginAnsiPath];
    if (data == nullptr || size == 0 || size >= (uint64_t{1} << 32) || !BeginPluginSearch(&s) ||
        !Ansi(s.platform, name != nullptr ? name : u"", ansi)) {
        return nullptr;
    }
    // IsSupported reads a whole header buffer: a short block is offered padded
    // with zeros, never with what lies behind it.
    uint8_t padded[kSusieHeaderBuffer];
    const uint8_t* header = data;
    if (size < sizeof padded) {
        std::memset(padded, 0, sizeof padded);
        std::memcpy(padded, data, size);
        header = padded;
    }
    DecodedImagePtr image(NewDecodedImage());
    if (!image || !FindPlugin(&s, ansi, header, kPluginPicture)) {
        return nullptr;
    }
    image->sourceSize = static_cast<uint32_t>(size);
    if (!DecodeWith(s, reinterpret_cast<const char*>(data), static_cast<intptr_t>(size), kSusieSourceMemory,
                    image.get())) {
        return nullptr;
    }
    return image.release();
}

ArchiveMemberList* PluginListArchive(const char16_t* path) {
    AppLockGuard lock;
    PluginSearch s;
    FileHeader header;
    char ansi[kPluginAnsiPath];
    if (!BeginPluginSearch(&s) || !ReadFileHeader(path, &header) || !Ansi(s.platform, path, ansi) ||
        !FindPlugin(&s, ansi, header.bytes, kPluginArchive)) {
        return nullptr;
    }
    auto getInfo =
        reinterpret_cast<SusieGetArchiveInfo>(s.platform->getProc(s.module.get(), "GetArchiveInfo"));
    if (getInfo == nullptr) {
        return nullptr;
    }
    SusieHandle handle = nullptr;
    (void)getInfo(ansi, static_cast<intptr_t>(s.headerOffset), 0, &handle);  // only the handle counts
    LockedHandle block(s.platform, handle);
    return ParseArchiveInfo(block.data(), block.size(), header.time, s.platform->fromAnsi);
}

uint8_t* PluginReadMember(const char16_t* path, uint32_t* locator) {
    AppLockGuard lock;
    PluginSearch s;
    FileHeader header;
    char ansi[kPluginAnsiPath];
    if (locator == nullptr || !BeginPluginSearch(&s) || !ReadFileHeader(path, &header) ||
        !Ansi(s.platform, path, ansi) || !FindPlugin(&s, ansi, header.bytes, kPluginArchive)) {
        return nullptr;
    }
    auto getFile = reinterpret_cast<SusieGetFile>(s.platform->getProc(s.module.get(), "GetFile"));
    if (getFile == nullptr) {
        return nullptr;
    }
    SusieHandle handle = nullptr;
    const auto position = static_cast<intptr_t>(s.headerOffset + uint64_t{*locator});
    if (getFile(ansi, position, reinterpret_cast<char*>(&handle), kSusieDestinationMemory, GoOn, 0) !=
        kSusieOk) {
        return nullptr;
    }
    LockedHandle bytes(s.platform, handle);
    return CopyMemberBytes(bytes.data(), bytes.size(), locator);
}

void PluginConfigure(void* ownerWindow, const char16_t* fileName) {
    PluginSearch s;
    if (!BeginPluginSearch(&s)) {
        return;
    }
    if (!LoadNamedPlugin(&s, fileName)) {
        return;
    }
    auto dialog =
        reinterpret_cast<SusieConfigurationDlg>(s.platform->getProc(s.module.get(), "ConfigurationDlg"));
    if (dialog != nullptr) {
        (void)dialog(ownerWindow, 1);
    }
}
