// Reading through a book with the read-ahead at work: which pages are decoded
// at once, which by the loader, which never, and how many pictures are held.
#include <gtest/gtest.h>

#include <set>

#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
#include "decode/picture_limit.h"
#include "tests/support/view_fakes.h"
#include "view/commands.h"
#include "view/navigate.h"
#include "view/page_cache.h"

namespace {

// Runs a command and returns how many pages it decoded on the spot.
int32_t DecodesDuring(ViewHarness* h, int32_t command, int32_t index = 0) {
    const int32_t before = h->decoder.TotalDecodes();
    Navigate(&h->view, command, index);
    return h->decoder.TotalDecodes() - before;
}

TEST(ReadingFlow, ReadingAheadLeavesNothingToDecodeOnTheSpot) {
    struct Case {
        const char* name;
        bool spread;
        bool rtl;
        int32_t command;
    };
    static const Case kCases[] = {
        {"spreads left to right", true, false, CMD_NEXT_SPREAD},
        {"spreads right to left", true, true, CMD_NEXT_SPREAD},
        {"single pages", false, false, CMD_NEXT_SPREAD},
        {"single pages by next page", false, true, CMD_NEXT_PAGE},
        {"spreads by one page", true, false, CMD_NEXT_PAGE},
    };
    for (const Case& c : kCases) {
        ViewHarness h(std::vector<FakePage>(21), c.spread, c.rtl);
        h.Open(0);
        h.CatchUp();
        int32_t turns = 0;
        while (h.view.endIndex < h.book.pageCount) {
            ASSERT_EQ(DecodesDuring(&h, c.command), 0) << c.name << " at page " << h.view.currentIndex;
            h.CatchUp();
            ++turns;
        }
        EXPECT_GT(turns, 5) << c.name;
        // Every page was decoded exactly once over the whole book.
        for (int32_t i = 0; i < 21; ++i) {
            EXPECT_EQ(h.decoder.DecodesOf(i), 1) << c.name << " page " << i;
        }
        // At the last page nothing is asked of the loader.
        EXPECT_EQ(h.DrainQueue(), "") << c.name;
        Navigate(&h.view, CMD_RELOAD_PAGE, 0);
        EXPECT_EQ(h.DrainQueue(), "M") << c.name;
    }
}

TEST(ReadingFlow, SteppingByOneReusesThePageMovingFromRightToLeft) {
    ViewHarness h(std::vector<FakePage>(6), true, false);
    h.Open(0);  // 0 left, 1 right; the loader is not run
    const uint8_t* page1 = h.view.rightSlot.page.pixels;
    EXPECT_EQ(DecodesDuring(&h, CMD_NEXT_PAGE), 1);  // only page 2, which was not read ahead
    EXPECT_EQ(h.Shown(), "1,2");
    EXPECT_EQ(h.view.leftSlot.page.pixels, page1);
    EXPECT_EQ(h.decoder.DecodesOf(1), 1);
    // Backward by one, page 1 moves from left to right the same way.
    h.CatchUp();
    EXPECT_EQ(DecodesDuring(&h, CMD_PREV_PAGE), 1);  // page 0, released after the first planning
    EXPECT_EQ(h.Shown(), "0,1");
    EXPECT_EQ(h.view.rightSlot.page.pixels, page1);
}

TEST(ReadingFlow, PagingQuicklyDecodesOnlyTheNewestPlanningsPages) {
    ViewHarness h(std::vector<FakePage>(30), true, false);
    h.Open(0);  // posts the marker and requests for 2 and 3
    // The loader takes the marker and starts on page 2 ...
    ASSERT_TRUE(RunLoaderQueueOnce(&h.queue, &h.decoder.ops, &h.sink));
    LoaderMessage inFlight;
    ASSERT_TRUE(LoaderQueueTake(&h.queue, WM_LOAD_PAGE, WM_LOAD_PAGE, &inFlight));
    ASSERT_EQ(inFlight.request->pageIndex, 2);
    // ... while the reader turns five spreads.
    for (int i = 0; i < 5; ++i) {
        Navigate(&h.view, CMD_NEXT_SPREAD, 0);
    }
    EXPECT_EQ(h.Shown(), "10,11");
    const LoaderQueueOps ops = LoaderQueueOpsFor(&h.queue);
    LoaderHandleLoad(&h.decoder.ops, &h.sink, &ops, inFlight.slot, inFlight.request);
    RunLoaderQueue(&h.queue, &h.decoder.ops, &h.sink);
    h.DeliverResults();
    // The pages passed were decoded once each, on the spot; the requests for
    // them were dropped undone. Page 2 was in flight, so it was finished too.
    EXPECT_EQ(h.decoder.DecodesOf(2), 2);
    for (int32_t i = 3; i <= 11; ++i) {
        EXPECT_EQ(h.decoder.DecodesOf(i), 1) << "page " << i;
    }
    EXPECT_EQ(h.decoder.DecodesOf(12), 1);
    EXPECT_EQ(h.decoder.DecodesOf(13), 1);
    EXPECT_EQ(h.decoder.TotalDecodes(), 15);  // 0 .. 13, and 2 twice
    EXPECT_EQ(DecodesDuring(&h, CMD_NEXT_SPREAD), 0);
    EXPECT_EQ(h.Shown(), "12,13");
}

// Wanders through a book of mixed pages with the loader sometimes caught up,
// sometimes with its results still on their way during the next turn, and
// sometimes behind; counts the pictures the slots hold at every repaint.
TEST(ReadingFlow, AtMostSevenPicturesAreHeld) {
    std::vector<FakePage> pages(40);
    for (size_t i = 0; i < pages.size(); ++i) {
        pages[i].width = 60 + static_cast<int32_t>(i);  // a width per page, to check the right one is held
        if (i % 7 == 3 || i % 11 == 5) {
            pages[i].width = 200 + static_cast<int32_t>(i);  // landscape
        }
    }
    static const int32_t kCommands[] = {CMD_NEXT_SPREAD, CMD_NEXT_SPREAD, CMD_NEXT_PAGE,   CMD_PREV_PAGE,
                                        CMD_PREV_SPREAD, CMD_NEXT_SPREAD, CMD_FORWARD_20,  CMD_BACK_20,
                                        CMD_LAST_PAGE,   CMD_FIRST_PAGE,  CMD_NEXT_SPREAD, CMD_RELOAD_PAGE};
    for (bool rtl : {false, true}) {
        ViewHarness h(pages, true, rtl);
        int32_t most = 0;
        h.ui.onUpdate = [&] { most = std::max(most, HeldPictureCount(&h.view)); };
        h.Open(0);
        uint32_t seed = 12345;
        for (int step = 0; step < 400; ++step) {
            seed = seed * 1103515245u + 12345u;
            const int32_t command = kCommands[(seed >> 16) % (sizeof(kCommands) / sizeof(kCommands[0]))];
            Navigate(&h.view, command, 0);
            // After the planning only the shown and the read-ahead pages remain.
            ASSERT_LE(HeldPictureCount(&h.view), 4) << "step " << step;
            h.DeliverResults();
            if ((seed >> 8) % 3 != 0) {
                h.CatchUp();
            } else if ((seed >> 8) % 2 == 0) {
                RunLoaderQueue(&h.queue, &h.decoder.ops, &h.sink);  // delivered after the next turn
            }
            // Every held block is held once, by a slot of the page whose picture it is.
            std::set<const uint8_t*> blocks;
            const PageImage* all[] = {&h.view.leftSlot.page,       &h.view.rightSlot.page,
                                      &h.view.cache.ahead[0],      &h.view.cache.ahead[1],
                                      &h.view.cache.previousRight, &h.view.cache.previousLeft,
                                      &h.view.cache.spare};
            for (const PageImage* p : all) {
                if (IsFull(*p)) {
                    ASSERT_TRUE(blocks.insert(p->pixels).second) << "step " << step;
                    ASSERT_EQ(p->header.width, pages[static_cast<size_t>(p->pageIndex)].width)
                        << "step " << step;
                }
            }
        }
        EXPECT_LE(most, 7) << "rtl " << rtl;
        EXPECT_GE(most, 5) << "rtl " << rtl;  // the bound is reached, not just kept
    }
}

}  // namespace

