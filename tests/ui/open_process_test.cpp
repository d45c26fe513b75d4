// The real program file opening what its command line names: an archive at the
// member a "/z" locator names, and a path that does not exist.
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
    // Settings beside the program, empty: the defaults (spreads, right to left),
    // whatever earlier runs left in the user's profile.
    ASSERT_TRUE(WriteFileBytes(folder.path() + L"\\Pagewick.ini", {}));
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

}  // namespace
