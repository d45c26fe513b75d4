// Shared helpers of the settings tests: a settings-file byte builder, a fake
// platform (paths that exist, special folders, the program path), a scratch
// folder on the real file system, and whole-file reads and writes.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "settings/settings_ops.h"

using Bytes = std::vector<uint8_t>;

// Builds a settings file: a header with the given entry count, the index, then
// the byte values in the order they were added.
class FileBuilder {
  public:
    explicit FileBuilder(uint32_t entryCount = kSlotCount, uint16_t tag = 0x05BF);
    FileBuilder& Int(uint32_t slot, int32_t value);
    FileBuilder& Text(uint32_t slot, const std::u16string& text);
    FileBuilder& List(uint32_t slot, const std::vector<std::u16string>& items);
    FileBuilder& Data(uint32_t slot, const Bytes& bytes);
    // An entry stored as given, pointing wherever a and b say.
    FileBuilder& Raw(uint32_t slot, uint32_t a, uint32_t b);
    Bytes Build() const;
    // Where the data area starts in the built file.
    uint32_t DataStart() const { return 4 + 8 * count_; }

  private:
    struct Entry {
        uint32_t a = 0;
        uint32_t b = 0;
        bool data = false;  // a is an offset into data_
    };
    uint32_t count_;
    uint16_t tag_;
    std::map<uint32_t, Entry> entries_;
    Bytes data_;
};

Bytes Utf16Bytes(const std::u16string& text);
Bytes KeyRecordBytes(const std::vector<AccelRecord>& records);
// The accelerator records of a record's key table.
std::vector<AccelRecord> KeyTableOf(const Settings& s);
// The file a save of s makes when there is no old file (empty when it fails).
Bytes SavedFile(const Settings& s, const SettingsPlatformOps& ops);

// The command table of the fake platform: the 42 bindings' commands and a range
// of ten commands that no binding carries (as the favourite folders' are).
constexpr uint16_t kFakeFolderCommand = 5510;
bool FakeIsCommand(int32_t command);

// A fake platform: existence from sets, special folders from a map, the program
// path as given. Folder creation adds to the set unless it is told to fail.
struct FakePlatform {
    std::u16string programPath = u"C:\\Programs\\Pagewick\\Pagewick.exe";
    std::set<std::u16string> files;
    std::set<std::u16string> folders;
    std::map<SpecialFolder, std::u16string> special;
    bool createFails = false;
    std::u16string currentFolder;
    std::vector<std::u16string> created;
    int blendFills = 0;

    FakePlatform();
    SettingsPlatformOps Ops();
};

// The fake platform whose blend-table hook was last called (the hook has no context).
extern FakePlatform* gBlendPlatform;

// A fresh empty folder on the real file system, removed with its content at the end.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    // The folder's path, or a file's path in it, in the program's form ('\').
    std::u16string Path(const std::u16string& name = u"") const;

  private:
    std::string native_;
};

bool ReadWholeFile(const std::u16string& path, Bytes* out);
bool WriteWholeFile(const std::u16string& path, const Bytes& bytes);
bool PathExists(const std::u16string& path);

uint32_t EntryA(const Bytes& file, uint32_t slot);
uint32_t EntryB(const Bytes& file, uint32_t slot);
// The byte value of a slot of a well-formed file (empty when absent or out of range).
Bytes SlotBytes(const Bytes& file, uint32_t slot);

std::string Narrow(const std::u16string& text);
// A two-character name: the letter, then first + i.
std::u16string Name(char16_t letter, char16_t first, uint32_t i);
