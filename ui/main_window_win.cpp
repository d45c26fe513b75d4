#include "ui/main_window.h"
#include "ui/settings_io.h"

#include <commctrl.h>

#include <utility>

#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/dispatch.h"
#include "ui/file_job_win.h"
#include "ui/image_view.h"
#include "ui/menus.h"
#include "ui/mouse_win.h"
#include "ui/pane.h"
#include "ui/reader.h"
#include "ui/tool_bar.h"
#include "view/book.h"
#include "view/loader.h"

namespace {

constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
constexpr DWORD kMainExStyle = WS_EX_APPWINDOW | WS_EX_ACCEPTFILES;
constexpr int kMinTrackSize = 400;

HMENU ChildId(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

bool BarAutoHidden() {
    return gApp.fullScreen && gSettings.fullScreenBarAutoHide;
}

int MeasureTextHeight(HWND window) {
    WindowDc dc(window);
    if (dc.get() == nullptr) {
        return 0;
    }
    TEXTMETRICW tm{};
    if (gApp.interfaceFont.valid()) {
        SelectGuard font(dc.get(), gApp.interfaceFont.get());
        GetTextMetricsW(dc.get(), &tm);
    } else {
        GetTextMetricsW(dc.get(), &tm);
    }
    return tm.tmHeight;
}

HWND CreateToolTipWindow(HWND owner) {
    HWND tip =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP, CW_USEDEFAULT, CW_USEDEFAULT,
                        CW_USEDEFAULT, CW_USEDEFAULT, owner, nullptr, gApp.instance, nullptr);
    if (tip != nullptr) {
        SendMessageW(tip, TTM_SETDELAYTIME, TTDT_INITIAL, MAKELPARAM(300, 0));
        SendMessageW(tip, TTM_SETTIPBKCOLOR, 0xFFFFFF, 0);
    }
    return tip;
}

void OnCreate(HWND window, const CREATESTRUCTW* cs) {
    gApp.mainWindow = window;
    ReaderSetResultWindow(window);
    gApp.textHeight = MeasureTextHeight(window);
    gApp.systemMenu = GetSystemMenu(window, FALSE);
    gApp.toolTip = CreateToolTipWindow(window);
    // The client size follows from the creation size less the frame of such a window.
    RECT frame{0, 0, 0, 0};
    AdjustWindowRectEx(&frame, kMainStyle, FALSE, kMainExStyle);
    const int width = cs->cx - (frame.right - frame.left);
    const int height = cs->cy - (frame.bottom - frame.top);
    const int y = BarAutoHidden() ? 0 : kBarHeight;
    CreateWindowExW(0, kBarClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, width, kBarHeight, window,
                    ChildId(kIdBar), gApp.instance, nullptr);
    CreateWindowExW(0, kClientClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, y,
                    width, height - y, window, ChildId(kIdClient), gApp.instance, nullptr);
    gApp.barShown = true;
}

void OnActivateApp(bool active) {
    gApp.appActive = active;
    if (active) {
        ReloadIfChanged();
        return;
    }
    WatchFolder(&gBook);
    if (BarAutoHidden() && gApp.barShown) {
        ShowWindow(gApp.bar, SW_HIDE);
        gApp.barShown = false;
    }
}

// The font of menus from the system's non-client metrics; null when they cannot be read.
HFONT CreateMenuFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return nullptr;
    }
    return CreateFontIndirectW(&metrics.lfMenuFont);
}

