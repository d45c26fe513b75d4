#include "ui/full_screen_win.h"

#include <commctrl.h>

#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/image_view.h"
#include "ui/main_window.h"
#include "ui/reader.h"
#include "ui/tool_bar.h"
#include "view/layout.h"

namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kFullScreenStyle = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// What full screen returns to: the normal rectangle and the show state (1 or 3).
RECT gKeptRect{};
int32_t gReturnState = kShowNormal;

// The settings' default size of the normal window.
constexpr int32_t kDefaultWidth = 800;
constexpr int32_t kDefaultHeight = 600;

void SetStyle(HWND window, DWORD style) {
    const auto visible = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE)) & WS_VISIBLE;
    SetWindowLongPtrW(window, GWL_STYLE, static_cast<LONG_PTR>(style | visible));
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void SetFullScreenButtons(bool on) {
    if (gApp.toolBar == nullptr) {
        return;
    }
    SendMessageW(gApp.toolBar, TB_CHECKBUTTON, CMD_TOGGLE_FULL_SCREEN, MAKELPARAM(on ? TRUE : FALSE, 0));
    SendMessageW(gApp.toolBar, TB_HIDEBUTTON, CMD_MINIMIZE, MAKELPARAM(on ? FALSE : TRUE, 0));
    SendMessageW(gApp.toolBar, TB_HIDEBUTTON, CMD_CLOSE, MAKELPARAM(on ? FALSE : TRUE, 0));
}

void RelayoutAndRepaint() {
    RelayoutView(&gView);
    RepaintView();
}

LONG Clamp32(int64_t v) {
    return static_cast<LONG>(v < INT32_MIN ? INT32_MIN : v > INT32_MAX ? INT32_MAX : v);
}

// The saved rectangle, inside the work area of the monitor nearest to it.
RECT PlacementRect() {
    const SavedPlacement saved{gSettings.windowLeft, gSettings.windowTop, gSettings.windowWidth,
                               gSettings.windowHeight};
    // The rectangle that picks the monitor, kept within 32 bits.
    RECT r{saved.left, saved.top, Clamp32(int64_t{saved.left} + saved.width),
           Clamp32(int64_t{saved.top} + saved.height)};
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    if (GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &mi)) {
        r = FitIntoWorkArea(saved, mi.rcWork);
    }
    return r;
}

}  // namespace

RECT FitIntoWorkArea(const SavedPlacement& saved, const RECT& work) {
    // 64-bit: the saved values come from a file and may be anything. A size
    // that is not positive cannot be a window's: the default size stands in.
    const int64_t workWidth = int64_t{work.right} - work.left;
    const int64_t workHeight = int64_t{work.bottom} - work.top;
    int64_t width = saved.width > 0 ? saved.width : kDefaultWidth;
    int64_t height = saved.height > 0 ? saved.height : kDefaultHeight;
    width = width < workWidth ? width : workWidth;
    height = height < workHeight ? height : workHeight;
    const int64_t left = saved.left < work.left
                             ? work.left
                             : (saved.left < work.right - width ? saved.left : work.right - width);
    const int64_t top = saved.top < work.top
                            ? work.top
                            : (saved.top < work.bottom - height ? saved.top : work.bottom - height);
    return RECT{Clamp32(left), Clamp32(top), Clamp32(left + width), Clamp32(top + height)};
}

HWND PlaceMainWindow(int showCommand) {
    const RECT r = PlacementRect();
    HWND window = CreateMainWindow(r);
    if (window == nullptr) {
        return nullptr;
    }
    if (showCommand == SW_SHOWMINNOACTIVE) {
        // Started minimised in the background: no full screen to cover the user's work.
        gReturnState = kShowNormal;
        ShowWindow(window, SW_SHOWMINNOACTIVE);
    } else {
        const int32_t saved = gSettings.windowShowState == kShowMaximized ? kShowMaximized : kShowNormal;
        if (gSettings.fullScreen) {
            EnterFullScreen();
            gReturnState = saved;
        } else {
            const bool maximized = showCommand == SW_SHOWMAXIMIZED || saved == kShowMaximized;
            gReturnState = saved;
            ShowWindow(window, maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL);
        }
    }
    UpdateWindow(window);
    return window;
}

void EnterFullScreen() {
    HWND window = gApp.mainWindow;
    if (window == nullptr || gApp.fullScreen) {
        return;
    }
    gApp.fullScreen = true;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    if (GetWindowPlacement(window, &wp)) {
        gKeptRect = wp.rcNormalPosition;
        gReturnState = wp.showCmd == SW_SHOWMAXIMIZED ? kShowMaximized : kShowNormal;
    }
    SetStyle(window, kFullScreenStyle);
    // A maximised pop-up without a caption covers its whole monitor.
    ShowWindow(window, SW_SHOWMAXIMIZED);
    RelayoutAndRepaint();
    SetFullScreenButtons(true);
    RECT client;
    if (GetClientRect(window, &client)) {
        StretchPageSlider(client.right, 4);
    }
    SetForegroundWindow(window);
}

void LeaveFullScreen() {
    HWND window = gApp.mainWindow;
    if (window == nullptr || !gApp.fullScreen) {
        return;
    }
    gApp.fullScreen = false;
    SetFullScreenButtons(false);
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    const bool placed = GetWindowPlacement(window, &wp) != 0;
    wp.rcNormalPosition = gKeptRect;
    SetStyle(window, kWindowStyle | WS_VISIBLE);
    if (gReturnState == kShowMaximized) {
        // Maximised first, then the placement, so that a later restore goes to
        // the kept rectangle.
        ShowWindow(window, SW_SHOWMAXIMIZED);
        wp.showCmd = SW_SHOWMAXIMIZED;
        if (placed) {
            SetWindowPlacement(window, &wp);
        }
    } else {
        wp.showCmd = SW_SHOWNORMAL;
        if (placed) {
            SetWindowPlacement(window, &wp);
        }
        ShowWindow(window, SW_RESTORE);
    }
    RelayoutAndRepaint();
}

void FillWindowAtExit(WindowAtExit* w) {
    w->fullScreen = gApp.fullScreen;
    if (gApp.fullScreen) {
        w->keptShowState = gReturnState;
        w->kept = WindowRect{gKeptRect.left, gKeptRect.top, gKeptRect.right, gKeptRect.bottom};
    }
}
