#include "view/layout.h"

#include <cstdint>

#include "view/display_copy.h"
#include "view/view_state.h"

namespace {

// Rounded as the drawing expects: add one half and truncate. The scale is
// bounded by the view's size over one pixel, doubled, but the result is clamped
// all the same so that no conversion can overflow.
int32_t RoundPixels(double v) {
    v += 0.5;
    if (v >= static_cast<double>(INT32_MAX)) {
        return INT32_MAX;
    }
    return v <= 0.0 ? 0 : static_cast<int32_t>(v);
}

// Centring offset of size inside total; an arithmetic shift, so a page larger
// than the view lands symmetrically (rounding toward minus infinity).
int32_t Centre(int32_t total, int32_t size) {
    return static_cast<int32_t>((static_cast<int64_t>(total) - size) >> 1);
}

// The visible part's offset for a cursor at pos within a page drawn 2 * half
// wide: the part runs from one edge (range 0) to the other while the cursor
// crosses the middle half. 64-bit so that a wide picture cannot overflow; a
// page drawn one pixel wide has no middle half and stays at its edge.
int32_t PanOffset(int32_t range, int32_t pos, int32_t half) {
    if (half <= 0 || range <= 0) {
        return 0;
    }
    int64_t v = static_cast<int64_t>(range) * (static_cast<int64_t>(pos) - half / 2) / half;
    if (v < 0) {
        return 0;
    }
    return v > range ? range : static_cast<int32_t>(v);
}

void ClearLayout(DisplaySlot* slot) {
    slot->layout = PageLayout{};
}

void PlaceCentred(const ReadingView* view, DisplaySlot* slot, int32_t areaWidth, bool magnify) {
    FitPage(view, slot, areaWidth, magnify);
    slot->layout.destX = Centre(view->viewWidth, slot->layout.destWidth);
    slot->layout.destY = Centre(view->viewHeight, slot->layout.destHeight);
}

void RepaintWhole(ReadingView* view) {
    view->ops.invalidate(view->ops.context, nullptr);
    view->ops.update(view->ops.context);
}

}  // namespace

void FitSize(int32_t w,
             int32_t h,
             int32_t areaWidth,
             int32_t viewHeight,
             bool enlarge,
             bool magnify,
             PageLayout* L) {
    double scale = 1.0;
    if (w > 0 && h > 0 && areaWidth > 0 && viewHeight > 0) {
        const double byHeight = static_cast<double>(viewHeight) / h;
        const double byWidth = static_cast<double>(areaWidth) / w;
        const double m = byHeight < byWidth ? byHeight : byWidth;
        if (enlarge || areaWidth < w || viewHeight < h) {
            scale = m;
        }
    }
    if (magnify) {
        scale *= 2.0;
    }
    int32_t fullWidth = RoundPixels(w * scale);
    int32_t fullHeight = RoundPixels(h * scale);
    fullWidth = fullWidth < 1 ? 1 : fullWidth;
    fullHeight = fullHeight < 1 ? 1 : fullHeight;
    if (areaWidth < fullWidth) {
        L->destWidth = areaWidth;
        L->srcWidth = RoundPixels(areaWidth / scale);
    } else {
        L->destWidth = fullWidth;
        L->srcWidth = w;
    }
    if (viewHeight < fullHeight) {
        L->destHeight = viewHeight;
        L->srcHeight = RoundPixels(viewHeight / scale);
    } else {
        L->destHeight = fullHeight;
        L->srcHeight = h;
    }
    L->scale = scale;
    L->halfWidth = L->destWidth / 2;
    L->halfHeight = L->destHeight / 2;
}

void FitPage(const ReadingView* view, DisplaySlot* slot, int32_t areaWidth, bool magnify) {
    if (!IsFull(slot->page)) {
        ClearLayout(slot);
        return;
    }
    FitSize(slot->page.header.width, slot->page.header.height, areaWidth, view->viewHeight,
            view->prefs.enlargeSmallPages, magnify, &slot->layout);
}

