#include "tests/settings/settings_test_util.h"

#include <filesystem>
#include <fstream>

#include "app/str_buf.h"
#include "platform/utf.h"
#include "settings/settings_writer.h"

#ifdef _WIN32
#include <process.h>
#define PW_GETPID _getpid
#else
#include <unistd.h>
#define PW_GETPID getpid
#endif

namespace fs = std::filesystem;

FakePlatform* gBlendPlatform = nullptr;

FileBuilder::FileBuilder(uint32_t entryCount, uint16_t tag) : count_(entryCount), tag_(tag) {}

FileBuilder& FileBuilder::Int(uint32_t slot, int32_t value) {
    entries_[slot] = Entry{1, static_cast<uint32_t>(value), false};
    return *this;
}

FileBuilder& FileBuilder::Text(uint32_t slot, const std::u16string& text) {
    return Data(slot, Utf16Bytes(text));
}

FileBuilder& FileBuilder::List(uint32_t slot, const std::vector<std::u16string>& items) {
    Bytes bytes;
    for (const std::u16string& item : items) {
        Bytes b = Utf16Bytes(item);
        bytes.insert(bytes.end(), b.begin(), b.end());
        bytes.push_back(0);
        bytes.push_back(0);
    }
    return Data(slot, bytes);
}

FileBuilder& FileBuilder::Data(uint32_t slot, const Bytes& bytes) {
    entries_[slot] = Entry{static_cast<uint32_t>(data_.size()), static_cast<uint32_t>(bytes.size()), true};
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return *this;
}

FileBuilder& FileBuilder::Raw(uint32_t slot, uint32_t a, uint32_t b) {
    entries_[slot] = Entry{a, b, false};
    return *this;
}

namespace {
void PutU32(Bytes* out, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        out->push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
}
}  // namespace

Bytes FileBuilder::Build() const {
    Bytes out;
    out.push_back(static_cast<uint8_t>(count_));
    out.push_back(static_cast<uint8_t>(count_ >> 8));
    out.push_back(static_cast<uint8_t>(tag_));
    out.push_back(static_cast<uint8_t>(tag_ >> 8));
    for (uint32_t slot = 0; slot < count_; ++slot) {
        auto it = entries_.find(slot);
        Entry e = it == entries_.end() ? Entry{} : it->second;
        PutU32(&out, e.data ? DataStart() + e.a : e.a);
        PutU32(&out, e.b);
    }
    out.insert(out.end(), data_.begin(), data_.end());
    return out;
}

Bytes Utf16Bytes(const std::u16string& text) {
    Bytes out;
    for (char16_t c : text) {
        out.push_back(static_cast<uint8_t>(c));
        out.push_back(static_cast<uint8_t>(c >> 8));
    }
    return out;
}

Bytes KeyRecordBytes(const std::vector<AccelRecord>& records) {
    Bytes out;
    for (const AccelRecord& r : records) {
        out.push_back(r.flags);
        out.push_back(0);
        out.push_back(static_cast<uint8_t>(r.key));
        out.push_back(static_cast<uint8_t>(r.key >> 8));
        out.push_back(static_cast<uint8_t>(r.command));
        out.push_back(static_cast<uint8_t>(r.command >> 8));
    }
    return out;
}

std::vector<AccelRecord> KeyTableOf(const Settings& s) {
    return std::vector<AccelRecord>(s.keyTable, s.keyTable + s.keyTableCount);
}

Bytes SavedFile(const Settings& s, const SettingsPlatformOps& ops) {
    ByteBuf out;
    if (BuildSettingsFile(nullptr, s, ops, &out) != SaveResult::kSaved) {
        return Bytes();
    }
    return Bytes(out.data, out.data + out.size);
}

namespace {
FakePlatform* Self(void* context) {
    return static_cast<FakePlatform*>(context);
}
}  // namespace

FakePlatform::FakePlatform() {
    special[SpecialFolder::kDesktop] = u"C:\\Users\\u\\Desktop";
    special[SpecialFolder::kDocuments] = u"C:\\Users\\u\\Documents";
    special[SpecialFolder::kPictures] = u"C:\\Users\\u\\Pictures";
    special[SpecialFolder::kRoamingAppData] = u"C:\\Users\\u\\AppData\\Roaming";
    for (const auto& [which, path] : special) {
        folders.insert(path);
    }
}

