// The menus in the real windows: the popups' items and texts, the key text drawn
// at the right of its item and the diamond check mark, the history, bookmark
// and favourite items and the books they open again.
#include <windows.h>

#include <string>

#include "settings/menu_lists.h"
#include "tests/support/book_builder.h"
#include "tests/ui/menu_test_support.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/reader.h"

namespace {

TEST_F(MenusTest, PopupsHoldTheirItems) {
    struct Case {
        int popup;
        int position;
        UINT command;  // 9900 for a separator
        uint32_t textId;
        const wchar_t* after;
    };
    const Case kCases[] = {
        {kPopupMain, 1, 9900, 0, L""},          {kPopupMain, 2, 6100, 6100, L""},
        {kPopupMain, 11, 6300, 6300, L"..."},   {kPopupMain, 16, 6400, 6400, L""},
        {kPopupFolders, 0, 5500, 5500, L"..."}, {kPopupFolders, 2, 9900, 0, L""},
        {kPopupFolders, 3, 5501, 5501, L"..."}, {kPopupBookmarks, 1, 5701, 5701, L"..."},
        {kPopupBookmarks, 3, 5710, 5710, L""},  {kPopupTree, 13, 7030, 7030, L""},
        {kPopupList, 4, 7110, 7030, L""},
    };
    for (const Case& c : kCases) {
        HMENU popup = MenuPopupAt(c.popup);
        ASSERT_NE(popup, nullptr) << c.popup;
        if (c.command == 9900) {
            EXPECT_EQ(GetMenuItemID(popup, c.position), 9900u) << c.popup << "/" << c.position;
            continue;
        }
        wchar_t text[260] = {};
        GetMenuStringW(popup, static_cast<UINT>(c.position), text, 260, MF_BYPOSITION);
        EXPECT_EQ(Narrow(text), Narrow(Lang(c.textId) + c.after)) << c.popup << "/" << c.position;
    }
    EXPECT_EQ(GetMenuItemCount(MenuPopupAt(kPopupTree)), 14);
    EXPECT_EQ(GetMenuItemCount(MenuPopupAt(kPopupList)), 5);
}

TEST_F(MenusTest, KeyTextDrawnAtTheRightAndCheckAsADiamond) {
    const uint32_t row = RowOf(6301);
    gSettings.keyBindings[row] = KeyBinding{kAccelVirtKey | kAccelControl | kAccelShift, 'Z', 6301};
    ApplyBindings();
    EXPECT_TRUE(HasAccelerator(FVIRTKEY | FCONTROL | FSHIFT, 'Z', 6301)) << "the binding acts at once";
    const MenuItemRecord* r = RecordOf(MenuPopupAt(kPopupMain), 6301);
    ASSERT_NE(r, nullptr);
    ASSERT_NE(r->keyText, nullptr);
    EXPECT_EQ(Narrow(reinterpret_cast<const wchar_t*>(r->modifierText)) +
                  Narrow(reinterpret_cast<const wchar_t*>(r->keyText)),
              "Ctrl+Shift+Z");

    MEASUREITEMSTRUCT mis{ODT_MENU, 0, 6301, 0, 0, reinterpret_cast<ULONG_PTR>(r)};
    ASSERT_TRUE(MeasureMenuItem(&mis));
    const int w = static_cast<int>(mis.itemWidth) + 40;
    const int h = static_cast<int>(mis.itemHeight);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bmp);
    DRAWITEMSTRUCT dis{ODT_MENU,
                       0,
                       6301,
                       ODA_DRAWENTIRE,
                       ODS_CHECKED,
                       nullptr,
                       dc,
                       {0, 0, w, h},
                       reinterpret_cast<ULONG_PTR>(r)};
    ASSERT_TRUE(DrawMenuItem(&dis));
    const COLORREF background = GetSysColor(COLOR_MENU);
    int rightmostInk = -1;
    for (int x = 20; x < w; ++x) {
        for (int y = 0; y < h; ++y) {
            if (GetPixel(dc, x, y) != background) {
                rightmostInk = x;
            }
        }
    }
    // Right-aligned 4 pixels in from the right edge, with the item as wide as measured plus 40.
    EXPECT_GE(rightmostInk, w - 4 - 4);
    EXPECT_LT(rightmostInk, w - 4 + 1);
    const int m = (h - 9) / 2;
    EXPECT_EQ(Hex(GetPixel(dc, 7, m)), Hex(RGB(144, 72, 144))) << "the diamond's top corner";
    EXPECT_EQ(Hex(GetPixel(dc, 7, m + 4)), Hex(RGB(255, 224, 255))) << "the diamond's fill";
    SelectObject(dc, old);
    DeleteObject(bmp);
    DeleteDC(dc);
}

