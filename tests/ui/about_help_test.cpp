// The about box and the help command in the real windows: the box blocks the main
// window and the accelerators until it ends, by whichever road; its link and the
// help command ask the shell or HTML Help for the right thing (recorded, since
// Wine has neither a browser nor a help viewer that renders).
#include <windows.h>

#include <string>
#include <vector>

#include "tests/ui/menu_test_support.h"
#include "ui/about_box.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/help.h"

namespace {

struct Recorded {
    std::vector<std::wstring> existing;  // files fileExists answers yes for
    bool realFiles = false;              // ask the file system instead
    bool viewerOpens = true;
    std::vector<std::wstring> viewer;     // files asked of HTML Help
    std::vector<std::wstring> addresses;  // addresses asked of the shell
};
Recorded gRec;
bool (*gSystemExists)(const wchar_t*) = nullptr;

bool RecExists(const wchar_t* path) {
    if (gRec.realFiles) {
        return gSystemExists(path);
    }
    for (const std::wstring& e : gRec.existing) {
        if (e == path) {
            return true;
        }
    }
    return false;
}
bool RecShow(const wchar_t* path) {
    gRec.viewer.emplace_back(path);
    return gRec.viewerOpens;
}
void RecOpen(const wchar_t* address) {
    gRec.addresses.emplace_back(address);
}
const HelpOps kRecOps{RecExists, RecShow, RecOpen};

class AboutHelpTest : public MenusTest {
  protected:
    void SetUp() override {
        MenusTest::SetUp();
        gSystemExists = CurrentHelpOps().fileExists;
        gRec = Recorded{};
        SetHelpOps(&kRecOps);
    }
    void TearDown() override {
        SetHelpOps(nullptr);
        MenusTest::TearDown();
    }
};

std::wstring Text(HWND w) {
    wchar_t buf[256] = {};
    GetWindowTextW(w, buf, 256);
    return buf;
}

bool ClassRegistered(const wchar_t* name) {
    WNDCLASSEXW info{};
    info.cbSize = sizeof info;
    return GetClassInfoExW(gApp.instance, name, &info) != 0;
}

TEST_F(AboutHelpTest, AboutBoxBlocksTheMainWindowUntilItEndsByAnyRoad) {
    enum End { kEscape, kCloseButton, kQuitMessage };
    struct Case {
        const char* name;
        End end;
    };
    static const Case kCases[] = {
        {"Esc", kEscape},
        {"close button", kCloseButton},
        {"quit message", kQuitMessage},
    };
    for (const Case& c : kCases) {
        const bool fullScreenBefore = gApp.fullScreen;
        bool mainEnabled = true;
        bool suspended = false;
        std::wstring title;
        std::wstring caption;
        RunScripted(
            L"version_info_class",
            [&](HWND box) {
                mainEnabled = IsWindowEnabled(gApp.mainWindow) != 0;
                suspended = gApp.acceleratorsSuspended;
                caption = Text(box);
                title = Text(GetDlgItem(box, 100));
                // Enter is the full-screen key: it must not act while the box is up.
                PostMessageW(gApp.mainWindow, WM_KEYDOWN, VK_RETURN, 0);
                if (c.end == kEscape) {
                    SaveScreenshot(box, L"about_English");
                    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
                } else if (c.end == kCloseButton) {
                    PostMessageW(box, WM_SYSCOMMAND, SC_CLOSE, 0);
                } else {
                    PostQuitMessage(7);
                }
            },
            [] { Dispatch(CMD_ABOUT, nullptr); });
        MSG quit{};
        const bool quitKept = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
        EXPECT_FALSE(mainEnabled) << c.name;
        EXPECT_TRUE(suspended) << c.name;
        EXPECT_EQ(Narrow(caption), "About Pagewick") << c.name;
        EXPECT_EQ(Narrow(title), "Pagewick version 1.4.9.1 (64-bit)") << c.name;
        PumpMessages();
        EXPECT_EQ(gApp.fullScreen, fullScreenBefore) << c.name << ": an accelerator acted under the box";
        EXPECT_TRUE(IsWindowEnabled(gApp.mainWindow)) << c.name;
        EXPECT_FALSE(gApp.acceleratorsSuspended) << c.name;
        EXPECT_EQ(AboutWindow(), nullptr) << c.name;
        EXPECT_FALSE(ClassRegistered(L"version_info_class")) << c.name;
        EXPECT_FALSE(ClassRegistered(L"version_url_class")) << c.name;
        EXPECT_EQ(quitKept, c.end == kQuitMessage)
            << c.name << ": the quit message is passed on, never made up";
        if (quitKept) {
            EXPECT_EQ(quit.wParam, 7u) << c.name;
        }
    }
}

TEST_F(AboutHelpTest, AboutLinkAsksTheShellForTheWebPage) {
    RunScripted(
        L"version_info_class",
        [&](HWND box) {
            HWND link = GetDlgItem(box, 102);
            ASSERT_NE(link, nullptr);
            SendMessageW(link, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
            SendMessageW(link, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
            ASSERT_TRUE(SwitchToLanguage(u"Japanese"));
            DestroyWindow(box);
        },
        [] { ShowAbout(); });
    ASSERT_EQ(gRec.addresses.size(), 1u);
    EXPECT_EQ(gRec.addresses[0], kWebAddress);
    // The Japanese title comes from the library loaded when the box opens.
    RunScripted(
        L"version_info_class",
        [&](HWND box) {
            SaveScreenshot(box, L"about_Japanese");
            EXPECT_EQ(Text(box), Lang(6402));
            PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
        },
        [] { ShowAbout(); });
}

TEST_F(AboutHelpTest, HelpAsksHtmlHelpForTheFileBesideTheProgramElseTheShell) {
    struct Case {
        const char* name;
        const wchar_t* program;
        const wchar_t* existing;  // the one file that exists
        bool viewerOpens;
        const wchar_t* viewer;   // expected file asked of HTML Help, or null
        const wchar_t* address;  // expected address asked of the shell, or null
    };
    static const Case kCases[] = {
        {"help file present", L"C:\\Tools\\Pagewick.exe", L"C:\\Tools\\Pagewick.chm", true,
         L"C:\\Tools\\Pagewick.chm", nullptr},
        {"no help file", L"C:\\Tools\\Pagewick.exe", L"C:\\Tools\\Pagewick.htm", true, nullptr, kHelpAddress},
        {"dot in the folder only", L"C:\\dir.x\\Pagewick", L"C:\\dir.x\\Pagewick.chm", true,
         L"C:\\dir.x\\Pagewick.chm", nullptr},
        {"viewer cannot open it", L"C:\\Tools\\PAGEWICK.EXE", L"C:\\Tools\\PAGEWICK.chm", false,
         L"C:\\Tools\\PAGEWICK.chm", kHelpAddress},
        {"no program path", L"", L".chm", true, nullptr, kHelpAddress},
    };
    for (const Case& c : kCases) {
        gRec = Recorded{};
        gRec.existing.emplace_back(c.existing);
        gRec.viewerOpens = c.viewerOpens;
        ShowHelpFor(c.program);
        ASSERT_EQ(gRec.viewer.size(), c.viewer != nullptr ? 1u : 0u) << c.name;
        if (c.viewer != nullptr) {
            EXPECT_EQ(gRec.viewer[0], c.viewer) << c.name;
        }
        ASSERT_EQ(gRec.addresses.size(), c.address != nullptr ? 1u : 0u) << c.name;
        if (c.address != nullptr) {
            EXPECT_EQ(gRec.addresses[0], c.address) << c.name;
        }
    }
    // A path that leaves no room for the extension names no help file.
    const std::wstring longPath = L"C:\\" + std::wstring(MAX_PATH + 10, L'a') + L".exe";
    wchar_t out[MAX_PATH + 8];
    EXPECT_FALSE(HelpFilePath(longPath.c_str(), out, MAX_PATH + 8));
}

TEST_F(AboutHelpTest, HelpCommandFindsTheBuiltHelpFileBesideTheProgram) {
    // The build puts Pagewick.chm beside the programs; the command asks HTML Help for it.
    wchar_t self[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH + 1);
    ASSERT_TRUE(n > 0 && n <= MAX_PATH);
    std::wstring folder(self);
    folder.resize(folder.rfind(L'\\'));
    gRec.realFiles = true;
    ShowHelpFor((folder + L"\\Pagewick.exe").c_str());
    ASSERT_EQ(gRec.viewer.size(), 1u) << "no Pagewick.chm beside the program";
    EXPECT_EQ(gRec.viewer[0], folder + L"\\Pagewick.chm");
    EXPECT_TRUE(gRec.addresses.empty());

    // The test program has no help file of its own name: the command goes to the shell.
    gRec = Recorded{};
    gRec.realFiles = true;
    Dispatch(CMD_HELP, nullptr);
    EXPECT_TRUE(gRec.viewer.empty());
    ASSERT_EQ(gRec.addresses.size(), 1u);
    EXPECT_EQ(gRec.addresses[0], kHelpAddress);
}

}  // namespace
