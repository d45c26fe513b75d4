// Full screen and the mouse on the real windows: the fit of a saved rectangle
// into a work area, full screen in and out (style, cover, tool bar, kept
// placement), the cursor's hiding checked through the platform, and a capture
// lost mid-stroke.
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "settings/settings.h"
#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/full_screen_win.h"
#include "ui/mouse_win.h"
#include "ui/reader.h"

namespace {

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Text(const RECT& r) {
    char text[64];
    std::snprintf(text, sizeof text, "%ld,%ld,%ld,%ld", static_cast<long>(r.left), static_cast<long>(r.top),
                  static_cast<long>(r.right), static_cast<long>(r.bottom));
    return text;
}

TEST(FitIntoWorkArea, SavedRectanglesLandInsideTheWorkArea) {
    struct Case {
        const char* name;
        SavedPlacement saved;
        RECT want;
    };
    const RECT work{0, 0, 1024, 740};
    static const Case kCases[] = {
        {"inside stays", {200, 100, 800, 600}, {200, 100, 1000, 700}},
        {"far right and below every monitor", {5000, 4000, 800, 600}, {224, 140, 1024, 740}},
        {"left of and above every monitor", {-3000, -2000, 800, 600}, {0, 0, 800, 600}},
        {"larger than the work area", {-10, -10, 3010, 2010}, {0, 0, 1024, 740}},
        {"edges at the 32-bit limits", {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX}, {0, 0, 1024, 740}},
        {"no size: the default size", {100, 50, 0, -600}, {100, 50, 900, 650}},
        {"the lowest left and top", {INT32_MIN, INT32_MIN, 800, 600}, {0, 0, 800, 600}},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(Text(FitIntoWorkArea(c.saved, work)), Text(c.want)) << c.name;
    }
}

void Command(int32_t command) {
    Dispatch(static_cast<uint32_t>(command), nullptr);
    PumpMessages();
}

void Send(UINT message, WPARAM keys, int x, int y) {
    SendMessageW(gApp.imageView, message, keys, MAKELPARAM(x, y));
}

bool ButtonVisible(int command) {
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STATE;
    SendMessageW(gApp.toolBar, TB_GETBUTTONINFOW, static_cast<WPARAM>(command),
                 reinterpret_cast<LPARAM>(&info));
    return (info.fsState & TBSTATE_HIDDEN) == 0;
}

int SliderWidth() {
    RECT r;
    GetWindowRect(gApp.pageSlider, &r);
    return r.right - r.left;
}

bool PlatformCursorShowing() {
    CURSORINFO info{};
    info.cbSize = sizeof info;
    return GetCursorInfo(&info) && (info.flags & CURSOR_SHOWING) != 0;
}

class FullScreenTest : public ShellTest {
  protected:
    void SetUp() override {
        ShellTest::SetUp();
        if (gApp.fullScreen) {
            LeaveFullScreen();
        }
        ShowWindow(gApp.mainWindow, SW_RESTORE);
        SizeImageView(kViewWidth, kViewHeight);
        wasActive_ = gApp.appActive;
        gApp.appActive = true;
    }
    void TearDown() override {
        if (gApp.fullScreen) {
            LeaveFullScreen();
        }
        ShowWindow(gApp.mainWindow, SW_RESTORE);
        SizeImageView(kViewWidth, kViewHeight);
        PumpMessages();
        gApp.appActive = wasActive_;
    }
    std::wstring Cbz(int count) {
        std::vector<PageSpec> pages;
        for (int i = 0; i < count; ++i) {
            PageSpec p;
            char name[16];
            std::snprintf(name, sizeof name, "p%02d.bmp", 10 + i);
            p.name = name;
            p.colour = RGB(10 * i, 255 - 10 * i, 128);
            pages.push_back(p);
        }
        std::wstring path = folder_.path() + L"\\book.cbz";
        EXPECT_TRUE(WriteCbz(path, pages, nullptr));
        return path;
    }
    ScratchFolder folder_;
    bool wasActive_ = false;
};

TEST_F(FullScreenTest, InAndOutCoversTheMonitorAndComesBack) {
    RECT before;
    GetWindowRect(gApp.mainWindow, &before);
    RECT client;
    GetClientRect(gApp.mainWindow, &client);
    const int normalSlider = SliderWidth();

    Command(CMD_TOGGLE_FULL_SCREEN);
    ASSERT_TRUE(gApp.fullScreen);
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(gApp.mainWindow, GWL_STYLE));
    EXPECT_EQ(style & WS_CAPTION, 0u);
    EXPECT_NE(style & WS_POPUP, 0u);
    MONITORINFO mi{};
    mi.cbSize = sizeof mi;
    GetMonitorInfoW(MonitorFromWindow(gApp.mainWindow, MONITOR_DEFAULTTONEAREST), &mi);
    RECT full;
    GetWindowRect(gApp.mainWindow, &full);
    EXPECT_EQ(Text(full), Text(mi.rcMonitor));
    EXPECT_NE(SendMessageW(gApp.toolBar, TB_ISBUTTONCHECKED, CMD_TOGGLE_FULL_SCREEN, 0), 0);
    EXPECT_TRUE(ButtonVisible(CMD_MINIMIZE));
    EXPECT_TRUE(ButtonVisible(CMD_CLOSE));
    // The slider gives up room for the two extra buttons.
    RECT fullClient;
    GetClientRect(gApp.mainWindow, &fullClient);
    EXPECT_EQ(SliderWidth() - normalSlider, (fullClient.right - client.right) - 2 * gApp.buttonSize.cx);
    // The image view fills the screen under the auto-hiding bar.
    RECT view;
    GetClientRect(gApp.imageView, &view);
    EXPECT_EQ(view.bottom, mi.rcMonitor.bottom - mi.rcMonitor.top);

