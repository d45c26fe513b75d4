#include "tests/support/fake_plugins.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <fstream>

#include "app/text.h"
#include "archive/susie_abi.h"

namespace fs = std::filesystem;

namespace {

FakePluginHost* gHost = nullptr;
std::vector<FakePlugin>* gPlugins = nullptr;
FakePlugin* gActive = nullptr;  // the module whose export was fetched last
int gLiveHandles = 0;

std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

std::u16string ProgramPath(const fs::path& p) {
    std::u16string s = p.u16string();
    for (char16_t& c : s) {
        c = c == u'/' ? u'\\' : c;
    }
    return s;
}

SusieHandle NewHandle(const std::vector<uint8_t>& bytes) {
    ++gLiveHandles;
    return new std::vector<uint8_t>(bytes);
}

int Info(int no, char* buffer, int length) {
    std::string text;
    if (no == 0) {
        text = gActive->kind;
    } else if (no >= 2 && no % 2 == 0 && size_t(no / 2 - 1) < gActive->patterns.size()) {
        text = gActive->patterns[size_t(no / 2 - 1)];
    } else if (no >= 3 && size_t((no - 3) / 2) < gActive->descriptions.size()) {
        text = gActive->descriptions[size_t((no - 3) / 2)];
    } else {
        return 0;
    }
    const size_t n = std::min(text.size(), size_t(length - 1));
    std::memcpy(buffer, text.data(), n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

int Supported(const char* name, void* header) {
    ++gActive->supportedCalls;
    gActive->supportedName = name;
    const auto* h = static_cast<const uint8_t*>(header);
    // Accepts data that starts with "FAKE" where the host points (the header
    // buffer's start, then 128 bytes into it).
    return gActive->accepts && std::memcmp(h, "FAKE", 4) == 0 ? 1 : 0;
}

int PictureInfo(const char*, intptr_t length, unsigned, void* info) {
    gActive->infoLength = length;
    std::memcpy(static_cast<uint8_t*>(info) + kSusiePictureInfoDepth, &gActive->depth, 2);
    return 0;
}

int Picture(const char*,
            intptr_t length,
            unsigned flag,
            SusieHandle* info,
            SusieHandle* bits,
            SusieProgress,
            intptr_t) {
    gActive->pictureLength = length;
    gActive->pictureFlag = flag;
    if (gActive->result != 0) {
        return gActive->result;
    }
    *info = NewHandle(gActive->bitmapInfo);
    *bits = NewHandle(gActive->bits);
    return 0;
}

int ArchiveInfo(const char*, intptr_t, unsigned, SusieHandle* info) {
    *info = gActive->archiveInfo.empty() ? nullptr : NewHandle(gActive->archiveInfo);
    return 0;
}

int File(const char*, intptr_t length, char* destination, unsigned, SusieProgress, intptr_t) {
    gActive->fileLength = length;
    if (gActive->result != 0) {
        return gActive->result;
    }
    *reinterpret_cast<SusieHandle*>(destination) = NewHandle(gActive->member);
    return 0;
}

void* Load(const char16_t* path) {
    for (FakePlugin& p : *gPlugins) {
        const std::u16string full(path);
        if (full.size() > p.file.size() &&
            full.compare(full.size() - p.file.size(), p.file.size(), p.file) == 0 &&
            full[full.size() - p.file.size() - 1] == u'\\') {
            ++p.loads;
            ++p.open;
            return &p;
        }
    }
    return nullptr;
}

void* Proc(void* module, const char* name) {
    gActive = static_cast<FakePlugin*>(module);
    if (gActive->open <= 0) {
        gActive->usedWhileFreed = true;
    }
    const std::string n(name);
    if (n == "GetPluginInfo")
        return reinterpret_cast<void*>(Info);
    if (n == "IsSupported")
        return gActive->hasIsSupported ? reinterpret_cast<void*>(Supported) : nullptr;
    if (n == "GetPictureInfo")
        return reinterpret_cast<void*>(PictureInfo);
    if (n == "GetPicture")
        return reinterpret_cast<void*>(Picture);
    if (n == "GetArchiveInfo")
        return reinterpret_cast<void*>(ArchiveInfo);
    if (n == "GetFile")
        return reinterpret_cast<void*>(File);
    return nullptr;
}

void FreeModule(void* module) {
    --static_cast<FakePlugin*>(module)->open;
}

const uint8_t* Lock(SusieHandle h, size_t* size) {
    auto* v = static_cast<std::vector<uint8_t>*>(h);
    *size = v->size();
    return v->data();
}
void Unlock(SusieHandle) {}
void Free(SusieHandle h) {
    --gLiveHandles;
    delete static_cast<std::vector<uint8_t>*>(h);
}

bool ToAnsi(const char16_t* text, char* out, size_t cap) {
    size_t i = 0;
    for (; text[i] != 0; ++i) {
        if (i + 1 >= cap) {
            return false;
        }
        out[i] = static_cast<char>(text[i]);
    }
    out[i] = 0;
    return true;
}

bool FromAnsi(const char* text, size_t n, StrBuf* out) {
    out->Assign(u"");
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = static_cast<unsigned char>(text[i]);
        if (!out->Append(&c, 1)) {
            return false;
        }
    }
    return true;
}

const PluginPlatform kFakePlatform = {Load, Proc, FreeModule, Lock, Unlock, Free, Free, ToAnsi, FromAnsi};

}  // namespace

FakePluginHost::FakePluginHost(std::vector<FakePlugin> plugins, std::vector<std::u16string> disabled)
    : plugins_(std::move(plugins)), disabled_(std::move(disabled)) {
    static std::atomic<int> counter{0};
    std::error_code ec;
    native_ = fs::temp_directory_path(ec) / ("pw_plugins_" + std::to_string(counter++) + "_" +
                                             std::to_string(reinterpret_cast<uintptr_t>(this)));
    fs::create_directories(native_ / "plugins", ec);
    for (const FakePlugin& p : plugins_) {
        std::ofstream(native_ / "plugins" / fs::path(p.file)).put('x');
    }
    std::ofstream(native_ / "plugins" / "readme.txt").put('x');
    root_ = ProgramPath(native_);
    folder_ = root_ + u"\\plugins";
    gHost = this;
    gPlugins = &plugins_;
    gLiveHandles = 0;
    source_ = {this, GetFolder, IsDisabled};
    SetPluginHost(&kFakePlatform, &source_);
}

FakePluginHost::~FakePluginHost() {
    SetPluginHost(nullptr, nullptr);
    gHost = nullptr;
    gPlugins = nullptr;
    std::error_code ec;
    fs::remove_all(native_, ec);
}

std::u16string FakePluginHost::WriteFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    std::ofstream(native_ / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return root_ + u"\\" + Wide(name);
}

bool FakePluginHost::AllReleased() const {
    for (const FakePlugin& p : plugins_) {
        if (p.open != 0 || p.usedWhileFreed) {
            return false;
        }
    }
    return gLiveHandles == 0;
}

int FakePluginHost::LiveHandles() {
    return gLiveHandles;
}

void FakePluginHost::GetFolder(void* ctx, StrBuf* out) {
    out->Assign(static_cast<FakePluginHost*>(ctx)->folder_.c_str());
}

bool FakePluginHost::IsDisabled(void* ctx, const char16_t* name) {
    for (const std::u16string& d : static_cast<FakePluginHost*>(ctx)->disabled_) {
        if (EqualsNoCase(d.c_str(), name)) {
            return true;
        }
    }
    return false;
}

std::vector<uint8_t> MakeBitmapInfo(int32_t width,
                                    int32_t height,
                                    uint16_t bitCount,
                                    uint32_t compression,
                                    std::vector<uint32_t> palette,
                                    uint32_t headerSize) {
    // A header size under 40 still gets the 40 bytes written below: the block
    // then claims less than it holds.
    std::vector<uint8_t> out(std::max<size_t>(headerSize, 40) + palette.size() * 4, 0);
    const uint16_t planes = 1;
    std::memcpy(&out[0], &headerSize, 4);
    std::memcpy(&out[4], &width, 4);
    std::memcpy(&out[8], &height, 4);
    std::memcpy(&out[12], &planes, 2);
    std::memcpy(&out[14], &bitCount, 2);
    std::memcpy(&out[16], &compression, 4);
    if (!palette.empty()) {
        std::memcpy(&out[headerSize], palette.data(), palette.size() * 4);
    }
    return out;
}

std::vector<uint8_t> MakeMemberRecord(const std::string& path,
                                      const std::string& name,
                                      uint64_t position,
                                      uint64_t size,
                                      int64_t time) {
    std::vector<uint8_t> r(kSusieMemberSize, 0);
    std::memcpy(&r[kSusieMemberMethod], "fake", 4);
    std::memcpy(&r[kSusieMemberPosition], &position, 8);
    std::memcpy(&r[kSusieMemberSizeField], &size, 8);
    std::memcpy(&r[kSusieMemberTime], &time, 8);
    std::memcpy(&r[kSusieMemberPath], path.data(), std::min(path.size(), kSusieMemberTextBytes));
    std::memcpy(&r[kSusieMemberName], name.data(), std::min(name.size(), kSusieMemberTextBytes));
    return r;
}