TEST_F(MenusTest, HistoryAndBookmarksReopenTheirBooks) {
    ClearHistory();
    const std::wstring a = Cbz(L"a.cbz", 5);
    const std::wstring b = Cbz(L"b.cbz", 5);
    const std::wstring c = Cbz(L"c.cbz", 5);
    for (const std::wstring& p : {a, b, c}) {
        OpenPath(p);
    }
    ASSERT_EQ(gSettings.historyCount, 3u);
    const std::string folder = Narrow(folder_.path().substr(folder_.path().find_last_of(L'\\') + 1));
    EXPECT_EQ(Narrow(ItemString(CMD_RECENT_1)), folder + "\\c.cbz");
    EXPECT_EQ(Narrow(ItemString(CMD_RECENT_1 + 2)), folder + "\\a.cbz");
    Dispatch(CMD_RECENT_1 + 2, nullptr);
    PumpMessages();
    EXPECT_EQ(Narrow(reinterpret_cast<const wchar_t*>(gBook.book.path.Text())), Narrow(a));
    EXPECT_EQ(Narrow(ItemString(CMD_RECENT_1)), folder + "\\a.cbz") << "reopened: newest again";
    EXPECT_EQ(gSettings.historyCount, 3u);

    const uint32_t count = gSettings.bookmarkCount;
    Dispatch(CMD_NEXT_PAGE, nullptr);
    Dispatch(CMD_NEXT_PAGE, nullptr);
    PumpMessages();
    const int32_t page = gView.currentIndex;
    Dispatch(CMD_ADD_BOOKMARK, nullptr);
    ASSERT_EQ(gSettings.bookmarkCount, count + 1);
    EXPECT_EQ(Narrow(ItemString(static_cast<UINT>(CMD_BOOKMARK_1 + count))),
              folder + "\\a.cbz - " + std::to_string(page + 1));
    OpenPath(b);
    Dispatch(static_cast<uint32_t>(CMD_BOOKMARK_1) + count, nullptr);
    PumpMessages();
    EXPECT_EQ(Narrow(reinterpret_cast<const wchar_t*>(gBook.book.path.Text())), Narrow(a));
    EXPECT_EQ(gView.currentIndex, page);

    // Twenty bookmarks grey the command; clearing the history greys its own.
    for (uint32_t i = 0; i < kBookmarkCount; ++i) {
        Dispatch(CMD_ADD_BOOKMARK, nullptr);
    }
    EXPECT_EQ(gSettings.bookmarkCount, kBookmarkCount);
    UpdateMenuState(MenuPopupAt(kPopupBookmarks), false);
    EXPECT_NE(GetMenuState(gApp.menus.get(), CMD_ADD_BOOKMARK, MF_BYCOMMAND) & MF_GRAYED, 0u);
    Dispatch(CMD_CLEAR_HISTORY, nullptr);
    UpdateMenuState(MenuPopupAt(kPopupMain), false);
    EXPECT_NE(GetMenuState(gApp.menus.get(), CMD_CLEAR_HISTORY, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(gApp.menus.get(), CMD_RECENT_1, MF_BYCOMMAND), static_cast<UINT>(-1));
    for (uint32_t i = 0; i < kBookmarkCount; ++i) {
        gSettings.bookmarks[i].path.Release();
    }
    gSettings.bookmarkCount = 0;
    RebuildBookmarkItems();
}

// A settings file naming a library that was removed: the program falls back
// (English is missing too, so to Japanese) and saves the fallback's name.
TEST_F(MenusTest, FavouritesInSlotOrderAndGreyWhenGone) {
    gSettings.favouriteFolders[3].Assign(reinterpret_cast<const char16_t*>(folder_.path().c_str()));
    gSettings.favouriteFolders[1].Assign(u"C:\\no\\such\\shelf");
    RebuildFavouritesMenu();
    HMENU folders = MenuPopupAt(kPopupFolders);
    EXPECT_EQ(GetMenuItemID(folders, 2), static_cast<UINT>(CMD_FOLDER_1 + 1));
    EXPECT_EQ(GetMenuItemID(folders, 3), static_cast<UINT>(CMD_FOLDER_1 + 3));
    EXPECT_EQ(Narrow(ItemString(CMD_FOLDER_1 + 1)), "shelf");
    UpdateMenuState(folders, false);
    EXPECT_NE(GetMenuState(folders, CMD_FOLDER_1 + 1, MF_BYCOMMAND) & MF_GRAYED, 0u);
    EXPECT_EQ(GetMenuState(folders, CMD_FOLDER_1 + 3, MF_BYCOMMAND) & MF_GRAYED, 0u);
    gSettings.favouriteFolders[1].Release();
    gSettings.favouriteFolders[3].Release();
    RebuildFavouritesMenu();
    EXPECT_EQ(GetMenuItemCount(folders), 4);
}

}  // namespace
