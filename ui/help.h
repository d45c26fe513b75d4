// The help command and the program's own web addresses. CMD_HELP opens the help
// file beside the program (the program's path with the extension ".chm") in the
// HTML Help viewer; without one, or when the viewer cannot open it, the shell
// opens the on-line help page. The about box's link goes through the same shell
// operation.
//
// The system calls go through HelpOps so that a test sees what was asked of
// HTML Help and of the shell without a viewer or a browser.
#pragma once

#include <windows.h>

// The maker's web page (the about box's link) and the on-line help page.
inline constexpr wchar_t kWebAddress[] = L"https://pagewick.example/";
inline constexpr wchar_t kHelpAddress[] = L"https://pagewick.example/help/";

struct HelpOps {
    // True when path names an existing file (not a folder).
    bool (*fileExists)(const wchar_t* path);
    // Shows the help file's default topic without an owner; false when the viewer
    // could not open it.
    bool (*showHelpFile)(const wchar_t* path);
    // Asks the shell to open address, shown, without the shell's error dialogs.
    void (*openAddress)(const wchar_t* address);
};

// The operations in use: the system's, or those a test put in place.
const HelpOps& CurrentHelpOps();
// Puts ops in place (null: the system's again). For tests.
void SetHelpOps(const HelpOps* ops);

// The help file's path for a program at programPath: the extension (from the
// last '.' after the last '\') replaced by ".chm", or ".chm" appended. False when
// it does not fit in out (capacity characters with the terminator).
bool HelpFilePath(const wchar_t* programPath, wchar_t* out, size_t capacity);

// CMD_HELP for a program at programPath; ShowHelp uses the running program's path.
void ShowHelpFor(const wchar_t* programPath);
void ShowHelp();
