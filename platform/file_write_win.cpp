// Windows file writing for the file jobs.
#include <windows.h>

#include "platform/dir.h"
#include "platform/file.h"

namespace {
const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}
HANDLE H(FileId f) {
    return reinterpret_cast<HANDLE>(f);
}
}  // namespace

FileId FileCreateWrite(const char16_t* path) {
    HANDLE h = CreateFileW(W(path), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? kNoFile : reinterpret_cast<FileId>(h);
}

bool FileWriteAll(FileId file, const void* data, size_t n) {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        DWORD chunk = n > 0x40000000u ? 0x40000000u : static_cast<DWORD>(n);
        DWORD written = 0;
        if (!WriteFile(H(file), p, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        p += written;
        n -= written;
    }
    return true;
}

bool FileSetTime(FileId file, uint64_t filetime) {
    FILETIME ft{static_cast<DWORD>(filetime), static_cast<DWORD>(filetime >> 32)};
    return SetFileTime(H(file), nullptr, nullptr, &ft) != 0;
}

bool FileCopyReplace(const char16_t* from, const char16_t* to) {
    return CopyFileW(W(from), W(to), FALSE) != 0;
}

bool FileDelete(const char16_t* path) {
    return DeleteFileW(W(path)) != 0;
}

bool FileMakeTemp(char16_t* out, uint32_t cap) {
    wchar_t folder[MAX_PATH + 1];
    DWORD n = GetTempPathW(MAX_PATH + 1, folder);
    if (n == 0 || n > MAX_PATH || cap < MAX_PATH) {
        return false;
    }
    return GetTempFileNameW(folder, L"tmp", 0, reinterpret_cast<wchar_t*>(out)) != 0;
}

bool FolderCreate(const char16_t* path) {
    return CreateDirectoryW(W(path), nullptr) != 0;
}

bool GetPathTime(const char16_t* path, uint64_t* filetime) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(W(path), GetFileExInfoStandard, &data)) {
        return false;
    }
    *filetime = (static_cast<uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                data.ftLastWriteTime.dwLowDateTime;
    return true;
}
