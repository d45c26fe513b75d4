// The view and the loader working on the same page: a page wanted while the
// loader decodes it is waited for rather than decoded a second time beside it,
// the loader publishes what it decodes until its result is handed over, and
// the bytes it may still allocate count against the picture budget.
#include <gtest/gtest.h>

#include "decode/picture_limit.h"
#include "tests/support/view_fakes.h"
#include "view/commands.h"
#include "view/loader_queue.h"
#include "view/navigate.h"
#include "view/page_cache.h"

namespace {

// How the stand-in loader answers a wait: it finishes the queued request for
// the page and hands the result over, or it drops the request undone (a page
// over the budget it had), or it is busy with another page.
enum class Loader { kDelivers, kDrops, kBusyElsewhere };

struct WaitScene {
    ViewHarness* harness = nullptr;
    Loader loader = Loader::kDelivers;
    int32_t waits = 0;
    uint64_t busyBytes = 0;
};
WaitScene gScene;

bool AwaitPage(void*, uint32_t generation, int32_t index) {
    ViewHarness* h = gScene.harness;
    if (gScene.loader == Loader::kBusyElsewhere || generation != h->view.cache.generation ||
        !h->Queued(index)) {
        return false;
    }
    ++gScene.waits;
    if (gScene.loader == Loader::kDrops) {
        (void)h->DrainQueue();
    } else {
        h->CatchUp();
    }
    return true;
}

uint64_t BusyBytes(void*) {
    return gScene.busyBytes;
}

TEST(LoaderWait, APageTheLoaderDecodesIsWaitedForNotDecodedTwice) {
    struct Case {
        const char* name;
        Loader loader;
        int32_t waits;
        int32_t decodesOfNext;  // the loader's and the view's together
    };
    static const Case kCases[] = {
        {"the loader hands it over", Loader::kDelivers, 1, 1},
        {"the loader dropped it", Loader::kDrops, 1, 1},
        {"the loader decodes another page", Loader::kBusyElsewhere, 0, 1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ViewHarness h(std::vector<FakePage>(6), false, false);
        gScene = WaitScene{&h, c.loader, 0, 0};
        h.view.loader.awaitPage = AwaitPage;
        h.Open(0);
        ASSERT_TRUE(h.Queued(1));
        Navigate(&h.view, CMD_NEXT_PAGE, 0);
        EXPECT_EQ(h.Shown(), "1,-1");
        EXPECT_EQ(gScene.waits, c.waits);
        EXPECT_EQ(h.decoder.DecodesOf(1), c.decodesOfNext);
        EXPECT_FALSE(h.view.cache.pageError);
    }
}

TEST(LoaderWait, TheLoaderIsMarkedBusyUntilItsResultIsHandedOver) {
    struct Case {
        const char* name;
        bool probes;
        uint64_t byteLimit;
        uint64_t busyBytes;  // what the loader says may still come while it decodes
    };
    constexpr uint64_t kPicture = 60 * 3 * 80 + 4;  // 60×80 at 24 bits, rows of 180 bytes
    static const Case kCases[] = {
        {"header read: the picture's size", true, 1u << 20, kPicture},
        {"no header: what the budget left it", false, 1u << 20, 1u << 20},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ViewHarness h(std::vector<FakePage>(4), false, false);
        h.decoder.answersProbes = c.probes;
        LoaderBusy busy;
        h.sink.busy = &busy;
        bool busyWhileDecoding = false;
        uint64_t bytesWhileDecoding = 0;
        h.decoder.onDecode = [&](int32_t index) {
            busyWhileDecoding = LoaderBusyWith(&busy, 7, index);
            bytesWhileDecoding = LoaderBusyBytes(&busy);
        };
        LoadRequest* request = NewLoadRequest(&h.book, 2);
        ASSERT_NE(request, nullptr);
        request->generation = 7;
        request->byteLimit = c.byteLimit;
        const LoaderQueueOps queue = LoaderQueueOpsFor(&h.queue);
        LoaderHandleLoad(&h.decoder.ops, &h.sink, &queue, 0, request);
        EXPECT_TRUE(busyWhileDecoding);
        EXPECT_EQ(bytesWhileDecoding, c.busyBytes);
        ASSERT_EQ(h.pending.size(), 1u);
        // The result was handed over while the mark still stood, so a waiter
        // that sees the mark gone finds the result already posted.
        EXPECT_TRUE(h.busyAtDelivery);
        EXPECT_FALSE(LoaderBusyWith(&busy, 7, 2));
        EXPECT_EQ(LoaderBusyBytes(&busy), 0u);
    }
}

TEST(LoaderWait, WhatTheLoaderMayStillAllocateCountsAgainstTheBudget) {
    struct Restore {
        ~Restore() { SetPictureByteLimit(0); }
    } restore;
    constexpr uint64_t kPage = 1000 * 1200 * 3 + 4;
    SetPictureByteLimit(5 * kPage);
    struct Case {
        const char* name;
        uint64_t busy;
        int32_t aheadKept;  // of the two pages read ahead
    };
    static const Case kCases[] = {
        {"loader idle", 0, 2},
        {"loader decoding one page", kPage, 1},
        {"loader decoding a vast page", 40 * kPage, 0},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ViewHarness h(std::vector<FakePage>(12, FakePage{1000, 1200, 24}), true, false);
        gScene = WaitScene{&h, Loader::kBusyElsewhere, 0, c.busy};
        h.view.loader.busyBytes = BusyBytes;
        h.Open(0);
        h.Put(&h.view.cache.ahead[0], 2);
        h.Put(&h.view.cache.ahead[1], 3);
        ASSERT_EQ(HeldPictureBytes(&h.view), 4 * kPage);
        ReleaseOverBudget(&h.view, kPage);
        EXPECT_EQ(IsFull(h.view.cache.ahead[0]) + IsFull(h.view.cache.ahead[1]), c.aheadKept);
        EXPECT_EQ(h.Shown(), "0,1");  // shown pages are never given up
    }
}

TEST(LoaderWait, APageTheViewDecodesItselfIsSkippedByTheLoader) {
    struct Case {
        const char* name;
        uint32_t claimGeneration;
        int32_t claimed;
        size_t results;
    };
    static const Case kCases[] = {
        {"the page claimed", 7, 2, 0},
        {"another page claimed", 7, 3, 1},
        {"the page claimed in an older generation", 6, 2, 1},
        {"nothing claimed", 7, -1, 1},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ViewHarness h(std::vector<FakePage>(4), false, false);
        LoaderBusy busy;
        h.sink.busy = &busy;
        LoaderClaimPage(&busy, c.claimGeneration, c.claimed);
        LoadRequest* request = NewLoadRequest(&h.book, 2);
        ASSERT_NE(request, nullptr);
        request->generation = 7;
        const LoaderQueueOps queue = LoaderQueueOpsFor(&h.queue);
        LoaderHandleLoad(&h.decoder.ops, &h.sink, &queue, 0, request);
        EXPECT_EQ(h.pending.size(), c.results);
        EXPECT_EQ(h.decoder.DecodesOf(2), static_cast<int32_t>(c.results));
        EXPECT_FALSE(LoaderBusyWith(&busy, 7, 2));
    }
}

// While the loader decodes a spread's first page, the view decodes the partner
// itself (the loader, reaching that request, skips it), then takes the first
// page from the loader: each page is decoded once, both at the same time.
LoaderBusy gBusy;
int32_t gLoaderPage = -1;

TEST(LoaderWait, ThePartnerIsDecodedHereWhileTheLoaderDecodesTheFirstPage) {
    struct Case {
        const char* name;
        bool readAhead;  // both pages arrived before the turn
    };
    static const Case kCases[] = {
        {"loader decoding the first page", false},
        {"both pages read ahead", true},
    };
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        ViewHarness h(std::vector<FakePage>(8), true, false);
        gScene = WaitScene{&h, Loader::kDelivers, 0, 0};
        gBusy.claimed.store(0);
        gLoaderPage = -1;
        h.sink.busy = &gBusy;
        h.view.loader.awaitPage = [](void*, uint32_t, int32_t) {
            gScene.harness->DeliverResults();
            return true;
        };
        h.view.loader.decoding = [](void*, uint32_t, int32_t index) { return index == gLoaderPage; };
        h.view.loader.claimPage = [](void*, uint32_t generation, int32_t index) {
            LoaderClaimPage(&gBusy, generation, index);
        };
        h.Open(0);
        if (c.readAhead) {
            h.CatchUp();
        }
        h.decoder.ResetCounts();
        gLoaderPage = 2;
        // The loader works through its queue while the view decodes a page.
        bool loaderRan = false;
        int32_t firstDecoded = -1;
        h.decoder.onDecode = [&](int32_t index) {
            if (firstDecoded < 0) {
                firstDecoded = index;
            }
            if (!loaderRan) {
                loaderRan = true;
                RunLoaderQueue(&h.queue, &h.decoder.ops, &h.sink);
            }
        };
        Navigate(&h.view, CMD_NEXT_SPREAD, 0);
        EXPECT_EQ(h.Shown(), "2,3");
        EXPECT_EQ(h.decoder.DecodesOf(2), c.readAhead ? 0 : 1);
        EXPECT_EQ(h.decoder.DecodesOf(3), c.readAhead ? 0 : 1);
        EXPECT_EQ(firstDecoded, c.readAhead ? -1 : 3);
        EXPECT_EQ(gBusy.claimed.load(), 0u);
        h.decoder.onDecode = nullptr;
    }
}

}  // namespace
