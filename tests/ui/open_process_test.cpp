// The real program file opening what its command line names (an archive at the
// member a "/z" locator names, a path that does not exist), and the book and page
// it was closed at opened again by the resume command in its next run.
#include <windows.h>

#include <commctrl.h>

#include <gtest/gtest.h>

#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"

namespace {

constexpr DWORD kTimeout = 30000;

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end());
}

HWND PageTextOf(HWND main) {
    HWND bar = FindWindowExW(main, nullptr, L"Pagewick_barbs_class", nullptr);
    HWND toolBar = bar != nullptr ? FindWindowExW(bar, nullptr, TOOLBARCLASSNAMEW, nullptr) : nullptr;
    return toolBar != nullptr ? GetDlgItem(toolBar, 1022) : nullptr;
}

// The page text once it stops being the initial "0/0" (or after the timeout).
std::wstring SettledPageText(HWND pageText, DWORD ms) {
    std::wstring text;
    for (DWORD waited = 0; waited < ms; waited += 50) {
        text = WindowText(pageText);
        if (text != L"0/0") {
            break;
        }
        Sleep(50);
    }
    return text;
}

// Polls until the page text reads want (or the timeout); returns what it read last.
std::wstring WaitForPageText(HWND pageText, const std::wstring& want, DWORD ms) {
    std::wstring text;
    for (DWORD waited = 0; waited < ms; waited += 50) {
        text = WindowText(pageText);
        if (text == want) {
            break;
        }
        Sleep(50);
    }
    return text;
}

void PostCommand(HWND main, int command) {
    PostMessageW(main, WM_COMMAND, static_cast<WPARAM>(command), 0);
}

// "option "path"" built by appending (GCC 12 misreads chained wide concatenations
// under -Wrestrict).
std::wstring Args(const wchar_t* option, uint32_t number, const std::wstring& path) {
    std::wstring args;
    if (option != nullptr) {
        args.append(option);
        args.append(std::to_wstring(number));
        args.push_back(L' ');
    }
    args.push_back(L'"');
    args.append(path);
    args.push_back(L'"');
    return args;
}

TEST(OpenProcessTest, CommandLineOpensAtTheLocatorOrNothing) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", L"Pagewick.exe"));
    ASSERT_TRUE(folder.CopyFromBin(L"English.dll", L"English.dll"));
    // Settings beside the program, without the notice: the defaults (spreads, right
    // to left), whatever earlier runs left in the user's profile.
    ASSERT_TRUE(WriteQuietSettings(folder.path() + L"\\Pagewick.ini"));
    std::vector<PageSpec> pages;
    for (int i = 0; i < 6; ++i) {
        PageSpec p;
        p.name = std::string("p") + std::to_string(i + 1) + ".bmp";
        p.width = 30;
        p.height = 40;
        p.colour = RGB(40 * i, 0, 0);
        pages.push_back(p);
    }
    std::vector<uint32_t> locators;
    const std::wstring book = folder.path() + L"\\book.cbz";
    ASSERT_TRUE(WriteCbz(book, pages, &locators));
    struct Case {
        const char* name;
        std::wstring args;
        const wchar_t* pageText;
        std::wstring title;
    };
    const Case kCases[] = {
        {"locator of the fourth member", Args(L"/z", locators[3], book), L"4+1/6", book},
        {"another option", Args(L"/q", locators[3], book), L"1+1/6", book},
        {"locator of no member", Args(L"/z", 7, book), L"1+1/6", book},
        {"missing path", Args(nullptr, 0, folder.path() + L"\\none.cbz"), L"0/0", L"Pagewick"},
    };
    for (const Case& c : kCases) {
        ChildProcess child;
        ASSERT_TRUE(child.Start(folder.path() + L"\\Pagewick.exe", c.args, folder.path())) << c.name;
        HWND main = child.WaitForWindow(L"Pagewick_main_class", kTimeout);
        ASSERT_NE(main, nullptr) << c.name;
        ASSERT_TRUE(WaitForVisible(main, kTimeout)) << c.name;
        HWND pageText = PageTextOf(main);
        ASSERT_NE(pageText, nullptr) << c.name;
        EXPECT_EQ(Narrow(SettledPageText(pageText, c.title == L"Pagewick" ? 1000 : kTimeout)),
                  Narrow(c.pageText))
            << c.name;
        EXPECT_EQ(Narrow(WindowText(main)), Narrow(c.title)) << c.name;
        PostMessageW(main, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(child.WaitForExit(kTimeout, &code)) << c.name;
        EXPECT_EQ(code, 0u) << c.name;
    }
}

// Resume: the book and the page shown when the program closed are recorded in
// the settings at exit; the next run, started with nothing to open, shows that
// page on the resume command.
TEST(OpenProcessTest, ResumeOpensTheBookAtThePageItWasClosedAt) {
    constexpr int kNextPage = 5031;  // CMD_NEXT_PAGE
    constexpr int kResume = 5710;    // CMD_RESUME
    ScratchFolder folder;
    ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", L"Pagewick.exe"));
    ASSERT_TRUE(folder.CopyFromBin(L"English.dll", L"English.dll"));
    ASSERT_TRUE(WriteQuietSettings(folder.path() + L"\\Pagewick.ini"));
    std::vector<PageSpec> pages;
    for (int i = 0; i < 10; ++i) {
        PageSpec p;
        p.name = std::string("p") + std::to_string(i + 1) + ".bmp";
        p.width = 30;
        p.height = 40;
        p.colour = RGB(20 * i, 80, 0);
        pages.push_back(p);
    }
    const std::wstring book = folder.path() + L"\\book.cbz";
    ASSERT_TRUE(WriteCbz(book, pages, nullptr));
    const std::wstring exe = folder.path() + L"\\Pagewick.exe";
    {
        ChildProcess child;
        ASSERT_TRUE(child.Start(exe, Args(nullptr, 0, book), folder.path()));
        HWND main = child.WaitForWindow(L"Pagewick_main_class", kTimeout);
        ASSERT_NE(main, nullptr);
        ASSERT_TRUE(WaitForVisible(main, kTimeout));
        HWND pageText = PageTextOf(main);
        ASSERT_EQ(Narrow(WaitForPageText(pageText, L"1+1/10", kTimeout)), "1+1/10");
        for (int i = 0; i < 6; ++i) {
            PostCommand(main, kNextPage);
        }
        ASSERT_EQ(Narrow(WaitForPageText(pageText, L"7+1/10", kTimeout)), "7+1/10");
        PostMessageW(main, WM_CLOSE, 0, 0);
        DWORD code = 1;
        ASSERT_TRUE(child.WaitForExit(kTimeout, &code));
        EXPECT_EQ(code, 0u);
    }
    ChildProcess child;
    ASSERT_TRUE(child.Start(exe, L"", folder.path()));
    HWND main = child.WaitForWindow(L"Pagewick_main_class", kTimeout);
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(WaitForVisible(main, kTimeout));
    HWND pageText = PageTextOf(main);
    EXPECT_EQ(Narrow(WindowText(pageText)), "0/0") << "nothing is opened before the command";
    PostCommand(main, kResume);
    EXPECT_EQ(Narrow(WaitForPageText(pageText, L"7+1/10", kTimeout)), "7+1/10");
    EXPECT_EQ(Narrow(WindowText(main)), Narrow(book));
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(child.WaitForExit(kTimeout, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace
