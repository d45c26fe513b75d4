#include "tests/ui/shell_fixture.h"

#include <objbase.h>

#include <cstdio>

#include "browser/folder_tree.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/reader.h"
#include "ui/startup.h"

void ShellTest::SetUpTestSuite() {
    if (LanguageModule() == nullptr) {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        gApp.instance = GetModuleHandleW(nullptr);
        ASSERT_TRUE(LoadLanguage(&gSettings.languageFile));
    }
    SettingsReset(&gSettings);
    // As at program start, the folder tree's heap and thread exist before the pane.
    ASSERT_TRUE(TreeInit());
    ASSERT_NE(CreateUserInterface(SW_SHOWNORMAL), nullptr);
    SizeImageView(kViewWidth, kViewHeight);
    PumpMessages();
}

void ShellTest::TearDownTestSuite() {
    if (gApp.mainWindow != nullptr) {
        SendMessageW(gApp.mainWindow, WM_CLOSE, 0, 0);
    }
    // The destroyed window posted the quit message; it must not end a later loop.
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message != WM_QUIT) {
            DispatchMessageW(&msg);
        }
    }
    TreeDestroy();
}

void ShellTest::SetUp() {
    ASSERT_NE(gApp.mainWindow, nullptr);
}

void SizeImageView(int width, int height) {
    RECT r{0, 0, width, height + kBarHeight};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(gApp.mainWindow, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(gApp.mainWindow, GWL_EXSTYLE)));
    SetWindowPos(gApp.mainWindow, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOMOVE);
    PumpMessages();
}

void PumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void PumpFor(DWORD ms) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < ms) {
        PumpMessages();
        Sleep(10);
    }
}

COLORREF ViewPixel(int x, int y) {
    HDC dc = GetDC(gApp.imageView);
    COLORREF c = GetPixel(dc, x, y);
    ReleaseDC(gApp.imageView, dc);
    return c;
}

std::string Hex(COLORREF c) {
    char text[16];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
    return text;
}

std::string Narrow(const std::wstring& s) {
    std::string out;
    for (wchar_t c : s) {
        out.push_back(c < 128 ? static_cast<char>(c) : '?');
    }
    return out;
}

std::wstring PageText() {
    wchar_t text[64] = {};
    GetWindowTextW(gApp.pageText, text, 64);
    return text;
}

void OpenPath(const std::wstring& path, uint32_t locator) {
    ReaderOpenPath(reinterpret_cast<const char16_t*>(path.c_str()), locator);
    PumpMessages();
}
