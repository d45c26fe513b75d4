// The browser pane in the real windows: the splitter's strip and clamps, the
// file list's rows and highlights following the view, a row click turning to
// its page, and the list's page commands (delete, copy the name, greyed items).
#include <windows.h>

#include <commctrl.h>

#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/reader.h"
#include "view/commands.h"
#include "view/navigate.h"

namespace {

constexpr COLORREF kLight = RGB(232, 255, 255);

std::vector<PageSpec> Pages(int count, const char* folder = "") {
    std::vector<PageSpec> pages;
    for (int i = 0; i < count; ++i) {
        PageSpec p;
        p.name = std::string(folder) + "p" + std::to_string(i + 1) + ".bmp";
        p.width = 30;
        p.height = 40;
        p.colour = RGB(40 * i, 90, 40);
        pages.push_back(p);
    }
    return pages;
}

class PaneTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        gSettings.paneMode = 0;
        gSettings.paneWidth = 180;
        ShowWindow(gApp.pane, SW_SHOW);
        RelayoutClient();
        gView.prefs.spreadMode = false;
        PumpMessages();
    }
    void TearDown() override { gView.prefs.spreadMode = false; }

    std::wstring Folder(int pages) {
        EXPECT_TRUE(WriteFolderBook(folder_.path(), Pages(pages)));
        return folder_.path();
    }
    static void Mouse(UINT message, WPARAM keys, int x) {
        SendMessageW(gApp.pane, message, keys, MAKELPARAM(x, 50));
    }
    static void ShowList() {
        ShowWindow(gApp.folderTree, SW_HIDE);
        ShowWindow(gApp.fileList, SW_SHOW);
        UpdateWindow(gApp.fileList);
    }
    static int SelectedRow() { return ListView_GetNextItem(gApp.fileList, -1, LVNI_SELECTED); }
    // The colour of a row's fill, inside its frame.
    static COLORREF RowFill(int row) {
        RECT r{};
        ListView_GetItemRect(gApp.fileList, row, &r, LVIR_BOUNDS);
        UpdateWindow(gApp.fileList);
        HDC dc = GetDC(gApp.fileList);
        COLORREF c = GetPixel(dc, r.right - 3, (r.top + r.bottom) / 2);
        ReleaseDC(gApp.fileList, dc);
        return c;
    }
    static UINT ItemState(int command) {
        HMENU menu = MenuPopupAt(kPopupList);
        SendMessageW(gApp.pane, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(menu), 0);
        return GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND);
    }
    ScratchFolder folder_;
};

TEST_F(PaneTest, SplitterDragsOnlyFromItsStripAndStaysInRange) {
    struct Case {
        const char* what;
        int downX;  // where the button goes down (the pane is 180 wide)
        int moveX;
        int wantWidth;
    };
    const Case kCases[] = {
        {"from the strip, a little right", 178, 200, 202},
        {"from the strip's first pixel", 176, 150, 154},
        {"far to the left", 178, -500, 46},
        {"far to the right", 178, 2000, 402},
        {"from just left of the strip", 175, 300, 180},
        {"from the middle of the pane", 90, 300, 180},
    };
    for (const Case& c : kCases) {
        gSettings.paneWidth = 180;
        RelayoutClient();
        Mouse(WM_MOUSEMOVE, 0, c.downX);
        Mouse(WM_LBUTTONDOWN, MK_LBUTTON, c.downX);
        Mouse(WM_MOUSEMOVE, MK_LBUTTON, c.moveX);
        Mouse(WM_LBUTTONUP, 0, c.moveX);
        PumpMessages();
        EXPECT_EQ(gSettings.paneWidth, c.wantWidth) << c.what;
        RECT r{};
        GetWindowRect(gApp.pane, &r);
        EXPECT_EQ(r.right - r.left, c.wantWidth) << c.what;
        RECT view{};
        GetWindowRect(gApp.imageView, &view);
        EXPECT_EQ(view.left, r.right) << c.what;
        EXPECT_EQ(GetCapture(), nullptr) << c.what;
    }
}

TEST_F(PaneTest, RowsFollowTheViewWithTheCurrentPageAndItsPartnerMarked) {
    OpenPath(Folder(5));
    ASSERT_EQ(gBook.pageCount, 5);
    ASSERT_EQ(ListView_GetItemCount(gApp.fileList), 5);
    ShowList();
    gView.prefs.spreadMode = true;
    Navigate(&gView, CMD_GOTO_PAGE, 0);
    for (int turn = 0; turn < 3; ++turn) {
        const int c = gView.currentIndex;
        const bool two = gView.endIndex - c == 2;
        EXPECT_EQ(SelectedRow(), c) << "turn " << turn;
        EXPECT_EQ(RowFill(c), kLight) << "turn " << turn;
        if (two) {
            EXPECT_EQ(RowFill(c + 1), kLight) << "turn " << turn;
        }
        for (int row = 0; row < 5; ++row) {
            if (row != c && !(two && row == c + 1)) {
                EXPECT_NE(RowFill(row), kLight) << "turn " << turn << " row " << row;
            }
        }
        Navigate(&gView, CMD_NEXT_PAGE, 0);
    }
}

