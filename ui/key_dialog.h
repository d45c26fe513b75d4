// The key and mouse dialog (CMD_KEY_SETTINGS, template 2000): the 42 bindings
// with their keys and mouse actions in one list, edited on working copies and
// made live when the dialog closes (there is no cancel).
#pragma once

#include <windows.h>

void RunKeyDialog(HWND owner);