void LayoutView(ReadingView* view, bool magnifyRight, bool magnifyLeft) {
    DisplaySlot* left = &view->leftSlot;
    DisplaySlot* right = &view->rightSlot;
    if (!view->prefs.spreadMode || !IsFull(right->page)) {
        view->split = view->viewWidth;
        PlaceCentred(view, left, view->viewWidth, magnifyLeft);
        ClearLayout(right);
    } else if (IsFull(left->page)) {
        const int32_t half = view->viewWidth / 2;
        view->split = half;
        // An odd width gives the left page the extra pixel of area.
        FitPage(view, left, view->viewWidth - half, magnifyLeft);
        left->layout.destX = half - left->layout.destWidth;
        left->layout.destY = Centre(view->viewHeight, left->layout.destHeight);
        FitPage(view, right, half, magnifyRight);
        right->layout.destX = half;
        right->layout.destY = Centre(view->viewHeight, right->layout.destHeight);
    } else {
        view->split = 0;
        PlaceCentred(view, right, view->viewWidth, magnifyRight);
        ClearLayout(left);
    }
    left->layout.srcX = left->layout.srcY = 0;
    right->layout.srcX = right->layout.srcY = 0;
    if (!magnifyRight && !magnifyLeft) {
        DropStaleCopies(view);
    }
}

void LayoutHalf(ReadingView* view, DisplaySlot* slot, bool isLeft) {
    const int32_t half = view->viewWidth / 2;
    // The half is painted before the partner exists; with split on the centre
    // line the paint treats the two halves as the spread they are about to be.
    view->split = half;
    FitPage(view, slot, half, false);
    PageLayout& L = slot->layout;
    L.destX = isLeft ? half - L.destWidth : half;
    L.destY = Centre(view->viewHeight, L.destHeight);
    L.srcX = L.srcY = 0;
    const ViewRect rect = isLeft ? ViewRect{0, 0, half, view->viewHeight}
                                 : ViewRect{half, 0, view->viewWidth, view->viewHeight};
    view->ops.invalidate(view->ops.context, &rect);
    view->ops.update(view->ops.context);
}

void SetMagnifier(ReadingView* view, bool on, bool fromKey) {
    if (fromKey) {
        view->ops.setLoupeButton(view->ops.context, on);
    }
    if (on) {
        int32_t x = 0;
        int32_t y = 0;
        if (!view->ops.cursorPosition(view->ops.context, &x, &y)) {
            return;
        }
        if (view->ops.mouseMove != nullptr) {
            view->ops.mouseMove(view->ops.context, x, y);
        } else {
            PanMagnifier(view, x, y);
        }
        return;
    }
    view->magnifiedSide = kMagnifyNone;
    LayoutView(view, false, false);
    RepaintWhole(view);
}

void PanMagnifier(ReadingView* view, int32_t x, int32_t y) {
    DisplaySlot* target;
    int32_t side;
    if (x < view->split) {
        target = &view->leftSlot;
        side = kMagnifyLeft;
    } else {
        target = &view->rightSlot;
        side = kMagnifyRight;
        x -= view->split;
    }
    if (!IsFull(target->page)) {
        return;
    }
    const bool sideChanged = view->magnifiedSide != side;
    if (sideChanged) {
        view->magnifiedSide = side;
        LayoutView(view, side == kMagnifyRight, side == kMagnifyLeft);
    }
    PageLayout& L = target->layout;
    L.srcX = PanOffset(target->page.header.width - L.srcWidth, x, L.halfWidth);
    L.srcY = PanOffset(target->page.header.height - L.srcHeight, y, L.halfHeight);
    if (sideChanged) {
        view->ops.invalidate(view->ops.context, nullptr);
    }
    const ViewRect rect{L.destX, L.destY, L.destX + L.destWidth, L.destY + L.destHeight};
    view->ops.invalidate(view->ops.context, &rect);
    view->ops.update(view->ops.context);
}

void ResizeView(ReadingView* view, int32_t width, int32_t height) {
    view->viewWidth = width;
    view->viewHeight = height;
    RelayoutView(view);
}

void RelayoutView(ReadingView* view) {
    LayoutView(view, false, false);
    view->magnifiedSide = kMagnifyNone;
}
