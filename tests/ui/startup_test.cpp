// Start-up of the real program file: the name check, the language library check,
// and a normal start that shows the main window and ends on a close request.
#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "ui/startup.h"

namespace {

constexpr DWORD kTimeout = 30000;

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end());
}

TEST(StartupTest, RefusalsShowTheirMessageAndNoWindow) {
    struct Case {
        const char* name;
        const wchar_t* fileName;
        bool withLanguages;
        const wchar_t* message;
    };
    static const Case kCases[] = {
        {"renamed program", L"Reader.exe", true, kTextFailedToExecute},
        {"name with a suffix", L"Pagewick2.exe", true, kTextFailedToExecute},
        {"no language library", L"PAGEWICK.EXE", false, kTextLanguageNotFound},
    };
    for (const Case& c : kCases) {
        ScratchFolder folder;
        ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", c.fileName)) << c.name;
        if (c.withLanguages) {
            ASSERT_TRUE(folder.CopyFromBin(L"English.dll", L"English.dll")) << c.name;
            ASSERT_TRUE(folder.CopyFromBin(L"Japanese.dll", L"Japanese.dll")) << c.name;
        }
        ChildProcess child;
        ASSERT_TRUE(child.Start(folder.path() + L"\\" + c.fileName, L"", folder.path())) << c.name;
        HWND box = child.WaitForWindow(L"#32770", kTimeout);
        ASSERT_NE(box, nullptr) << c.name;
        // The box is found as soon as it exists; its texts follow while it is built.
        wchar_t text[256] = {};
        for (int i = 0; i < 200 && GetDlgItemTextW(box, 0xFFFF, text, 256) == 0; ++i) {
            Sleep(25);
        }
        EXPECT_EQ(Narrow(WindowText(box)), "Error") << c.name;
        EXPECT_EQ(Narrow(text), Narrow(c.message)) << c.name;
        EXPECT_EQ(child.WaitForWindow(L"Pagewick_main_class", 0), nullptr) << c.name;
        PostMessageW(box, WM_COMMAND, IDOK, 0);
        DWORD code = 1;
        ASSERT_TRUE(child.WaitForExit(kTimeout, &code)) << c.name;
        EXPECT_EQ(code, 0u) << c.name;
    }
}

TEST(StartupTest, NameCheckIgnoresCaseAndExtension) {
    struct Case {
        const wchar_t* path;
        bool ours;
    };
    static const Case kCases[] = {
        {L"C:\\apps\\Pagewick.exe", true},    {L"C:\\apps\\PAGEWICK.EXE", true},      {L"pagewick", true},
        {L"C:\\Pagewick\\viewer.exe", false}, {L"C:\\apps\\Pagewick.old.exe", false}, {L"Pagewic.exe", false},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(ProgramNameIsOurs(c.path), c.ours) << Narrow(c.path);
    }
}

TEST(StartupTest, NormalStartShowsTheMainWindowAndClosesCleanly) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", L"Pagewick.exe"));
    ASSERT_TRUE(folder.CopyFromBin(L"English.dll", L"English.dll"));
    ChildProcess child;
    ASSERT_TRUE(child.Start(folder.path() + L"\\Pagewick.exe", L"", folder.path()));
    HWND main = child.WaitForWindow(L"Pagewick_main_class", kTimeout);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(WaitForVisible(main, kTimeout));
    EXPECT_EQ(Narrow(WindowText(main)), "Pagewick");
    // The profile's settings may be a first start's: its notice is closed first.
    if (HWND notice = WaitForNotice(child, 3000); notice != nullptr) {
        PostMessageW(notice, WM_COMMAND, IDCANCEL, 0);
    }
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(child.WaitForExit(kTimeout, &code));
    EXPECT_EQ(code, 0u);
}

