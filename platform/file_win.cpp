#include <windows.h>

#include "platform/file.h"
#include "platform/owners_win.h"

namespace {
const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}
HANDLE H(FileId f) {
    return reinterpret_cast<HANDLE>(f);
}
}  // namespace

FileId FileOpenRead(const char16_t* path) {
    HANDLE h = CreateFileW(W(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileId>(h);
}

void FileClose(FileId file) {
    if (file != kNoFile) {
        CloseHandle(H(file));
    }
}

bool FileReadAt(FileId file, uint64_t offset, void* buffer, uint32_t n, uint32_t* got) {
    OVERLAPPED ov{};
    ov.Offset = static_cast<DWORD>(offset);
    ov.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD read = 0;
    *got = 0;
    if (!ReadFile(H(file), buffer, n, &read, &ov)) {
        if (GetLastError() == ERROR_HANDLE_EOF) {
            return true;
        }
        return false;
    }
    *got = read;
    return true;
}

bool FileGetSize(FileId file, uint64_t* size) {
    LARGE_INTEGER li{};
    if (!GetFileSizeEx(H(file), &li)) {
        return false;
    }
    *size = static_cast<uint64_t>(li.QuadPart);
    return true;
}

bool FileGetTime(FileId file, uint64_t* filetime) {
    FILETIME ft{};
    if (!GetFileTime(H(file), nullptr, nullptr, &ft)) {
        return false;
    }
    *filetime = (static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
    return true;
}

bool MappedFile::Open(const char16_t* path) {
    Close();
    FileHandle f(FileOpenRead(path));
    uint64_t size = 0;
    if (!f.valid() || !FileGetSize(f.get(), &size) || size == 0 || size >= (1ull << 32)) {
        return false;
    }
    KernelHandle mapping(CreateFileMappingW(H(f.get()), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping.valid()) {
        return false;
    }
    void* view = MapViewOfFile(mapping.get(), FILE_MAP_READ, 0, 0, 0);
    if (view == nullptr) {
        return false;
    }
    uint64_t t = 0;
    (void)FileGetTime(f.get(), &t);
    data_ = static_cast<const uint8_t*>(view);
    size_ = size;
    time_ = t;
    mapping_ = reinterpret_cast<intptr_t>(mapping.release());
    file_ = f.release();
    return true;
}

void MappedFile::Close() {
    if (data_ != nullptr) {
        UnmapViewOfFile(data_);
    }
    // The portable header keeps the mapping handle as a number.
    KernelHandle mapping(reinterpret_cast<HANDLE>(mapping_));
    mapping.reset();
    FileClose(file_);
    data_ = nullptr;
    size_ = 0;
    time_ = 0;
    mapping_ = 0;
    file_ = kNoFile;
}
