// The settings file's replacement on POSIX: a temporary file beside the target,
// written, fsync'ed, closed and renamed over the target; rename is atomic within
// a folder, so the target is always either the old file or the new one.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "platform/native_path.h"
#include "settings/settings_writer.h"

namespace {

constexpr char16_t kTempSuffix[] = u".tmp";

bool NativePath(const char16_t* path, char* out, size_t cap) {
    return ToNativePath(path, out, cap);
}

bool OpenTemp(void*, TempFile* temp, const char16_t* target) {
    temp->path.Assign(target);
    if (!temp->path.Append(kTempSuffix, TextLength(kTempSuffix))) {
        return false;
    }
    char native[4096];
    if (!NativePath(temp->path.Text(), native, sizeof native)) {
        return false;
    }
    int fd = open(native, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0) {
        return false;
    }
    temp->handle = fd;
    return true;
}

bool Write(void*, TempFile* temp, const uint8_t* data, uint32_t n) {
    uint32_t done = 0;
    while (done < n) {
        ssize_t w = write(static_cast<int>(temp->handle), data + done, n - done);
        if (w < 0 && errno == EINTR) {
            continue;
        }
        if (w <= 0) {
            return false;
        }
        done += static_cast<uint32_t>(w);
    }
    return true;
}

bool Close(void*, TempFile* temp) {
    int fd = static_cast<int>(temp->handle);
    temp->handle = -1;
    bool synced = fsync(fd) == 0;
    bool closed = close(fd) == 0;
    return synced && closed;
}

bool Replace(void*, TempFile* temp, const char16_t* target) {
    char from[4096];
    char to[4096];
    if (!NativePath(temp->path.Text(), from, sizeof from) || !NativePath(target, to, sizeof to)) {
        return false;
    }
    if (rename(from, to) != 0) {
        return false;
    }
    // Make the rename itself durable; a folder that cannot be synced is no
    // reason to call the save failed, the file is already in place.
    char* slash = nullptr;
    for (char* p = to; *p != 0; ++p) {
        if (*p == '/') {
            slash = p;
        }
    }
    if (slash != nullptr) {
        *slash = 0;
        int dir = open(slash == to ? "/" : to, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dir >= 0) {
            (void)fsync(dir);
            close(dir);
        }
    }
    return true;
}

void Discard(void*, TempFile* temp) {
    if (temp->handle >= 0) {
        close(static_cast<int>(temp->handle));
        temp->handle = -1;
    }
    char native[4096];
    if (temp->path.length > 0 && NativePath(temp->path.Text(), native, sizeof native)) {
        (void)unlink(native);
    }
}

const SettingsFileOps kOps = {nullptr, OpenTemp, Write, Close, Replace, Discard};

}  // namespace

const SettingsFileOps& PlatformSettingsFileOps() {
    return kOps;
}
