// The window tree, the tool bar and the routing of the real windows, and the
// portable pieces of the dispatcher (command table, command line, open filter).
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "settings/language.h"
#include "settings/settings.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/pane.h"
#include "ui/reader.h"

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[128] = {};
    GetClassNameW(window, name, 128);
    return name;
}

RECT RectInParent(HWND window) {
    RECT r;
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring Label(uint32_t id);

using WindowTreeTest = ShellTest;

TEST_F(WindowTreeTest, ClassesParentsAndIdentifiers) {
    struct Case {
        const char* name;
        HWND window;
        const wchar_t* className;
        HWND parent;
        int id;
    };
    const Case kCases[] = {
        {"bar", gApp.bar, L"Pagewick_barbs_class", gApp.mainWindow, 1020},
        {"tool bar", gApp.toolBar, TOOLBARCLASSNAMEW, gApp.bar, 1021},
        {"page text", gApp.pageText, L"Static", gApp.toolBar, 1022},
        {"page slider", gApp.pageSlider, TRACKBAR_CLASSW, gApp.toolBar, 1023},
        {"client area", gApp.client, L"Pagewick_client_class", gApp.mainWindow, 1010},
        {"browser pane", gApp.pane, L"Pagewick_lbase_class", gApp.client, 1030},
        {"image view", gApp.imageView, L"Pagewick_imgbs_class", gApp.client, 1000},
    };
    EXPECT_EQ(Narrow(ClassOf(gApp.mainWindow)), "Pagewick_main_class");
    EXPECT_NE(GetWindowLongPtrW(gApp.mainWindow, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
    for (const Case& c : kCases) {
        ASSERT_NE(c.window, nullptr) << c.name;
        EXPECT_EQ(Narrow(ClassOf(c.window)), Narrow(c.className)) << c.name;
        EXPECT_EQ(GetParent(c.window), c.parent) << c.name;
        EXPECT_EQ(GetDlgCtrlID(c.window), c.id) << c.name;
    }
    EXPECT_NE(GetClassLongPtrW(gApp.imageView, GCL_STYLE) & CS_OWNDC, 0);
    EXPECT_EQ(GetWindow(gApp.toolTip, GW_OWNER), gApp.mainWindow);
    // The bar is 24 high over the client area, which takes the rest.
    RECT bar = RectInParent(gApp.bar);
    RECT client = RectInParent(gApp.client);
    EXPECT_EQ(bar.bottom - bar.top, 24);
    EXPECT_EQ(client.top, 24);
    RECT view;
    GetClientRect(gApp.imageView, &view);
    EXPECT_EQ(view.right, kViewWidth);
    EXPECT_EQ(view.bottom, kViewHeight);
}

TEST_F(WindowTreeTest, ToolBarButtonsInOrder) {
    struct Button {
        int id;
        int image;  // -1: separator
        bool hidden;
    };
    static const Button kButtons[] = {
        {5000, 0, false},  {9910, -1, false}, {5010, 1, false},  {5020, 2, false},  {9911, -1, false},
        {5040, 3, false},  {5044, 4, false},  {5042, 5, false},  {5030, 6, false},  {5031, 7, false},
        {5043, 8, false},  {5045, 9, false},  {5041, 10, false}, {9914, -1, false}, {9913, -1, false},
        {5050, 11, false}, {9912, -1, false}, {5060, 12, false}, {5061, 13, true},  {5062, 14, true},
    };
    ASSERT_EQ(SendMessageW(gApp.toolBar, TB_BUTTONCOUNT, 0, 0), 20);
    for (int i = 0; i < 20; ++i) {
        TBBUTTON b{};
        ASSERT_TRUE(SendMessageW(gApp.toolBar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&b))) << i;
        EXPECT_EQ(b.idCommand, kButtons[i].id) << "button " << i;
        if (kButtons[i].image >= 0) {
            EXPECT_EQ(b.iBitmap, kButtons[i].image) << "button " << i;
        } else {
            EXPECT_NE(b.fsStyle & BTNS_SEP, 0) << "button " << i;
        }
        EXPECT_EQ((b.fsState & TBSTATE_HIDDEN) != 0, kButtons[i].hidden) << "button " << i;
    }
    // The page text and the slider sit inside the separator 9914, the slider
    // reaching to its end less the separator 9913's width and 2 pixels.
    RECT sep{};
    SendMessageW(gApp.toolBar, TB_GETRECT, 9914, reinterpret_cast<LPARAM>(&sep));
    RECT text = RectInParent(gApp.pageText);
    RECT slider = RectInParent(gApp.pageSlider);
    EXPECT_GT(text.left, sep.left);
    EXPECT_EQ(text.right - text.left, 84);
    EXPECT_EQ(slider.left, text.right);
    EXPECT_EQ(slider.bottom - slider.top, 21);
    EXPECT_LE(slider.right, sep.right);
    EXPECT_GT(slider.right - slider.left, 100);
    EXPECT_EQ(SendMessageW(gApp.pageSlider, TBM_GETTHUMBLENGTH, 0, 0), 16);
}

TEST_F(WindowTreeTest, ToolTipsNameTheCommands) {
    EXPECT_EQ(SendMessageW(gApp.toolTip, TTM_GETTOOLCOUNT, 0, 0), 15);
    static const int kCommands[] = {CMD_MENU_MAIN, CMD_NEXT_SPREAD, CMD_TOGGLE_LOUPE, CMD_CLOSE};
    for (int command : kCommands) {
        wchar_t text[128] = {};
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = gApp.toolBar;
        info.uId = static_cast<UINT_PTR>(command);
        info.lpszText = text;
        SendMessageW(gApp.toolTip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
        StrBuf expected;
        LanguageString(static_cast<uint32_t>(command), &expected);
        EXPECT_GT(expected.length, 0u) << command;
        // A bound key follows the name in parentheses.
        StrBuf key;
        CommandKeyText(command, &key);
        std::string want = Narrow(reinterpret_cast<const wchar_t*>(expected.Text()));
        if (key.length > 0) {
            want += " (" + Narrow(reinterpret_cast<const wchar_t*>(key.Text())) + ")";
        }
        EXPECT_EQ(Narrow(text), want) << command;
    }
}

TEST_F(WindowTreeTest, SliderHandsTheFocusBack) {
    SetForegroundWindow(gApp.mainWindow);
    SetFocus(gApp.pageSlider);
    PumpMessages();
    EXPECT_EQ(GetFocus(), gApp.mainWindow);
}

TEST_F(WindowTreeTest, MinimumTrackingSize) {
    MINMAXINFO info{};
    SendMessageW(gApp.mainWindow, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 400);
    EXPECT_EQ(info.ptMinTrackSize.y, 400);
}

TEST_F(WindowTreeTest, MinimisingKeepsTheLayout) {
    ShowWindow(gApp.mainWindow, SW_MINIMIZE);
    PumpMessages();
    EXPECT_EQ(gView.viewWidth, kViewWidth);
    EXPECT_EQ(gView.viewHeight, kViewHeight);
    // Keys do nothing while minimised, except the one that restores.
    Dispatch((kFromAccelerator << 16) | CMD_CLOSE, nullptr);
    EXPECT_NE(gApp.mainWindow, nullptr);
    Dispatch((kFromAccelerator << 16) | CMD_MINIMIZE, nullptr);
    PumpMessages();
    EXPECT_FALSE(IsIconic(gApp.mainWindow));
    SizeImageView(kViewWidth, kViewHeight);
}

TEST_F(WindowTreeTest, PaneModesMoveTheImageView) {
    struct Case {
        const char* name;
        int32_t command;
        bool paneVisible;
        int viewX;
    };
    const Case kCases[] = {
        {"show", CMD_PANE_SHOW, true, gSettings.paneWidth},
        {"hide", CMD_PANE_HIDE, false, 0},
        {"show again", CMD_PANE_SHOW, true, gSettings.paneWidth},
        {"auto", CMD_PANE_AUTO, false, 0},
    };
    for (const Case& c : kCases) {
        Dispatch(static_cast<uint32_t>(c.command), nullptr);
        PumpMessages();
        EXPECT_EQ(IsWindowVisible(gApp.pane) != 0, c.paneVisible) << c.name;
        EXPECT_EQ(RectInParent(gApp.imageView).left, c.viewX) << c.name;
        RECT pane = RectInParent(gApp.pane);
        EXPECT_EQ(pane.right - pane.left, gSettings.paneWidth) << c.name;
    }
    EXPECT_EQ(gView.viewWidth, kViewWidth);
}

TEST_F(WindowTreeTest, PaneTimerHidesThePane) {
    ShowWindow(gApp.pane, SW_SHOW);
    gApp.paneShown = true;
    gApp.paneTimerRunning = true;
    SendMessageW(gApp.mainWindow, WM_TIMER, kPaneTimer, 0);
    EXPECT_FALSE(IsWindowVisible(gApp.pane));
    EXPECT_FALSE(gApp.paneShown);
    EXPECT_FALSE(gApp.paneTimerRunning);
}

TEST_F(WindowTreeTest, DefaultKeysAreTheAccelerators) {
    struct Case {
        BYTE flags;
        WORD key;
        WORD command;
    };
    static const Case kCases[] = {
        {FVIRTKEY, VK_DOWN, 5043},          {FVIRTKEY, VK_UP, 5042},
        {FVIRTKEY, VK_RIGHT, 5045},         {FVIRTKEY, VK_LEFT, 5044},
        {FVIRTKEY | FSHIFT, VK_LEFT, 5040}, {FVIRTKEY | FSHIFT, VK_RIGHT, 5041},
        {FVIRTKEY | FSHIFT, VK_UP, 5030},   {FVIRTKEY | FSHIFT, VK_DOWN, 5031},
        {FVIRTKEY, VK_ESCAPE, 5062},        {FVIRTKEY, VK_SPACE, 5050},
        {FVIRTKEY | FCONTROL, 'O', 5500},   {FVIRTKEY, VK_RETURN, 5060},
    };
    ASSERT_TRUE(gApp.accelerators.valid());
    ACCEL table[64];
    int n = CopyAcceleratorTableW(gApp.accelerators.get(), table, 64);
    for (const Case& c : kCases) {
        bool found = false;
        for (int i = 0; i < n; ++i) {
            found = found || ((table[i].fVirt & ~0x80) == c.flags && table[i].key == c.key &&
                              table[i].cmd == c.command);
        }
        EXPECT_TRUE(found) << "command " << c.command;
    }
}

TEST_F(WindowTreeTest, HoverOverPaneControlsTakesTheKeys) {
    // Stand-ins for the folder tree and the file list, under the pane.
    HWND tree = CreateWindowExW(0, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 50, 50, gApp.pane,
                                nullptr, gApp.instance, nullptr);
    HWND list = CreateWindowExW(0, L"LISTBOX", nullptr, WS_CHILD | WS_VISIBLE, 0, 60, 50, 50, gApp.pane,
                                nullptr, gApp.instance, nullptr);
    ASSERT_NE(tree, nullptr);
    ASSERT_NE(list, nullptr);
    SubclassPaneControls(tree, list);
    SetForegroundWindow(gApp.mainWindow);
    SetFocus(gApp.mainWindow);
    gApp.appActive = true;
    struct Step {
        const char* name;
        HWND window;
        UINT message;
        WPARAM keys;
        int hover;
        bool suspended;
        HWND focus;
    };
    const Step kSteps[] = {
        {"move over the tree", tree, WM_MOUSEMOVE, 0, kHoverTree, true, tree},
        {"leave the tree", tree, WM_MOUSELEAVE, 0, kHoverNone, false, gApp.mainWindow},
        {"drag over the tree does not take it", tree, WM_MOUSEMOVE, MK_LBUTTON, kHoverNone, false,
         gApp.mainWindow},
        {"any move over the list", list, WM_MOUSEMOVE, MK_LBUTTON, kHoverList, true, list},
        {"leave the list", list, WM_MOUSELEAVE, 0, kHoverNone, false, gApp.mainWindow},
    };
    for (const Step& s : kSteps) {
        SendMessageW(s.window, s.message, s.keys, MAKELPARAM(5, 5));
        EXPECT_EQ(gApp.hoverTarget, s.hover) << s.name;
        EXPECT_EQ(gApp.acceleratorsSuspended, s.suspended) << s.name;
        EXPECT_EQ(GetFocus(), s.focus) << s.name;
    }
    RemovePaneSubclasses();
    DestroyWindow(tree);
    DestroyWindow(list);
    gApp.folderTree = nullptr;
    gApp.fileList = nullptr;
}

// Reads the caption and text of the message box the test thread shows, then
// closes it.
struct BoxSeen {
    DWORD thread;
    std::wstring caption;
    std::wstring text;
};

BOOL CALLBACK FindBox(HWND window, LPARAM param) {
    auto* seen = reinterpret_cast<BoxSeen*>(param);
    wchar_t cls[32] = {};
    GetClassNameW(window, cls, 32);
    if (wcscmp(cls, L"#32770") != 0) {
        return TRUE;
    }
    // The box window exists before its text control is filled: wait for the text.
    wchar_t text[512] = {};
    if (GetDlgItemTextW(window, 0xFFFF, text, 512) == 0) {
        return FALSE;
    }
    seen->caption = WindowText(window);
    seen->text = text;
    PostMessageW(window, WM_COMMAND, IDOK, 0);
    return FALSE;
}

DWORD WINAPI CloseBox(void* param) {
    auto* seen = static_cast<BoxSeen*>(param);
    for (int i = 0; i < 400 && seen->text.empty(); ++i) {
        Sleep(25);
        EnumThreadWindows(seen->thread, FindBox, reinterpret_cast<LPARAM>(seen));
    }
    return 0;
}

TEST_F(WindowTreeTest, ErrorBoxCaptionsAndTexts) {
    struct Case {
        int id;
        uint32_t caption;
        std::vector<uint32_t> text;  // strings joined, in order
    };
    const Case kCases[] = {
        {30002, 30000, {30002}},
        {30005, 30000, {30005}},
        {50003, 50000, {50003}},
        {50012, 50000, {50007, 50012}},
    };
    for (const Case& c : kCases) {
        BoxSeen seen{GetCurrentThreadId(), L"", L""};
        HANDLE closer = CreateThread(nullptr, 0, CloseBox, &seen, 0, nullptr);
        ASSERT_NE(closer, nullptr);
        ShowErrorBox(gApp.mainWindow, c.id);
        WaitForSingleObject(closer, INFINITE);
        CloseHandle(closer);
        std::wstring text;
        for (uint32_t id : c.text) {
            text += Label(id);
        }
        EXPECT_EQ(Narrow(seen.caption), Narrow(Label(c.caption))) << c.id;
        // The box may add its own line breaks; compare without them.
        std::wstring shown;
        for (wchar_t ch : seen.text) {
            if (ch != L'\r' && ch != L'\n') {
                shown.push_back(ch);
            }
        }
        EXPECT_EQ(Narrow(shown), Narrow(text)) << c.id;
    }
}

TEST(CommandTableTest, NumbersAndNames) {
    struct Case {
        int32_t id;
        const char* name;  // null: not a command
    };
    static const Case kCases[] = {
        {5000, "CMD_MENU_MAIN"},
        {5043, "CMD_NEXT_SPREAD"},
        {5101, "CMD_RELOAD_PAGE"},
        {5515, "CMD_FOLDER_1"},
        {5739, "CMD_BOOKMARK_1"},
        {6019, "CMD_RECENT_1"},
        {6224, "CMD_BACKGROUND_1"},
        {6403, "CMD_HELP"},
        {6000, nullptr},
        {6205, nullptr},
        {9914, nullptr},
        {7010, nullptr},
        {5032, nullptr},
        {5740, nullptr},
    };
    for (const Case& c : kCases) {
        const CommandInfo* info = FindCommand(c.id);
        if (c.name == nullptr) {
            EXPECT_EQ(info, nullptr) << c.id;
        } else {
            ASSERT_NE(info, nullptr) << c.id;
            EXPECT_STREQ(info->name, c.name) << c.id;
        }
    }
    uint32_t count = 0;
    const CommandInfo* table = CommandTable(&count);
    for (uint32_t i = 1; i < count; ++i) {
        EXPECT_GT(table[i].id, table[i - 1].last) << table[i].name;
    }
}

TEST(CommandLineTest, PathOptionAndLocator) {
    struct Case {
        const char* name;
        std::vector<const wchar_t*> args;
        bool ok;
        const wchar_t* path;
        uint32_t locator;
    };
    const Case kCases[] = {
        {"no argument", {L"Pagewick.exe"}, false, L"", 0},
        {"a path", {L"Pagewick.exe", L"C:\\b\\x.cbz"}, true, L"C:\\b\\x.cbz", 0},
        {"a path and more", {L"Pagewick.exe", L"C:\\b\\x.cbz", L"y"}, true, L"C:\\b\\x.cbz", 0},
        {"z option", {L"Pagewick.exe", L"/z4096", L"C:\\b\\x.cbz"}, true, L"C:\\b\\x.cbz", 4096},
        {"other option", {L"Pagewick.exe", L"/q4096", L"C:\\b\\x.cbz"}, true, L"C:\\b\\x.cbz", 0},
        {"digits stop at a letter", {L"Pagewick.exe", L"/z12a3", L"x.zip"}, true, L"x.zip", 12},
        {"no digits", {L"Pagewick.exe", L"/z", L"x.zip"}, true, L"x.zip", 0},
        {"option without a path", {L"Pagewick.exe", L"/z4096"}, false, L"", 0},
        {"locator past 32 bits", {L"Pagewick.exe", L"/z99999999999", L"x.zip"}, true, L"x.zip", 0},
    };
    for (const Case& c : kCases) {
        CommandLineTarget target;
        bool ok = ParseCommandLine(c.args.data(), static_cast<int>(c.args.size()), &target);
        EXPECT_EQ(ok, c.ok) << c.name;
        if (ok) {
            EXPECT_EQ(Narrow(reinterpret_cast<const wchar_t*>(target.path.Text())), Narrow(c.path)) << c.name;
            EXPECT_EQ(target.startLocator, c.locator) << c.name;
        }
    }
}

// The filter list as (label, patterns) pairs.
std::vector<std::pair<std::wstring, std::wstring>> FilterEntries(const StrBuf& filter) {
    std::vector<std::pair<std::wstring, std::wstring>> out;
    const auto* p = reinterpret_cast<const wchar_t*>(filter.Text());
    const wchar_t* end = p + filter.length;
    while (p < end && *p != 0) {
        std::wstring label = p;
        p += label.size() + 1;
        std::wstring patterns = p;
        p += patterns.size() + 1;
        out.emplace_back(label, patterns);
    }
    return out;
}

std::wstring Label(uint32_t id) {
    StrBuf s;
    LanguageString(id, &s);
    return reinterpret_cast<const wchar_t*>(s.Text());
}

class OpenFilterTest : public testing::Test {
  protected:
    static void SetUpTestSuite() {
        if (LanguageModule() == nullptr) {
            gApp.instance = GetModuleHandleW(nullptr);
            ASSERT_TRUE(LoadLanguage(&gSettings.languageFile));
        }
    }
};

TEST_F(OpenFilterTest, EntriesInOrder) {
    const std::wstring pictures = L"*.bmp;*.png;*.jpg;*.jpe;*.jpeg;*.tif;*.tiff;*.gif";
    struct Case {
        const char* name;
        bool rar;
        const char16_t* plugins;
        std::vector<std::pair<std::wstring, std::wstring>> expected;
    };
    const Case kCases[] = {
        {"built-in only",
         false,
         u"",
         {{Label(21000), pictures + L";*.zip"},
          {Label(21002), L"*.bmp"},
          {Label(21003), L"*.png"},
          {Label(21004), L"*.jpg;*.jpe;*.jpeg"},
          {Label(21005), L"*.tif;*.tiff"},
          {Label(21006), L"*.gif"},
          {Label(21001), L"*.zip"},
          {Label(21007), L"*.*"}}},
        {"RAR and plug-ins",
         true,
         u"*.pi;*.lzh",
         {{Label(21000), pictures + L";*.zip;*.rar;*.pi;*.lzh"},
          {Label(21002), L"*.bmp"},
          {Label(21003), L"*.png"},
          {Label(21004), L"*.jpg;*.jpe;*.jpeg"},
          {Label(21005), L"*.tif;*.tiff"},
          {Label(21006), L"*.gif"},
          {Label(21001), L"*.zip"},
          {Label(21009), L"*.rar"},
          {Label(21008) + L" (*.pi;*.lzh)", L"*.pi;*.lzh"},
          {Label(21007), L"*.*"}}},
    };
    for (const Case& c : kCases) {
        StrBuf filter;
        BuildOpenFilter(c.rar, c.plugins, &filter);
        auto entries = FilterEntries(filter);
        ASSERT_EQ(entries.size(), c.expected.size()) << c.name;
        for (size_t i = 0; i < entries.size(); ++i) {
            EXPECT_FALSE(entries[i].first.empty()) << c.name << " entry " << i;
            EXPECT_EQ(Narrow(entries[i].first), Narrow(c.expected[i].first)) << c.name << " entry " << i;
            EXPECT_EQ(Narrow(entries[i].second), Narrow(c.expected[i].second)) << c.name << " entry " << i;
        }
        // Two terminators end the list.
        ASSERT_GE(filter.length, 2u) << c.name;
        EXPECT_EQ(filter.buffer[filter.length - 1], 0) << c.name;
        EXPECT_EQ(filter.buffer[filter.length - 2], 0) << c.name;
    }
}

}  // namespace
