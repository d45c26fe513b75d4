// The reading view in the real windows: books of solid-colour pages opened in the
// test process, commands dispatched as the tool bar and the keys send them, and
// the pixels read back from the image view.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "settings/settings.h"
#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/reader.h"

namespace {

const COLORREF kColours[] = {RGB(200, 30, 30),  RGB(30, 200, 30),  RGB(30, 30, 200), RGB(200, 200, 30),
                             RGB(200, 30, 200), RGB(30, 200, 200), RGB(90, 60, 20),  RGB(20, 90, 60)};

std::vector<PageSpec> PortraitPages(int count) {
    std::vector<PageSpec> pages;
    for (int i = 0; i < count; ++i) {
        PageSpec p;
        p.name = std::string("p0") + std::to_string(i + 1) + ".bmp";
        p.colour = kColours[i];
        pages.push_back(p);
    }
    return pages;
}

// Points in the middle of the left half, the right half and the whole view.
constexpr POINT kLeftHalf{kViewWidth / 4, kViewHeight / 2};
constexpr POINT kRightHalf{kViewWidth * 3 / 4, kViewHeight / 2};

void Command(int32_t command) {
    Dispatch(static_cast<uint32_t>(command), nullptr);
    PumpMessages();
}

class ReaderViewTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        SizeImageView(kViewWidth, kViewHeight);
        gView.prefs.spreadMode = true;
        gView.prefs.rightToLeft = true;
        gView.prefs.backgroundColour = 2;
    }
    std::wstring Cbz(const std::vector<PageSpec>& pages, std::vector<uint32_t>* locators = nullptr) {
        std::wstring path = folder_.path() + L"\\book.cbz";
        EXPECT_TRUE(WriteCbz(path, pages, locators));
        return path;
    }
    ScratchFolder folder_;
};

TEST_F(ReaderViewTest, SpreadsTurnRightToLeft) {
    OpenPath(Cbz(PortraitPages(6)));
    struct Step {
        const char* name;
        int32_t command;  // 0: the view as opened
        const wchar_t* text;
        int right;  // page index expected on the right half, then on the left
        int left;
        int sliderPosition;
    };
    static const Step kSteps[] = {
        {"opened", 0, L"1+1/6", 0, 1, 1},
        {"next spread", CMD_NEXT_SPREAD, L"3+1/6", 2, 3, 3},
        {"next spread again", CMD_NEXT_SPREAD, L"5+1/6", 4, 5, 5},
        {"next spread at the end does nothing", CMD_NEXT_SPREAD, L"5+1/6", 4, 5, 5},
        {"previous spread", CMD_PREV_SPREAD, L"3+1/6", 2, 3, 3},
        {"next page shifts the pairs", CMD_NEXT_PAGE, L"4+1/6", 3, 4, 4},
        {"first page", CMD_FIRST_PAGE, L"1+1/6", 0, 1, 1},
        {"forward 20 clamps to the last page", CMD_FORWARD_20, L"6/6", 5, -1, 6},
    };
    EXPECT_EQ(SendMessageW(gApp.pageSlider, TBM_GETRANGEMIN, 0, 0), 1);
    EXPECT_EQ(SendMessageW(gApp.pageSlider, TBM_GETRANGEMAX, 0, 0), 6);
    for (const Step& s : kSteps) {
        if (s.command != 0) {
            Command(s.command);
        }
        EXPECT_EQ(Narrow(PageText()), Narrow(s.text)) << s.name;
        EXPECT_EQ(SendMessageW(gApp.pageSlider, TBM_GETPOS, 0, 0), s.sliderPosition) << s.name;
        if (s.left < 0) {
            // A page alone is centred over both halves.
            EXPECT_EQ(Hex(ViewPixel(kViewWidth / 2, kViewHeight / 2)), Hex(kColours[s.right])) << s.name;
            EXPECT_EQ(Hex(ViewPixel(10, kViewHeight / 2)), Hex(kGrey)) << s.name;
        } else {
            EXPECT_EQ(Hex(ViewPixel(kRightHalf.x, kRightHalf.y)), Hex(kColours[s.right])) << s.name;
            EXPECT_EQ(Hex(ViewPixel(kLeftHalf.x, kLeftHalf.y)), Hex(kColours[s.left])) << s.name;
        }
    }
}

TEST_F(ReaderViewTest, LeftToRightPutsTheFirstPageOnTheLeft) {
    gView.prefs.rightToLeft = false;
    OpenPath(Cbz(PortraitPages(4)));
    EXPECT_EQ(Hex(ViewPixel(kLeftHalf.x, kLeftHalf.y)), Hex(kColours[0]));
    EXPECT_EQ(Hex(ViewPixel(kRightHalf.x, kRightHalf.y)), Hex(kColours[1]));
}