void ForgetWindows() {
    gApp.mainWindow = nullptr;
    gApp.systemMenu = nullptr;
    gApp.toolTip = nullptr;
    gApp.bar = nullptr;
    gApp.toolBar = nullptr;
    gApp.pageText = nullptr;
    gApp.pageSlider = nullptr;
    gApp.client = nullptr;
    gApp.pane = nullptr;
    gApp.imageView = nullptr;
    gApp.imageDc = nullptr;
    gApp.folderTree = nullptr;
    gApp.fileList = nullptr;
    gApp.barShown = false;
    gApp.hoverTarget = kHoverNone;
    gApp.acceleratorsSuspended = false;
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            OnCreate(window, reinterpret_cast<CREATESTRUCTW*>(lParam));
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY:
            ForgetWindows();
            break;
        case WM_SIZE:
            if (wParam != SIZE_MINIMIZED) {
                LayoutMain(LOWORD(lParam), HIWORD(lParam));
            } else {
                // Nothing is turned while minimised: the blocks kept for the next
                // pages go back to the system.
                BlockReserveRelease(PictureReserve());
            }
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the bar and the client area cover the whole client rectangle
        case WM_CLOSE:
            ShutDown(window, false);
            return 0;
        case WM_ENDSESSION:
            if (wParam != 0) {
                ShutDown(window, true);
            }
            return 0;
        case WM_SETTINGCHANGE:
            LoadCursorsAndMenuFont();
            return 0;
        case WM_ACTIVATEAPP:
            OnActivateApp(wParam != 0);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = kMinTrackSize;
            info->ptMinTrackSize.y = kMinTrackSize;
            return 0;
        }
        case WM_DRAWITEM:
            if (DrawMenuItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) {
                return TRUE;
            }
            break;
        case WM_MEASUREITEM:
            if (MeasureMenuItem(reinterpret_cast<MEASUREITEMSTRUCT*>(lParam))) {
                return TRUE;
            }
            break;
        case WM_COMMAND:
            Dispatch(static_cast<uint32_t>(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kPaneTimer) {
                KillTimer(window, kPaneTimer);
                if (gApp.pane != nullptr) {
                    ShowWindow(gApp.pane, SW_HIDE);
                }
                gApp.paneShown = false;
                gApp.paneTimerRunning = false;
            }
            return 0;
        case WM_INITMENUPOPUP:
            UpdateMenuState(reinterpret_cast<HMENU>(wParam), HIWORD(lParam) != 0);
            return 0;
        case WM_MOUSEWHEEL:
            HandleWheel(wParam);
            return 0;
        case WM_DROPFILES:
            if (IsWindowEnabled(window)) {
                OpenDropped(reinterpret_cast<HDROP>(wParam));
            } else {
                DragFinish(reinterpret_cast<HDROP>(wParam));
            }
            return 0;
        case WM_PAGE_LOADED:
            ReaderPageLoaded(static_cast<int32_t>(wParam), reinterpret_cast<void*>(lParam));
            return 0;
        case kFileJobMessage:
            return OnJobFinished(wParam, lParam);
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK ClientProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            gApp.client = window;
            const auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            CreateWindowExW(0, kPaneClass, nullptr, WS_CHILD | WS_CLIPCHILDREN, 0, 0, gSettings.paneWidth,
                            cs->cy, window, ChildId(kIdPane), gApp.instance, nullptr);
            if (gApp.pane != nullptr && gSettings.paneMode == 0) {
                ShowWindow(gApp.pane, SW_SHOW);
            }
            const int x = gSettings.paneMode == 0 ? gSettings.paneWidth : 0;
            CreateWindowExW(0, kImageViewClass, nullptr,
                            WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, x, 0, cs->cx - x,
                            cs->cy, window, ChildId(kIdImageView), gApp.instance, nullptr);
            return 0;
        }
        case WM_SIZE:
            LayoutClient(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_ERASEBKGND:
            return 1;
        case WM_DESTROY:
            gApp.client = nullptr;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

bool Register(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style, HICON icon) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hIcon = icon;
    wc.hCursor = gApp.arrowCursor;
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

void LoadCursorsAndMenuFont() {
    gApp.arrowCursor = LoadCursorW(nullptr, IDC_ARROW);
    gApp.waitCursor = LoadCursorW(nullptr, IDC_WAIT);
    gApp.noCursor = LoadCursorW(nullptr, IDC_NO);
    gApp.splitterCursor = LoadCursorW(gApp.instance, MAKEINTRESOURCEW(140));
    if (gApp.splitterCursor == nullptr) {
        gApp.splitterCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    }
    // A font that cannot be made leaves the one there was.
    FontOwner font(CreateMenuFont());
    if (font.valid()) {
        gApp.menuFont = std::move(font);
    }
}

bool RegisterWindowClasses(HINSTANCE instance) {
    const UINT redraw = CS_HREDRAW | CS_VREDRAW;
    HICON icon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(100), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    return Register(instance, kMainClass, MainProc, redraw, icon) &&
           Register(instance, kBarClass, BarProc, redraw, nullptr) &&
           Register(instance, kClientClass, ClientProc, redraw, nullptr) &&
           Register(instance, kPaneClass, PaneProc, redraw, nullptr) &&
           Register(instance, kImageViewClass, ImageViewProc, redraw | CS_OWNDC, nullptr);
}

HWND CreateMainWindow(const RECT& r) {
    return CreateWindowExW(kMainExStyle, kMainClass, L"Pagewick", kMainStyle, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, nullptr, nullptr, gApp.instance, nullptr);
}

void LayoutMain(int width, int height) {
    if (gApp.bar != nullptr) {
        SetWindowPos(gApp.bar, nullptr, 0, 0, width, kBarHeight, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int y = BarAutoHidden() ? 0 : kBarHeight;
    if (gApp.client != nullptr) {
        SetWindowPos(gApp.client, nullptr, 0, y, width, height - y, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (gApp.fullScreen) {
        return;
    }
    ShowBarIfHidden();
    StretchPageSlider(width, 2);
}

void LayoutClient(int width, int height) {
    const int paneWidth = gSettings.paneWidth;
    if (gApp.pane != nullptr) {
        SetWindowPos(gApp.pane, nullptr, 0, 0, paneWidth, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    const int x = gSettings.paneMode == 0 ? paneWidth : 0;
    if (gApp.imageView != nullptr) {
        SetWindowPos(gApp.imageView, nullptr, x, 0, width - x, height, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void RelayoutClient() {
    RECT r;
    if (gApp.client != nullptr && GetClientRect(gApp.client, &r)) {
        LayoutClient(r.right, r.bottom);
    }
}

bool ShutDown(HWND window, bool forced) {
    // A running file job keeps the program open unless the session is ending.
    if (!forced && FileJobRunning()) {
        return false;
    }
    EndJob();
    ReaderStopLoader();
    gBook.book.changeWatch.reset();
    RemovePaneSubclasses();
    RemoveBarSubclasses();
    // The resume entry is taken while the book and the view position still exist.
    ReaderRecordResume();
    ReaderRelease();
    DestroyToolBarImages();
    DestroyMenus();
    ReaderSyncSettings();
    SaveProgramSettings(window, gApp.accelerators.get());
    gApp.accelerators.reset();
    gApp.menuFont.reset();
    DestroyWindow(window);
    return true;
}
