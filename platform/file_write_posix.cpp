// Native file writing for tests and tools: POSIX descriptors, times through
// futimens, temporary files from mkstemp under $TMPDIR or /tmp.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/dir.h"
#include "platform/file.h"
#include "platform/native_path.h"
#include "platform/utf.h"

namespace {
constexpr uint64_t kEpochFiletime = 116444736000000000ull;
constexpr size_t kNativePathMax = 4096;

bool CopyBytes(int from, int to) {
    // The kernel copies without a trip through user memory where it can.
    for (;;) {
        ssize_t n = copy_file_range(from, nullptr, to, nullptr, 1 << 30, 0);
        if (n == 0) {
            return true;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            break;  // not offered between these files: copy by hand from where it stopped
        }
    }
    char buffer[65536];
    for (;;) {
        ssize_t r = read(from, buffer, sizeof buffer);
        if (r < 0 && errno == EINTR) {
            continue;
        }
        if (r < 0) {
            return false;
        }
        if (r == 0) {
            return true;
        }
        ssize_t done = 0;
        while (done < r) {
            ssize_t w = write(to, buffer + done, static_cast<size_t>(r - done));
            if (w < 0 && errno == EINTR) {
                continue;
            }
            if (w <= 0) {
                return false;
            }
            done += w;
        }
    }
}
}  // namespace

FileId FileCreateWrite(const char16_t* path) {
    char native[kNativePathMax];
    if (!ToNativePath(path, native, sizeof native) || native[0] == 0) {
        return kNoFile;
    }
    int fd = open(native, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    return fd < 0 ? kNoFile : fd;
}

bool FileWriteAll(FileId file, const void* data, size_t n) {
    const auto* p = static_cast<const char*>(data);
    while (n > 0) {
        ssize_t w = write(static_cast<int>(file), p, n);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            return false;
        }
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

bool FileSetTime(FileId file, uint64_t filetime) {
    if (filetime < kEpochFiletime) {
        return false;
    }
    uint64_t ticks = filetime - kEpochFiletime;
    struct timespec times[2]{};
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = static_cast<time_t>(ticks / 10000000ull);
    times[1].tv_nsec = static_cast<long>((ticks % 10000000ull) * 100);
    return futimens(static_cast<int>(file), times) == 0;
}

bool FileCopyReplace(const char16_t* from, const char16_t* to) {
    char src[kNativePathMax];
    char dst[kNativePathMax];
    if (!ToNativePath(from, src, sizeof src) || !ToNativePath(to, dst, sizeof dst)) {
        return false;
    }
    int in = open(src, O_RDONLY | O_CLOEXEC);
    if (in < 0) {
        return false;
    }
    struct stat st {};
    int out = -1;
    bool ok = fstat(in, &st) == 0 && !S_ISDIR(st.st_mode);
    if (ok) {
        out = open(dst, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        ok = out >= 0 && CopyBytes(in, out);
    }
    if (ok) {
        // The copy keeps the source's last-write time, as the Windows copy does.
        struct timespec times[2]{};
        times[0].tv_nsec = UTIME_OMIT;
        times[1] = st.st_mtim;
        ok = futimens(out, times) == 0;
    }
    if (out >= 0) {
        ok = close(out) == 0 && ok;
    }
    close(in);
    return ok;
}

bool FileDelete(const char16_t* path) {
    char native[kNativePathMax];
    return ToNativePath(path, native, sizeof native) && unlink(native) == 0;
}

bool FileMakeTemp(char16_t* out, uint32_t cap) {
    const char* dir = std::getenv("TMPDIR");
    if (dir == nullptr || dir[0] == 0) {
        dir = "/tmp";
    }
    char name[kNativePathMax];
    const int n = std::snprintf(name, sizeof name, "%s/tmpXXXXXX", dir);
    if (n < 0 || static_cast<size_t>(n) >= sizeof name) {
        return false;
    }
    int fd = mkstemp(name);
    if (fd < 0) {
        return false;
    }
    close(fd);
    size_t units = Utf8ToUtf16(name, std::strlen(name), out, cap);
    if (units + 1 > cap) {
        unlink(name);
        return false;
    }
    for (size_t i = 0; i < units; ++i) {
        if (out[i] == u'/') {
            out[i] = u'\\';
        }
    }
    return true;
}

bool FolderCreate(const char16_t* path) {
    char native[kNativePathMax];
    return ToNativePath(path, native, sizeof native) && native[0] != 0 && mkdir(native, 0755) == 0;
}

bool GetPathTime(const char16_t* path, uint64_t* filetime) {
    char native[kNativePathMax];
    struct stat st {};
    if (!ToNativePath(path, native, sizeof native) || native[0] == 0 || stat(native, &st) != 0 ||
        st.st_mtim.tv_sec < 0) {
        return false;
    }
    *filetime = kEpochFiletime + static_cast<uint64_t>(st.st_mtim.tv_sec) * 10000000ull +
                static_cast<uint64_t>(st.st_mtim.tv_nsec) / 100;
    return true;
}
