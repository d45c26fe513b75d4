// Full screen and the main window's first placement: the switch of the main
// window into a pop-up that covers its monitor and back to the window it was
// (with the normal rectangle and the maximised state kept across), the tool
// bar's full-screen buttons and slider, and what the settings save of it at exit.
//
// Call order: PlaceMainWindow at start-up (creates, places and shows the main
// window, entering full screen when the settings say so) → EnterFullScreen and
// LeaveFullScreen from the command → FillWindowAtExit when the settings are saved.
#pragma once

#include <windows.h>

#include <cstdint>

struct WindowAtExit;

// Creates the main window inside the nearest work area and shows it: minimised
// without activation when the process was started so, full screen when it was
// left so, else normal or maximised as saved. Null when it cannot be created.
HWND PlaceMainWindow(int showCommand);
// The normal-window rectangle as the settings keep it.
struct SavedPlacement {
    int32_t left;
    int32_t top;
    int32_t width;
    int32_t height;
};
// The saved rectangle moved and shrunk into a work area: no wider or taller
// than it, all four edges inside it. A width or height that is not positive
// gives the default size (800 x 600) instead.
RECT FitIntoWorkArea(const SavedPlacement& saved, const RECT& work);
void EnterFullScreen();
void LeaveFullScreen();
// The full-screen part of the window state at exit: the flag, and the show state
// and normal rectangle kept when full screen began.
void FillWindowAtExit(WindowAtExit* w);
