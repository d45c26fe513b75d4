// The option dialogs in the real windows, each driven inside its modal loop: what
// OK and Cancel leave in the settings and the menus, the pane delay's four digits,
// the options dialog's check marks and a new plug-in folder; screenshots of each
// dialog in English and Japanese are kept as artefacts.
#include <windows.h>

#include <commctrl.h>

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "tests/ui/menu_test_support.h"
#include "ui/app_state.h"
#include "ui/option_dialogs.h"
#include "ui/options_dialog.h"

namespace {

std::wstring ItemText(HWND dialog, int id) {
    wchar_t buf[512] = {};
    GetDlgItemTextW(dialog, id, buf, 512);
    return buf;
}

std::wstring Str(const StrBuf& s) {
    return reinterpret_cast<const wchar_t*>(s.Text());
}

void Type(HWND edit, const wchar_t* text) {
    SetFocus(edit);
    for (const wchar_t* c = text; *c != 0; ++c) {
        SendMessageW(edit, WM_CHAR, *c, 0);
    }
}

class OptionDialogsTest : public MenusTest {
  protected:
    void TearDown() override {
        gSettings.showNoticeAtStart = true;
        gSettings.paneHideDelay = 500;
        gSettings.bookmarkCount = 0;
        for (StrBuf& f : gSettings.favouriteFolders) {
            f.Assign(u"");
        }
        gSettings.pluginFolder.Assign(u"");
        gSettings.disabledPlugins.Clear();
        MenusTest::TearDown();
    }
};

TEST_F(OptionDialogsTest, NoticeCheckBoxIsTheOppositeOfTheSetting) {
    struct Case {
        const char* name;
        bool before;
        bool tick;  // toggle the box
        int button;
        bool after;
    };
    static const Case kCases[] = {
        {"ticked, OK", true, true, IDOK, false},
        {"ticked, Cancel", true, true, IDCANCEL, false},
        {"left, OK", true, false, IDOK, true},
        {"shown by the menu while off, unticked", false, true, IDOK, true},
    };
    for (const Case& c : kCases) {
        gSettings.showNoticeAtStart = c.before;
        bool checkedAtStart = false;
        bool okShown = false;
        RunScripted(
            L"#32770",
            [&](HWND dialog) {
                // The button that closes it lies visible inside the dialog.
                RECT client{};
                RECT ok{};
                GetClientRect(dialog, &client);
                HWND button = GetDlgItem(dialog, IDOK);
                GetWindowRect(button, &ok);
                MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&ok), 2);
                okShown = IsWindowVisible(button) && ok.right <= client.right && ok.bottom <= client.bottom;
                checkedAtStart = IsDlgButtonChecked(dialog, 2401) == BST_CHECKED;
                if (c.tick) {
                    CheckDlgButton(dialog, 2401, checkedAtStart ? BST_UNCHECKED : BST_CHECKED);
                }
                Click(dialog, c.button);
            },
            [] { RunNoticeDialog(gApp.mainWindow); });
        EXPECT_TRUE(okShown) << c.name;
        EXPECT_EQ(checkedAtStart, !c.before) << c.name;
        EXPECT_EQ(gSettings.showNoticeAtStart, c.after) << c.name;
    }
}

TEST_F(OptionDialogsTest, PaneDelayTakesFourDigitsAndOnlyOnOk) {
    struct Case {
        const char* name;
        const wchar_t* typed;
        int button;
        int32_t after;
    };
    static const Case kCases[] = {
        {"five digits typed, four fit", L"12345", IDOK, 1234},
        {"zero", L"0", IDOK, 0},
        {"cancelled", L"77", IDCANCEL, 500},
        {"emptied", L"", IDOK, 0},
    };
    for (const Case& c : kCases) {
        gSettings.paneHideDelay = 500;
        std::wstring shown;
        std::wstring typed;
        RunScripted(
            L"#32770",
            [&](HWND dialog) {
                shown = ItemText(dialog, 2620);
                HWND edit = GetDlgItem(dialog, 2620);
                SetWindowTextW(edit, L"");
                Type(edit, c.typed);
                typed = ItemText(dialog, 2620);
                Click(dialog, c.button);
            },
            [] { RunPaneDelayDialog(gApp.mainWindow); });
        EXPECT_EQ(Narrow(shown), "500") << c.name;
        EXPECT_LE(typed.size(), 4u) << c.name;
        EXPECT_EQ(gSettings.paneHideDelay, c.after) << c.name;
    }
}

