// The platform queries the settings code needs, as one record of operations: the
// program's own path, the current folder, existence checks, folder creation and
// the shell's special folders; and two hooks into the layers above, which the
// shell sets (the blend-table fill and the command table). settings_ops_win.cpp
// fills it with the shell's calls, settings_ops_posix.cpp with a home-folder
// stand-in for the native tools and tests; tests fill it with fakes.
//
// Every operation may fail and says so. Paths are UTF-16 with '\' separators.
#pragma once

#include <cstdint>

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
    // Whether a number is a command the program carries out: the shell points it
    // at its command table. Stored key records for anything else are dropped at
    // load. May be null: then only the 42 bindings' commands count.
    bool (*isCommand)(int32_t command) = nullptr;
};

// The real operations of this build (the shell's on Windows).
const SettingsPlatformOps& PlatformSettingsOps();
