// Files as the portable core sees them: open for reading, positioned reads, size,
// last-write time, and a read-only mapping of a whole file. Paths are UTF-16
// code units in both builds. Times are FILETIME values (100 ns since 1601).
//
// Every call may fail and says so; nothing here throws or aborts.
#pragma once

#include <cstddef>
#include <cstdint>

using FileId = intptr_t;
constexpr FileId kNoFile = -1;

[[nodiscard]] FileId FileOpenRead(const char16_t* path);
void FileClose(FileId file);
// Reads up to n bytes at offset; *got receives the count read (short at the end).
[[nodiscard]] bool FileReadAt(FileId file, uint64_t offset, void* buffer, uint32_t n, uint32_t* got);
[[nodiscard]] bool FileGetSize(FileId file, uint64_t* size);
[[nodiscard]] bool FileGetTime(FileId file, uint64_t* filetime);

// Writing, for the file jobs. FileCreateWrite creates or empties the file for
// writing without sharing. FileWriteAll is true only when all n bytes went out.
// FileSetTime sets the last-write time only. FileCopyReplace copies a closed file
// over `to` (replacing it), keeping the last-write time. FileMakeTemp creates an
// empty file named "tmp..." in the temporary-files folder and writes its path
// (at most cap units with the terminator).
[[nodiscard]] FileId FileCreateWrite(const char16_t* path);
[[nodiscard]] bool FileWriteAll(FileId file, const void* data, size_t n);
[[nodiscard]] bool FileSetTime(FileId file, uint64_t filetime);
[[nodiscard]] bool FileCopyReplace(const char16_t* from, const char16_t* to);
bool FileDelete(const char16_t* path);
[[nodiscard]] bool FileMakeTemp(char16_t* out, uint32_t cap);

// Owns an open file.
class FileHandle {
  public:
    FileHandle() = default;
    explicit FileHandle(FileId f) : f_(f) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    FileHandle(FileHandle&& o) noexcept : f_(o.release()) {}
    FileHandle& operator=(FileHandle&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~FileHandle() { reset(); }
    FileId get() const { return f_; }
    bool valid() const { return f_ != kNoFile; }
    FileId release() {
        FileId f = f_;
        f_ = kNoFile;
        return f;
    }
    void reset(FileId f = kNoFile) {
        if (f_ != kNoFile) {
            FileClose(f_);
        }
        f_ = f;
    }

  private:
    FileId f_ = kNoFile;
};

// A whole file mapped read-only. Files of 0 bytes or of 4 GiB and more are not
// mapped (the decoders' input rule).
class MappedFile {
  public:
    MappedFile() = default;
    MappedFile(const MappedFile&) = delete;
    MappedFile& operator=(const MappedFile&) = delete;
    ~MappedFile() { Close(); }

    [[nodiscard]] bool Open(const char16_t* path);
    void Close();
    const uint8_t* data() const { return data_; }
    uint64_t size() const { return size_; }
    uint64_t time() const { return time_; }

  private:
    const uint8_t* data_ = nullptr;
    uint64_t size_ = 0;
    uint64_t time_ = 0;
    FileId file_ = kNoFile;
    [[maybe_unused]] intptr_t mapping_ = 0;  // Windows only
};
