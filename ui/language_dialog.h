// The language dialog (CMD_LANGUAGE, template 2100): the language libraries
// beside the program in an owner-drawn list, and the switch to the one chosen.
#pragma once

#include <windows.h>

void RunLanguageDialog(HWND owner);
// The switch itself: nothing when name is the loaded language (any letter
// case); otherwise the library is loaded and everything re-texted. False when
// nothing changed, including when name is no usable library.
bool SwitchToLanguage(const char16_t* name);
