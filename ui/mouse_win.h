// The image view's mouse in the shell: the program's mouse machine (view/mouse.h)
// with its table filled by the real windows (capture, the gesture cursors 141 ..
// 144, the cursor's show counter, the full-screen bar, the auto-hide pane), the
// one place that runs a mouse action's command, and the cursor's shown state.
//
// Call order: LoadGestureCursors at start-up (after the instance is known) →
// MouseInitShell once the reading view exists → HandleViewMouse from the image
// view's procedure and the wheel from the main window's → SetCursorShown and
// MouseActionInProgress from the dispatcher and the pane.
#pragma once

#include <windows.h>

#include <cstdint>

#include "view/mouse.h"

extern MouseMachine gMouse;

void LoadGestureCursors(HINSTANCE instance);
void MouseInitShell();
// Runs the command bound to mouse action index (0 .. 11) through the dispatcher.
void RunMouseAction(int32_t index);
// Hides or shows the cursor, moving the platform's counter one step per change.
void SetCursorShown(bool show);
bool CursorShown();
bool MouseActionInProgress();
// The image view's button, move and capture messages; true when handled (result
// in *result).
bool HandleViewMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
// The main window's wheel message.
void HandleWheel(WPARAM wParam);
