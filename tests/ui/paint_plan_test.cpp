// The paint plan: every pixel of the image view is written exactly once per
// paint (no erase, no overlapping fills), the pages land on their rectangles and
// the visible part's rows are counted from the bottom.
#include <gtest/gtest.h>

#include <vector>

#include "ui/paint_plan.h"
#include "view/view_state.h"

namespace {

constexpr int kW = 100;
constexpr int kH = 60;

struct SlotSpec {
    bool full;
    int pictureHeight;
    PageLayout layout;
};

struct Case {
    const char* name;
    bool spread;
    int split;
    bool pageError;
    SlotSpec left;
    SlotSpec right;
    int stretches;
    int texts;
};

uint8_t gPixels[4];

void Fill(DisplaySlot* slot, const SlotSpec& recipe) {
    *slot = DisplaySlot{};
    if (recipe.full) {
        slot->page.pixels = gPixels;
        slot->page.header.height = recipe.pictureHeight;
        slot->layout = recipe.layout;
    }
}

// destX, destY, destWidth, destHeight, srcX, srcY, srcWidth, srcHeight.
PageLayout L(int x, int y, int w, int h, int sx = 0, int sy = 0, int sw = 0, int sh = 0) {
    return PageLayout{x, y, w, h, sx, sy, sw, sh, 1.0, w / 2, h / 2};
}

TEST(PaintPlanTest, EveryPixelOnceAndPagesInPlace) {
    const SlotSpec empty{false, 0, {}};
    const Case kCases[] = {
        {"single page centred", false, kW, false, {true, 40, L(30, 10, 40, 40, 0, 0, 40, 40)}, empty, 1, 0},
        {"page as large as the view",
         false,
         kW,
         false,
         {true, 60, L(0, 0, kW, kH, 0, 0, kW, kH)},
         empty,
         1,
         0},
        {"spread meeting at the centre",
         true,
         50,
         false,
         {true, 60, L(20, 0, 30, kH, 0, 0, 30, 60)},
         {true, 60, L(50, 0, 30, kH, 0, 0, 30, 60)},
         2,
         0},
        {"spread filling both halves",
         true,
         50,
         false,
         {true, 60, L(0, 0, 50, kH, 0, 0, 50, 60)},
         {true, 60, L(50, 0, 50, kH, 0, 0, 50, 60)},
         2,
         0},
        {"right page alone", true, 0, false, empty, {true, 40, L(20, 10, 60, 40, 0, 0, 60, 40)}, 1, 0},
        {"left half painted early", true, 50, false, {true, 60, L(20, 0, 30, kH, 0, 0, 30, 60)}, empty, 1, 0},
        {"empty view with the error text", false, kW, true, empty, empty, 0, 1},
        {"empty view, no error", false, kW, false, empty, empty, 0, 0},
        {"magnified part of a tall page",
         false,
         kW,
         false,
         {true, 400, L(0, 0, kW, kH, 10, 100, 50, 30)},
         empty,
         1,
         0},
        {"left page one pixel past the view's left edge",
         true,
         50,
         false,
         {true, 60, L(-1, 0, 51, kH, 0, 0, 51, 60)},
         {true, 60, L(50, 0, 30, kH, 0, 0, 30, 60)},
         2,
         0},
    };
    for (const Case& c : kCases) {
        ReadingView view;
        view.viewWidth = kW;
        view.viewHeight = kH;
        view.split = c.split;
        view.prefs.spreadMode = c.spread;
        view.cache.pageError = c.pageError;
        Fill(&view.leftSlot, c.left);
        Fill(&view.rightSlot, c.right);
        PaintPlan plan;
        PlanPaint(view, &plan);
        EXPECT_EQ(static_cast<int>(plan.stretchCount), c.stretches) << c.name;
        EXPECT_EQ(static_cast<int>(plan.textCount), c.texts) << c.name;

        // Coverage: fills plus the page rectangles, as the window clips them.
        std::vector<int> hits(kW * kH, 0);
        auto cover = [&](int l, int t, int r, int b) {
            for (int y = t < 0 ? 0 : t; y < b && y < kH; ++y) {
                for (int x = l < 0 ? 0 : l; x < r && x < kW; ++x) {
                    ++hits[static_cast<size_t>(y * kW + x)];
                }
            }
        };
        for (uint32_t i = 0; i < plan.fillCount; ++i) {
            const PaintRect& f = plan.fills[i];
            cover(f.left, f.top, f.right, f.bottom);
        }
        for (uint32_t i = 0; i < plan.stretchCount; ++i) {
            const PaintStretch& s = plan.stretches[i];
            const bool isLeft = s.page == &view.leftSlot.page;
            cover(s.destX, s.destY, s.destX + s.destWidth, s.destY + s.destHeight);
            const SlotSpec& recipe = isLeft ? c.left : c.right;
            EXPECT_EQ(s.srcYFromBottom, recipe.pictureHeight - recipe.layout.srcY - recipe.layout.srcHeight)
                << c.name;
            EXPECT_EQ(s.srcHeight, recipe.layout.srcHeight) << c.name;
        }
        int wrong = 0;
        for (int h : hits) {
            wrong += h != 1 ? 1 : 0;
        }
        EXPECT_EQ(wrong, 0) << c.name << ": pixels painted other than once";

        // A page that cannot be drawn leaves its rectangle to the background:
        // with the fills, that again covers its region once, and nothing outside.
        for (uint32_t i = 0; i < plan.stretchCount; ++i) {
            const PaintRect& p = plan.stretches[i].pageRect;
            const PaintRect& region = plan.stretches[i].region;
            hits.assign(hits.size(), 0);
            for (uint32_t k = 0; k < plan.fillCount; ++k) {
                const PaintRect& f = plan.fills[k];
                if (f.left >= region.left && f.right <= region.right) {  // this region's strips
                    cover(f.left, f.top, f.right, f.bottom);
                }
            }
            cover(p.left, p.top, p.right, p.bottom);
            int outside = 0;
            int inside = 0;
            for (int y = 0; y < kH; ++y) {
                for (int x = 0; x < kW; ++x) {
                    const bool in =
                        x >= region.left && x < region.right && y >= region.top && y < region.bottom;
                    const int h = hits[static_cast<size_t>(y * kW + x)];
                    inside += in && h != 1 ? 1 : 0;
                    outside += !in && h != 0 ? 1 : 0;
                }
            }
            EXPECT_EQ(inside, 0) << c.name << ": region not covered once without its page";
            EXPECT_EQ(outside, 0) << c.name << ": background past the region";
        }
    }
}

TEST(PaintPlanTest, SinglePageModeNeverPaintsTheRightRegion) {
    ReadingView view;
    view.viewWidth = kW;
    view.viewHeight = kH;
    view.split = kW;
    view.prefs.spreadMode = false;
    Fill(&view.leftSlot, {true, 60, L(20, 0, 60, kH, 0, 0, 60, 60)});
    // A stale right slot must not be drawn in single-page mode.
    Fill(&view.rightSlot, {true, 60, L(50, 0, 50, kH, 0, 0, 50, 60)});
    PaintPlan plan;
    PlanPaint(view, &plan);
    ASSERT_EQ(plan.stretchCount, 1u);
    EXPECT_EQ(plan.stretches[0].page, &view.leftSlot.page);
}

}  // namespace
