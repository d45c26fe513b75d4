// The image view's mouse, driven from event tables: clicks, chords, stroke
// gestures, the thresholds, the wheel and the stateless buttons, the left-drag
// magnifier, a lost capture, and the move over the idle view (full-screen bar,
// hidden cursor, auto-hide pane).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/vm.h"
#include "tests/support/view_fakes.h"
#include "view/layout.h"
#include "view/mouse.h"

namespace {

constexpr uint32_t L = kMouseKeyLeft;
constexpr uint32_t R = kMouseKeyRight;

// One event: l/L left down/up, r/R right down/up, m move, c capture lost,
// w wheel (x = delta), b middle down, x extra down (x = which).
struct Ev {
    char kind;
    uint32_t keys;
    int32_t x;
    int32_t y;
};

// Records the machine's calls as text, with the shell's flags it reads.
struct Recorder {
    std::vector<std::string> log;
    MouseChrome chrome;
    int32_t cursorX = 0;
    int32_t cursorY = 0;

    static Recorder* Of(void* ctx) { return static_cast<Recorder*>(ctx); }

    MouseOps Ops() {
        MouseOps o{};
        o.context = this;
        o.capture = [](void* c) { Of(c)->log.push_back("capture"); };
        o.releaseCapture = [](void* c) { Of(c)->log.push_back("release"); };
        o.runAction = [](void* c, int32_t i) { Of(c)->log.push_back("action " + std::to_string(i)); };
        o.setCursor = [](void* c, MouseCursor k) {
            static const char* const kNames[] = {"left", "right", "up", "down", "no"};
            Of(c)->log.push_back(std::string("cursor ") + kNames[static_cast<int>(k)]);
        };
        o.stepCursorCounter = [](void* c, bool show) { Of(c)->log.push_back(show ? "show" : "hide"); };
        o.cursorPosition = [](void* c, int32_t* x, int32_t* y) {
            *x = Of(c)->cursorX;
            *y = Of(c)->cursorY;
            return true;
        };
        o.readChrome = [](void* c, MouseChrome* out) { *out = Of(c)->chrome; };
        o.showBar = [](void* c, bool show) {
            Of(c)->chrome.barShown = show;
            Of(c)->log.push_back(show ? "bar in" : "bar out");
        };
        o.showPane = [](void* c) {
            Of(c)->chrome.paneShown = true;
            Of(c)->log.push_back("pane");
        };
        o.startPaneTimer = [](void* c) {
            Of(c)->chrome.paneTimerRunning = true;
            Of(c)->log.push_back("timer");
        };
        return o;
    }
};

std::string Joined(const std::vector<std::string>& lines) {
    std::string s;
    for (const std::string& line : lines) {
        s += (s.empty() ? "" : ", ") + line;
    }
    return s;
}

void Feed(MouseMachine* m, const std::vector<Ev>& events) {
    for (const Ev& e : events) {
        switch (e.kind) {
            case 'l':
                MouseOnLeftDown(m, e.keys, e.x, e.y);
                break;
            case 'L':
                MouseOnLeftUp(m, e.x, e.y);
                break;
            case 'r':
                MouseOnRightDown(m, e.keys, e.x, e.y);
                break;
            case 'R':
                MouseOnRightUp(m, e.x, e.y);
                break;
            case 'm':
                MouseOnMove(m, e.x, e.y);
                break;
            case 'c':
                MouseOnCaptureLost(m);
                break;
            case 'w':
                MouseOnWheel(m, e.keys, e.x);
                break;
            case 'b':
                MouseOnMiddleDown(m, e.keys);
                break;
            case 'x':
                MouseOnExtraDown(m, e.x, e.keys);
                break;
            default:
                ADD_FAILURE() << "unknown event " << e.kind;
        }
    }
}

TEST(Mouse, ButtonsChordsAndGesturesRunTheirActions) {
    struct Case {
        const char* name;
        std::vector<Ev> events;
        const char* log;
        int32_t state;
    };
    static const Case kCases[] = {
        {"left click", {{'l', L, 100, 100}, {'L', 0, 100, 100}}, "capture, release, action 0", kMouseIdle},
        {"right click", {{'r', R, 100, 100}, {'R', 0, 100, 100}}, "capture, release, action 1", kMouseIdle},
        {"right click with 8 pixels of jitter",
         {{'r', R, 100, 100}, {'m', R, 104, 104}, {'m', R, 96, 100}, {'R', 0, 96, 100}},
         "capture, release, action 1",
         kMouseIdle},
        {"left click with 8 pixels of jitter",
         {{'l', L, 100, 100}, {'m', L, 108, 100}, {'L', 0, 108, 100}},
         "capture, release, action 0",
         kMouseIdle},
        {"40-pixel stroke left in 5-pixel steps",
         {{'r', R, 200, 100},
          {'m', R, 195, 100},
          {'m', R, 190, 101},
          {'m', R, 185, 101},
          {'m', R, 180, 100},
          {'m', R, 175, 100},
          {'m', R, 170, 100},
          {'m', R, 165, 99},
          {'m', R, 160, 100},
          {'R', 0, 160, 100}},
         "capture, cursor left, release, action 6",
         kMouseIdle},
        {"exactly 9 pixels starts a stroke",
         {{'r', R, 100, 100}, {'m', R, 104, 105}, {'R', 0, 104, 105}},
         "capture, cursor down, release, action 9",
         kMouseIdle},
        {"stroke right",
         {{'r', R, 0, 0}, {'m', R, 30, 2}, {'R', 0, 30, 2}},
         "capture, cursor right, release, action 7",
         kMouseIdle},
        {"stroke up",
         {{'r', R, 50, 50}, {'m', R, 52, 20}, {'R', 0, 52, 20}},
         "capture, cursor up, release, action 8",
         kMouseIdle},
        {"stroke down",
         {{'r', R, 50, 50}, {'m', R, 48, 90}, {'R', 0, 48, 90}},
         "capture, cursor down, release, action 9",
         kMouseIdle},
        {"a diagonal tie counts as horizontal",
         {{'r', R, 50, 50}, {'m', R, 45, 45}, {'R', 0, 45, 45}},
         "capture, cursor left, release, action 6",
         kMouseIdle},
        {"a stroke that turns up runs nothing",
         {{'r', R, 200, 200}, {'m', R, 180, 200}, {'m', R, 180, 180}, {'m', R, 160, 180}, {'R', 0, 160, 180}},
         "capture, cursor left, cursor no, release",
         kMouseIdle},
        {"a turn shorter than 9 pixels keeps the stroke",
         {{'r', R, 200, 200}, {'m', R, 180, 200}, {'m', R, 180, 192}, {'R', 0, 180, 192}},
         "capture, cursor left, release, action 6",
         kMouseIdle},
        {"left then right: one chord",
         {{'l', L, 10, 10}, {'r', L | R, 10, 10}, {'R', L, 10, 10}, {'L', 0, 10, 10}},
         "capture, release, action 2",
         kMouseIdle},
        {"right then left: one chord",
         {{'r', R, 10, 10}, {'l', L | R, 10, 10}, {'L', R, 10, 10}, {'R', 0, 10, 10}},
         "capture, release, action 2",
         kMouseIdle},
        {"a press with another button held starts nothing",
         {{'l', L | kMouseKeyMiddle, 10, 10}, {'L', 0, 10, 10}, {'r', R | L, 10, 10}, {'R', 0, 10, 10}},
         "",
         kMouseIdle},
        {"modifier keys do not stop a click",
         {{'l', L | kMouseKeyShift, 5, 5}, {'L', 0, 5, 5}},
         "capture, release, action 0",
         kMouseIdle},
        {"right down during a stroke is no chord",
         {{'r', R, 100, 100}, {'m', R, 60, 100}, {'l', L | R, 60, 100}},
         "capture, cursor left",
         kMouseGestureLeft},
        {"capture lost mid-stroke: idle, the release runs nothing",
         {{'r', R, 100, 100}, {'m', R, 60, 100}, {'c', 0, 0, 0}, {'R', 0, 60, 100}},
         "capture, cursor left",
         kMouseIdle},
        {"capture lost while pressed",
         {{'l', L, 1, 1}, {'c', 0, 0, 0}, {'L', 0, 1, 1}},
         "capture",
         kMouseIdle},
        {"wheel toward and away", {{'w', 0, -120, 0}, {'w', 0, 240, 0}}, "action 11, action 10", kMouseIdle},
        {"wheel with Ctrl, Shift or a button does nothing",
         {{'w', kMouseKeyControl, -120, 0}, {'w', kMouseKeyShift, 120, 0}, {'w', L, 120, 0}},
         "",
         kMouseIdle},
        {"middle and extra buttons alone",
         {{'b', kMouseKeyMiddle, 0, 0}, {'x', kMouseKeyExtra1, 1, 0}, {'x', kMouseKeyExtra2, 2, 0}},
         "action 3, action 4, action 5",
         kMouseIdle},
        {"middle and extra buttons with another held",
         {{'b', kMouseKeyMiddle | L, 0, 0},
          {'x', kMouseKeyExtra1 | kMouseKeyExtra2, 1, 0},
          {'x', kMouseKeyExtra1, 2, 0}},
         "",
         kMouseIdle},
    };
    for (const Case& c : kCases) {
        Recorder rec;
        MouseMachine m;
        MouseOps ops = rec.Ops();
        MouseInit(&m, nullptr, &ops);
        Feed(&m, c.events);
        EXPECT_EQ(Joined(rec.log), c.log) << c.name;
        EXPECT_EQ(m.state, c.state) << c.name;
        EXPECT_EQ(MouseBusy(m), c.state != kMouseIdle) << c.name;
    }
}

// A 1000 x 700 view showing one 600 x 800 page (fitted at 0.875).
struct DragFixture {
    explicit DragFixture(bool withPage) {
        ViewOps viewOps = ui.Ops();
        ViewInit(&view, nullptr, &viewOps, nullptr, nullptr);
        ViewPrefs prefs;
        prefs.spreadMode = false;
        prefs.enlargeSmallPages = false;
        ApplyViewPrefs(&view, prefs);
        view.viewWidth = 1000;
        view.viewHeight = 700;
        if (withPage) {
            view.leftSlot.page.header.width = 600;
            view.leftSlot.page.header.height = 800;
            view.leftSlot.page.header.bitCount = 24;
            view.leftSlot.page.pixels = static_cast<uint8_t*>(VmAlloc(16));
        }
        LayoutView(&view, false, false);
        MouseOps ops = rec.Ops();
        MouseInit(&m, &view, &ops);
    }
    ~DragFixture() { ReleaseAll(&view); }

