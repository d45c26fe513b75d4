// The main window: its class registration, creation and the shut-down sequence it
// runs on a close request.
#pragma once

#include <windows.h>

inline constexpr wchar_t kMainClass[] = L"Pagewick_main_class";

bool RegisterWindowClasses(HINSTANCE instance);
HWND CreateMainWindow(int showCommand);
