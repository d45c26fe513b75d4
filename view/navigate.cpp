#include "view/navigate.h"

#include "app/text.h"
#include "view/commands.h"
#include "view/layout.h"
#include "view/page_cache.h"
#include "view/read_ahead.h"
#include "view/view_state.h"

namespace {

bool HasPageList(const ReadingView* view) {
    return view->book != nullptr && view->book->pages != nullptr && view->book->pageCount > 0;
}

bool BothShown(const ReadingView* view) {
    return IsFull(view->leftSlot.page) && IsFull(view->rightSlot.page);
}

int32_t Clamp(int64_t i, int32_t n) {
    if (i >= n) {
        return n - 1;
    }
    return i < 0 ? 0 : static_cast<int32_t>(i);
}

// The loader is decoding the first page of a spread while its partner is
// neither held nor being decoded: this thread decodes the partner meanwhile,
// and the first page is waited for after it, so both are decoded at once.
bool PartnerFirst(ReadingView* view, int32_t firstIndex, int32_t partnerIndex) {
    return !PageHeld(view, firstIndex) && !PageHeld(view, partnerIndex) && LoaderDecoding(view, firstIndex);
}

// Steps 3 to 5 of a show: keep the shown pages, fill the first slot, pair it
// when both pages are portrait, lay out and repaint. Returns the pages shown.
int32_t ShowPages(ReadingView* view,
                  DisplaySlot* firstSlot,
                  int32_t firstIndex,
                  DisplaySlot* partnerSlot,
                  int32_t partnerIndex,
                  bool pairAllowed) {
    KeepShown(view);
    const bool pairing = pairAllowed && view->prefs.spreadMode;
    const bool partnerFirst = pairing && PartnerFirst(view, firstIndex, partnerIndex);
    bool partnerFilled = partnerFirst && FillPartnerSlot(view, partnerSlot, partnerIndex);
    int32_t shown = 0;
    if (FillSlot(view, firstSlot, firstIndex)) {
        shown = 1;
        if (pairing && IsPortrait(firstSlot->page)) {
            if (!partnerFirst) {
                // The first page appears while its partner is being decoded or
                // waited for; a partner read ahead is there at once, and painting
                // the half first would only paint it twice.
                if (!PageHeld(view, partnerIndex)) {
                    LayoutHalf(view, firstSlot, firstSlot == &view->leftSlot);
                }
                partnerFilled = FillPartnerSlot(view, partnerSlot, partnerIndex);
            }
            if (partnerFilled && IsPortrait(partnerSlot->page)) {
                shown = 2;
                partnerFilled = false;
            }
        }
    }
    if (partnerFilled) {
        // Not paired: kept for the next view, which it will start.
        ParkSecondPage(view, partnerSlot);
    }
    LayoutView(view, false, false);
    view->magnifiedSide = kMagnifyNone;
    view->ops.invalidate(view->ops.context, nullptr);
    view->ops.update(view->ops.context);
    return shown;
}

}  // namespace

int32_t ShowForward(ReadingView* view, int32_t first, bool pairAllowed) {
    view->currentIndex = first;
    view->endIndex = first + 1;
    const bool firstOnRight = view->prefs.spreadMode && view->prefs.rightToLeft;
    DisplaySlot* firstSlot = firstOnRight ? &view->rightSlot : &view->leftSlot;
    DisplaySlot* partnerSlot = firstOnRight ? &view->leftSlot : &view->rightSlot;
    const int32_t shown = ShowPages(view, firstSlot, first, partnerSlot, first + 1, pairAllowed);
    if (shown == 2) {
        view->endIndex += 1;
    }
    return shown;
}

int32_t ShowBackward(ReadingView* view, int32_t last) {
    view->endIndex = last + 1;
    view->currentIndex = last;
    // The earlier page of a spread lands on the left reading left to right and
    // on the right reading right to left.
    const bool lastOnRight = view->prefs.spreadMode && !view->prefs.rightToLeft;
    DisplaySlot* lastSlot = lastOnRight ? &view->rightSlot : &view->leftSlot;
    DisplaySlot* partnerSlot = lastOnRight ? &view->leftSlot : &view->rightSlot;
    const int32_t shown = ShowPages(view, lastSlot, last, partnerSlot, last - 1, true);
    if (shown == 2) {
        view->currentIndex = last - 1;
    }
    return shown;
}

bool Step(ReadingView* view, int32_t command, int32_t index) {
    if (!HasPageList(view)) {
        return false;
    }
    const int32_t n = view->book->pageCount;
    const int32_t c = view->currentIndex;
    const int32_t e = view->endIndex;
    switch (command) {
        case CMD_PREV_PAGE:
            if (n < 2) {
                return false;
            }
            if (c > 0) {
                ShowForward(view, c - 1, true);
            } else {
                // At the start it switches between the first page alone and the
                // first spread.
                ShowForward(view, 0, (e & 1) != 0);
            }
            break;
        case CMD_NEXT_PAGE:
            if (c + 1 >= n) {
                return false;
            }
            ShowForward(view, c + 1, true);
            break;
        case CMD_FIRST_PAGE:
            if (c == 0) {
                return false;
            }
            ShowForward(view, 0, true);
            break;
        case CMD_LAST_PAGE:
            if (e >= n) {
                return false;
            }
            ShowBackward(view, n - 1);
            break;
        case CMD_PREV_SPREAD:
            if (c <= 0) {
                return false;
            }
            ShowBackward(view, c - 1);
            break;
        case CMD_NEXT_SPREAD:
            if (e >= n) {
                return false;
            }
            ShowForward(view, e, true);
            break;
        case CMD_BACK_20:
            if (c <= 0) {
                return false;
            }
            ShowForward(view, Clamp(int64_t{c} - 20, n), true);
            break;
        case CMD_FORWARD_20:
            if (e >= n) {
                return false;
            }
            ShowForward(view, Clamp(int64_t{c} + 20, n), true);
            break;
        case CMD_GOTO_PAGE:
            ShowForward(view, Clamp(index, n), true);
            break;
        case CMD_RELOAD_PAGE:
            ShowForward(view, c, true);
            break;
        default:
            return false;
    }
    AfterShow(view);
    return true;
}