    FakeUi ui;
    Recorder rec;
    ReadingView view;
    MouseMachine m;
};

TEST(Mouse, LeftDragMagnifiesWhileHeldUnlessTheMagnifierIsOn) {
    struct Case {
        const char* name;
        bool withPage;
        bool magnifierOn;
        char end;  // 'L' release, 'c' capture lost
        double scaleWhileHeld;
        double scaleAfter;
        const char* loupeLines;
    };
    static const Case kCases[] = {
        {"magnifier off: temporary", true, false, 'L', 1.75, 0.875, "loupe on, loupe off"},
        {"magnifier off, capture lost", true, false, 'c', 1.75, 0.875, "loupe on, loupe off"},
        {"magnifier on: pans and stays", true, true, 'L', 1.75, 1.75, ""},
        {"no page shown", false, false, 'L', 0, 0, "loupe off"},
    };
    for (const Case& c : kCases) {
        DragFixture f(c.withPage);
        f.view.magnifierOn = c.magnifierOn;
        if (c.magnifierOn) {
            PanMagnifier(&f.view, 500, 350);
        }
        Feed(&f.m, {{'l', L, 500, 350}, {'m', L, 505, 353}});
        EXPECT_EQ(f.m.state, kMouseLeftPressed) << c.name;
        Feed(&f.m, {{'m', L, 745, 525}});
        EXPECT_EQ(f.m.state, kMouseLeftDrag) << c.name;
        Feed(&f.m, {{'m', L, 750, 525}});
        EXPECT_DOUBLE_EQ(f.view.leftSlot.layout.scale, c.scaleWhileHeld) << c.name;
        if (c.withPage) {
            EXPECT_EQ(f.view.leftSlot.layout.srcX, 29) << c.name << ": panned to the right edge";
        }
        Feed(&f.m, {{c.end, 0, 750, 525}});
        EXPECT_EQ(f.m.state, kMouseIdle) << c.name;
        EXPECT_DOUBLE_EQ(f.view.leftSlot.layout.scale, c.scaleAfter) << c.name;
        EXPECT_EQ(f.view.magnifiedSide, c.magnifierOn ? kMagnifyLeft : kMagnifyNone) << c.name;
        EXPECT_EQ(Joined(f.ui.Lines("loupe")), c.loupeLines) << c.name;
        // A drag is no click.
        EXPECT_EQ(Joined(f.rec.log), c.end == 'L' ? "capture, release" : "capture") << c.name;
    }
}

TEST(Mouse, IdleMoveSlidesTheBarAndPaneAndWakesTheCursor) {
    struct Case {
        const char* name;
        MouseChrome chrome;
        bool cursorShown;
        int32_t viewHeight;
        int32_t x, y;
        const char* log;
    };
    MouseChrome full;
    full.fullScreen = true;
    full.barAutoHide = true;
    full.barShown = false;
    MouseChrome fullBarShown = full;
    fullBarShown.barShown = true;
    MouseChrome fullFixedBar = full;
    fullFixedBar.barAutoHide = false;
    MouseChrome inactive = full;
    inactive.appActive = false;
    MouseChrome window;  // normal window, pane always shown
    MouseChrome autoPane;
    autoPane.paneMode = 1;
    MouseChrome autoPaneShown = autoPane;
    autoPaneShown.paneShown = true;
    MouseChrome autoPaneTiming = autoPaneShown;
    autoPaneTiming.paneTimerRunning = true;
    // The cursor was hidden at (500, 300).
    static const Case kCases[] = {
        {"top 22 pixels bring the bar in", full, true, 700, 500, 21, "bar in"},
        {"the bar and the hidden cursor come together", full, false, 700, 500, 21, "bar in, show"},
        {"below the zone nothing", full, true, 700, 500, 22, ""},
        {"a 48-pixel view never gets the bar", full, true, 48, 500, 0, ""},
        {"a 49-pixel view does", full, true, 49, 500, 0, "bar in"},
        {"any move over the view puts a shown bar away", fullBarShown, true, 700, 500, 0, "bar out"},
        {"a fixed bar is left alone", fullFixedBar, true, 700, 500, 0, ""},
        {"a move of 32 pixels keeps the cursor hidden", full, false, 700, 532, 300, ""},
        {"a move of 33 pixels shows it", full, false, 700, 520, 313, "show"},
        {"outside full screen the cursor wakes no other way", window, false, 700, 900, 600, ""},
        {"an inactive program ignores moves", inactive, false, 700, 500, 0, ""},
        {"left 16 pixels bring the pane in", autoPane, true, 700, 15, 300, "pane"},
        {"x = 16 does not", autoPane, true, 700, 16, 300, ""},
        {"a shown pane starts its hide timer", autoPaneShown, true, 700, 400, 300, "timer"},
        {"a running timer is not started again", autoPaneTiming, true, 700, 400, 300, ""},
    };
    for (const Case& c : kCases) {
        DragFixture f(false);
        f.view.viewHeight = c.viewHeight;
        f.rec.chrome = c.chrome;
        f.m.cursorShown = c.cursorShown;
        f.m.refX = 500;
        f.m.refY = 300;
        MouseOnMove(&f.m, c.x, c.y);
        EXPECT_EQ(Joined(f.rec.log), c.log) << c.name;
    }
}

TEST(Mouse, CursorCounterMovesOneStepPerChange) {
    struct Case {
        const char* name;
        bool barShown;
        std::vector<bool> requests;
        const char* log;
        bool shownAfter;
    };
    static const Case kCases[] = {
        {"hide then show", false, {false, true}, "hide, show", true},
        {"hiding twice steps once", false, {false, false}, "hide", false},
        {"showing a shown cursor does nothing", false, {true, true}, "", true},
        {"no hiding while the bar is shown", true, {false}, "", true},
    };
    for (const Case& c : kCases) {
        Recorder rec;
        rec.chrome.barShown = c.barShown;
        rec.cursorX = 640;
        rec.cursorY = 480;
        MouseMachine m;
        MouseOps ops = rec.Ops();
        MouseInit(&m, nullptr, &ops);
        for (bool show : c.requests) {
            MouseSetCursorShown(&m, show);
        }
        EXPECT_EQ(Joined(rec.log), c.log) << c.name;
        EXPECT_EQ(m.cursorShown, c.shownAfter) << c.name;
        if (!c.shownAfter) {
            EXPECT_EQ(m.refX, 640) << c.name << ": hidden where the cursor was";
            EXPECT_EQ(m.refY, 480) << c.name;
        }
    }
}

TEST(Mouse, DistanceDoesNotOverflow) {
    EXPECT_EQ(MouseDistance(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX), 2 * (int64_t{UINT32_MAX}));
}

}  // namespace