TEST_F(OptionDialogsTest, ClearedBookmarksGoAndTheRestCloseUpWithTheirMenuItems) {
    struct Case {
        const char* name;
        std::vector<int> clear;  // clear buttons of rows (0-based); -1: Clear All
        int button;
        std::vector<int> kept;  // 1-based original numbers
    };
    const Case kCases[] = {
        {"2 and 4 of five", {1, 3}, IDOK, {1, 3, 5}},
        {"cancelled", {1, 3}, IDCANCEL, {1, 2, 3, 4, 5}},
        {"clear all", {-1}, IDOK, {}},
    };
    for (const Case& c : kCases) {
        for (uint32_t i = 0; i < 5; ++i) {
            const std::wstring path = L"C:\\books\\b" + std::to_wstring(i + 1) + L".cbz";
            gSettings.bookmarks[i].path.Assign(reinterpret_cast<const char16_t*>(path.c_str()));
            gSettings.bookmarks[i].page = static_cast<int32_t>(i * 3);
        }
        gSettings.bookmarkCount = 5;
        RebuildBookmarkItems();
        std::wstring second;
        RunScripted(
            L"#32770",
            [&](HWND dialog) {
                second = ItemText(dialog, 2311);
                for (int row : c.clear) {
                    Click(dialog, row < 0 ? 2305 : 2340 + row);
                }
                Click(dialog, c.button);
            },
            [] { RunBookmarksDialog(gApp.mainWindow); });
        EXPECT_EQ(Narrow(second), "C:\\books\\b2.cbz - 4") << c.name;
        ASSERT_EQ(gSettings.bookmarkCount, c.kept.size()) << c.name;
        for (size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_EQ(Narrow(Str(gSettings.bookmarks[i].path)),
                      "C:\\books\\b" + std::to_string(c.kept[i]) + ".cbz")
                << c.name;
            EXPECT_EQ(gSettings.bookmarks[i].page, (c.kept[i] - 1) * 3) << c.name;
        }
        HMENU menu = MenuPopupAt(kPopupBookmarks);
        for (int i = 0; i < 20; ++i) {
            const bool item = RecordOf(menu, static_cast<UINT>(5720 + i)) != nullptr;
            EXPECT_EQ(item, static_cast<size_t>(i) < c.kept.size()) << c.name << ": menu item " << i;
        }
    }
    gSettings.bookmarkCount = 0;
    EXPECT_EQ(RunBookmarksDialog(gApp.mainWindow), 0) << "no bookmark, no dialog";
}

TEST_F(OptionDialogsTest, FavouritesTakeTheEditsOnlyOnOk) {
    for (int button : {IDOK, IDCANCEL}) {
        for (StrBuf& f : gSettings.favouriteFolders) {
            f.Assign(u"");
        }
        gSettings.favouriteFolders[0].Assign(u"C:\\one");
        gSettings.favouriteFolders[1].Assign(u"C:\\two");
        bool browseEnabled = false;
        RunScripted(
            L"#32770",
            [&](HWND dialog) {
                browseEnabled = IsWindowEnabled(GetDlgItem(dialog, 2230)) != 0;
                Click(dialog, 2250);  // clear row 1
                SetDlgItemTextW(dialog, 2213, L"C:\\four");
                Click(dialog, button);
            },
            [] { RunFavouritesDialog(gApp.mainWindow); });
        EXPECT_TRUE(browseEnabled) << "browse opens the folder chooser";
        const bool ok = button == IDOK;
        EXPECT_EQ(Narrow(Str(gSettings.favouriteFolders[0])), ok ? "" : "C:\\one") << button;
        EXPECT_EQ(Narrow(Str(gSettings.favouriteFolders[1])), "C:\\two") << button;
        EXPECT_EQ(Narrow(Str(gSettings.favouriteFolders[3])), ok ? "C:\\four" : "") << button;
    }
}

std::wstring PluginFolder() {
    return BinFolder() + L"\\..\\plugins";
}

std::vector<std::pair<std::wstring, bool>> Rows(HWND dialog) {
    HWND list = GetDlgItem(dialog, 2540);
    std::vector<std::pair<std::wstring, bool>> rows;
    for (int i = 0; i < ListView_GetItemCount(list); ++i) {
        wchar_t name[300] = {};
        ListView_GetItemText(list, i, 0, name, 300);
        rows.emplace_back(name, ListView_GetCheckState(list, i) != 0);
    }
    return rows;
}

