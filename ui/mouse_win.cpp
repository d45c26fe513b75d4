#include "ui/mouse_win.h"

#include <windowsx.h>

#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/dispatch.h"
#include "ui/reader.h"

MouseMachine gMouse;

namespace {

// Cursor resources 141 .. 144, in the order of MouseCursor's gesture values.
HCURSOR gGestureCursors[4] = {};

void Capture(void*) {
    if (gApp.imageView != nullptr) {
        SetCapture(gApp.imageView);
    }
}

void Release(void*) {
    ReleaseCapture();
}

void RunAction(void*, int32_t index) {
    RunMouseAction(index);
}

void SetMouseCursor(void*, MouseCursor cursor) {
    const int i = static_cast<int>(cursor);
    HCURSOR c = i < 4 ? gGestureCursors[i] : gApp.noCursor;
    if (c != nullptr) {
        SetCursor(c);
    }
}

// The platform keeps a counter: the cursor shows while it is 0 or more. One step
// per change keeps it where the program's flag says, whoever else moves it.
void StepCursorCounter(void*, bool show) {
    ShowCursor(show ? TRUE : FALSE);
}

bool ViewCursorPosition(void*, int32_t* x, int32_t* y) {
    POINT p;
    if (gApp.imageView == nullptr || !GetCursorPos(&p) || !ScreenToClient(gApp.imageView, &p)) {
        return false;
    }
    *x = p.x;
    *y = p.y;
    return true;
}

void ReadChrome(void*, MouseChrome* out) {
    out->appActive = gApp.appActive;
    out->fullScreen = gApp.fullScreen;
    out->barAutoHide = gSettings.fullScreenBarAutoHide;
    out->barShown = gApp.barShown;
    out->paneMode = gSettings.paneMode;
    out->paneShown = gApp.paneShown;
    out->paneTimerRunning = gApp.paneTimerRunning;
}

void ShowBar(void*, bool show) {
    if (gApp.bar != nullptr) {
        if (show) {
            // Over the client area, which starts under it in full screen.
            SetWindowPos(gApp.bar, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
        } else {
            ShowWindow(gApp.bar, SW_HIDE);
        }
    }
    gApp.barShown = show;
}

void ShowPane(void*) {
    if (gApp.pane != nullptr) {
        SetWindowPos(gApp.pane, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
    }
    gApp.paneShown = true;
}

void StartPaneTimer(void*) {
    if (gApp.mainWindow != nullptr &&
        SetTimer(gApp.mainWindow, kPaneTimer, static_cast<UINT>(gSettings.paneHideDelay), nullptr) != 0) {
        gApp.paneTimerRunning = true;
    }
}

uint32_t Keys(WPARAM wParam) {
    return static_cast<uint32_t>(GET_KEYSTATE_WPARAM(wParam));
}

}  // namespace

void LoadGestureCursors(HINSTANCE instance) {
    for (int i = 0; i < 4; ++i) {
        gGestureCursors[i] = static_cast<HCURSOR>(
            LoadImageW(instance, MAKEINTRESOURCEW(141 + i), IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    }
}

void MouseInitShell() {
    MouseOps ops{};
    ops.capture = Capture;
    ops.releaseCapture = Release;
    ops.runAction = RunAction;
    ops.setCursor = SetMouseCursor;
    ops.stepCursorCounter = StepCursorCounter;
    ops.cursorPosition = ViewCursorPosition;
    ops.readChrome = ReadChrome;
    ops.showBar = ShowBar;
    ops.showPane = ShowPane;
    ops.startPaneTimer = StartPaneTimer;
    // The cursor's state survives a new table (the counter was moved for it).
    const bool shown = gMouse.cursorShown;
    MouseInit(&gMouse, &gView, &ops);
    gMouse.cursorShown = shown;
}

void RunMouseAction(int32_t index) {
    if (index < 0 || static_cast<uint32_t>(index) >= kMouseActionCount) {
        return;
    }
    const int32_t command = gSettings.mouseActions[index];
    if (command != 0) {
        Dispatch(static_cast<uint32_t>(command), nullptr);
    }
}

void SetCursorShown(bool show) {
    MouseSetCursorShown(&gMouse, show);
}

bool CursorShown() {
    return gMouse.cursorShown;
}

bool MouseActionInProgress() {
    return MouseBusy(gMouse);
}

bool HandleViewMouse(HWND, UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) {
    const int32_t x = GET_X_LPARAM(lParam);
    const int32_t y = GET_Y_LPARAM(lParam);
    *result = 0;
    switch (message) {
        case WM_MOUSEMOVE:
            MouseOnMove(&gMouse, x, y);
            return true;
        case WM_LBUTTONDOWN:
            MouseOnLeftDown(&gMouse, Keys(wParam), x, y);
            return true;
        case WM_LBUTTONUP:
            MouseOnLeftUp(&gMouse, x, y);
            return true;
        case WM_RBUTTONDOWN:
            MouseOnRightDown(&gMouse, Keys(wParam), x, y);
            return true;
        case WM_RBUTTONUP:
            MouseOnRightUp(&gMouse, x, y);
            return true;
        case WM_MBUTTONDOWN:
            MouseOnMiddleDown(&gMouse, Keys(wParam));
            return true;
        case WM_XBUTTONDOWN:
            MouseOnExtraDown(&gMouse, GET_XBUTTON_WPARAM(wParam) == XBUTTON1 ? 1 : 2, Keys(wParam));
            *result = TRUE;
            return true;
        case WM_CAPTURECHANGED:
            MouseOnCaptureLost(&gMouse);
            return true;
        default:
            return false;
    }
}

void HandleWheel(WPARAM wParam) {
    MouseOnWheel(&gMouse, Keys(wParam), GET_WHEEL_DELTA_WPARAM(wParam));
}
