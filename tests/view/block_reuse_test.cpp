// Reading through a book with the reserve of pixel blocks: the blocks of pages
// let go serve the pages read ahead, what is kept stays within two spreads and
// the budget, no block that is still shown or held is ever kept, and a new
// book lets the reserve go.
#include <gtest/gtest.h>

#include <vector>

#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
#include "decode/picture_limit.h"
#include "tests/support/view_fakes.h"
#include "view/commands.h"
#include "view/display_copy.h"
#include "view/navigate.h"
#include "view/page_cache.h"

namespace {

struct Restore {
    ~Restore() {
        SetPictureByteLimit(0);
        BlockReserveRelease(PictureReserve());
        ReserveSetCap(PictureReserve(), 0);
    }
};

// True when a block the reserve keeps is also held by a page or a copy.
bool ReserveHoldsALiveBlock(const ReadingView& v) {
    const PageImage* const all[] = {&v.leftSlot.page,  &v.rightSlot.page,     &v.cache.ahead[0],
                                    &v.cache.ahead[1], &v.cache.previousLeft, &v.cache.previousRight,
                                    &v.cache.spare};
    BlockReserve* r = PictureReserve();
    for (int32_t i = 0; i < r->count; ++i) {
        for (const PageImage* p : all) {
            if (r->blocks[i] != nullptr && (r->blocks[i] == p->pixels || r->blocks[i] == p->copy.pixels)) {
                return true;
            }
        }
    }
    return false;
}

TEST(BlockReuse, ReadingForwardServesNewPagesFromTheBlocksLetGo) {
    const Restore restore;
    struct Case {
        const char* name;
        bool spread;
        uint64_t budget;  // 0: none
    };
    static const Case kCases[] = {
        {"spreads", true, 0},
        {"single pages", false, 0},
        {"spreads under a budget", true, uint64_t{40} << 20},
    };
    for (const Case& c : kCases) {
        SetPictureByteLimit(c.budget);
        ViewHarness h(std::vector<FakePage>(24, FakePage{800, 1100, 24}), c.spread, true);
        h.Open(0);
        h.CatchUp();
        uint64_t freshLate = 0;
        int32_t turns = 0;
        while (h.view.endIndex < h.book.pageCount) {
            const uint64_t before = ReserveCounts(PictureReserve()).fresh;
            Navigate(&h.view, c.spread ? CMD_NEXT_SPREAD : CMD_NEXT_PAGE, 0);
            h.CatchUp();
            ++turns;
            if (turns > 2) {
                freshLate += ReserveCounts(PictureReserve()).fresh - before;
            }
            const uint64_t shown =
                PageBlockBytes(h.view.leftSlot.page) + PageBlockBytes(h.view.rightSlot.page);
            const uint64_t kept = ReserveBytes(PictureReserve());
            EXPECT_LE(kept, 2 * shown) << c.name << " at page " << h.view.currentIndex;
            if (c.budget != 0) {
                EXPECT_LE(HeldPictureBytes(&h.view) + kept, c.budget)
                    << c.name << " at " << h.view.currentIndex;
            }
            EXPECT_FALSE(ReserveHoldsALiveBlock(h.view)) << c.name << " at page " << h.view.currentIndex;
        }
        EXPECT_GT(turns, 5) << c.name;
        EXPECT_EQ(freshLate, 0u) << c.name << ": once going, every page and copy takes a kept block";

        ResetReadAhead(&h.view);  // what opening another book does
        EXPECT_EQ(ReserveBytes(PictureReserve()), 0u) << c.name;
    }
}

// A reused block holds the page the loader decoded into it, not the one it
// held before: the pixels shown after many turns are each page's own.
TEST(BlockReuse, PagesShownFromReusedBlocksAreTheirOwn) {
    const Restore restore;
    std::vector<FakePage> pages(12, FakePage{300, 420, 24});
    ViewHarness h(pages, true, true);
    h.Open(0);
    h.CatchUp();
    while (h.view.endIndex < h.book.pageCount) {
        Navigate(&h.view, CMD_NEXT_SPREAD, 0);
        h.CatchUp();
        for (const DisplaySlot* s : {&h.view.leftSlot, &h.view.rightSlot}) {
            if (IsFull(s->page)) {
                PageImage fresh{};
                ReserveSetCap(PictureReserve(), 0);  // a block of its own
                h.Put(&fresh, s->page.pageIndex);
                const size_t bytes = size_t{RowStride(fresh.header.width, fresh.header.bitCount)} *
                                         static_cast<size_t>(fresh.header.height) +
                                     4;
                ASSERT_EQ(std::vector<uint8_t>(s->page.pixels, s->page.pixels + bytes),
                          std::vector<uint8_t>(fresh.pixels, fresh.pixels + bytes))
                    << "page " << s->page.pageIndex;
                ReleasePageImage(&fresh);
            }
        }
    }
    EXPECT_GT(ReserveCounts(PictureReserve()).reused, 4u);
}

}  // namespace
