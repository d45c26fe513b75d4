#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/file.h"
#include "platform/native_path.h"
#include "platform/utf.h"

namespace {
// FILETIME of the Unix epoch: seconds from 1601 to 1970, in 100 ns units.
constexpr uint64_t kEpochFiletime = 116444736000000000ull;
}  // namespace

bool ToNativePath(const char16_t* path, char* out, size_t cap) {
    size_t n = Utf16Length(path);
    size_t need = Utf16ToUtf8(path, n, out, cap);
    if (need + 1 > cap) {
        return false;
    }
    for (size_t i = 0; i < need; ++i) {
        if (out[i] == '\\') {
            out[i] = '/';
        }
    }
    return true;
}

FileId FileOpenRead(const char16_t* path) {
    char native[4096];
    if (!ToNativePath(path, native, sizeof native)) {
        return kNoFile;
    }
    int fd = open(native, O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return kNoFile;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(fd);
        return kNoFile;
    }
    return fd;
}

void FileClose(FileId file) {
    if (file != kNoFile) {
        close(static_cast<int>(file));
    }
}

bool FileReadAt(FileId file, uint64_t offset, void* buffer, uint32_t n, uint32_t* got) {
    *got = 0;
    auto* out = static_cast<unsigned char*>(buffer);
    while (*got < n) {
        ssize_t r = pread(static_cast<int>(file), out + *got, n - *got, static_cast<off_t>(offset + *got));
        if (r < 0) {
            return false;
        }
        if (r == 0) {
            break;
        }
        *got += static_cast<uint32_t>(r);
    }
    return true;
}

bool FileGetSize(FileId file, uint64_t* size) {
    struct stat st {};
    if (fstat(static_cast<int>(file), &st) != 0) {
        return false;
    }
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool FileGetTime(FileId file, uint64_t* filetime) {
    struct stat st {};
    if (fstat(static_cast<int>(file), &st) != 0) {
        return false;
    }
    *filetime = kEpochFiletime + static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000ull +
                static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
    return true;
}

bool MappedFile::Open(const char16_t* path) {
    Close();
    FileHandle f(FileOpenRead(path));
    uint64_t size = 0;
    if (!f.valid() || !FileGetSize(f.get(), &size) || size == 0 || size >= (1ull << 32)) {
        return false;
    }
    void* view = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, static_cast<int>(f.get()), 0);
    if (view == MAP_FAILED) {
        return false;
    }
    uint64_t t = 0;
    (void)FileGetTime(f.get(), &t);
    data_ = static_cast<const uint8_t*>(view);
    size_ = size;
    time_ = t;
    file_ = f.release();
    return true;
}

void MappedFile::Close() {
    if (data_ != nullptr) {
        munmap(const_cast<uint8_t*>(data_), size_);
    }
    FileClose(file_);
    data_ = nullptr;
    size_ = 0;
    time_ = 0;
    file_ = kNoFile;
}
