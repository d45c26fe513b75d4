#include "view/mouse.h"

#include "view/layout.h"
#include "view/page_image.h"
#include "view/view_state.h"

namespace {

constexpr uint32_t kButtons =
    kMouseKeyLeft | kMouseKeyRight | kMouseKeyMiddle | kMouseKeyExtra1 | kMouseKeyExtra2;

void NoCall(void*) {}
void NoAction(void*, int32_t) {}
void NoCursor(void*, MouseCursor) {}
void NoStep(void*, bool) {}
bool NoPosition(void*, int32_t*, int32_t*) {
    return false;
}
void NoChrome(void*, MouseChrome*) {}

template <typename F>
void Default(F& f, F fallback) {
    if (f == nullptr) {
        f = fallback;
    }
}

bool OnlyButtons(uint32_t keys, uint32_t buttons) {
    return (keys & kButtons) == buttons;
}

int64_t Abs(int64_t v) {
    return v < 0 ? -v : v;
}

// The direction of a stroke segment as a gesture state: vertical only when the
// vertical difference is the larger; no movement along an axis counts as
// forward (right, down).
int32_t Direction(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    const int64_t dx = int64_t{x1} - x0;
    const int64_t dy = int64_t{y1} - y0;
    if (Abs(dy) > Abs(dx)) {
        return dy >= 0 ? kMouseGestureDown : kMouseGestureUp;
    }
    return dx >= 0 ? kMouseGestureRight : kMouseGestureLeft;
}

MouseCursor GestureCursorOf(int32_t state) {
    switch (state) {
        case kMouseGestureLeft:
            return MouseCursor::kGestureLeft;
        case kMouseGestureRight:
            return MouseCursor::kGestureRight;
        case kMouseGestureUp:
            return MouseCursor::kGestureUp;
        default:
            return MouseCursor::kGestureDown;
    }
}

bool Moved(const MouseMachine* m, int32_t x, int32_t y) {
    return MouseDistance(m->refX, m->refY, x, y) >= kMouseMoveThreshold;
}

bool PageShown(const ReadingView* view) {
    return view != nullptr && (IsFull(view->leftSlot.page) || IsFull(view->rightSlot.page));
}

// The state goes back to idle before the capture is released, so that the
// capture-lost notice the release causes finds nothing in progress.
void EndAction(MouseMachine* m, int32_t action) {
    m->state = kMouseIdle;
    m->ops.releaseCapture(m->ops.context);
    if (action >= 0) {
        m->ops.runAction(m->ops.context, action);
    }
}

// The end of a left drag: a magnifier that the drag switched on goes away.
void EndDrag(MouseMachine* m) {
    if (m->view != nullptr && !m->view->magnifierOn) {
        m->view->ops.setLoupeButton(m->view->ops.context, false);
        SetMagnifier(m->view, false, false);
    }
}

void BeginDrag(MouseMachine* m, int32_t x, int32_t y) {
    MouseSetCursorShown(m, true);
    m->state = kMouseLeftDrag;
    ReadingView* view = m->view;
    if (view == nullptr || view->magnifierOn || !PageShown(view)) {
        return;
    }
    view->ops.setLoupeButton(view->ops.context, true);
    PanMagnifier(view, x, y);
}

void GestureMove(MouseMachine* m, int32_t x, int32_t y) {
    if (!Moved(m, x, y)) {
        return;
    }
    if (Direction(m->refX, m->refY, x, y) != m->state) {
        m->ops.setCursor(m->ops.context, MouseCursor::kNoEntry);
        m->state = kMouseGestureCancelled;
    }
    m->refX = x;
    m->refY = y;
}

}  // namespace

int64_t MouseDistance(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
    return Abs(int64_t{x1} - x0) + Abs(int64_t{y1} - y0);
}

void MouseInit(MouseMachine* m, ReadingView* view, const MouseOps* ops) {
    *m = MouseMachine{};
    m->view = view;
    m->ops = ops != nullptr ? *ops : MouseOps{};
    MouseOps& o = m->ops;
    Default(o.capture, NoCall);
    Default(o.releaseCapture, NoCall);
    Default(o.runAction, NoAction);
    Default(o.setCursor, NoCursor);
    Default(o.stepCursorCounter, NoStep);
    Default(o.cursorPosition, NoPosition);
    Default(o.readChrome, NoChrome);
    Default(o.showBar, NoStep);
    Default(o.showPane, NoCall);
    Default(o.startPaneTimer, NoCall);
}

void MouseOnLeftDown(MouseMachine* m, uint32_t keys, int32_t x, int32_t y) {
    if (m->state == kMouseIdle && OnlyButtons(keys, kMouseKeyLeft)) {
        m->ops.capture(m->ops.context);
        m->refX = x;
        m->refY = y;
        m->state = kMouseLeftPressed;
    } else if (m->state == kMouseRightPressed && OnlyButtons(keys, kMouseKeyLeft | kMouseKeyRight)) {
        EndAction(m, kActionChord);
    }
}

void MouseOnRightDown(MouseMachine* m, uint32_t keys, int32_t x, int32_t y) {
    if (m->state == kMouseIdle && OnlyButtons(keys, kMouseKeyRight)) {
        m->ops.capture(m->ops.context);
        m->refX = x;
        m->refY = y;
        m->state = kMouseRightPressed;
    } else if (m->state == kMouseLeftPressed && OnlyButtons(keys, kMouseKeyLeft | kMouseKeyRight)) {
        EndAction(m, kActionChord);
    }
}

