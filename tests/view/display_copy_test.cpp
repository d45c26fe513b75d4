// Display copies made with the pages read ahead: after a turn, each shown page
// has a copy made for exactly the layout it got (spread halves of odd views,
// single pages, landscape pages alone, enlarging off), equal to what the scaler
// makes on the spot; copies whose layout is gone are dropped; a copy that does
// not fit the budget is not made while its page still is; the bytes of copies
// count against the budget.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "decode/picture_limit.h"
#include "tests/support/view_fakes.h"
#include "view/commands.h"
#include "view/display_copy.h"
#include "view/layout.h"
#include "view/navigate.h"
#include "view/scale_picture.h"

namespace {

// The copy's bytes equal a copy made now for the slot's layout.
void ExpectCopyIsTheScalersCopy(const DisplaySlot& slot, int32_t stretchMode) {
    ASSERT_TRUE(CopyMatches(slot.page, slot.layout, stretchMode)) << "page " << slot.page.pageIndex;
    PageImage fresh{};
    fresh.header = slot.page.header;
    std::memcpy(fresh.palette, slot.page.palette, sizeof(fresh.palette));
    fresh.pixels = slot.page.pixels;
    ASSERT_TRUE(MakeDisplayCopy(&fresh, slot.layout, stretchMode));
    const DisplayCopy& a = slot.page.copy;
    ASSERT_EQ(a.header.width, fresh.copy.header.width);
    ASSERT_EQ(a.header.height, fresh.copy.header.height);
    ASSERT_EQ(a.header.bitCount, fresh.copy.header.bitCount);
    const uint64_t bytes = ScaledBlockBytes(a.header.width, a.header.height, a.header.bitCount) - 4;
    EXPECT_EQ(0, std::memcmp(a.pixels, fresh.copy.pixels, static_cast<size_t>(bytes)));
    ReleaseDisplayCopy(&fresh);
}

TEST(DisplayCopyTest, TurnedToPagesHaveCopiesForTheirLayout) {
    const FakePage portrait{600, 850, 24};
    const FakePage grey{640, 900, 8};
    const FakePage landscape{900, 500, 24};
    const FakePage small{60, 80, 24};
    struct Case {
        const char* name;
        std::vector<FakePage> pages;
        bool spread, rightToLeft, enlarge;
        int32_t stretchMode, width, height;
    };
    const Case cases[] = {
        {"spread, right to left, odd width",
         {portrait, portrait, portrait, portrait},
         true,
         true,
         true,
         4,
         1001,
         700},
        {"spread, left to right", {portrait, grey, grey, portrait}, true, false, true, 4, 1000, 700},
        {"colour on colour", {grey, portrait, portrait, grey}, true, true, true, 3, 999, 601},
        {"single pages", {portrait, portrait, landscape, portrait}, false, true, true, 4, 800, 600},
        {"landscape alone in a spread",
         {portrait, portrait, landscape, portrait},
         true,
         true,
         true,
         4,
         1000,
         700},
        {"small pages enlarged", {small, small, small, small}, true, true, true, 4, 1000, 700},
        {"small pages kept", {small, small, small, small}, true, true, false, 4, 1000, 700},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ViewHarness h(c.pages, c.spread, c.rightToLeft, c.width, c.height);
        ViewPrefs prefs = h.view.prefs;
        prefs.enlargeSmallPages = c.enlarge;
        prefs.stretchMode = c.stretchMode;
        ApplyViewPrefs(&h.view, prefs);
        h.Open(0);
        h.CatchUp();
        const int32_t next = h.view.endIndex;
        Navigate(&h.view, CMD_NEXT_SPREAD, 0);
        ASSERT_EQ(h.view.currentIndex, next);
        for (const DisplaySlot* slot : {&h.view.leftSlot, &h.view.rightSlot}) {
            if (IsFull(slot->page)) {
                ExpectCopyIsTheScalersCopy(*slot, c.stretchMode);
            }
        }
    }
}

TEST(DisplayCopyTest, CopiesOfAGoneLayoutAreDropped) {
    ViewHarness h(std::vector<FakePage>(6, FakePage{600, 850, 24}), true, true);
    h.Open(0);
    h.CatchUp();
    Navigate(&h.view, CMD_NEXT_SPREAD, 0);
    ASSERT_TRUE(CopyMatches(h.view.rightSlot.page, h.view.rightSlot.layout, 4));
    const uint64_t withCopies = HeldPictureBytes(&h.view);

    // The magnifier leaves the copies alone; they just do not match its layout.
    LayoutView(&h.view, true, false);
    EXPECT_NE(h.view.rightSlot.page.copy.pixels, nullptr);
    EXPECT_FALSE(CopyMatches(h.view.rightSlot.page, h.view.rightSlot.layout, 4));
    LayoutView(&h.view, false, false);
    EXPECT_TRUE(CopyMatches(h.view.rightSlot.page, h.view.rightSlot.layout, 4));

    ResizeView(&h.view, 900, 640);
    EXPECT_EQ(h.view.rightSlot.page.copy.pixels, nullptr);
    EXPECT_EQ(h.view.leftSlot.page.copy.pixels, nullptr);
    EXPECT_LT(HeldPictureBytes(&h.view), withCopies);
    EXPECT_TRUE(IsFull(h.view.rightSlot.page));
}

TEST(DisplayCopyTest, ACopyBeyondTheBudgetIsLeftOutAndThePageKept) {
    struct Restore {
        ~Restore() { SetPictureByteLimit(0); }
    } restore;
    const FakePage page{600, 850, 24};
    const uint64_t picture = uint64_t{RowStride(600, 24)} * 850 + 4;
    struct Case {
        uint64_t budget;
        bool copies;
    };
    // Four pictures held at the turn (two shown, two read ahead): with room for
    // little more than that, the pages come without copies.
    const Case cases[] = {{0, true}, {picture * 5 + picture / 8, false}, {picture * 9, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.budget);
        SetPictureByteLimit(c.budget);
        ViewHarness h(std::vector<FakePage>(8, page), true, true);
        h.Open(0);
        h.CatchUp();
        ASSERT_TRUE(IsFull(h.view.cache.ahead[0]));
        EXPECT_EQ(h.view.cache.ahead[0].copy.pixels != nullptr, c.copies);
        if (c.budget != 0) {
            EXPECT_LE(HeldPictureBytes(&h.view), c.budget);
        }
    }
}

}  // namespace