    WindowAtExit w;
    FillWindowAtExit(&w);
    EXPECT_TRUE(w.fullScreen);
    EXPECT_EQ(w.keptShowState, kShowNormal);
    EXPECT_EQ(Text(RECT{w.kept.left, w.kept.top, w.kept.right, w.kept.bottom}), Text(before));

    Command(CMD_TOGGLE_FULL_SCREEN);
    EXPECT_FALSE(gApp.fullScreen);
    EXPECT_NE(GetWindowLongPtrW(gApp.mainWindow, GWL_STYLE) & WS_CAPTION, 0);
    RECT after;
    GetWindowRect(gApp.mainWindow, &after);
    EXPECT_EQ(Text(after), Text(before));
    EXPECT_FALSE(ButtonVisible(CMD_MINIMIZE));
    EXPECT_EQ(SendMessageW(gApp.toolBar, TB_ISBUTTONCHECKED, CMD_TOGGLE_FULL_SCREEN, 0), 0);
    EXPECT_EQ(SliderWidth(), normalSlider);
    FillWindowAtExit(&w);
    EXPECT_FALSE(w.fullScreen);
}

TEST_F(FullScreenTest, MaximisedIsKeptAcrossFullScreen) {
    WINDOWPLACEMENT before{};
    before.length = sizeof before;
    GetWindowPlacement(gApp.mainWindow, &before);
    ShowWindow(gApp.mainWindow, SW_MAXIMIZE);
    PumpMessages();
    Command(CMD_TOGGLE_FULL_SCREEN);
    WindowAtExit w;
    FillWindowAtExit(&w);
    EXPECT_EQ(w.keptShowState, kShowMaximized);
    Command(CMD_TOGGLE_FULL_SCREEN);
    EXPECT_TRUE(IsZoomed(gApp.mainWindow));
    WINDOWPLACEMENT after{};
    after.length = sizeof after;
    GetWindowPlacement(gApp.mainWindow, &after);
    EXPECT_TRUE(SameRect(after.rcNormalPosition, before.rcNormalPosition))
        << Text(after.rcNormalPosition) << " want " << Text(before.rcNormalPosition);
}

TEST_F(FullScreenTest, PageTurnHidesTheCursorAndAFarMoveShowsIt) {
    OpenPath(Cbz(6));
    Command(CMD_TOGGLE_FULL_SCREEN);
    ASSERT_TRUE(CursorShown());
    // The first move over the view puts the bar away; only then may the cursor hide.
    POINT p{300, 300};
    ClientToScreen(gApp.imageView, &p);
    SetCursorPos(p.x, p.y);
    Send(WM_MOUSEMOVE, 0, 300, 300);
    EXPECT_FALSE(gApp.barShown);

    Command(CMD_NEXT_SPREAD);
    EXPECT_FALSE(CursorShown());
    EXPECT_FALSE(PlatformCursorShowing());
    // One step down, not many: one step up shows it again.
    EXPECT_EQ(ShowCursor(TRUE), 0);
    ShowCursor(FALSE);

    Send(WM_MOUSEMOVE, 0, 320, 310);  // 30 pixels: still hidden
    EXPECT_FALSE(CursorShown());
    Send(WM_MOUSEMOVE, 0, 340, 300);  // 40 pixels from where it hid
    EXPECT_TRUE(CursorShown());
    EXPECT_TRUE(PlatformCursorShowing());

    // Any command but a page turn shows it too.
    Command(CMD_NEXT_SPREAD);
    EXPECT_FALSE(CursorShown());
    Command(CMD_SCALE_SMOOTH);
    EXPECT_TRUE(CursorShown());
}

// Strokes and chords are driven end to end with real input; here the one
// thing real input cannot stage: another window taking the capture mid-stroke.
TEST_F(FullScreenTest, CaptureTakenMidStrokeLetsKeysWorkAtOnce) {
    OpenPath(Cbz(4));
    const std::wstring first = PageText();
    Command(CMD_LAST_PAGE);
    ASSERT_NE(Narrow(PageText()), Narrow(first));
    Send(WM_RBUTTONDOWN, MK_RBUTTON, 400, 200);
    Send(WM_MOUSEMOVE, MK_RBUTTON, 370, 200);
    EXPECT_EQ(GetCapture(), gApp.imageView);
    EXPECT_TRUE(MouseActionInProgress());
    ReleaseCapture();
    PumpMessages();
    EXPECT_FALSE(MouseActionInProgress());
    Dispatch(CMD_FIRST_PAGE | (kFromAccelerator << 16), nullptr);
    PumpMessages();
    EXPECT_EQ(Narrow(PageText()), Narrow(first));
}

}  // namespace