void MouseOnLeftUp(MouseMachine* m, int32_t, int32_t) {
    if (m->state == kMouseLeftPressed) {
        EndAction(m, kActionLeftClick);
    } else if (m->state == kMouseLeftDrag) {
        EndAction(m, -1);
        EndDrag(m);
    }
}

void MouseOnRightUp(MouseMachine* m, int32_t, int32_t) {
    if (m->state == kMouseRightPressed) {
        EndAction(m, kActionRightClick);
    } else if (m->state >= kMouseGestureLeft && m->state <= kMouseGestureDown) {
        EndAction(m, kActionGestureLeft + m->state);
    } else if (m->state == kMouseGestureCancelled) {
        EndAction(m, -1);
    }
}

void MouseOnMove(MouseMachine* m, int32_t x, int32_t y) {
    switch (m->state) {
        case kMouseIdle: {
            MouseChrome chrome;
            m->ops.readChrome(m->ops.context, &chrome);
            if (chrome.appActive) {
                MouseIdleMove(m, x, y);
            }
            return;
        }
        case kMouseLeftPressed:
            if (Moved(m, x, y)) {
                BeginDrag(m, x, y);
            }
            return;
        case kMouseRightPressed:
            if (Moved(m, x, y)) {
                const int32_t direction = Direction(m->refX, m->refY, x, y);
                MouseSetCursorShown(m, true);
                m->ops.setCursor(m->ops.context, GestureCursorOf(direction));
                m->refX = x;
                m->refY = y;
                m->state = direction;
            }
            return;
        case kMouseGestureLeft:
        case kMouseGestureRight:
        case kMouseGestureUp:
        case kMouseGestureDown:
            GestureMove(m, x, y);
            return;
        case kMouseLeftDrag:
            if (m->view != nullptr) {
                PanMagnifier(m->view, x, y);
            }
            return;
        default:
            return;  // a cancelled stroke waits for its release
    }
}

void MouseOnCaptureLost(MouseMachine* m) {
    if (m->state == kMouseIdle) {
        return;
    }
    const bool dragging = m->state == kMouseLeftDrag;
    m->state = kMouseIdle;
    if (dragging) {
        EndDrag(m);
    }
}

void MouseOnMiddleDown(MouseMachine* m, uint32_t keys) {
    if (OnlyButtons(keys, kMouseKeyMiddle)) {
        m->ops.runAction(m->ops.context, kActionMiddle);
    }
}

void MouseOnExtraDown(MouseMachine* m, int32_t which, uint32_t keys) {
    if (which == 1 && OnlyButtons(keys, kMouseKeyExtra1)) {
        m->ops.runAction(m->ops.context, kActionExtra1);
    } else if (which == 2 && OnlyButtons(keys, kMouseKeyExtra2)) {
        m->ops.runAction(m->ops.context, kActionExtra2);
    }
}

void MouseOnWheel(MouseMachine* m, uint32_t keys, int32_t delta) {
    if ((keys & 0xFFFF) != 0 || delta == 0) {
        return;
    }
    m->ops.runAction(m->ops.context, delta < 0 ? kActionWheelToward : kActionWheelAway);
}

void MouseIdleMove(MouseMachine* m, int32_t x, int32_t y) {
    MouseChrome chrome;
    m->ops.readChrome(m->ops.context, &chrome);
    if (chrome.fullScreen) {
        if (chrome.barAutoHide) {
            if (chrome.barShown) {
                m->ops.showBar(m->ops.context, false);
            } else if (y < kBarZoneHeight && m->view != nullptr && m->view->viewHeight > kBarMinViewHeight) {
                m->ops.showBar(m->ops.context, true);
                MouseSetCursorShown(m, true);
            }
        }
        if (!m->cursorShown && MouseDistance(m->refX, m->refY, x, y) > kCursorWakeDistance) {
            MouseSetCursorShown(m, true);
        }
    }
    if (chrome.paneMode == 1) {
        if (chrome.paneShown) {
            if (!chrome.paneTimerRunning) {
                m->ops.startPaneTimer(m->ops.context);
            }
        } else if (x < kPaneZoneWidth) {
            m->ops.showPane(m->ops.context);
            MouseSetCursorShown(m, true);
        }
    }
    if (m->view != nullptr && m->view->magnifierOn) {
        PanMagnifier(m->view, x, y);
    }
}

void MouseSetCursorShown(MouseMachine* m, bool show) {
    if (m->cursorShown == show) {
        return;
    }
    if (!show) {
        MouseChrome chrome;
        m->ops.readChrome(m->ops.context, &chrome);
        if (chrome.barShown) {
            return;
        }
        int32_t x = 0;
        int32_t y = 0;
        if (m->ops.cursorPosition(m->ops.context, &x, &y)) {
            m->refX = x;
            m->refY = y;
        }
    }
    m->ops.stepCursorCounter(m->ops.context, show);
    m->cursorShown = show;
}

bool MouseBusy(const MouseMachine& m) {
    return m.state != kMouseIdle;
}