// A first start (an empty settings file) greets the user with the notice over the
// main window; ticking "do not show at start" is saved, and the next start goes
// without it. Closing it with Cancel and the box clear keeps it coming.
TEST(StartupTest, NoticeAtAFirstStartAndItsCheckBoxSaved) {
    struct Case {
        const char* name;
        bool tick;
        int button;
        int32_t saved;  // showNoticeAtStart after the run
    };
    static const Case kCases[] = {
        {"ticked, OK", true, IDOK, 0},
        {"ticked, closed by Cancel", true, IDCANCEL, 0},
        {"left clear", false, IDOK, 1},
    };
    for (const Case& c : kCases) {
        ScratchFolder folder;
        ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", L"Pagewick.exe")) << c.name;
        ASSERT_TRUE(folder.CopyFromBin(L"English.dll", L"English.dll")) << c.name;
        const std::wstring ini = folder.path() + L"\\Pagewick.ini";
        ASSERT_TRUE(WriteFileBytes(ini, {})) << c.name;
        for (int start = 0; start < 2; ++start) {
            ChildProcess child;
            ASSERT_TRUE(child.Start(folder.path() + L"\\Pagewick.exe", L"", folder.path())) << c.name;
            HWND main = child.WaitForWindow(L"Pagewick_main_class", kTimeout);
            ASSERT_NE(main, nullptr) << c.name;
            ASSERT_TRUE(WaitForVisible(main, kTimeout)) << c.name;
            // Waited for in full where it must come; briefly where it must not.
            HWND notice = WaitForNotice(child, start == 0 || c.saved == 1 ? kTimeout : 2000);
            if (start == 0) {
                ASSERT_NE(notice, nullptr) << c.name << ": no notice at a first start";
                EXPECT_EQ(GetWindow(notice, GW_OWNER), main) << c.name;
                // The owner is disabled just after the box is made.
                for (int i = 0; i < 100 && IsWindowEnabled(main); ++i) {
                    Sleep(20);
                }
                EXPECT_FALSE(IsWindowEnabled(main)) << c.name << ": the notice is modal";
                EXPECT_EQ(SendDlgItemMessageW(notice, 2401, BM_GETCHECK, 0, 0), BST_UNCHECKED) << c.name;
                if (c.tick) {
                    SendDlgItemMessageW(notice, 2401, BM_SETCHECK, BST_CHECKED, 0);
                }
                PostMessageW(notice, WM_COMMAND, static_cast<WPARAM>(c.button), 0);
            } else {
                EXPECT_EQ(notice != nullptr, c.saved == 1) << c.name << ": the second start";
                if (notice != nullptr) {
                    PostMessageW(notice, WM_COMMAND, IDCANCEL, 0);
                }
            }
            for (int i = 0; i < 100 && !IsWindowEnabled(main); ++i) {
                Sleep(50);
            }
            EXPECT_TRUE(IsWindowEnabled(main)) << c.name;
            PostMessageW(main, WM_CLOSE, 0, 0);
            DWORD code = 1;
            ASSERT_TRUE(child.WaitForExit(kTimeout, &code)) << c.name;
            EXPECT_EQ(code, 0u) << c.name;
            EXPECT_EQ(SettingsSlot(ini, 12), std::make_pair(1, c.saved)) << c.name << " start " << start;
        }
    }
}

