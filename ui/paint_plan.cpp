#include "ui/paint_plan.h"

#include "view/display_copy.h"
#include "view/view_state.h"

namespace {

void AddFill(PaintPlan* plan, int32_t left, int32_t top, int32_t right, int32_t bottom) {
    if (left < right && top < bottom && plan->fillCount < 8) {
        plan->fills[plan->fillCount++] = PaintRect{left, top, right, bottom};
    }
}

// One region [left, right) of the view: the strips beside, above and below the
// page and the page itself; or, without a page, the whole region (and the error
// text when the last decode failed).
void PlanRegion(const ReadingView& view,
                const DisplaySlot& slot,
                int32_t left,
                int32_t right,
                PaintPlan* plan) {
    const int32_t height = view.viewHeight;
    if (left >= right || height <= 0) {
        return;
    }
    if (!IsFull(slot.page)) {
        AddFill(plan, left, 0, right, height);
        if (view.cache.pageError) {
            plan->texts[plan->textCount++] = PaintRect{left, 0, right, height};
        }
        return;
    }
    const PageLayout& L = slot.layout;
    // The page's rectangle, kept inside its region so that no strip reaches into
    // the other region (or past the view) even if a layout ran past its edges.
    int32_t x0 = L.destX < left ? left : L.destX;
    int32_t x1 = L.destX + L.destWidth > right ? right : L.destX + L.destWidth;
    int32_t y0 = L.destY < 0 ? 0 : L.destY;
    int32_t y1 = L.destY + L.destHeight > height ? height : L.destY + L.destHeight;
    if (x1 < x0) {
        x1 = x0;
    }
    if (y1 < y0) {
        y1 = y0;
    }
    AddFill(plan, left, 0, x0, height);
    AddFill(plan, x1, 0, right, height);
    AddFill(plan, x0, 0, x1, y0);
    AddFill(plan, x0, y1, x1, height);
    const int32_t pictureHeight = slot.page.header.height;
    plan->stretches[plan->stretchCount++] = PaintStretch{&slot.page,
                                                         L.destX,
                                                         L.destY,
                                                         L.destWidth,
                                                         L.destHeight,
                                                         L.srcX,
                                                         pictureHeight - L.srcY - L.srcHeight,
                                                         L.srcWidth,
                                                         L.srcHeight,
                                                         PaintRect{x0, y0, x1, y1},
                                                         PaintRect{left, 0, right, height},
                                                         nullptr};
    if (CopyMatches(slot.page, L, view.prefs.stretchMode)) {
        plan->stretches[plan->stretchCount - 1].copy = &slot.page.copy;
    }
}

}  // namespace

void PlanPaint(const ReadingView& view, PaintPlan* plan) {
    *plan = PaintPlan{};
    int32_t split = view.split;
    if (split < 0) {
        split = 0;
    }
    if (split > view.viewWidth) {
        split = view.viewWidth;
    }
    PlanRegion(view, view.leftSlot, 0, split, plan);
    if (view.prefs.spreadMode) {
        PlanRegion(view, view.rightSlot, split, view.viewWidth, plan);
    }
}
