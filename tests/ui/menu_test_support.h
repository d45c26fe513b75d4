// Shared by the tests of the menus and dialogs in the real windows: reading
// menu items back, the live accelerator table, screen captures kept under
// artefacts\ beside the test program, and scripts that act inside a modal loop
// (a dialog or a popup menu) once its window is up.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/language_dialog.h"
#include "ui/menus.h"

std::wstring Lang(uint32_t id);
// The string the platform keeps for an item (the text the item draws).
std::wstring ItemString(UINT command);
const MenuItemRecord* RecordOf(HMENU menu, UINT command);
uint32_t RowOf(uint16_t command);
bool HasAccelerator(BYTE flags, WORD key, WORD command);
std::vector<ACCEL> LiveAccelerators();
// Saves what the screen shows of a window as artefacts\NAME.bmp.
bool SaveScreenshot(HWND window, const std::wstring& name);
// Runs act on the first visible window of class className that modal puts up.
void RunScripted(const wchar_t* className, std::function<void(HWND)> act, const std::function<void()>& modal);
void Click(HWND dialog, int id);
void SelectRow(HWND dialog, uint32_t row);
void SelectKey(HWND dialog, uint8_t key);
// Reads the settings file back as the next start would.
void ReadBack(const std::wstring& path, Settings* s);

// Puts the built-in keys and English back after each test.
class MenusTest : public ShellTest {
  protected:
    // The suite's set-up loads the library for the default (English here), then
    // resets the settings, which empties the name: it is given back, as a start
    // that read it from the settings file would have it.
    void SetUp() override {
        ShellTest::SetUp();
        if (gSettings.languageFile.length == 0) {
            gSettings.languageFile.Assign(u"English");
        }
    }
    void TearDown() override {
        SetDefaultKeyBindings(gSettings.keyBindings);
        gSettings.keyTableCount = 0;
        ApplyBindings();
        (void)SwitchToLanguage(u"English");
    }
    std::wstring Cbz(const wchar_t* name, int count) {
        std::wstring path = folder_.path() + L"\\" + name;
        std::vector<PageSpec> pages(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            PageSpec& page = pages[static_cast<size_t>(i)];
            page.name = std::string("p") + std::to_string(i + 10) + ".bmp";
            page.width = 4;
            page.height = 6;
            page.colour = RGB(i, 80, 40);
        }
        EXPECT_TRUE(WriteCbz(path, pages, nullptr));
        return path;
    }
    ScratchFolder folder_;
};
