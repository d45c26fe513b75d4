// Program-wide state of the Windows shell: the instance, the fonts and cursors
// created at start, the windows of the reader kept for the whole run, and the
// flags that route messages between them. Set during start-up and by the windows'
// creation messages on the user-interface thread, and read there only.
//
// Every HWND here is borrowed: the windows belong to the window tree and go with
// the main window. The fonts, the menus and the accelerator table are owned here;
// the shut-down sequence (main_window_win.cpp) and RunProgram reset them at their
// places in the shut-down order. The tool bar's image list is released by the
// shut-down sequence.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include "app/str_buf.h"
#include "ui/gdi_owner.h"

// Which control of the browser pane the cursor is over.
enum HoverTarget : int { kHoverNone = 0, kHoverPane = 1, kHoverTree = 2, kHoverList = 3 };

struct AppState {
    HINSTANCE instance = nullptr;
    FontOwner interfaceFont;
    FontOwner menuFont;
    HCURSOR arrowCursor = nullptr;
    HCURSOR waitCursor = nullptr;
    HCURSOR noCursor = nullptr;
    HCURSOR splitterCursor = nullptr;  // over the pane's right edge
    AcceleratorOwner accelerators;
    MenuOwner menus;  // the container of the five popups, once built

    // The window tree.
    HWND mainWindow = nullptr;
    HMENU systemMenu = nullptr;
    HWND toolTip = nullptr;
    HWND bar = nullptr;
    HWND toolBar = nullptr;
    HWND pageText = nullptr;
    HWND pageSlider = nullptr;
    HWND client = nullptr;
    HWND pane = nullptr;
    HWND imageView = nullptr;
    HDC imageDc = nullptr;  // the image view's private device context
    HWND folderTree = nullptr;
    HWND fileList = nullptr;
    HIMAGELIST toolBarImages = nullptr;
    SIZE buttonSize{};
    int textHeight = 0;  // the interface font's text height

    // Routing flags.
    bool appActive = false;
    bool acceleratorsSuspended = false;
    bool barShown = false;
    int hoverTarget = kHoverNone;
    bool fullScreen = false;
    bool paneShown = false;  // auto-hide pane shown by the mouse
    bool paneTimerRunning = false;
};

extern AppState gApp;

// Window and control identifiers of the window tree.
constexpr int kIdImageView = 1000;
constexpr int kIdClient = 1010;
constexpr int kIdBar = 1020;
constexpr int kIdToolBar = 1021;
constexpr int kIdPageText = 1022;
constexpr int kIdPageSlider = 1023;
constexpr int kIdPane = 1030;
constexpr int kIdFolderTree = 1032;
constexpr int kIdFileList = 1033;

// The browser pane's auto-hide timer on the main window.
constexpr UINT_PTR kPaneTimer = 100000;
// Height of the bar above the client area.
constexpr int kBarHeight = 24;
