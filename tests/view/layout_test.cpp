// Page layout: fitting, centring, spreads, the half layout and the magnifier,
// with the numbers worked out by hand.
#include <gtest/gtest.h>

#include "platform/vm.h"
#include "tests/support/view_fakes.h"
#include "view/layout.h"

namespace {

// A view without a book whose slots hold pages of the given sizes (the pixels
// are never read by the layout).
struct LayoutFixture {
    LayoutFixture(int32_t w, int32_t h, bool spread = false, bool enlarge = false) {
        ViewOps ops = ui.Ops();
        ViewInit(&view, nullptr, &ops, nullptr, nullptr);
        ViewPrefs prefs;
        prefs.spreadMode = spread;
        prefs.enlargeSmallPages = enlarge;
        ApplyViewPrefs(&view, prefs);
        view.viewWidth = w;
        view.viewHeight = h;
    }
    ~LayoutFixture() { ReleaseAll(&view); }

    static void Put(DisplaySlot* slot, int32_t w, int32_t h, int32_t index = 0) {
        ReleasePageImage(&slot->page);
        slot->page.pageIndex = index;
        slot->page.header.width = w;
        slot->page.header.height = h;
        slot->page.header.bitCount = 24;
        slot->page.pixels = static_cast<uint8_t*>(VmAlloc(16));
    }

