// The paint plan of the image view: which rectangles get the background brush,
// which part of which page is stretched where, and where the error text goes,
// worked out from the reading view's slots and layout. PaintView (image_view_win.cpp)
// carries the plan out between begin-paint and end-paint. Portable arithmetic,
// kept apart from GDI so that it can be checked rectangle by rectangle.
//
// The plan covers every pixel of the view exactly once: the background is never
// erased separately and no two fills overlap, which keeps page turns free of
// flicker without an off-screen buffer.
#pragma once

#include <cstdint>

struct ReadingView;
struct PageImage;
struct DisplayCopy;

struct PaintRect {
    int32_t left;
    int32_t top;
    int32_t right;  // exclusive
    int32_t bottom;
};

// One page stretched onto the view: destination rectangle and the visible part
// of the picture, its y counted from the bottom row (the rows are stored
// bottom-up).
struct PaintStretch {
    const PageImage* page;
    int32_t destX;
    int32_t destY;
    int32_t destWidth;
    int32_t destHeight;
    int32_t srcX;
    int32_t srcYFromBottom;
    int32_t srcWidth;
    int32_t srcHeight;
    // Where a page that cannot be drawn leaves the background and the error text:
    // the page's rectangle as kept inside its region (the strips cover the rest),
    // and the region itself.
    PaintRect pageRect;
    PaintRect region;
    // The page's display copy when it was made for exactly this layout and
    // stretch mode: drawn 1:1 at destX, destY instead of stretching. Null: stretch.
    const DisplayCopy* copy;
};

struct PaintPlan {
    PaintRect fills[8];  // at most four strips on each side
    uint32_t fillCount;
    PaintStretch stretches[2];
    uint32_t stretchCount;
    PaintRect texts[2];  // the error text, centred in each rectangle
    uint32_t textCount;
};

// The plan for the view as it stands. The left region runs from 0 to split; the
// right one from split to the view's width, and only in spread mode.
void PlanPaint(const ReadingView& view, PaintPlan* plan);
