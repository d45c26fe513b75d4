// The settings' platform queries on POSIX, for the native tools and tests: the
// program path from /proc, folders under the home folder in place of the shell's
// special folders, and the configuration folder as the application-data folder.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

#include "platform/native_path.h"
#include "platform/utf.h"
#include "settings/settings_ops.h"

namespace {

// A POSIX path as a program path: UTF-16 with '\' separators.
bool AssignNative(StrBuf* out, const char* native) {
    size_t n = std::strlen(native);
    size_t units = Utf8ToUtf16(native, n, nullptr, 0);
    if (units >= UINT32_MAX / 2 || out->ResetReserve(static_cast<uint32_t>(units)) == nullptr) {
        return false;
    }
    Utf8ToUtf16(native, n, out->buffer, units + 1);
    for (size_t i = 0; i < units; ++i) {
        if (out->buffer[i] == u'/') {
            out->buffer[i] = u'\\';
        }
    }
    out->length = static_cast<uint32_t>(units);
    out->buffer[units] = 0;
    return true;
}

bool ProgramPath(void*, StrBuf* out) {
    char path[4096];
    ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return false;
    }
    path[n] = 0;
    return AssignNative(out, path);
}

bool StatPath(const char16_t* path, struct stat* st) {
    char native[4096];
    return ToNativePath(path, native, sizeof native) && stat(native, st) == 0;
}

bool SetCurrentFolder(void*, const char16_t* folder) {
    char native[4096];
    return ToNativePath(folder, native, sizeof native) && chdir(native) == 0;
}

bool FileExists(void*, const char16_t* path) {
    struct stat st {};
    return StatPath(path, &st) && !S_ISDIR(st.st_mode);
}

bool FolderExists(void*, const char16_t* path) {
    struct stat st {};
    return StatPath(path, &st) && S_ISDIR(st.st_mode);
}

bool CreateFolder(void*, const char16_t* path) {
    char native[4096];
    return ToNativePath(path, native, sizeof native) && mkdir(native, 0700) == 0;
}

bool SpecialFolderPath(void*, SpecialFolder which, StrBuf* out) {
    const char* home = std::getenv("HOME");
    if (home == nullptr || home[0] == 0) {
        return false;
    }
    const char* sub = "/.config";
    switch (which) {
        case SpecialFolder::kDesktop:
            sub = "/Desktop";
            break;
        case SpecialFolder::kDocuments:
            sub = "/Documents";
            break;
        case SpecialFolder::kPictures:
            sub = "/Pictures";
            break;
        case SpecialFolder::kRoamingAppData:
            break;
    }
    char path[4096];
    size_t h = std::strlen(home);
    size_t s = std::strlen(sub);
    if (h + s + 1 > sizeof path) {
        return false;
    }
    std::memcpy(path, home, h);
    std::memcpy(path + h, sub, s);
    path[h + s] = 0;
    return AssignNative(out, path);
}

SettingsPlatformOps MakeOps() {
    SettingsPlatformOps ops;
    ops.programPath = ProgramPath;
    ops.setCurrentFolder = SetCurrentFolder;
    ops.fileExists = FileExists;
    ops.folderExists = FolderExists;
    ops.createFolder = CreateFolder;
    ops.specialFolder = SpecialFolderPath;
    return ops;
}

const SettingsPlatformOps kOps = MakeOps();

}  // namespace

const SettingsPlatformOps& PlatformSettingsOps() {
    return kOps;
}
