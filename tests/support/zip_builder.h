// Test fixtures for the ZIP reader: MakeZip writes an archive image byte by byte
// from a list of entries, with knobs for the odd archives the reader must
// survive (data descriptors, foreign methods, lying headers, comments), and
// TempFile puts bytes where FileOpenRead can open them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/file.h"

struct ZipEntrySpec {
    std::string name;           // raw name bytes as stored
    std::string data;           // the member's uncompressed bytes
    uint16_t method = 8;        // 0 stored, 8 deflated; other values store `data` as is under that method
    uint16_t flags = 0;         // bit 3: CRC and sizes go to a data descriptor, zeros in the local header
    uint16_t dosTime = 0x6000;  // 12:00:00
    uint16_t dosDate = 0x5821;  // 2024-01-01
    std::string extra;          // extra field, in both headers
    std::string comment;        // central-directory comment
    bool useRaw = false;        // write `raw` as the member's data instead of compressing `data`
    std::string raw;            //   (sizes still describe raw and data, CRC is data's)
    bool overrideCrc = false;   // store `crc` instead of data's CRC-32
    uint32_t crc = 0;
    bool overrideSize = false;  // store `size` as the uncompressed size
    uint32_t size = 0;
};

struct ZipImage {
    std::vector<uint8_t> bytes;
    std::vector<uint32_t> locators;  // local-header offset of each entry
    uint32_t directoryOffset = 0;
    uint32_t endOffset = 0;  // offset of the end record
};

// Raw deflate (no zlib header) at the given level.
std::string Deflate(const std::string& data, int level = 6);

// Local headers and data, central directory, end record with `comment` (its
// length field says comment.size() unless commentLengthField is given).
ZipImage MakeZip(const std::vector<ZipEntrySpec>& entries,
                 const std::string& comment = "",
                 int commentLengthField = -1);

// A file in the system's temporary folder that is removed with the object.
class TempFile {
  public:
    explicit TempFile(const std::vector<uint8_t>& bytes);
    explicit TempFile(const std::string& bytes);
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile();
    const char16_t* path() const { return path_.c_str(); }
    const std::filesystem::path& native() const { return native_; }

  private:
    void Write(const void* data, size_t n);
    std::filesystem::path native_;
    std::u16string path_;
};

// Opens `bytes` as a file for the duration of a test.
struct OpenedZip {
    explicit OpenedZip(const std::vector<uint8_t>& bytes) : file(bytes), handle(FileOpenRead(file.path())) {}
    TempFile file;
    FileHandle handle;
    FileId id() const { return handle.get(); }
};

std::string Utf8(const char16_t* text, size_t n);
