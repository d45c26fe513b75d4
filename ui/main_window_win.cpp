#include "ui/main_window.h"

#include "ui/app_state.h"

namespace {

// Shut-down sequence of a close request; the window's destruction then ends the
// message loop.
void ShutDown(HWND window) {
    if (gApp.menuFont != nullptr) {
        DeleteObject(gApp.menuFont);
        gApp.menuFont = nullptr;
    }
    if (gApp.accelerators != nullptr) {
        DestroyAcceleratorTable(gApp.accelerators);
        gApp.accelerators = nullptr;
    }
    DestroyWindow(window);
}

LRESULT CALLBACK MainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            ShutDown(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        case WM_GETMINMAXINFO: {
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMinTrackSize.x = 400;
            info->ptMinTrackSize.y = 400;
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            FillRect(dc, &ps.rcPaint, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
            EndPaint(window, &ps);
            return 0;
        }
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

}  // namespace

bool RegisterWindowClasses(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = MainProc;
    wc.hInstance = instance;
    wc.hIcon = static_cast<HICON>(
        LoadImageW(instance, MAKEINTRESOURCEW(100), IMAGE_ICON, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    wc.hCursor = gApp.arrowCursor;
    wc.lpszClassName = kMainClass;
    return RegisterClassExW(&wc) != 0;
}

HWND CreateMainWindow(int showCommand) {
    HWND window = CreateWindowExW(WS_EX_APPWINDOW | WS_EX_ACCEPTFILES, kMainClass, L"Pagewick",
                                  WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, CW_USEDEFAULT, CW_USEDEFAULT, 1024,
                                  768, nullptr, nullptr, gApp.instance, nullptr);
    if (window == nullptr) {
        return nullptr;
    }
    gApp.mainWindow = window;
    ShowWindow(window, showCommand);
    UpdateWindow(window);
    return window;
}
