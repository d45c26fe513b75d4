// The one dispatcher of the reader's commands, and the ways of naming a book
// from outside: the command line, the open-file dialog and dropped files; and
// the shared error message box.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <cstdint>

#include "app/str_buf.h"

// commandWord: the command in the low 16 bits, 1 in the high 16 bits when it
// came from an accelerator key. sender: the control that sent it (the tool bar
// for its buttons and drop-downs, which reach the main window as WM_COMMAND) or
// null (menus, keys, mouse actions, internal calls).
void Dispatch(uint32_t commandWord, HWND sender);

// What a command line names: the path and the archive locator to start at.
struct CommandLineTarget {
    StrBuf path;
    uint32_t startLocator = 0;
};
// Reads the arguments after the program's own (argv[0]): a path, or an option
// ("/z" and digits: the locator) followed by the path. False when they name
// nothing.
bool ParseCommandLine(const wchar_t* const* argv, int argc, CommandLineTarget* out);
// Start-up: opens what the process command line names, if it exists.
void OpenCommandLine();
// The open-file dialog in folder (commands 5500, 5510 .. 5519).
void OpenDialog(const char16_t* folder);
// Files dropped on the main window: the first is opened; the drop is released.
void OpenDropped(HDROP drop);
// The shared error box: 30001 .. 30005 under caption 30000, 50001 .. 50024
// under caption 50000 (50011 and above after the text of 50007).
void ShowErrorBox(HWND owner, int id);

// The filter list of the open dialog as the dialog takes it: label, NUL,
// patterns, NUL, ..., and a final NUL. rarPresent and pluginPatterns (";"-joined,
// may be empty) add their entries.
void BuildOpenFilter(bool rarPresent, const char16_t* pluginPatterns, StrBuf* out);