    FakeUi ui;
    ReadingView view;
};

struct Expect {
    double scale;
    int32_t destX, destY, destWidth, destHeight;
    int32_t srcWidth, srcHeight;
};

void CheckLayout(const PageLayout& L, const Expect& e, const char* name) {
    EXPECT_DOUBLE_EQ(L.scale, e.scale) << name;
    EXPECT_EQ(L.destX, e.destX) << name;
    EXPECT_EQ(L.destY, e.destY) << name;
    EXPECT_EQ(L.destWidth, e.destWidth) << name;
    EXPECT_EQ(L.destHeight, e.destHeight) << name;
    EXPECT_EQ(L.srcWidth, e.srcWidth) << name;
    EXPECT_EQ(L.srcHeight, e.srcHeight) << name;
    EXPECT_EQ(L.srcX, 0) << name;
    EXPECT_EQ(L.srcY, 0) << name;
    EXPECT_EQ(L.halfWidth, e.destWidth / 2) << name;
    EXPECT_EQ(L.halfHeight, e.destHeight / 2) << name;
}

TEST(Layout, SinglePageFitsCentresOrKeepsNaturalSize) {
    struct Case {
        const char* name;
        int32_t w, h, viewWidth, viewHeight;
        bool enlarge, magnify;
        Expect e;
    };
    static const Case kCases[] = {
        {"taller than the view", 600, 800, 1000, 700, false, false, {0.875, 237, 0, 525, 700, 600, 800}},
        {"small page natural size", 300, 400, 1000, 700, false, false, {1.0, 350, 150, 300, 400, 300, 400}},
        {"small page enlarged", 300, 400, 1000, 700, true, false, {1.75, 237, 0, 525, 700, 300, 400}},
        {"wider than the view", 2000, 500, 1000, 700, false, false, {0.5, 0, 225, 1000, 250, 2000, 500}},
        // Twice 0.875: full size 1050 x 1400, cut to the view.
        {"magnified", 600, 800, 1000, 700, false, true, {1.75, 0, 0, 1000, 700, 571, 400}},
        {"small page magnified", 300, 400, 1000, 700, false, true, {2.0, 200, 0, 600, 700, 300, 350}},
        {"minimised view", 600, 800, 1000, 0, false, false, {1.0, 200, 0, 600, 0, 600, 0}},
        {"minimised view enlarged", 600, 800, 1000, 0, true, false, {1.0, 200, 0, 600, 0, 600, 0}},
        {"zero width view", 600, 800, 0, 700, true, false, {1.0, 0, 0, 0, 700, 0, 700}},
        {"exactly the view", 1000, 700, 1000, 700, false, false, {1.0, 0, 0, 1000, 700, 1000, 700}},
        // A page too large in both ways is centred by an arithmetic shift.
        {"odd margin", 601, 700, 1000, 700, false, false, {1.0, 199, 0, 601, 700, 601, 700}},
    };
    for (const Case& c : kCases) {
        LayoutFixture f(c.viewWidth, c.viewHeight, false, c.enlarge);
        LayoutFixture::Put(&f.view.leftSlot, c.w, c.h);
        LayoutView(&f.view, false, c.magnify);
        EXPECT_EQ(f.view.split, c.viewWidth) << c.name;
        CheckLayout(f.view.leftSlot.layout, c.e, c.name);
    }
}

TEST(Layout, SpreadsMeetAtTheCentreLine) {
    struct Case {
        const char* name;
        int32_t viewWidth;
        int32_t leftW, leftH, rightW, rightH;  // 0: slot empty
        int32_t split;
        Expect left, right;
    };
    static const Case kCases[] = {
        // The left page is fitted into 501 pixels and ends at x = 500; the
        // right one into 500 from x = 500.
        {"odd width",
         1001,
         600,
         800,
         600,
         800,
         500,
         {501.0 / 600, -1, 16, 501, 668, 600, 800},
         {500.0 / 600, 500, 16, 500, 667, 600, 800}},
        {"even width, small pages kept",
         1000,
         300,
         400,
         200,
         300,
         500,
         {1.0, 200, 150, 300, 400, 300, 400},
         {1.0, 500, 200, 200, 300, 200, 300}},
        {"right page alone is centred",
         1000,
         0,
         0,
         600,
         800,
         0,
         {0, 0, 0, 0, 0, 0, 0},
         {0.875, 237, 0, 525, 700, 600, 800}},
    };
    for (const Case& c : kCases) {
        LayoutFixture f(c.viewWidth, 700, true, false);
        if (c.leftW > 0) {
            LayoutFixture::Put(&f.view.leftSlot, c.leftW, c.leftH);
        }
        LayoutFixture::Put(&f.view.rightSlot, c.rightW, c.rightH);
        LayoutView(&f.view, false, false);
        EXPECT_EQ(f.view.split, c.split) << c.name;
        if (c.leftW > 0) {
            CheckLayout(f.view.leftSlot.layout, c.left, c.name);
            EXPECT_EQ(f.view.leftSlot.layout.destX + f.view.leftSlot.layout.destWidth, c.split) << c.name;
        }
        CheckLayout(f.view.rightSlot.layout, c.right, c.name);
    }
}

TEST(Layout, SpreadModeOffLaysOutTheLeftPageAlone) {
    LayoutFixture f(1000, 700, false, false);
    LayoutFixture::Put(&f.view.leftSlot, 600, 800);
    LayoutFixture::Put(&f.view.rightSlot, 600, 800);
    LayoutView(&f.view, false, false);
    EXPECT_EQ(f.view.split, 1000);
    EXPECT_EQ(f.view.leftSlot.layout.destX, 237);
}

TEST(Layout, HalfLayoutRepaintsOnlyItsHalf) {
    struct Case {
        const char* name;
        bool isLeft;
        int32_t destX;
        const char* rect;
    };
    static const Case kCases[] = {
        {"left half", true, 500 - 438, "invalidate 0 0 500 700"},
        {"right half", false, 500, "invalidate 500 0 1000 700"},
    };
    for (const Case& c : kCases) {
        LayoutFixture f(1000, 700, true, false);
        DisplaySlot* slot = c.isLeft ? &f.view.leftSlot : &f.view.rightSlot;
        LayoutFixture::Put(slot, 600, 960);  // 500/600 against 700/960: the height rules
        LayoutHalf(&f.view, slot, c.isLeft);
        EXPECT_EQ(slot->layout.destWidth, 438) << c.name;
        EXPECT_EQ(slot->layout.destX, c.destX) << c.name;
        EXPECT_EQ(slot->layout.destY, 0) << c.name;
        EXPECT_EQ(f.view.split, 500) << c.name;
        ASSERT_EQ(f.ui.log.size(), 2u) << c.name;
        EXPECT_EQ(f.ui.log[0], c.rect) << c.name;
        EXPECT_EQ(f.ui.log[1], "update") << c.name;
    }
}

TEST(Layout, MagnifierPansFromEdgeToEdgeOverTheMiddleHalf) {
    struct Case {
        const char* name;
        int32_t x, y;
        int32_t srcX, srcY;
    };
    // 600 x 800 at 1.75 in 1000 x 700: 571 x 400 visible, halves 500 and 350.
    static const Case kCases[] = {
        {"quarter: left and top edges", 250, 175, 0, 0},
        {"three quarters: right and bottom edges", 750, 525, 29, 400},
        {"middle", 500, 350, 14, 200},
        {"outside the middle half, before", 10, 0, 0, 0},
        {"outside the middle half, after", 999, 699, 29, 400},
    };
    for (const Case& c : kCases) {
        LayoutFixture f(1000, 700, false, false);
        LayoutFixture::Put(&f.view.leftSlot, 600, 800);
        LayoutView(&f.view, false, false);
        PanMagnifier(&f.view, c.x, c.y);
        const PageLayout& L = f.view.leftSlot.layout;
        EXPECT_EQ(f.view.magnifiedSide, kMagnifyLeft) << c.name;
        EXPECT_DOUBLE_EQ(L.scale, 1.75) << c.name;
        EXPECT_EQ(L.srcWidth, 571) << c.name;
        EXPECT_EQ(L.halfWidth, 500) << c.name;
        EXPECT_EQ(L.srcX, c.srcX) << c.name;
        EXPECT_EQ(L.srcY, c.srcY) << c.name;
        // First move: the side changed, so the whole view and then the page.
        const std::vector<std::string> expected = {"invalidate all", "invalidate 0 0 1000 700", "update"};
        EXPECT_EQ(f.ui.log, expected) << c.name;
    }
}

TEST(Layout, MagnifierMagnifiesOnlyThePageUnderTheCursor) {
    LayoutFixture f(1000, 700, true, false);
    LayoutFixture::Put(&f.view.leftSlot, 600, 800, 1);
    LayoutFixture::Put(&f.view.rightSlot, 600, 800, 0);
    LayoutView(&f.view, false, false);
    const double fitted = f.view.rightSlot.layout.scale;

    PanMagnifier(&f.view, 700, 100);  // right half
    EXPECT_EQ(f.view.magnifiedSide, kMagnifyRight);
    EXPECT_DOUBLE_EQ(f.view.rightSlot.layout.scale, 2 * fitted);
    EXPECT_DOUBLE_EQ(f.view.leftSlot.layout.scale, fitted);

    f.ui.log.clear();
    PanMagnifier(&f.view, 710, 100);  // same side: only the page's rectangle
    EXPECT_EQ(f.ui.log.front(), "invalidate 500 0 1000 700");

    PanMagnifier(&f.view, 100, 100);  // left half
    EXPECT_EQ(f.view.magnifiedSide, kMagnifyLeft);
    EXPECT_DOUBLE_EQ(f.view.leftSlot.layout.scale, 2 * fitted);
    EXPECT_DOUBLE_EQ(f.view.rightSlot.layout.scale, fitted);
    EXPECT_EQ(f.view.rightSlot.layout.srcX, 0);
}

TEST(Layout, MagnifierIgnoresAnEmptySideAndANarrowPage) {
    LayoutFixture f(1000, 700, true, false);
    LayoutFixture::Put(&f.view.rightSlot, 600, 800);
    LayoutView(&f.view, false, false);  // right page alone: split 0, all of it is the right side
    PanMagnifier(&f.view, 300, 300);
    EXPECT_EQ(f.view.magnifiedSide, kMagnifyRight);

    // A view one pixel wide draws the page one pixel wide: no middle half to pan
    // over, and no division by its zero half width.
    LayoutFixture narrow(1, 700, false, false);
    LayoutFixture::Put(&narrow.view.leftSlot, 600, 800);
    LayoutView(&narrow.view, false, false);
    PanMagnifier(&narrow.view, 0, 350);
    EXPECT_EQ(narrow.view.leftSlot.layout.destWidth, 1);
    EXPECT_EQ(narrow.view.leftSlot.layout.halfWidth, 0);
    EXPECT_EQ(narrow.view.leftSlot.layout.srcX, 0);

    LayoutFixture none(1000, 700, false, false);
    PanMagnifier(&none.view, 10, 10);
    EXPECT_EQ(none.view.magnifiedSide, kMagnifyNone);
    EXPECT_TRUE(none.ui.log.empty());
}

TEST(Layout, MagnifierOffRestoresTheFittedViewAndResizeForgetsTheSide) {
    LayoutFixture f(1000, 700, false, false);
    LayoutFixture::Put(&f.view.leftSlot, 600, 800);
    LayoutView(&f.view, false, false);
    f.ui.hasCursor = true;
    f.ui.cursorX = 750;
    f.ui.cursorY = 350;

    SetMagnifier(&f.view, true, true);
    EXPECT_TRUE(f.ui.loupeButton);
    EXPECT_EQ(f.view.leftSlot.layout.srcX, 29);
    EXPECT_DOUBLE_EQ(f.view.leftSlot.layout.scale, 1.75);

    ResizeView(&f.view, 1000, 350);
    EXPECT_EQ(f.view.magnifiedSide, kMagnifyNone);
    EXPECT_DOUBLE_EQ(f.view.leftSlot.layout.scale, 0.4375);

    PanMagnifier(&f.view, 500, 100);
    f.ui.log.clear();
    SetMagnifier(&f.view, false, false);  // from a menu: the button is not touched
    EXPECT_TRUE(f.ui.loupeButton);
    EXPECT_EQ(f.view.magnifiedSide, kMagnifyNone);
    EXPECT_DOUBLE_EQ(f.view.leftSlot.layout.scale, 0.4375);
    EXPECT_EQ(f.view.leftSlot.layout.srcX, 0);
    const std::vector<std::string> expected = {"invalidate all", "update"};
    EXPECT_EQ(f.ui.log, expected);
}

}  // namespace