TEST_F(OptionDialogsTest, UncheckedPluginIsDisabledCancelChangesNothingNewFolderEnablesAll) {
    const std::wstring folder = PluginFolder();
    const auto set = [&] {
        gSettings.pluginFolder.Assign(reinterpret_cast<const char16_t*>(folder.c_str()));
        gSettings.disabledPlugins.Clear();
        ASSERT_TRUE(gSettings.disabledPlugins.Append(u"PWWEBP.SPH", 10));
    };
    // Rows in natural order, checked unless disabled (in any letter case); then
    // pwtar unchecked too: OK stores both, in row order.
    set();
    std::vector<std::pair<std::wstring, bool>> rows;
    RunScripted(
        L"#32770",
        [&](HWND dialog) {
            rows = Rows(dialog);
            SaveScreenshot(dialog, L"options_English");
            ListView_SetCheckState(GetDlgItem(dialog, 2540), 0, FALSE);
            Click(dialog, IDOK);
        },
        [] { EXPECT_EQ(RunOptionsDialog(gApp.mainWindow), IDOK); });
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(Narrow(rows[0].first), "pwtar.sph");
    EXPECT_TRUE(rows[0].second);
    EXPECT_EQ(Narrow(rows[1].first), "pwwebp.sph");
    EXPECT_FALSE(rows[1].second);
    ASSERT_EQ(gSettings.disabledPlugins.count, 2u);
    EXPECT_EQ(Narrow(Str(gSettings.disabledPlugins.items[0])), "pwtar.sph");
    EXPECT_EQ(Narrow(Str(gSettings.disabledPlugins.items[1])), "pwwebp.sph");

    // Cancel: check marks and a cleared folder change nothing.
    set();
    RunScripted(
        L"#32770",
        [&](HWND dialog) {
            ListView_SetCheckState(GetDlgItem(dialog, 2540), 0, FALSE);
            Click(dialog, 2530);
            Click(dialog, IDCANCEL);
        },
        [] { EXPECT_EQ(RunOptionsDialog(gApp.mainWindow), IDCANCEL); });
    EXPECT_EQ(Str(gSettings.pluginFolder), folder);
    ASSERT_EQ(gSettings.disabledPlugins.count, 1u);
    EXPECT_EQ(Narrow(Str(gSettings.disabledPlugins.items[0])), "PWWEBP.SPH");

    // Another folder, same plug-ins: every row checked again; OK disables none.
    set();
    const std::wstring other = folder + L"\\.";
    std::vector<std::pair<std::wstring, bool>> after;
    RunScripted(
        L"#32770",
        [&](HWND dialog) {
            SetDlgItemTextW(dialog, 2510, other.c_str());
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(2510, EN_KILLFOCUS),
                         reinterpret_cast<LPARAM>(GetDlgItem(dialog, 2510)));
            after = Rows(dialog);
            Click(dialog, IDOK);
        },
        [] { RunOptionsDialog(gApp.mainWindow); });
    ASSERT_EQ(after.size(), 2u);
    EXPECT_TRUE(after[0].second && after[1].second) << "a new folder enables every plug-in";
    EXPECT_EQ(Str(gSettings.pluginFolder), other);
    EXPECT_EQ(gSettings.disabledPlugins.count, 0u);
}

TEST_F(OptionDialogsTest, ScreenshotsOfEveryDialogInBothLanguages) {
    gSettings.bookmarks[0].path.Assign(u"C:\\books\\A rather long book title, volume 12.cbz");
    gSettings.bookmarkCount = 1;
    const std::wstring folder = PluginFolder();
    gSettings.pluginFolder.Assign(u"");
    for (const char16_t* language : {u"English", u"Japanese"}) {
        ASSERT_TRUE(SwitchToLanguage(language) || language[0] == u'E');
        const std::wstring suffix = language[0] == u'E' ? L"_English" : L"_Japanese";
        struct Shot {
            const wchar_t* name;
            INT_PTR (*run)(HWND);
        };
        static const Shot kShots[] = {
            {L"notice", RunNoticeDialog},         {L"pane_delay", RunPaneDelayDialog},
            {L"bookmarks", RunBookmarksDialog},   {L"favourites", RunFavouritesDialog},
            {L"options_empty", RunOptionsDialog},
        };
        for (const Shot& s : kShots) {
            bool saved = false;
            RunScripted(
                L"#32770",
                [&](HWND dialog) {
                    // Every control painted before the capture, the last buttons included.
                    RedrawWindow(dialog, nullptr, nullptr,
                                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
                    PumpFor(150);
                    saved = SaveScreenshot(dialog, s.name + suffix);
                    Click(dialog, IDCANCEL);
                },
                [&] { s.run(gApp.mainWindow); });
            EXPECT_TRUE(saved) << Narrow(s.name);
        }
    }
    gSettings.showNoticeAtStart = true;
}

}  // namespace
