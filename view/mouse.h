// The image view's mouse: the state machine of clicks, the two-button chord,
// right-button stroke gestures and the left-drag magnifier; the buttons and the
// wheel that act without state; the move over an idle view that slides the
// full-screen bar and the auto-hide pane in and brings a hidden cursor back; and
// the cursor's shown state, kept in step with the platform's show counter.
//
// Everything the machine does to windows goes through MouseOps, filled by the
// shell (capture, cursors, the bar and the pane, running a mouse action's
// command) or by a test with a recorder. The magnifier is the reading view's
// own (layout.h). Positions are image-view coordinates; keys are the button
// flags that come with a message (kMouseKey*).
//
// Call order: MouseInit once → the On* events as messages arrive → at any time
// MouseSetCursorShown, MouseBusy. User-interface thread only.
#pragma once

#include <cstdint>

struct ReadingView;

// Values of MouseMachine::state. Gesture states are 0 .. 3 in the order of the
// gesture actions (mouse actions 6 .. 9).
constexpr int32_t kMouseGestureLeft = 0;
constexpr int32_t kMouseGestureRight = 1;
constexpr int32_t kMouseGestureUp = 2;
constexpr int32_t kMouseGestureDown = 3;
constexpr int32_t kMouseGestureCancelled = 4;
constexpr int32_t kMouseIdle = 5;
constexpr int32_t kMouseLeftPressed = 6;
constexpr int32_t kMouseRightPressed = 7;
constexpr int32_t kMouseLeftDrag = 8;

// Button flags of keys (the platform's values).
constexpr uint32_t kMouseKeyLeft = 0x01;
constexpr uint32_t kMouseKeyRight = 0x02;
constexpr uint32_t kMouseKeyShift = 0x04;
constexpr uint32_t kMouseKeyControl = 0x08;
constexpr uint32_t kMouseKeyMiddle = 0x10;
constexpr uint32_t kMouseKeyExtra1 = 0x20;
constexpr uint32_t kMouseKeyExtra2 = 0x40;

// Indexes of the twelve mouse actions (the settings' mouseActions).
constexpr int32_t kActionLeftClick = 0;
constexpr int32_t kActionRightClick = 1;
constexpr int32_t kActionChord = 2;
constexpr int32_t kActionMiddle = 3;
constexpr int32_t kActionExtra1 = 4;
constexpr int32_t kActionExtra2 = 5;
constexpr int32_t kActionGestureLeft = 6;  // + gesture state
constexpr int32_t kActionWheelAway = 10;
constexpr int32_t kActionWheelToward = 11;

// A move counts when it is at least this far (|dx| + |dy|) from the reference point.
constexpr int32_t kMouseMoveThreshold = 9;
// A hidden cursor comes back after a move farther than this.
constexpr int32_t kCursorWakeDistance = 32;
// The full-screen bar slides in when the cursor is above this y, in a view
// taller than kBarMinViewHeight.
constexpr int32_t kBarZoneHeight = 22;
constexpr int32_t kBarMinViewHeight = 48;
// The auto-hide pane slides in when the cursor is left of this x.
constexpr int32_t kPaneZoneWidth = 16;

enum class MouseCursor : uint8_t { kGestureLeft, kGestureRight, kGestureUp, kGestureDown, kNoEntry };

// The shell's flags that a move over the idle view reads.
struct MouseChrome {
    bool appActive = true;
    bool fullScreen = false;
    bool barAutoHide = false;
    bool barShown = true;
    int32_t paneMode = 0;  // 0 shown, 1 auto-hide, 2 hidden
    bool paneShown = false;
    bool paneTimerRunning = false;
};

struct MouseOps {
    void* context;
    void (*capture)(void* ctx);
    void (*releaseCapture)(void* ctx);
    // Runs the command bound to mouse action index (0 .. 11); 0 does nothing.
    void (*runAction)(void* ctx, int32_t index);
    void (*setCursor)(void* ctx, MouseCursor cursor);
    // One step of the platform's cursor show counter, up (show) or down.
    void (*stepCursorCounter)(void* ctx, bool show);
    // The cursor in image-view coordinates; false when it cannot be had.
    bool (*cursorPosition)(void* ctx, int32_t* x, int32_t* y);
    void (*readChrome)(void* ctx, MouseChrome* out);
    // The full-screen bar slid in or out (the shell keeps barShown).
    void (*showBar)(void* ctx, bool show);
    // The auto-hide pane shown (paneShown), and its hide timer started
    // (paneTimerRunning).
    void (*showPane)(void* ctx);
    void (*startPaneTimer)(void* ctx);
};

struct MouseMachine {
    int32_t state = kMouseIdle;
    // The press point, the last point of a stroke, or where the cursor was hidden.
    int32_t refX = 0;
    int32_t refY = 0;
    bool cursorShown = true;
    ReadingView* view = nullptr;  // borrowed: the magnifier
    MouseOps ops{};
};

// Copies the table (null: nothing happens); missing entries do nothing.
void MouseInit(MouseMachine* m, ReadingView* view, const MouseOps* ops);

void MouseOnLeftDown(MouseMachine* m, uint32_t keys, int32_t x, int32_t y);
void MouseOnLeftUp(MouseMachine* m, int32_t x, int32_t y);
void MouseOnRightDown(MouseMachine* m, uint32_t keys, int32_t x, int32_t y);
void MouseOnRightUp(MouseMachine* m, int32_t x, int32_t y);
void MouseOnMove(MouseMachine* m, int32_t x, int32_t y);
// The capture went elsewhere (another window took it, a dialog, a task switch):
// whatever was in progress ends without running anything, a temporary
// magnifier is put away, and the machine is idle, so keys work again.
void MouseOnCaptureLost(MouseMachine* m);
// Stateless buttons: the middle button alone, an extra button (1 or 2) alone.
void MouseOnMiddleDown(MouseMachine* m, uint32_t keys);
void MouseOnExtraDown(MouseMachine* m, int32_t which, uint32_t keys);
// The wheel, only with no key or button held: toward the user (delta < 0) or away.
void MouseOnWheel(MouseMachine* m, uint32_t keys, int32_t delta);

// A move over the idle view: the full-screen bar, a hidden cursor, the
// auto-hide pane, and the magnifier when it is on.
void MouseIdleMove(MouseMachine* m, int32_t x, int32_t y);
// Hides or shows the cursor; the platform's counter moves one step per change.
// Hiding is refused while the bar is shown; the cursor's position is then the
// point a wake-up move is measured from.
void MouseSetCursorShown(MouseMachine* m, bool show);
// True while a button action is in progress (keys are then ignored).
bool MouseBusy(const MouseMachine& m);

// |dx| + |dy|, without overflow for any coordinates.
int64_t MouseDistance(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
