#include "ui/about_box.h"

#include "app/str_buf.h"
#include "settings/language.h"
#include "ui/app_state.h"
#include "ui/help.h"

#include "pw_version.h"

namespace {

constexpr wchar_t kInfoClass[] = L"version_info_class";
constexpr wchar_t kUrlClass[] = L"version_url_class";
constexpr wchar_t kMakerLine[] = L"Copyright (C) 2026 the Pagewick authors";
constexpr int kIdTitle = 100;
constexpr int kIdMaker = 101;
constexpr int kIdLink = 102;
constexpr COLORREF kLinkColour = RGB(0, 0, 255);

struct AboutBox {
    StrBuf titleLine;
    StrBuf makerLine;
    HWND window = nullptr;
    bool running = false;
};

AboutBox* gBox = nullptr;

// Floor of a halved sum, also for negative coordinates (a monitor left of or
// above the primary one).
int HalfDown(int v) {
    return v >= 0 ? v / 2 : -((1 - v) / 2);
}

void PaintFace(HWND window, HDC dc, const RECT& r) {
    (void)window;
    FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
}

LRESULT CALLBACK LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            RECT r;
            GetClientRect(window, &r);
            PaintFace(window, dc, r);
            HGDIOBJ old = SelectObject(dc, gApp.interfaceFont.get());
            SetTextColor(dc, kLinkColour);
            SetBkMode(dc, TRANSPARENT);
            DrawTextW(dc, kWebAddress, -1, &r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
            SelectObject(dc, old);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_LBUTTONUP:
            CurrentHelpOps().openAddress(kWebAddress);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

HWND AddText(HWND parent, int id, int y, const wchar_t* className, const StrBuf* text) {
    const DWORD style =
        WS_CHILD | WS_VISIBLE | (text != nullptr ? SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS : 0);
    HWND w = CreateWindowExW(
        0, className, text != nullptr ? reinterpret_cast<const wchar_t*>(text->Text()) : L"", style, 12, y,
        250, 20, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), gApp.instance, nullptr);
    if (w != nullptr) {
        SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(gApp.interfaceFont.get()), FALSE);
    }
    return w;
}

LRESULT CALLBACK InfoProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE: {
            HMENU menu = GetSystemMenu(window, FALSE);
            if (menu != nullptr) {
                static const UINT kItems[] = {SC_RESTORE, SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE};
                for (UINT item : kItems) {
                    DeleteMenu(menu, item, MF_BYCOMMAND);
                }
            }
            AddText(window, kIdTitle, 7, L"STATIC", &gBox->titleLine);
            AddText(window, kIdMaker, 27, L"STATIC", &gBox->makerLine);
            AddText(window, kIdLink, 47, kUrlClass, nullptr);
            return 0;
        }
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            PaintFace(window, dc, ps.rcPaint);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_KEYDOWN:
            if (wParam == VK_ESCAPE) {
                DestroyWindow(window);
                return 0;
            }
            break;
        case WM_DESTROY:
            if (gBox != nullptr) {
                gBox->running = false;
                gBox->window = nullptr;
            }
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterClasses() {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    info.lpfnWndProc = InfoProc;
    info.hInstance = gApp.instance;
    info.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    info.lpszClassName = kInfoClass;
    if (RegisterClassExW(&info) == 0) {
        return false;
    }
    info.lpfnWndProc = LinkProc;
    info.hCursor = LoadCursorW(nullptr, IDC_HAND);
    info.lpszClassName = kUrlClass;
    if (RegisterClassExW(&info) == 0) {
        UnregisterClassW(kInfoClass, gApp.instance);
        return false;
    }
    return true;
}

HWND CreateBox(const StrBuf& title) {
    const int frame = 2 * GetSystemMetrics(SM_CYDLGFRAME);
    const int width = frame + 274;
    const int height = frame + GetSystemMetrics(SM_CYCAPTION) + 75;
    RECT r{};
    if (gApp.mainWindow == nullptr || !GetWindowRect(gApp.mainWindow, &r)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &r, 0);
    }
    const int x = HalfDown(r.left + r.right - width);
    const int y = HalfDown(r.top + r.bottom - height);
    return CreateWindowExW(WS_EX_DLGMODALFRAME, kInfoClass, reinterpret_cast<const wchar_t*>(title.Text()),
                           WS_VISIBLE | WS_CLIPCHILDREN | WS_SYSMENU, x, y, width, height, gApp.mainWindow,
                           nullptr, gApp.instance, nullptr);
}

// The box's own loop. Esc reaches the box from whichever of its windows has the
// keyboard; a WM_QUIT is left for the main loop.
void RunLoop(AboutBox* box) {
    MSG msg;
    while (box->running) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == 0) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        if (got < 0) {
            break;
        }
        if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE && box->window != nullptr &&
            (msg.hwnd == box->window || IsChild(box->window, msg.hwnd))) {
            DestroyWindow(box->window);
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace

HWND AboutWindow() {
    return gBox != nullptr ? gBox->window : nullptr;
}

void ShowAbout() {
    if (gBox != nullptr) {
        return;  // already open: its own loop runs further up this stack
    }
    AboutBox box;
    box.titleLine.Assign(u"Pagewick version " PW_VERSION_TEXT_U16 u" (64-bit)");
    box.makerLine.Assign(reinterpret_cast<const char16_t*>(kMakerLine));
    StrBuf title;
    LanguageString(6402, &title);

    const bool suspended = gApp.acceleratorsSuspended;
    if (gApp.mainWindow != nullptr) {
        EnableWindow(gApp.mainWindow, FALSE);
    }
    gApp.acceleratorsSuspended = true;
    if (RegisterClasses()) {
        gBox = &box;
        box.running = true;
        box.window = CreateBox(title);
        if (box.window != nullptr) {
            RunLoop(&box);
        }
        if (box.window != nullptr) {
            DestroyWindow(box.window);
        }
        gBox = nullptr;
        UnregisterClassW(kUrlClass, gApp.instance);
        UnregisterClassW(kInfoClass, gApp.instance);
    }
    if (gApp.mainWindow != nullptr) {
        EnableWindow(gApp.mainWindow, TRUE);
        SetForegroundWindow(gApp.mainWindow);
    }
    gApp.acceleratorsSuspended = suspended;
}
