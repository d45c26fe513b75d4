// ReadingView: the state of the reading view as one record: the open book it
// shows (borrowed), the view position in it, the settings that shape it, the
// page cache, the two display slots with their layout, the view's size and the
// magnifier, and the tables through which it reaches the windows, the decoders
// and the loader thread.
//
// Call order: ViewInit once (the shell keeps one record for the program, tests
// their own) → ApplyViewPrefs when the settings are read or changed → the page
// cache, layout and navigation operations (page_cache.h, read_ahead.h,
// layout.h, navigate.h) → ReleaseAll at shut-down. Everything here belongs to
// the user-interface thread.
//
// The settings record lives in settings/, on the same floor as view/; the view
// does not include it. The shell copies the values that shape the view into a
// ViewPrefs and applies them, and reads them back from prefs (which the view's
// own commands change) when it writes the settings file.
#pragma once

#include <cstdint>

#include "view/book.h"
#include "view/loader.h"
#include "view/page_cache.h"
#include "view/view_ops.h"

// Where a page lands on the view and which part of the picture is visible.
struct PageLayout {
    int32_t destX;  // top-left corner of the page on the view
    int32_t destY;
    int32_t destWidth;  // size drawn on the view
    int32_t destHeight;
    int32_t srcX;  // top-left corner of the visible part, picture pixels, from the top
    int32_t srcY;
    int32_t srcWidth;  // size of the visible part in picture pixels
    int32_t srcHeight;
    double scale;       // view pixels per picture pixel
    int32_t halfWidth;  // destWidth / 2 and destHeight / 2, for the magnifier
    int32_t halfHeight;
};

// A display slot: the page shown and where it is drawn.
struct DisplaySlot {
    PageImage page;
    PageLayout layout;
};

// Values of ReadingView::magnifiedSide.
constexpr int32_t kMagnifyNone = 0;
constexpr int32_t kMagnifyRight = 1;
constexpr int32_t kMagnifyLeft = 2;

// The settings that shape the view (same names and defaults as the settings).
struct ViewPrefs {
    bool spreadMode = true;
    bool rightToLeft = true;
    bool enlargeSmallPages = true;
    int32_t stretchMode = 4;       // 3 colour on colour, 4 halftone
    int32_t backgroundColour = 2;  // 0 white .. 4 black
};

struct ReadingView {
    BookState* book = nullptr;  // borrowed: the page list and its count
    // View position: pages currentIndex .. endIndex - 1 are shown (one or two).
    int32_t currentIndex = 0;
    int32_t endIndex = 0;
    ViewPrefs prefs;
    PageCache cache;
    DisplaySlot leftSlot{};
    DisplaySlot rightSlot{};
    int32_t viewWidth = 0;  // the image view's client size
    int32_t viewHeight = 0;
    int32_t split = 0;  // x where the right page's region begins
    bool magnifierOn = false;
    int32_t magnifiedSide = kMagnifyNone;
    ViewOps ops{};
    const DecodeOps* decode = nullptr;
    LoaderOps loader{};
};

// Copies the tables (null allowed: nothing happens, RealDecodeOps, no loader);
// every missing entry becomes a no-op. The view starts empty.
void ViewInit(ReadingView* view,
              BookState* book,
              const ViewOps* ops,
              const DecodeOps* decode,
              const LoaderOps* loader);
// Takes the settings' values; stretch mode and background colour are clamped
// to their ranges. Nothing is re-laid out or repainted here.
void ApplyViewPrefs(ReadingView* view, const ViewPrefs& prefs);