namespace {

// Under a picture budget the view never holds more than it while reading
// through a book of large pages, read-ahead still serves pages that fit, and a
// page too large for what is left is decoded when it is shown.
TEST(ReadingFlow, PicturesHeldStayWithinTheBudget) {
    struct Restore {
        ~Restore() { SetPictureByteLimit(0); }
    } restore;
    constexpr uint64_t kPage = 1000 * 1000 * 3 + 4;  // 1000 x 1000 at 24 bits
    struct Case {
        const char* name;
        uint64_t budget;
        int32_t hugeIndex;  // -1: none; that page is 2000 x 1800
        bool readAheadServes;
    };
    static const Case kCases[] = {
        {"room for six pages", 6 * kPage, -1, true},
        // The block of the page let go serves the page read ahead (the budget
        // leaves room for blocks rounded up to whole pages of memory).
        {"room for the shown pair only", 2 * kPage + 8192, -1, true},
        {"room for the shown page only", kPage + 100, -1, false},
        {"a huge page among them", 7 * kPage, 6, true},
    };
    for (const Case& c : kCases) {
        SetPictureByteLimit(c.budget);
        std::vector<FakePage> pages(12, FakePage{1000, 1000, 24});
        if (c.hugeIndex >= 0) {
            pages[static_cast<size_t>(c.hugeIndex)] = FakePage{2000, 1800, 24};
        }
        ViewHarness h(pages, true, false);
        h.decoder.answersProbes = c.budget % 2 == 0;  // some cases know the sizes from the headers
        h.Open(0);
        h.CatchUp();
        int32_t onTheSpot = 0;
        while (h.view.endIndex < h.book.pageCount) {
            onTheSpot += DecodesDuring(&h, CMD_NEXT_SPREAD);
            EXPECT_LE(HeldPictureBytes(&h.view) + ReserveBytes(PictureReserve()), c.budget)
                << c.name << " at page " << h.view.currentIndex;
            h.CatchUp();
            EXPECT_LE(HeldPictureBytes(&h.view) + ReserveBytes(PictureReserve()), c.budget)
                << c.name << " after read-ahead";
            EXPECT_NE(h.Left(), -1) << c.name << " at page " << h.view.currentIndex;
        }
        if (c.readAheadServes) {
            EXPECT_LT(onTheSpot, 4) << c.name;
        } else {
            EXPECT_EQ(onTheSpot, 11) << c.name << ": every page decoded when shown";
        }
    }
}

// A page decoded on the spot whose header tells its size gets its room before
// the decode: the pages read ahead go first, so that old and new pictures are
// never held together past the budget, even for the time of the decode.
TEST(ReadingFlow, RoomIsMadeBeforeAPageIsDecodedOnTheSpot) {
    struct Restore {
        ~Restore() { SetPictureByteLimit(0); }
    } restore;
    constexpr uint64_t kPage = 1000 * 1200 * 3 + 4;  // portrait, so that pages pair
    SetPictureByteLimit(4 * kPage + 100);
    std::vector<FakePage> pages(12, FakePage{1000, 1200, 24});
    ViewHarness h(pages, true, false);
    h.decoder.answersProbes = true;
    uint64_t most = 0;
    h.decoder.onDecode = [&](int32_t) {
        const uint64_t total = HeldPictureBytes(&h.view) + kPage;
        most = total > most ? total : most;
    };
    h.Open(0);
    h.Put(&h.view.cache.ahead[0], 5);
    h.Put(&h.view.cache.ahead[1], 6);
    ASSERT_EQ(h.Shown(), "0,1");
    ASSERT_EQ(HeldPictureBytes(&h.view), 4 * kPage);
    most = 0;
    Navigate(&h.view, CMD_GOTO_PAGE, 9);
    EXPECT_EQ(h.Shown(), "9,10");
    EXPECT_GT(most, 0u);
    EXPECT_LE(most, 4 * kPage + 100);
}

}  // namespace
