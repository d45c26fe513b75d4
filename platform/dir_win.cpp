// Folders through FindFirstFileExW / FindNextFileW with the pattern "folder\*".
#include <windows.h>

#include "platform/dir.h"
#include "platform/heap.h"
#include "platform/utf.h"

namespace {
struct DirState {
    HANDLE find;
    bool havePending;  // the first result of FindFirstFileExW is not handed out yet
    WIN32_FIND_DATAW data;
};

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

uint32_t Length(const wchar_t* s, size_t cap) {
    uint32_t n = 0;
    while (n < cap && s[n] != 0) {
        ++n;
    }
    return n;
}
}  // namespace

PathKind GetPathKind(const char16_t* path) {
    if (path == nullptr || path[0] == 0) {
        return PathKind::kNone;
    }
    DWORD attributes = GetFileAttributesW(W(path));
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        return PathKind::kNone;
    }
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0 ? PathKind::kFolder : PathKind::kFile;
}

bool DirReader::Open(const char16_t* folder) {
    Close();
    size_t n = folder == nullptr ? 0 : Utf16Length(folder);
    if (n == 0 || n > 32760) {
        return false;
    }
    // folder, a '\' unless it ends with one, '*', terminator.
    auto* pattern = static_cast<wchar_t*>(AppAlloc((n + 3) * sizeof(wchar_t)));
    auto* state = static_cast<DirState*>(AppAllocZero(sizeof(DirState)));
    if (pattern == nullptr || state == nullptr) {
        AppFree(pattern);
        AppFree(state);
        return false;
    }
    for (size_t i = 0; i < n; ++i) {
        pattern[i] = static_cast<wchar_t>(folder[i]);
    }
    size_t at = n;
    if (pattern[at - 1] != L'\\') {
        pattern[at++] = L'\\';
    }
    pattern[at++] = L'*';
    pattern[at] = 0;
    state->find = FindFirstFileExW(pattern, FindExInfoStandard, &state->data, FindExSearchNameMatch, nullptr,
                                   FIND_FIRST_EX_LARGE_FETCH);
    AppFree(pattern);
    if (state->find == INVALID_HANDLE_VALUE) {
        // An empty folder still has "." and ".."; only a drive root can be truly
        // empty, and that reads as an empty enumeration.
        bool empty = GetLastError() == ERROR_FILE_NOT_FOUND;
        AppFree(state);
        if (!empty) {
            return false;
        }
        state = static_cast<DirState*>(AppAllocZero(sizeof(DirState)));
        if (state == nullptr) {
            return false;
        }
        state->find = INVALID_HANDLE_VALUE;
        state_ = state;
        return true;
    }
    state->havePending = true;
    state_ = state;
    return true;
}

bool DirReader::Next(DirEntry* entry) {
    auto* state = static_cast<DirState*>(state_);
    if (state == nullptr || state->find == INVALID_HANDLE_VALUE) {
        return false;
    }
    for (;;) {
        if (state->havePending) {
            state->havePending = false;
        } else if (!FindNextFileW(state->find, &state->data)) {
            return false;
        }
        const WIN32_FIND_DATAW& d = state->data;
        if (d.cFileName[0] == L'.' &&
            (d.cFileName[1] == 0 || (d.cFileName[1] == L'.' && d.cFileName[2] == 0))) {
            continue;
        }
        bool isFolder = (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        entry->name = reinterpret_cast<const char16_t*>(d.cFileName);
        entry->nameLength = Length(d.cFileName, MAX_PATH);
        entry->shortName = reinterpret_cast<const char16_t*>(d.cAlternateFileName);
        entry->shortNameLength = Length(d.cAlternateFileName, 14);
        entry->attributes = d.dwFileAttributes;
        entry->isFolder = isFolder;
        entry->size = isFolder ? 0 : (static_cast<uint64_t>(d.nFileSizeHigh) << 32) | d.nFileSizeLow;
        entry->modified =
            (static_cast<uint64_t>(d.ftLastWriteTime.dwHighDateTime) << 32) | d.ftLastWriteTime.dwLowDateTime;
        return true;
    }
}

void DirReader::Close() {
    auto* state = static_cast<DirState*>(state_);
    if (state != nullptr) {
        if (state->find != INVALID_HANDLE_VALUE) {
            FindClose(state->find);
        }
        AppFree(state);
        state_ = nullptr;
    }
}
