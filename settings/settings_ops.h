// The platform queries the settings code needs, as one record of operations: the
// program's own path, the current folder, existence checks, folder creation and
// the shell's special folders. settings_ops_win.cpp fills it with the shell's
// calls, settings_ops_posix.cpp with a home-folder stand-in for the native tools
// and tests; tests fill it with fakes.
//
// Every operation may fail and says so. Paths are UTF-16 with '\' separators.
#pragma once

#include "app/str_buf.h"

enum class SpecialFolder : uint8_t {
    kDesktop,
    kDocuments,
    kPictures,
    kRoamingAppData,  // the user's roaming application-data folder
};

struct SettingsPlatformOps {
    void* context = nullptr;
    // The running program's full path.
    bool (*programPath)(void* context, StrBuf* out) = nullptr;
    bool (*setCurrentFolder)(void* context, const char16_t* folder) = nullptr;
    // True for an existing file that is not a folder.
    bool (*fileExists)(void* context, const char16_t* path) = nullptr;
    bool (*folderExists)(void* context, const char16_t* path) = nullptr;
    bool (*createFolder)(void* context, const char16_t* path) = nullptr;
    // The folder's file-system path; false when the shell does not give one.
    bool (*specialFolder)(void* context, SpecialFolder which, StrBuf* out) = nullptr;
    // Run once while the settings are loaded, before anything decodes: the shell
    // points it at the decoders' blend-table fill. May be null.
    void (*fillBlendTable)() = nullptr;
};

// The real operations of this build (the shell's on Windows).
const SettingsPlatformOps& PlatformSettingsOps();