void Navigate(ReadingView* view, int32_t command, int32_t index) {
    if (!HasPageList(view)) {
        return;
    }
    BeginOpen(view);
    Step(view, command, index);
    EndOpen(view);
}

void AfterShow(ReadingView* view) {
    const int32_t c = view->currentIndex;
    const bool both = BothShown(view);
    // The list marks the second page of a spread; its row is redrawn around the
    // selection change so that the mark follows.
    if (both) {
        view->ops.redrawFileListRow(view->ops.context, c + 1);
    }
    view->ops.selectFileListRow(view->ops.context, c);
    if (both) {
        view->ops.redrawFileListRow(view->ops.context, c + 1);
    }
    view->ops.scrollFileListTo(view->ops.context, c);
    SetPageText(view, c + 1, true);
    PlanReadAhead(view);
}

void SetPageText(ReadingView* view, int32_t number, bool moveSlider) {
    // Two numbers of up to 11 characters, "+1", "/" and the terminator.
    char16_t text[32];
    uint32_t n = FormatDecimal(text, number);
    if (moveSlider && BothShown(view)) {
        text[n++] = u'+';
        text[n++] = u'1';
    }
    text[n++] = u'/';
    n += FormatDecimal(text + n, view->book != nullptr ? view->book->pageCount : 0);
    text[n] = 0;
    view->ops.setPageText(view->ops.context, text);
    if (moveSlider) {
        view->ops.setSliderPosition(view->ops.context, number);
    }
}

void OnSliderScroll(ReadingView* view, int32_t code, int32_t position) {
    if (!HasPageList(view)) {
        return;
    }
    int32_t target;
    switch (code) {
        case kSliderThumbTrack:
            SetPageText(view, position, false);
            return;
        case kSliderThumbPosition:
            target = position;
            break;
        case kSliderEndScroll:
            if (view->ops.sliderPosition == nullptr) {
                return;
            }
            target = view->ops.sliderPosition(view->ops.context);
            break;
        default:
            return;
    }
    if (target != view->currentIndex + 1) {
        Navigate(view, CMD_GOTO_PAGE, target - 1);
    } else {
        // The thumb came back to the page shown: the text the drag left behind
        // gives way to the view's own again.
        UpdatePageText(view);
    }
}

void BeginOpen(ReadingView* view) {
    view->loader.setPriority(view->loader.context, LoaderPriority::kIdle);
    view->ops.setCursor(view->ops.context, ViewCursor::kWait);
    view->cache.pageError = false;
}

void EndOpen(ReadingView* view) {
    view->ops.setCursor(view->ops.context, ViewCursor::kArrow);
}

void ShowEmptyView(ReadingView* view) {
    view->currentIndex = 0;
    view->endIndex = 0;
    ReleaseShown(view);
    LayoutView(view, false, false);
    view->magnifiedSide = kMagnifyNone;
    view->ops.invalidate(view->ops.context, nullptr);
    view->ops.update(view->ops.context);
    SetPageText(view, 0, true);
}

void UpdatePageText(ReadingView* view) {
    SetPageText(view, view->currentIndex + 1, true);
}

bool RunViewCommand(ReadingView* view, int32_t command, bool fromKey) {
    switch (command) {
        case CMD_PREV_PAGE:
        case CMD_NEXT_PAGE:
        case CMD_FIRST_PAGE:
        case CMD_LAST_PAGE:
        case CMD_PREV_SPREAD:
        case CMD_NEXT_SPREAD:
        case CMD_BACK_20:
        case CMD_FORWARD_20:
        case CMD_RELOAD_PAGE:
            Navigate(view, command, 0);
            return true;
        case CMD_TOGGLE_LOUPE:
            view->magnifierOn = !view->magnifierOn;
            SetMagnifier(view, view->magnifierOn, fromKey);
            return true;
        case CMD_TOGGLE_SPREAD:
            view->prefs.spreadMode = !view->prefs.spreadMode;
            Navigate(view, CMD_RELOAD_PAGE, 0);
            return true;
        case CMD_TOGGLE_RIGHT_TO_LEFT:
            view->prefs.rightToLeft = !view->prefs.rightToLeft;
            if (view->prefs.spreadMode) {
                Navigate(view, CMD_RELOAD_PAGE, 0);
            }
            return true;
        case CMD_TOGGLE_ENLARGE:
            view->prefs.enlargeSmallPages = !view->prefs.enlargeSmallPages;
            RelayoutView(view);
            view->ops.invalidate(view->ops.context, nullptr);
            view->ops.update(view->ops.context);
            return true;
        default:
            return false;
    }
}