TEST_F(ReaderViewTest, LandscapePageIsShownAlone) {
    std::vector<PageSpec> pages = PortraitPages(5);
    pages[2].width = 600;
    pages[2].height = 300;
    OpenPath(Cbz(pages));
    Command(CMD_NEXT_SPREAD);
    EXPECT_EQ(Narrow(PageText()), "3/5");
    // 600 x 300 fills the width, centred vertically: background above and below.
    EXPECT_EQ(Hex(ViewPixel(kViewWidth / 2, kViewHeight / 2)), Hex(kColours[2]));
    EXPECT_EQ(Hex(ViewPixel(kViewWidth / 2, 20)), Hex(kGrey));
    EXPECT_EQ(Hex(ViewPixel(kViewWidth / 2, kViewHeight - 20)), Hex(kGrey));
    Command(CMD_NEXT_SPREAD);
    EXPECT_EQ(Narrow(PageText()), "4+1/5");
    EXPECT_EQ(Hex(ViewPixel(kRightHalf.x, kRightHalf.y)), Hex(kColours[3]));
    EXPECT_EQ(Hex(ViewPixel(kLeftHalf.x, kLeftHalf.y)), Hex(kColours[4]));
}

TEST_F(ReaderViewTest, UndecodablePageLeavesBackgroundAndErrorText) {
    std::vector<PageSpec> pages = PortraitPages(3);
    pages[0].broken = true;
    OpenPath(Cbz(pages));
    EXPECT_EQ(Narrow(PageText()), "1/3");
    EXPECT_EQ(Hex(ViewPixel(5, 5)), Hex(kGrey));
    EXPECT_EQ(Hex(ViewPixel(kViewWidth - 5, kViewHeight - 5)), Hex(kGrey));
    // The error text: white letters on the grey background across the middle line.
    int lit = 0;
    for (int x = 0; x < kViewWidth; ++x) {
        for (int y = kViewHeight / 2 - 8; y < kViewHeight / 2 + 8; ++y) {
            lit += ViewPixel(x, y) != kGrey ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 20);
    // The next command moves past the page that failed.
    Command(CMD_NEXT_SPREAD);
    EXPECT_EQ(Narrow(PageText()), "2+1/3");
    EXPECT_EQ(Hex(ViewPixel(kRightHalf.x, kRightHalf.y)), Hex(kColours[1]));
}

TEST_F(ReaderViewTest, BackgroundAndStretchCommandsRepaint) {
    std::vector<PageSpec> pages = PortraitPages(2);
    pages[0].width = 200;  // narrower than its half: strips beside it
    pages[0].height = 400;
    OpenPath(Cbz(pages));
    struct Case {
        const char* name;
        int32_t command;
        COLORREF strip;
    };
    static const Case kCases[] = {
        {"white", CMD_BACKGROUND_1, kWhite},
        {"black", CMD_BACKGROUND_5, kBlack},
        {"light grey", CMD_BACKGROUND_1 + 1, RGB(192, 192, 192)},
        {"grey", CMD_BACKGROUND_3, kGrey},
    };
    for (const Case& c : kCases) {
        Command(c.command);
        EXPECT_EQ(Hex(ViewPixel(kViewWidth - 10, kViewHeight / 2)), Hex(c.strip)) << c.name;
        EXPECT_EQ(gSettings.backgroundColour, c.command - CMD_BACKGROUND_1) << c.name;
        EXPECT_EQ(Hex(ViewPixel(kRightHalf.x - 50, kRightHalf.y)), Hex(kColours[0])) << c.name;
    }
    Command(CMD_SCALE_FAST);
    EXPECT_EQ(GetStretchBltMode(gApp.imageDc), COLORONCOLOR);
    EXPECT_EQ(gSettings.stretchMode, 3);
    EXPECT_EQ(Hex(ViewPixel(kLeftHalf.x, kLeftHalf.y)), Hex(kColours[1]));
    Command(CMD_SCALE_SMOOTH);
    EXPECT_EQ(GetStretchBltMode(gApp.imageDc), HALFTONE);
    EXPECT_EQ(gSettings.stretchMode, 4);
    EXPECT_EQ(Hex(ViewPixel(kLeftHalf.x, kLeftHalf.y)), Hex(kColours[1]));
}

TEST_F(ReaderViewTest, ResizeLaysTheSpreadOutAgain) {
    OpenPath(Cbz(PortraitPages(2)));
    SizeImageView(800, 400);
    EXPECT_EQ(gView.viewWidth, 800);
    EXPECT_EQ(gView.split, 400);
    // Each 300 x 400 page meets the centre line; the outer 100 pixels are background.
    EXPECT_EQ(Hex(ViewPixel(399, 200)), Hex(kColours[1]));
    EXPECT_EQ(Hex(ViewPixel(400, 200)), Hex(kColours[0]));
    EXPECT_EQ(Hex(ViewPixel(50, 200)), Hex(kGrey));
    EXPECT_EQ(Hex(ViewPixel(750, 200)), Hex(kGrey));
    SizeImageView(kViewWidth, kViewHeight);
    EXPECT_EQ(gView.split, kViewWidth / 2);
    EXPECT_EQ(Hex(ViewPixel(5, 200)), Hex(kColours[1]));
}

TEST_F(ReaderViewTest, SpreadModeAndDirectionCommands) {
    OpenPath(Cbz(PortraitPages(4)));
    Command(CMD_TOGGLE_SPREAD);
    EXPECT_FALSE(gSettings.spreadMode);
    EXPECT_EQ(Narrow(PageText()), "1/4");
    Command(CMD_TOGGLE_RIGHT_TO_LEFT);  // changes the setting, not the single-page view
    EXPECT_FALSE(gSettings.rightToLeft);
    EXPECT_EQ(Narrow(PageText()), "1/4");
    Command(CMD_TOGGLE_SPREAD);
    EXPECT_EQ(Narrow(PageText()), "1+1/4");
    EXPECT_EQ(Hex(ViewPixel(kLeftHalf.x, kLeftHalf.y)), Hex(kColours[0]));
    Command(CMD_TOGGLE_RIGHT_TO_LEFT);
    EXPECT_EQ(Hex(ViewPixel(kRightHalf.x, kRightHalf.y)), Hex(kColours[0]));
}

TEST_F(ReaderViewTest, WheelTurnsOnlyWithoutKeysHeld) {
    OpenPath(Cbz(PortraitPages(6)));
    struct Case {
        const char* name;
        WPARAM keys;
        int delta;
        const wchar_t* text;
    };
    static const Case kCases[] = {
        {"toward the user: next spread", 0, -WHEEL_DELTA, L"3+1/6"},
        {"with Ctrl: nothing", MK_CONTROL, -WHEEL_DELTA, L"3+1/6"},
        {"with Shift: nothing", MK_SHIFT, WHEEL_DELTA, L"3+1/6"},
        {"away: previous spread", 0, WHEEL_DELTA, L"1+1/6"},
    };
    for (const Case& c : kCases) {
        SendMessageW(gApp.mainWindow, WM_MOUSEWHEEL, MAKEWPARAM(c.keys, static_cast<WORD>(c.delta)), 0);
        PumpMessages();
        EXPECT_EQ(Narrow(PageText()), Narrow(c.text)) << c.name;
    }
}

TEST_F(ReaderViewTest, ReadAheadFillsBothSlotsAfterAShow) {
    OpenPath(Cbz(PortraitPages(6)));
    for (int i = 0;
         i < 200 && (gView.cache.ahead[0].pixels == nullptr || gView.cache.ahead[1].pixels == nullptr); ++i) {
        PumpFor(10);
    }
    ASSERT_NE(gView.cache.ahead[0].pixels, nullptr);
    ASSERT_NE(gView.cache.ahead[1].pixels, nullptr);
    EXPECT_EQ(gView.cache.ahead[0].pageIndex + gView.cache.ahead[1].pageIndex, 2 + 3);
    Command(CMD_NEXT_SPREAD);
    EXPECT_EQ(Hex(ViewPixel(kRightHalf.x, kRightHalf.y)), Hex(kColours[2]));
}

TEST_F(ReaderViewTest, StartLocatorAndMissingPath) {
    std::vector<uint32_t> locators;
    std::wstring path = Cbz(PortraitPages(6), &locators);
    OpenPath(path, locators[3]);
    EXPECT_EQ(gView.currentIndex, 3);
    EXPECT_EQ(Narrow(PageText()), "4+1/6");
    // A path that does not exist opens nothing: the book stays as it was.
    OpenPath(folder_.path() + L"\\missing.cbz");
    EXPECT_EQ(gView.currentIndex, 3);
    EXPECT_EQ(Narrow(PageText()), "4+1/6");
}

TEST_F(ReaderViewTest, DroppedFilesOpenTheFirst) {
    std::wstring first = folder_.path() + L"\\first.cbz";
    std::wstring second = folder_.path() + L"\\second.cbz";
    std::vector<PageSpec> pages = PortraitPages(4);
    ASSERT_TRUE(WriteCbz(first, pages, nullptr));
    std::reverse(pages.begin(), pages.end());
    ASSERT_TRUE(WriteCbz(second, pages, nullptr));
    // A DROPFILES block as the shell hands it over: header, then the wide paths,
    // each terminated, and a final terminator.
    std::wstring list = first + L'\0' + second + L'\0' + L'\0';
    const size_t bytes = sizeof(DROPFILES) + list.size() * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    ASSERT_NE(block, nullptr);
    auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    memcpy(reinterpret_cast<uint8_t*>(drop) + sizeof(DROPFILES), list.data(), list.size() * sizeof(wchar_t));
    GlobalUnlock(block);
    SendMessageW(gApp.mainWindow, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
    PumpMessages();
    EXPECT_EQ(Narrow(std::wstring(reinterpret_cast<const wchar_t*>(gBook.book.path.Text()))), Narrow(first));
    EXPECT_EQ(Hex(ViewPixel(kRightHalf.x, kRightHalf.y)), Hex(kColours[0]));
}

}  // namespace
