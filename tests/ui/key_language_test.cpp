// The key dialog and the language switch in the real windows: bindings that act
// at once and survive a restart, the mouse page, the run-time switch of the
// language library and its list, the fallback's name saved at exit; captures
// of every popup and of the dialogs in both languages.
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "settings/key_names.h"
#include "settings/language.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "tests/ui/menu_test_support.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/key_dialog.h"
#include "ui/language_dialog.h"
#include "ui/settings_io.h"

namespace {

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

TEST(LanguageFallbackTest, TheFallbacksNameIsSavedAtExit) {
    ScratchFolder folder;
    ASSERT_TRUE(folder.CopyFromBin(L"Pagewick.exe", L"Pagewick.exe"));
    ASSERT_TRUE(folder.CopyFromBin(L"Japanese.dll", L"Japanese.dll"));
    const std::wstring ini = folder.path() + L"\\Pagewick.ini";
    {
        Settings s;
        s.languageFile.Assign(u"Removed");
        s.showNoticeAtStart = false;
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