// A settings file beside the program is the portable case: read there at start
// and rewritten there at exit, in the indexed format.
TEST(StartupTest, SettingsBesideTheProgramAreRewrittenThere) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", L"Pagewick.exe"));
    ASSERT_TRUE(folder.CopyFromBin(L"English.dll", L"English.dll"));
    std::wstring ini = folder.path() + L"\\Pagewick.ini";
    ASSERT_TRUE(WriteQuietSettings(ini));
    ChildProcess child;
    ASSERT_TRUE(child.Start(folder.path() + L"\\Pagewick.exe", L"", folder.path()));
    HWND main = child.WaitForWindow(L"Pagewick_main_class", kTimeout);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(child.WaitForExit(kTimeout, &code));
    HANDLE h = CreateFileW(ini.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    unsigned char head[4] = {};
    DWORD got = 0;
    ReadFile(h, head, 4, &got, nullptr);
    LARGE_INTEGER size{};
    GetFileSizeEx(h, &size);
    CloseHandle(h);
    ASSERT_EQ(got, 4u);
    EXPECT_EQ(head[0], 0x68);
    EXPECT_EQ(head[1], 0x00);
    EXPECT_EQ(head[2], 0xBF);
    EXPECT_EQ(head[3], 0x05);
    EXPECT_GT(size.QuadPart, 8 + 104 * 8);
}

}  // namespace

namespace {

// A settings file of thirteen slots: the language (absent), fullScreen,
// windowShowState, and the notice at start off; the rest absent.
bool WriteWindowSettings(const std::wstring& path, int32_t fullScreen) {
    int32_t words[1 + 2 * 13] = {0x05BF000D, 0, 0, 1, fullScreen, 1, 1};
    words[1 + 2 * 12] = 1;
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD put = 0;
    const bool ok = WriteFile(h, words, sizeof words, &put, nullptr) && put == sizeof words;
    CloseHandle(h);
    return ok;
}

std::pair<int32_t, int32_t> SlotOne(const std::wstring& path) {
    return SettingsSlot(path, 1);
}

// Full screen saved at exit comes back at the next start, unless the program is
// started minimised in the background; the state at exit is saved again.
TEST(StartupTest, FullScreenComesBackUnlessStartedMinimised) {
    struct Case {
        const char* name;
        int32_t savedFullScreen;
        int showCommand;
        bool wantFullScreen;
        bool wantIconic;
    };
    static const Case kCases[] = {
        {"saved full screen", 1, SW_SHOWNORMAL, true, false},
        {"saved full screen, minimised without activation", 1, SW_SHOWMINNOACTIVE, false, true},
        {"saved window", 0, SW_SHOWNORMAL, false, false},
    };
    for (const Case& c : kCases) {
        ScratchFolder folder;
        ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", L"Pagewick.exe"));
        ASSERT_TRUE(folder.CopyFromBin(L"English.dll", L"English.dll"));
        const std::wstring ini = folder.path() + L"\\Pagewick.ini";
        ASSERT_TRUE(WriteWindowSettings(ini, c.savedFullScreen));
        ChildProcess child;
        ASSERT_TRUE(child.Start(folder.path() + L"\\Pagewick.exe", L"", folder.path(), c.showCommand))
            << c.name;
        HWND main = child.WaitForWindow(L"Pagewick_main_class", kTimeout);
        ASSERT_NE(main, nullptr) << c.name;
        EXPECT_TRUE(WaitForVisible(main, kTimeout)) << c.name;
        const auto style = static_cast<DWORD>(GetWindowLongPtrW(main, GWL_STYLE));
        EXPECT_EQ((style & WS_CAPTION) == 0, c.wantFullScreen) << c.name;
        EXPECT_EQ(IsIconic(main) != 0, c.wantIconic) << c.name;
        if (c.wantFullScreen) {
            MONITORINFO mi{};
            mi.cbSize = sizeof mi;
            GetMonitorInfoW(MonitorFromWindow(main, MONITOR_DEFAULTTONEAREST), &mi);
            RECT r;
            GetWindowRect(main, &r);
            EXPECT_TRUE(EqualRect(&r, &mi.rcMonitor)) << c.name;
        }
        PostMessageW(main, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(child.WaitForExit(kTimeout, &code)) << c.name;
        const std::pair<int32_t, int32_t> slot = SlotOne(ini);
        EXPECT_EQ(slot.first, 1) << c.name;
        EXPECT_EQ(slot.second, c.wantFullScreen ? 1 : 0) << c.name;
    }
}

}  // namespace
