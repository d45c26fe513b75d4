// Locating the settings file, once at start before anything else is read.
//
// The program must be called "Pagewick" (any letter case, any extension); its
// folder becomes the current folder. A "Pagewick.ini" already beside the program
// is used there (the portable case; the program never creates one there),
// otherwise the file lives in the user's application-data folder under
// "Pagewick", which is created when missing. On kFailed the caller shows
// "Failed to execute file." and ends.
#pragma once

#include "app/str_buf.h"
#include "settings/settings_ops.h"

enum class SettingsLocation : uint8_t {
    kFailed,
    kProgramFolder,
    kAppData,
};

// On success *path holds the settings file's full path.
[[nodiscard]] SettingsLocation SettingsLocate(const SettingsPlatformOps& ops, StrBuf* path);

// True when the program path's file name without its extension is "Pagewick",
// ASCII letters compared without regard to case.
[[nodiscard]] bool IsProgramNameAccepted(const char16_t* programPath, uint32_t n);
