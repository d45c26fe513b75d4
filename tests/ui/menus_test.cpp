// The menus, key bindings, history, bookmarks and the run-time language switch
// in the real windows: item texts and key texts as drawn, the key dialog driven
// like a user would, bindings that act at once and survive a restart, and
// screenshots of every popup and of the key dialog (checked by eye) under
// artefacts\ beside the test program.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "settings/key_names.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/key_dialog.h"
#include "ui/language_dialog.h"
#include "ui/menus.h"
#include "ui/reader.h"
#include "ui/settings_io.h"

namespace {

std::wstring Lang(uint32_t id) {
    StrBuf s;
    LanguageString(id, &s);
    return std::wstring(reinterpret_cast<const wchar_t*>(s.Text()), s.length);
}

// The string the platform keeps for an item (the text the item draws).
std::wstring ItemString(UINT command) {
    wchar_t text[260] = {};
    GetMenuStringW(gApp.menus.get(), command, text, 260, MF_BYCOMMAND);
    return text;
}

const MenuItemRecord* RecordOf(HMENU menu, UINT command) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, command, FALSE, &info) || (info.fType & MFT_OWNERDRAW) == 0) {
        return nullptr;
    }
    return reinterpret_cast<const MenuItemRecord*>(info.dwItemData);
}

uint32_t RowOf(uint16_t command) {
    for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
        if (gSettings.keyBindings[i].command == command) {
            return i;
        }
    }
    return 0;
}

std::vector<ACCEL> LiveAccelerators() {
    std::vector<ACCEL> table(64);
    int n = gApp.accelerators.valid() ? CopyAcceleratorTableW(gApp.accelerators.get(), table.data(), 64) : 0;
    table.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return table;
}

bool HasAccelerator(BYTE flags, WORD key, WORD command) {
    for (const ACCEL& a : LiveAccelerators()) {
        if (a.fVirt == flags && a.key == key && a.cmd == command) {
            return true;
        }
    }
    return false;
}

