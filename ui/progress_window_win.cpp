#include "ui/progress_window_win.h"

#include <commctrl.h>

#include "app/str_buf.h"
#include "settings/language.h"
#include "ui/app_state.h"

namespace {
constexpr wchar_t kClassName[] = L"acv_progress_class";
constexpr int kClientWidth = 400;
constexpr int kClientHeight = 64;
constexpr DWORD kStyle = WS_VISIBLE | WS_CAPTION;  // 0x10C00000
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;
constexpr int kBarId = 1;
constexpr int kButtonId = 2;
constexpr uint32_t kMaxTitle = 127;
constexpr uint32_t kMaxButton = 260;

HMENU ChildId(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

void Limit(StrBuf* text, uint32_t n) {
    if (text->length > n) {
        text->length = n;
        text->buffer[n] = 0;
    }
}

LRESULT CALLBACK ProgressProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            const auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
            auto* progress = static_cast<ProgressWindow*>(cs->lpCreateParams);
            HINSTANCE instance = cs->hInstance;
            progress->bar = CreateWindowExW(0, PROGRESS_CLASSW, nullptr, WS_CHILD | WS_VISIBLE, 10, 10, 380,
                                            10, window, ChildId(kBarId), instance, nullptr);
            SendMessageW(progress->bar, PBM_SETSTEP, 1, 0);
            StrBuf text;
            LanguageString(progress->buttonId, &text);
            Limit(&text, kMaxButton);
            HWND button = CreateWindowExW(0, L"BUTTON", reinterpret_cast<const wchar_t*>(text.Text()),
                                          WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 130, 30, 140, 24, window,
                                          ChildId(kButtonId), instance, nullptr);
            if (button != nullptr && gApp.interfaceFont.get() != nullptr) {
                SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(gApp.interfaceFont.get()), FALSE);
            }
            return 0;
        }
        case WM_PAINT: {
            PAINTSTRUCT ps{};
            HDC dc = BeginPaint(window, &ps);
            FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
            EndPaint(window, &ps);
            return 0;
        }
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

POINT TopLeft() {
    POINT cursor{};
    GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    HMONITOR monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
    RECT area{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) {
        area = info.rcMonitor;
    }
    return POINT{(area.left + area.right) / 2 - kClientWidth / 2,
                 (area.top + area.bottom) / 2 - kClientHeight / 2};
}
}  // namespace

void ProgressOpen(ProgressWindow* progress) {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = ProgressProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClassName;
    RegisterClassExW(&wc);
    RECT frame{0, 0, kClientWidth, kClientHeight};
    AdjustWindowRectEx(&frame, kStyle, FALSE, kExStyle);
    StrBuf title;
    LanguageString(progress->titleId, &title);
    Limit(&title, kMaxTitle);
    const POINT at = TopLeft();
    progress->window = CreateWindowExW(kExStyle, kClassName, reinterpret_cast<const wchar_t*>(title.Text()),
                                       kStyle, at.x, at.y, frame.right - frame.left, frame.bottom - frame.top,
                                       nullptr, nullptr, instance, progress);
}

void ProgressSetRange(ProgressWindow* progress, uint32_t last) {
    if (progress->bar != nullptr) {
        SendMessageW(progress->bar, PBM_SETRANGE32, 0, static_cast<LPARAM>(last));
    }
}

void ProgressStep(ProgressWindow* progress) {
    if (progress->bar != nullptr) {
        SendMessageW(progress->bar, PBM_STEPIT, 0, 0);
    }
}

bool ProgressCancelled(ProgressWindow* progress) {
    if (progress->window == nullptr) {
        return false;
    }
    MSG msg{};
    // The job thread owns no other window, so every message in the range is the
    // progress window's or one of its children's.
    while (PeekMessageW(&msg, nullptr, WM_PAINT, WM_LBUTTONDOWN, PM_REMOVE)) {
        if (msg.message == WM_PAINT) {
            DispatchMessageW(&msg);
        } else if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) {
            return true;
        } else if (msg.message == WM_LBUTTONDOWN && GetDlgCtrlID(msg.hwnd) == kButtonId &&
                   GetParent(msg.hwnd) == progress->window) {
            return true;
        }
    }
    return false;
}

void ProgressClose(ProgressWindow* progress) {
    if (progress->window != nullptr) {
        DestroyWindow(progress->window);
    }
    progress->window = nullptr;
    progress->bar = nullptr;
    UnregisterClassW(kClassName, GetModuleHandleW(nullptr));
}