TEST_F(PaneTest, SelectingARowShowsThatPage) {
    OpenPath(Folder(4));
    ShowList();
    ASSERT_EQ(gView.currentIndex, 0);
    const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(gApp.fileList, 2, both, both);
    PumpMessages();
    EXPECT_EQ(gView.currentIndex, 2);
    EXPECT_EQ(PageText(), L"3/4");
    // Selecting the row of the page shown changes nothing.
    const uint32_t generation = gView.cache.generation;
    ListView_SetItemState(gApp.fileList, 2, both, both);
    EXPECT_EQ(gView.currentIndex, 2);
    EXPECT_EQ(gView.cache.generation, generation);
}

TEST_F(PaneTest, DeletingPagesGoesOnAndTheLastLeavesAnEmptyBook) {
    OpenPath(Folder(3));
    ASSERT_EQ(gBook.pageCount, 3);
    Navigate(&gView, CMD_GOTO_PAGE, 2);
    ASSERT_EQ(gView.currentIndex, 2);
    // The last of several pages: the first becomes current.
    SendMessageW(gApp.pane, WM_COMMAND, 7100, 0);
    PumpMessages();
    EXPECT_EQ(GetFileAttributesW((folder_.path() + L"\\p3.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(gBook.pageCount, 2);
    EXPECT_EQ(gView.currentIndex, 0);
    EXPECT_EQ(ListView_GetItemCount(gApp.fileList), 2);
    EXPECT_EQ(SelectedRow(), 0);
    EXPECT_EQ(PageText(), L"1/2");
    // A page whose file has already gone is still taken out of the list.
    ASSERT_TRUE(DeleteFileW((folder_.path() + L"\\p1.bmp").c_str()));
    SendMessageW(gApp.pane, WM_COMMAND, 7100, 0);
    PumpMessages();
    EXPECT_EQ(gBook.pageCount, 1);
    EXPECT_EQ(std::u16string(gBook.pages->entries[0].name.Text()), u"p2.bmp");
    // The only page: the book stays open, with no pages and no rows.
    SendMessageW(gApp.pane, WM_COMMAND, 7100, 0);
    PumpMessages();
    EXPECT_TRUE(gBook.book.isOpen);
    EXPECT_EQ(gBook.pages, nullptr);
    EXPECT_EQ(gBook.pageCount, 0);
    EXPECT_EQ(ListView_GetItemCount(gApp.fileList), 0);
    EXPECT_EQ(PageText(), L"0/0");
}

TEST_F(PaneTest, ListItemsAreGreyedByBookKindAndTheArchiveNameIsCopiedWhole) {
    OpenPath(Folder(2));
    EXPECT_EQ(ItemState(7100) & MF_GRAYED, 0u);
    EXPECT_EQ(ItemState(7110) & MF_GRAYED, 0u);
    const std::wstring cbz = folder_.path() + L"\\book.cbz";
    ASSERT_TRUE(WriteCbz(cbz, Pages(2, "ch 1\\"), nullptr));
    OpenPath(cbz);
    ASSERT_EQ(gBook.pageCount, 2);
    EXPECT_NE(ItemState(7100) & MF_GRAYED, 0u);
    EXPECT_NE(ItemState(7110) & MF_GRAYED, 0u);
    EXPECT_EQ(ItemState(7101) & MF_GRAYED, 0u);
    Navigate(&gView, CMD_GOTO_PAGE, 1);
    SendMessageW(gApp.pane, WM_COMMAND, 7101, 0);
    ASSERT_TRUE(OpenClipboard(gApp.mainWindow));
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    std::wstring text = data != nullptr ? static_cast<const wchar_t*>(GlobalLock(data)) : L"";
    if (data != nullptr) {
        GlobalUnlock(data);
    }
    CloseClipboard();
    EXPECT_EQ(text, L"ch 1\\p2.bmp");
    // Deleting is refused for an archive: the page list stays as it was.
    SendMessageW(gApp.pane, WM_COMMAND, 7100, 0);
    EXPECT_EQ(gBook.pageCount, 2);
}

}  // namespace