SettingsPlatformOps FakePlatform::Ops() {
    SettingsPlatformOps ops;
    ops.context = this;
    ops.programPath = [](void* c, StrBuf* out) {
        out->Assign(Self(c)->programPath.c_str());
        return true;
    };
    ops.setCurrentFolder = [](void* c, const char16_t* folder) {
        Self(c)->currentFolder = folder;
        return true;
    };
    ops.fileExists = [](void* c, const char16_t* path) { return Self(c)->files.count(path) > 0; };
    ops.folderExists = [](void* c, const char16_t* path) { return Self(c)->folders.count(path) > 0; };
    ops.createFolder = [](void* c, const char16_t* path) {
        if (Self(c)->createFails) {
            return false;
        }
        Self(c)->folders.insert(path);
        Self(c)->created.push_back(path);
        return true;
    };
    ops.specialFolder = [](void* c, SpecialFolder which, StrBuf* out) {
        auto it = Self(c)->special.find(which);
        if (it == Self(c)->special.end()) {
            return false;
        }
        out->Assign(it->second.c_str());
        return true;
    };
    gBlendPlatform = this;
    ops.fillBlendTable = [] { ++gBlendPlatform->blendFills; };
    ops.isCommand = FakeIsCommand;
    return ops;
}

bool FakeIsCommand(int32_t command) {
    return IsBindingCommand(command) || (command >= kFakeFolderCommand && command < kFakeFolderCommand + 10);
}

namespace {
// The program's form of a path ('\' separators) from a native one, and back.
std::u16string ProgramForm(const fs::path& p) {
    std::u16string s = p.u16string();
    for (char16_t& c : s) {
        if (c == u'/') {
            c = u'\\';
        }
    }
    return s;
}

fs::path NativeForm(const std::u16string& path) {
#ifdef _WIN32
    return fs::path(path);
#else
    std::u16string s = path;
    for (char16_t& c : s) {
        if (c == u'\\') {
            c = u'/';
        }
    }
    return fs::path(s);
#endif
}
}  // namespace

ScratchFolder::ScratchFolder() {
    static int serial = 0;
    std::error_code ec;
    fs::path base = fs::temp_directory_path(ec);
    for (int attempt = 0; attempt < 1000; ++attempt) {
        fs::path p = base / ("pw-settings-" + std::to_string(PW_GETPID()) + "-" + std::to_string(serial++));
        if (fs::create_directory(p, ec)) {
            native_ = p.string();
            return;
        }
    }
}

ScratchFolder::~ScratchFolder() {
    std::error_code ec;
    if (!native_.empty()) {
        fs::remove_all(native_, ec);
    }
}

std::u16string ScratchFolder::Path(const std::u16string& name) const {
    std::u16string folder = ProgramForm(fs::path(native_));
    return name.empty() ? folder : folder + u"\\" + name;
}

bool ReadWholeFile(const std::u16string& path, Bytes* out) {
    std::ifstream in(NativeForm(path), std::ios::binary);
    if (!in) {
        return false;
    }
    out->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool WriteWholeFile(const std::u16string& path, const Bytes& bytes) {
    std::ofstream outFile(NativeForm(path), std::ios::binary | std::ios::trunc);
    outFile.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(outFile);
}

bool PathExists(const std::u16string& path) {
    std::error_code ec;
    return fs::exists(NativeForm(path), ec);
}

namespace {
uint32_t U32At(const Bytes& file, size_t at) {
    if (at + 4 > file.size()) {
        return 0;
    }
    return uint32_t{file[at]} | uint32_t{file[at + 1]} << 8 | uint32_t{file[at + 2]} << 16 |
           uint32_t{file[at + 3]} << 24;
}
}  // namespace

uint32_t EntryA(const Bytes& file, uint32_t slot) {
    return U32At(file, 4 + 8 * size_t{slot});
}

uint32_t EntryB(const Bytes& file, uint32_t slot) {
    return U32At(file, 8 + 8 * size_t{slot});
}

Bytes SlotBytes(const Bytes& file, uint32_t slot) {
    uint32_t a = EntryA(file, slot);
    uint32_t b = EntryB(file, slot);
    if (a < 2 || a > file.size() || b > file.size() - a) {
        return {};
    }
    return Bytes(file.begin() + a, file.begin() + a + b);
}

std::string Narrow(const std::u16string& text) {
    std::string out(text.size() * 3 + 1, '\0');
    size_t n = Utf16ToUtf8(text.data(), text.size(), out.data(), out.size());
    out.resize(n);
    return out;
}

std::u16string Name(char16_t letter, char16_t first, uint32_t i) {
    std::u16string name(2, letter);
    name[1] = static_cast<char16_t>(first + i);
    return name;
}
