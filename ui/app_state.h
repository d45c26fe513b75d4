// Program-wide state of the Windows shell: the instance, the fonts and cursors
// created at start, and the main window. Set during start-up on the user-interface
// thread and read there only.
#pragma once

#include <windows.h>

#include "app/str_buf.h"

struct AppState {
    HINSTANCE instance = nullptr;
    HWND mainWindow = nullptr;
    HFONT interfaceFont = nullptr;
    HFONT menuFont = nullptr;
    HCURSOR arrowCursor = nullptr;
    HCURSOR waitCursor = nullptr;
    HCURSOR noCursor = nullptr;
    HACCEL accelerators = nullptr;
    bool acceleratorsSuspended = false;
    StrBuf languageFile;
};

extern AppState gApp;
