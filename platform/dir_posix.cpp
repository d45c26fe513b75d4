// Native folders for tests and tools: opendir/readdir with one fstatat per entry.
// There are no 8.3 aliases here.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>

#include "platform/dir.h"
#include "platform/heap.h"
#include "platform/native_path.h"
#include "platform/utf.h"

namespace {
// FILETIME of the Unix epoch: seconds from 1601 to 1970, in 100 ns units.
constexpr uint64_t kEpochFiletime = 116444736000000000ull;
constexpr size_t kNativePathMax = 4096;

struct DirState {
    DIR* dir;
    char16_t name[512];  // a 255-byte UTF-8 name never needs more units
    char16_t noShortName[1];
};

uint64_t FiletimeOf(const struct stat& st) {
    if (st.st_mtim.tv_sec < 0) {
        return 0;
    }
    return kEpochFiletime + static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000ull +
           static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
}
}  // namespace

PathKind GetPathKind(const char16_t* path) {
    char native[kNativePathMax];
    if (!ToNativePath(path, native, sizeof native) || native[0] == 0) {
        return PathKind::kNone;
    }
    struct stat st {};
    if (stat(native, &st) != 0) {
        return PathKind::kNone;
    }
    return S_ISDIR(st.st_mode) ? PathKind::kFolder : PathKind::kFile;
}

bool DirReader::Open(const char16_t* folder) {
    Close();
    char native[kNativePathMax];
    if (!ToNativePath(folder, native, sizeof native) || native[0] == 0) {
        return false;
    }
    auto* state = static_cast<DirState*>(AppAllocZero(sizeof(DirState)));
    if (state == nullptr) {
        return false;
    }
    state->dir = opendir(native);
    if (state->dir == nullptr) {
        AppFree(state);
        return false;
    }
    state_ = state;
    return true;
}

bool DirReader::Next(DirEntry* entry) {
    auto* state = static_cast<DirState*>(state_);
    if (state == nullptr) {
        return false;
    }
    for (;;) {
        const struct dirent* d = readdir(state->dir);
        if (d == nullptr) {
            return false;
        }
        const char* name = d->d_name;
        if (name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0))) {
            continue;
        }
        struct stat st {};
        int fd = dirfd(state->dir);
        // A dangling link still shows, as Windows lists a broken reparse point.
        if (fstatat(fd, name, &st, 0) != 0 && fstatat(fd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        size_t bytes = std::strlen(name);
        size_t units = Utf8ToUtf16(name, bytes, state->name, sizeof state->name / sizeof state->name[0]);
        if (units >= sizeof state->name / sizeof state->name[0]) {
            continue;
        }
        bool isFolder = S_ISDIR(st.st_mode);
        uint32_t attributes = 0;
        if (isFolder) {
            attributes |= kAttrFolder;
        }
        if ((st.st_mode & 0222) == 0) {
            attributes |= kAttrReadOnly;
        }
        if (name[0] == '.') {
            attributes |= kAttrHidden;
        }
        if (attributes == 0) {
            attributes = kAttrNormal;
        }
        state->noShortName[0] = 0;
        entry->name = state->name;
        entry->nameLength = static_cast<uint32_t>(units);
        entry->shortName = state->noShortName;
        entry->shortNameLength = 0;
        entry->attributes = attributes;
        entry->isFolder = isFolder;
        entry->size = isFolder || st.st_size < 0 ? 0 : static_cast<uint64_t>(st.st_size);
        entry->modified = FiletimeOf(st);
        return true;
    }
}

void DirReader::Close() {
    auto* state = static_cast<DirState*>(state_);
    if (state != nullptr) {
        closedir(state->dir);
        AppFree(state);
        state_ = nullptr;
    }
}
