// The page cache and read-ahead planning: where a wanted page is taken from,
// what a planning adopts, releases and requests in each position, and how
// loader results are stored.
#include <gtest/gtest.h>

#include "platform/heap.h"
#include "tests/support/view_fakes.h"
#include "view/page_cache.h"
#include "view/read_ahead.h"

namespace {

// Cache slots by the names the cases use.
PageImage* CacheSlot(ReadingView* view, const std::string& name) {
    PageCache& c = view->cache;
    if (name == "a0")
        return &c.ahead[0];
    if (name == "a1")
        return &c.ahead[1];
    if (name == "pr")
        return &c.previousRight;
    if (name == "pl")
        return &c.previousLeft;
    if (name == "sp")
        return &c.spare;
    return nullptr;
}

std::string Index(const PageImage& p) {
    return IsFull(p) ? std::to_string(p.pageIndex) : "-";
}

std::string CacheText(const ReadingView& v) {
    const PageCache& c = v.cache;
    return "a0=" + Index(c.ahead[0]) + " a1=" + Index(c.ahead[1]) + " pr=" + Index(c.previousRight) +
           " pl=" + Index(c.previousLeft) + " sp=" + Index(c.spare);
}

TEST(ReadAhead, PlanningAdoptsReleasesAndRequestsByPosition) {
    struct Placed {
        const char* slot;
        int32_t index;
    };
    struct Case {
        const char* name;
        int32_t endIndex;  // next = endIndex, after = next + 1; 10 pages
        std::vector<Placed> placed;
        const char* cache;  // after the planning
        const char* queue;  // posted to the loader
    };
    static const Case kCases[] = {
        {"next ahead 0, after previous",
         4,
         {{"a0", 4}, {"pr", 5}, {"pl", 3}},
         "a0=4 a1=5 pr=- pl=- sp=-",
         "M"},
        {"next ahead 0, after missing",
         4,
         {{"a0", 4}, {"a1", 9}, {"pl", 3}},
         "a0=4 a1=9 pr=- pl=- sp=-",
         "M 1:5"},
        {"next ahead 0, after ahead 1",
         4,
         {{"a0", 4}, {"a1", 5}, {"sp", 2}},
         "a0=4 a1=5 pr=- pl=- sp=-",
         "M"},
        {"next ahead 0, after out of range", 9, {{"a0", 9}, {"pr", 8}}, "a0=9 a1=- pr=- pl=- sp=-", "M"},
        {"next ahead 1, after spare", 4, {{"a1", 4}, {"sp", 5}}, "a0=5 a1=4 pr=- pl=- sp=-", "M"},
        {"next ahead 1, after missing", 4, {{"a1", 4}, {"a0", 1}}, "a0=1 a1=4 pr=- pl=- sp=-", "M 0:5"},
        {"next ahead 1, after ahead 0", 4, {{"a1", 4}, {"a0", 5}}, "a0=5 a1=4 pr=- pl=- sp=-", "M"},
        {"next out of range", 10, {{"a0", 8}, {"pr", 9}, {"pl", 8}}, "a0=8 a1=- pr=- pl=- sp=-", "M"},
        {"next missing, after ahead 0, next previous",
         4,
         {{"a0", 5}, {"a1", 1}, {"pl", 4}},
         "a0=5 a1=4 pr=- pl=- sp=-",
         "M"},
        {"next missing, after ahead 0", 4, {{"a0", 5}, {"a1", 1}}, "a0=5 a1=1 pr=- pl=- sp=-", "M 1:4"},
        {"next missing, after ahead 1", 4, {{"a1", 5}, {"pr", 3}}, "a0=- a1=5 pr=- pl=- sp=-", "M 0:4"},
        {"next missing, after out of range, next spare", 9, {{"sp", 9}}, "a0=9 a1=- pr=- pl=- sp=-", "M"},
        {"next missing, after out of range", 9, {{"a0", 2}}, "a0=2 a1=- pr=- pl=- sp=-", "M 0:9"},
        {"both missing, both previous",
         4,
         {{"pr", 5}, {"pl", 4}, {"a0", 0}},
         "a0=4 a1=5 pr=- pl=- sp=-",
         "M"},
        {"both missing, after spare", 4, {{"sp", 5}, {"pr", 3}}, "a0=- a1=5 pr=- pl=- sp=-", "M 0:4"},
        {"both missing", 4, {{"pr", 3}, {"pl", 2}}, "a0=- a1=- pr=- pl=- sp=-", "M 0:4 1:5"},
        {"first page of the book", 0, {}, "a0=- a1=- pr=- pl=- sp=-", "M 0:0 1:1"},
    };
    for (const Case& c : kCases) {
        ViewHarness h(std::vector<FakePage>(10), true, false);
        for (const Placed& p : c.placed) {
            h.Put(CacheSlot(&h.view, p.slot), p.index);
        }
        h.view.endIndex = c.endIndex;
        PlanReadAhead(&h.view);
        EXPECT_EQ(CacheText(h.view), c.cache) << c.name;
        EXPECT_EQ(h.DrainQueue(), c.queue) << c.name;
        EXPECT_EQ(h.queue.priority, LoaderPriority::kNormal) << c.name;
        EXPECT_EQ(h.decoder.TotalDecodes(), 0) << c.name;
    }
}

TEST(ReadAhead, AdoptionTakesTheFirstMatchInOrder) {
    // previousRight, previousLeft, spare: the first one holding the page is moved.
    static const char* const kOrders[][3] = {
        {"pr", "pl", "sp"}, {"pl", "sp", nullptr}, {"sp", nullptr, nullptr}};
    for (const auto& order : kOrders) {
        ViewHarness h(std::vector<FakePage>(10), true, false);
        for (const char* name : order) {
            if (name != nullptr) {
                h.Put(CacheSlot(&h.view, name), 6);
            }
        }
        const uint8_t* first = CacheSlot(&h.view, order[0])->pixels;
        h.view.cache.ahead[1] = PageImage{};
        h.Put(&h.view.cache.ahead[1], 7);
        h.view.endIndex = 6;
        PlanReadAhead(&h.view);
        EXPECT_EQ(h.view.cache.ahead[0].pixels, first) << order[0];
        EXPECT_EQ(h.DrainQueue(), "M") << order[0];
    }
}

TEST(PageCache, FillSlotTakesCachedPagesInOrderAndDecodesTheRest) {
    struct Case {
        const char* name;
        std::vector<const char*> holders;  // slots holding page 3
        const char* takenFrom;             // nullptr: decoded
    };
    static const Case kCases[] = {
        {"read ahead first", {"sp", "pl", "pr", "a1", "a0"}, "a0"},
        {"second read-ahead slot", {"sp", "pl", "pr", "a1"}, "a1"},
        {"previous right before left", {"sp", "pl", "pr"}, "pr"},
        {"previous left before the spare", {"sp", "pl"}, "pl"},
        {"spare", {"sp"}, "sp"},
        {"nowhere", {}, nullptr},
    };
    for (const Case& c : kCases) {
        ViewHarness h(std::vector<FakePage>(5), true, false);
        for (const char* name : c.holders) {
            h.Put(CacheSlot(&h.view, name), 3);
        }
        const uint8_t* expected = c.takenFrom != nullptr ? CacheSlot(&h.view, c.takenFrom)->pixels : nullptr;
        ASSERT_TRUE(FillSlot(&h.view, &h.view.rightSlot, 3)) << c.name;
        EXPECT_EQ(h.view.rightSlot.page.pageIndex, 3) << c.name;
        if (expected != nullptr) {
            EXPECT_EQ(h.view.rightSlot.page.pixels, expected) << c.name;
            EXPECT_FALSE(IsFull(*CacheSlot(&h.view, c.takenFrom))) << c.name;
        }
        EXPECT_EQ(h.decoder.DecodesOf(3), expected != nullptr ? 0 : 1) << c.name;
        EXPECT_FALSE(h.view.cache.pageError) << c.name;
    }
}

TEST(PageCache, FillSlotFailuresLeaveTheSlotEmpty) {
    struct Case {
        const char* name;
        int32_t index;
        bool pageError;
    };
    static const Case kCases[] = {
        {"before the first page", -1, false},
        {"past the last page", 3, false},
        {"undecodable page", 1, true},
    };
    for (const Case& c : kCases) {
        std::vector<FakePage> pages(3);
        pages[1].fail = true;
        ViewHarness h(pages, true, false);
        EXPECT_FALSE(FillSlot(&h.view, &h.view.leftSlot, c.index)) << c.name;
        EXPECT_FALSE(IsFull(h.view.leftSlot.page)) << c.name;
        EXPECT_EQ(h.view.cache.pageError, c.pageError) << c.name;
    }
}

TEST(PageCache, ArchivePagesAreFetchedAndDecodedFromMemory) {
    ViewHarness h(std::vector<FakePage>(4), false, false, 1000, 700, kBookZip);
    ASSERT_TRUE(FillSlot(&h.view, &h.view.leftSlot, 2));
    EXPECT_EQ(h.view.leftSlot.page.pageIndex, 2);
    EXPECT_EQ(h.decoder.DecodesOf(2), 1);
}

TEST(PageCache, KeepShownMovesOrDiscardsTheShownPages) {
    ViewHarness h(std::vector<FakePage>(6), true, false);
    h.Put(&h.view.leftSlot.page, 0);
    h.Put(&h.view.rightSlot.page, 1);
    KeepShown(&h.view);
    EXPECT_EQ(CacheText(h.view), "a0=- a1=- pr=1 pl=0 sp=-");
    EXPECT_FALSE(IsFull(h.view.leftSlot.page));

    h.Put(&h.view.leftSlot.page, 2);
    h.Put(&h.view.cache.ahead[0], 3);
    ResetReadAhead(&h.view);
    EXPECT_TRUE(h.view.cache.discardShown);
    EXPECT_EQ(CacheText(h.view), "a0=- a1=- pr=- pl=- sp=-");
    EXPECT_TRUE(IsFull(h.view.leftSlot.page));  // still on screen until the next show
    KeepShown(&h.view);
    EXPECT_FALSE(h.view.cache.discardShown);
    EXPECT_FALSE(IsFull(h.view.leftSlot.page));
    EXPECT_EQ(CacheText(h.view), "a0=- a1=- pr=- pl=- sp=-");

    h.Put(&h.view.rightSlot.page, 4);
    ParkSecondPage(&h.view, &h.view.rightSlot);
    h.Put(&h.view.cache.previousLeft, 5);
    EXPECT_EQ(CacheText(h.view), "a0=- a1=- pr=- pl=5 sp=4");
    ReleaseLeftovers(&h.view);
    EXPECT_EQ(HeldPictureCount(&h.view), 0);
}

TEST(ReadAhead, ResultsAreStoredUnderTheirOwnIndexUntilReplaced) {
    ViewHarness h(std::vector<FakePage>(10), true, false);
    h.Open(0);            // shows 0 and 1, asks for 2 and 3
    h.view.endIndex = 6;  // the reader moved on before the results came
    h.CatchUp();
    EXPECT_EQ(CacheText(h.view), "a0=2 a1=3 pr=- pl=- sp=-");
    EXPECT_EQ(h.queue.priority, LoaderPriority::kIdle);

    // A result for a slot that does not exist is only freed.
    LoadResult* stray = static_cast<LoadResult*>(AppAllocZero(sizeof(LoadResult)));
    ASSERT_NE(stray, nullptr);
    h.Put(&stray->page, 7);
    OnPageLoaded(&h.view, 2, stray);
    EXPECT_EQ(CacheText(h.view), "a0=2 a1=3 pr=- pl=- sp=-");
}

// Page indices name other pages once the read-ahead was reset (a new book, a
// removed page): a result requested before the reset must not be shown for them.
TEST(ReadAhead, ResultsFromBeforeAResetAreDropped) {
    ViewHarness h(std::vector<FakePage>(10), true, false);
    h.Open(0);  // asks for 2 and 3
    RunLoaderQueue(&h.queue, &h.decoder.ops, &h.sink);
    ASSERT_EQ(h.pending.size(), 2u);
    ResetReadAhead(&h.view);  // a new book is opened meanwhile
    h.DeliverResults();
    EXPECT_EQ(CacheText(h.view), "a0=- a1=- pr=- pl=- sp=-");

    h.decoder.ResetCounts();
    ASSERT_TRUE(FillSlot(&h.view, &h.view.leftSlot, 2));
    EXPECT_EQ(h.decoder.DecodesOf(2), 1);  // decoded for the new book, not the old result
}

}  // namespace