std::wstring Artefacts() {
    std::wstring folder = BinFolder() + L"\\artefacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

// Saves what the screen shows of a window as a 24-bit BMP.
bool SaveScreenshot(HWND window, const std::wstring& name) {
    // What the script just changed is painted before the capture.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD size = static_cast<DWORD>((w * 3 + 3) & ~3) * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{0x4D42, 14 + 40 + size, 0, 0, 14 + 40};
    bi.bmiHeader.biSizeImage = size;
    bool ok = false;
    FILE* f = _wfopen((Artefacts() + L"\\" + name + L".bmp").c_str(), L"wb");
    if (f != nullptr) {
        ok = fwrite(&fh, 14, 1, f) == 1 && fwrite(&bi.bmiHeader, 40, 1, f) == 1 &&
             fwrite(bits, size, 1, f) == 1;
        fclose(f);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

// Runs act on the first visible window of class className that a modal loop
// (a dialog, a popup menu) puts up, once it has had time to paint.
struct ModalScript {
    const wchar_t* className;
    std::function<void(HWND)> act;
    int ticks = 0;
    bool ran = false;
    UINT_PTR timer = 0;
};
ModalScript* gScript = nullptr;

void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (gScript == nullptr || gScript->ran) {
        return;
    }
    HWND window = FindWindowW(gScript->className, nullptr);
    if (window == nullptr || !IsWindowVisible(window) || ++gScript->ticks < 4) {
        return;
    }
    gScript->ran = true;
    KillTimer(nullptr, gScript->timer);
    gScript->act(window);
}

void RunScripted(const wchar_t* className,
                 std::function<void(HWND)> act,
                 const std::function<void()>& modal) {
    ModalScript script{className, std::move(act)};
    gScript = &script;
    script.timer = SetTimer(nullptr, 0, 60, ScriptTick);
    modal();
    KillTimer(nullptr, script.timer);
    gScript = nullptr;
    EXPECT_TRUE(script.ran) << "no window of the modal loop appeared";
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SelectRow(HWND dialog, uint32_t row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(GetDlgItem(dialog, 2020), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void SelectKey(HWND dialog, uint8_t key) {
    for (uint32_t i = 0; i < kAssignableKeyCount; ++i) {
        if (AssignableKey(i) == key) {
            HWND list = GetDlgItem(dialog, 2021);
            SendMessageW(list, LB_SETCURSEL, i, 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(2021, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        }
    }
}

// Reads the settings file back as the next start would.
void ReadBack(const std::wstring& path, Settings* s) {
    SettingsReader r;
    ASSERT_TRUE(SettingsReaderOpenFile(&r, reinterpret_cast<const char16_t*>(path.c_str())));
    SettingsReadMain(r, s, PlatformSettingsOps());
    SettingsReaderClose(&r);
}

class MenusTest : public ShellTest {
  protected:
    void TearDown() override {
        SetDefaultKeyBindings(gSettings.keyBindings);
        gSettings.keyTableCount = 0;
        ApplyBindings();
        (void)SwitchToLanguage(u"English");
    }
    std::wstring Cbz(const wchar_t* name, int pages) {
        std::wstring path = folder_.path() + L"\\" + name;
        std::vector<PageSpec> specs(static_cast<size_t>(pages));
        for (int i = 0; i < pages; ++i) {
            PageSpec& spec = specs[static_cast<size_t>(i)];
            spec.name = std::string("p") + std::to_string(i + 10) + ".bmp";
            spec.width = 4;
            spec.height = 6;
            spec.colour = RGB(i, 80, 40);
        }
        EXPECT_TRUE(WriteCbz(path, specs, nullptr));
        return path;
    }
    ScratchFolder folder_;
};

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

TEST_F(MenusTest, KeyDialogBindsAtOnceAndTheBindingSurvivesARestart) {
    bool shiftOffered = true;
    bool shiftChecked = true;
    RunScripted(
        L"#32770",
        [&](HWND dialog) {
            SaveScreenshot(dialog, L"key_dialog_English");
            SelectRow(dialog, RowOf(6301));
            CheckDlgButton(dialog, 2041, BST_CHECKED);
            SelectKey(dialog, kKeyCapsLock);
            shiftOffered = IsWindowEnabled(GetDlgItem(dialog, 2041)) != 0;
            shiftChecked = IsDlgButtonChecked(dialog, 2041) == BST_CHECKED;
            SelectKey(dialog, 'Q');
            CheckDlgButton(dialog, 2040, BST_CHECKED);
            Click(dialog, 2050);
            Click(dialog, 2053);
        },
        [] { RunKeyDialog(gApp.mainWindow); });
    EXPECT_FALSE(shiftOffered) << "CapsLock takes no Shift";
    EXPECT_FALSE(shiftChecked) << "CapsLock clears Shift";
    EXPECT_TRUE(HasAccelerator(FVIRTKEY | FCONTROL, 'Q', 6301));
    const MenuItemRecord* r = RecordOf(MenuPopupAt(kPopupMain), 6301);
    ASSERT_TRUE(r != nullptr && r->keyText != nullptr);
    EXPECT_EQ(Narrow(reinterpret_cast<const wchar_t*>(r->keyText)), "Q");

    const std::wstring path = folder_.path() + L"\\Pagewick.ini";
    gSettingsPath.Assign(reinterpret_cast<const char16_t*>(path.c_str()));
    SaveProgramSettings(gApp.mainWindow, gApp.accelerators.get());
    Settings next;
    ReadBack(path, &next);
    EXPECT_EQ(next.keyBindings[RowOf(6301)].key, 'Q');
    EXPECT_EQ(next.keyBindings[RowOf(6301)].modifiers, kAccelVirtKey | kAccelControl);
    EXPECT_EQ(next.keyBindings[RowOf(5050)].key, 0x20) << "the other bindings stay";

    // Every binding removed is saved as removed, not replaced by the old records.
    for (KeyBinding& b : gSettings.keyBindings) {
        b.key = 0;
        b.modifiers = kAccelVirtKey;
    }
    ApplyBindings();
    EXPECT_TRUE(LiveAccelerators().empty());
    SaveProgramSettings(gApp.mainWindow, gApp.accelerators.get());
    Settings emptied;
    ReadBack(path, &emptied);
    for (const KeyBinding& b : emptied.keyBindings) {
        EXPECT_EQ(b.key, 0) << b.command;
    }
    gSettingsPath.Release();
}

TEST_F(MenusTest, LanguageSwitchReTextsAtOnceAndBack) {
    ASSERT_EQ(Narrow(reinterpret_cast<const wchar_t*>(gSettings.languageFile.Text())), "English");
    const std::wstring english = Lang(6301);
    HMENU before = gApp.menus.get();
    EXPECT_FALSE(SwitchToLanguage(u"ENGLISH")) << "the loaded language, other letter case";
    EXPECT_EQ(gApp.menus.get(), before) << "nothing was rebuilt";
    EXPECT_FALSE(SwitchToLanguage(u"NoSuchLanguage"));
    EXPECT_EQ(Lang(6301), english) << "a failed switch keeps the current library";

    for (const char16_t* name : {u"Japanese", u"English"}) {
        ASSERT_TRUE(SwitchToLanguage(name));
        const std::wstring text = Lang(6301);
        EXPECT_EQ(ItemString(6301), text + L"...");
        wchar_t tip[128] = {};
        TTTOOLINFOW info{};
        info.cbSize = sizeof info;
        info.hwnd = gApp.toolBar;
        info.uId = CMD_MENU_MAIN;
        info.lpszText = tip;
        SendMessageW(gApp.toolTip, TTM_GETTEXTW, 128, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(std::wstring(tip), Lang(CMD_MENU_MAIN));
        EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(gApp.pageText, WM_GETFONT, 0, 0)),
                  gApp.interfaceFont.get());
        EXPECT_EQ(GetCurrentObject(gApp.imageDc, OBJ_FONT), gApp.interfaceFont.get());
        const std::wstring suffix = name[0] == u'J' ? L"Japanese" : L"English";
        for (int p = 0; p < kPopupCount; ++p) {
            RunScripted(
                L"#32768",
                [&](HWND menu) {
                    SaveScreenshot(menu, L"popup" + std::to_wstring(p) + L"_" + suffix);
                    EndMenu();
                },
                [&] {
                    TrackPopupMenuEx(MenuPopupAt(p), TPM_LEFTALIGN | TPM_TOPALIGN, 40, 40, gApp.mainWindow,
                                     nullptr);
                });
        }
        RunScripted(
            L"#32770",
            [&](HWND dialog) {
                SaveScreenshot(dialog, L"key_dialog_" + suffix);
                Click(dialog, 2053);
            },
            [] { RunKeyDialog(gApp.mainWindow); });
    }
    EXPECT_NE(english, L"");
}

TEST_F(MenusTest, LanguageListSkipsLibrariesWithoutTheMarker) {
    const std::wstring fake = BinFolder() + L"\\NotALanguage.dll";
    ASSERT_TRUE(CopyFileW((BinFolder() + L"\\shell_tests.exe").c_str(), fake.c_str(), FALSE));
    std::vector<std::string> names;
    RunScripted(
        L"#32770",
        [&](HWND dialog) {
            HWND list = GetDlgItem(dialog, 2111);
            LRESULT n = SendMessageW(list, CB_GETCOUNT, 0, 0);
            for (LRESULT i = 0; i < n; ++i) {
                wchar_t text[64] = {};
                SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
                names.push_back(Narrow(text));
            }
            wchar_t chosen[64] = {};
            GetWindowTextW(list, chosen, 64);
            names.push_back(std::string("chosen ") + Narrow(chosen));
            SaveScreenshot(dialog, L"language_dialog");
            Click(dialog, IDCANCEL);
        },
        [] { RunLanguageDialog(gApp.mainWindow); });
    DeleteFileW(fake.c_str());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"English", "Japanese", "chosen English"}));
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
TEST_F(MenusTest, KeyDialogMousePageMovesAnAction) {
    int32_t saved[kMouseActionCount];
    std::copy(gSettings.mouseActions, gSettings.mouseActions + kMouseActionCount, saved);
    gSettings.keyDialogMousePage = false;
    bool keysHidden = false;
    RunScripted(
        L"#32770",
        [&](HWND dialog) {
            Click(dialog, 2031);
            keysHidden =
                !IsWindowVisible(GetDlgItem(dialog, 2021)) && IsWindowVisible(GetDlgItem(dialog, 2022)) &&
                !IsWindowEnabled(GetDlgItem(dialog, 2040)) && !IsWindowEnabled(GetDlgItem(dialog, 2041));
            SelectRow(dialog, RowOf(5050));  // the loupe, on the middle button (action 3)
            SendMessageW(GetDlgItem(dialog, 2022), LB_SETCURSEL, 4, 0);
            Click(dialog, 2050);
            SaveScreenshot(dialog, L"key_dialog_mouse_page");
            Click(dialog, 2053);
        },
        [] { RunKeyDialog(gApp.mainWindow); });
    EXPECT_TRUE(keysHidden) << "the mouse page shows the action list and no modifier boxes";
    EXPECT_EQ(gSettings.mouseActions[4], 5050);
    EXPECT_EQ(gSettings.mouseActions[3], 0) << "one action per command";
    EXPECT_TRUE(gSettings.keyDialogMousePage);
    std::copy(saved, saved + kMouseActionCount, gSettings.mouseActions);
    gSettings.keyDialogMousePage = false;
}

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

TEST(LanguageFallbackTest, TheFallbacksNameIsSavedAtExit) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", L"Pagewick.exe"));
    ASSERT_TRUE(folder.CopyFromBin(L"Japanese.dll", L"Japanese.dll"));
    const std::wstring ini = folder.path() + L"\\Pagewick.ini";
    {
        Settings s;
        s.languageFile.Assign(u"Removed");
        ASSERT_EQ(SettingsWrite(reinterpret_cast<const char16_t*>(ini.c_str()), s, PlatformSettingsOps(),
                                PlatformSettingsFileOps()),
                  SaveResult::kSaved);
    }
    ChildProcess child;
    ASSERT_TRUE(child.Start(folder.path() + L"\\Pagewick.exe", L"", folder.path()));
    HWND main = child.WaitForWindow(L"Pagewick_main_class", 30000);
    ASSERT_NE(main, nullptr);
    PostMessageW(main, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(child.WaitForExit(30000, &code));
    SettingsReader r;
    ASSERT_TRUE(SettingsReaderOpenFile(&r, reinterpret_cast<const char16_t*>(ini.c_str())));
    Settings after;
    SettingsReadLanguage(r, &after);
    SettingsReaderClose(&r);
    EXPECT_EQ(Narrow(reinterpret_cast<const wchar_t*>(after.languageFile.Text())), "Japanese");
}

}  // namespace
