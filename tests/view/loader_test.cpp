// The page loader: the cancel-marker sweep over a queue, the handling of one
// request, and the loader thread itself (a pthread natively, the message-only
// window under Wine) with requests and results crossing between threads.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "platform/heap.h"
#include "tests/support/view_fakes.h"
#include "view/commands.h"
#include "view/loader_thread.h"
#include "view/navigate.h"
#include "view/read_ahead.h"

namespace {

// A request for page index of the harness's book.
LoadRequest* Request(ViewHarness* h, int32_t index) {
    return NewLoadRequest(&h->book, index);
}

// Fills a queue from a script: a digit is a request for that page (into slot
// page % 2), 'M' a marker, 'Q' the quit message.
void Fill(ViewHarness* h, const std::string& script) {
    for (char c : script) {
        bool ok;
        if (c == 'M') {
            ok = LoaderQueuePost(&h->queue, WM_CANCEL_LOADS, 0, nullptr);
        } else if (c == 'Q') {
            ok = LoaderQueuePost(&h->queue, WM_LOADER_QUIT, 0, nullptr);
        } else {
            const int32_t index = c - '0';
            LoadRequest* r = Request(h, index);
            ok = r != nullptr && LoaderQueuePost(&h->queue, WM_LOAD_PAGE, index % 2, r);
        }
        ASSERT_TRUE(ok);
    }
}

// The pages of the results handed over so far, in order.
std::string ResultPages(const ViewHarness& h) {
    std::string out;
    for (const auto& p : h.pending) {
        out += std::to_string(p.second->page.pageIndex);
    }
    return out;
}

TEST(LoaderQueue, MarkersDropTheRequestsQueuedBeforeThem) {
    struct Case {
        const char* name;
        const char* queued;  // behind the request being decoded (page 9)
        int32_t dropped;
        const char* left;  // what stays queued, as DrainQueue shows it
    };
    static const Case kCases[] = {
        {"no marker", "12", 0, "1:1 0:2"},     {"one marker", "12M34", 2, "1:3 0:4"},
        {"marker first", "M34", 0, "1:3 0:4"}, {"two markers", "1M2M3", 2, "1:3"},
        {"markers only", "MM", 0, ""},         {"marker last", "123M", 3, ""},
        {"quit stays", "1QM2", 1, "Q 0:2"},
    };
    for (const Case& c : kCases) {
        ViewHarness h(std::vector<FakePage>(10), false, false);
        Fill(&h, c.queued);
        const LoaderQueueOps ops = LoaderQueueOpsFor(&h.queue);
        LoaderHandleLoad(&h.decoder.ops, &h.sink, &ops, 1, Request(&h, 9));
        EXPECT_EQ(ResultPages(h), "9") << c.name;  // the one in hand is finished and delivered
        EXPECT_EQ(h.pending[0].first, 1) << c.name;
        EXPECT_EQ(h.DrainQueue(), c.left) << c.name;
        EXPECT_EQ(h.decoder.TotalDecodes(), 1) << c.name;

        ViewHarness again(std::vector<FakePage>(10), false, false);
        Fill(&again, c.queued);
        const LoaderQueueOps againOps = LoaderQueueOpsFor(&again.queue);
        EXPECT_EQ(SweepCancelledLoads(&againOps), c.dropped) << c.name;
    }
}

TEST(LoaderQueue, TheLoopDecodesInOrderAndQuitFreesWhatIsLeft) {
    ViewHarness h(std::vector<FakePage>(10), false, false);
    Fill(&h, "M12M34Q56");
    EXPECT_FALSE(RunLoaderQueue(&h.queue, &h.decoder.ops, &h.sink));
    // 1 is decoded (the loader was idle when it came); its sweep drops 2; quit
    // frees 5 and 6 undone.
    EXPECT_EQ(ResultPages(h), "134");
    EXPECT_EQ(h.queue.count, 0u);
    EXPECT_EQ(h.decoder.DecodesOf(2) + h.decoder.DecodesOf(5) + h.decoder.DecodesOf(6), 0);
}

TEST(LoaderQueue, FailuresDropTheRequestQuietly) {
    struct Case {
        const char* name;
        bool decodeFails;
        bool noMemory;
        bool refuseDelivery;
    };
    static const Case kCases[] = {
        {"nothing decodes", true, false, false},
        {"no memory for the result", false, true, false},
        {"the result cannot be posted", false, false, true},
    };
    for (const Case& c : kCases) {
        std::vector<FakePage> pages(4);
        pages[2].fail = c.decodeFails;
        ViewHarness h(pages, false, false);
        Fill(&h, "3");
        LoaderSink refusing{nullptr, [](void*, int32_t, LoadResult*) { return false; }};
        const LoaderSink* sink = c.refuseDelivery ? &refusing : &h.sink;
        const LoaderQueueOps ops = LoaderQueueOpsFor(&h.queue);
        LoadRequest* request = Request(&h, 2);
        ASSERT_NE(request, nullptr);
        if (c.noMemory) {
            AppHeapFailAfter(0);
        }
        LoaderHandleLoad(&h.decoder.ops, sink, &ops, 0, request);
        AppHeapFailAfter(-1);
        EXPECT_TRUE(h.pending.empty()) << c.name;
        // The loader goes on with the next request.
        EXPECT_TRUE(RunLoaderQueue(&h.queue, &h.decoder.ops, &h.sink)) << c.name;
        EXPECT_EQ(ResultPages(h), "3") << c.name;
    }
}

// Results as the main window receives them: handed over from the loader thread,
// taken on the test's thread.
struct Mailbox {
    std::mutex mutex;
    std::condition_variable arrived;
    std::vector<std::pair<int32_t, LoadResult*>> items;

    ~Mailbox() {
        for (auto& p : items) {
            FreeLoadResult(p.second);
        }
    }
    static bool Deliver(void* ctx, int32_t slot, LoadResult* result) {
        auto* box = static_cast<Mailbox*>(ctx);
        {
            std::lock_guard<std::mutex> lock(box->mutex);
            box->items.emplace_back(slot, result);
        }
        box->arrived.notify_all();
        return true;
    }
    LoaderSink Sink() { return LoaderSink{this, Deliver}; }
    // Waits until n results came (at most 20 s).
    bool WaitFor(size_t n) {
        std::unique_lock<std::mutex> lock(mutex);
        return arrived.wait_for(lock, std::chrono::seconds(20), [&] { return items.size() >= n; });
    }
    std::vector<std::pair<int32_t, LoadResult*>> Take() {
        std::lock_guard<std::mutex> lock(mutex);
        std::vector<std::pair<int32_t, LoadResult*>> out;
        out.swap(items);
        return out;
    }
    std::string Pages() {
        std::lock_guard<std::mutex> lock(mutex);
        std::string out;
        for (const auto& p : items) {
            out += std::to_string(p.second->page.pageIndex) + (p.first == 1 ? "r" : "l");
        }
        return out;
    }
};

TEST(LoaderThread, DecodesRequestsInOrderAtIdlePriority) {
    ViewHarness h(std::vector<FakePage>(4), false, false);
    Mailbox box;
    const LoaderSink sink = box.Sink();
    LoaderThread* loader = StartLoader(&h.decoder.ops, &sink);
    ASSERT_NE(loader, nullptr);
    EXPECT_EQ(LoaderCurrentPriority(loader), LoaderPriority::kIdle);
    ASSERT_TRUE(LoaderPostLoad(loader, 1, Request(&h, 2)));
    ASSERT_TRUE(LoaderPostLoad(loader, 0, Request(&h, 3)));
    LoaderSetPriority(loader, LoaderPriority::kNormal);
    EXPECT_EQ(LoaderCurrentPriority(loader), LoaderPriority::kNormal);
    ASSERT_TRUE(box.WaitFor(2));
    EXPECT_EQ(box.Pages(), "2r3l");
    EXPECT_TRUE(StopLoader(loader, 5000));
}

TEST(LoaderThread, MarkerDropsOnlyTheRequestsBeforeIt) {
    struct Case {
        const char* name;
        const char* behind;  // posted while page 0 is being decoded
        const char* results;
    };
    static const Case kCases[] = {
        {"one planning replaces another", "12M34", "0l3r4l"},
        {"several plannings", "1M2M34", "0l3r4l"},
        {"marker with nothing after it", "12M", "0l"},
        {"no marker", "12", "0l1r2l"},
    };
    for (const Case& c : kCases) {
        ViewHarness h(std::vector<FakePage>(6), false, false);
        Mailbox box;
        const LoaderSink sink = box.Sink();
        LoaderThread* loader = StartLoader(&h.decoder.ops, &sink);
        ASSERT_NE(loader, nullptr) << c.name;
        h.decoder.CloseGate();
        ASSERT_TRUE(LoaderPostLoad(loader, 0, Request(&h, 0))) << c.name;
        h.decoder.WaitEntered(1);
        size_t expected = 1;
        for (const char* p = c.behind; *p != 0; ++p) {
            if (*p == 'M') {
                ASSERT_TRUE(LoaderPostCancel(loader)) << c.name;
            } else {
                ASSERT_TRUE(LoaderPostLoad(loader, (*p - '0') % 2, Request(&h, *p - '0'))) << c.name;
            }
        }
        expected = std::string(c.results).size() / 2;
        h.decoder.OpenGate();
        ASSERT_TRUE(box.WaitFor(expected)) << c.name;
        EXPECT_TRUE(StopLoader(loader, 5000)) << c.name;
        EXPECT_EQ(box.Pages(), c.results) << c.name;
    }
}

// Closing right after page turns: the loader is decoding one page (slowly: each
// decode takes kSlowMs once let through) and the turns' requests wait behind
// it. The stop must overtake them: the page in hand is finished, the queued
// ones are dropped undone, and the thread ends within the 1,000 ms grace on its
// own, not by force. Waiting for the two queued decodes as well would take
// three slow decodes, past the grace.
TEST(LoaderThread, StopOvertakesTheQueuedRequests) {
    static constexpr int kSlowMs = 450;
    struct Case {
        const char* name;
        const char* behind;  // posted while page 0 is being decoded
    };
    static const Case kCases[] = {
        {"two requests of one planning", "12"},
        {"two plannings", "12M34"},
        {"a planning with its marker", "M12"},
    };
    for (const Case& c : kCases) {
        ViewHarness h(std::vector<FakePage>(6), false, false);
        struct Slow {
            const DecodeOps* inner;
        } slow{&h.decoder.ops};
        // The harness's decoder (counting, gated), then the slow part of a big page.
        const DecodeOps slowOps{&slow,
                                [](void* ctx, const char16_t* path, int32_t* orientation) {
                                    const DecodeOps* inner = static_cast<Slow*>(ctx)->inner;
                                    DecodedImage* image = inner->openFile(inner->context, path, orientation);
                                    std::this_thread::sleep_for(std::chrono::milliseconds(kSlowMs));
                                    return image;
                                },
                                nullptr,
                                nullptr,
                                nullptr,
                                nullptr};
        Mailbox box;
        const LoaderSink sink = box.Sink();
        LoaderThread* loader = StartLoader(&slowOps, &sink);
        ASSERT_NE(loader, nullptr) << c.name;
        h.decoder.CloseGate();
        ASSERT_TRUE(LoaderPostLoad(loader, 0, Request(&h, 0))) << c.name;
        h.decoder.WaitEntered(1);
        for (const char* p = c.behind; *p != 0; ++p) {
            if (*p == 'M') {
                ASSERT_TRUE(LoaderPostCancel(loader)) << c.name;
            } else {
                ASSERT_TRUE(LoaderPostLoad(loader, (*p - '0') % 2, Request(&h, *p - '0'))) << c.name;
            }
        }
        // The decode in hand goes on once the stop has been asked for.
        std::thread opener([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            h.decoder.OpenGate();
        });
        const bool endedItself = StopLoader(loader, 1000);
        opener.join();
        EXPECT_TRUE(endedItself) << c.name;
        EXPECT_EQ(box.Pages(), "0l") << c.name;
        EXPECT_EQ(h.decoder.TotalDecodes(), 1) << c.name;
    }
}

// Requests and results cross between the threads as fast as they can, with
// markers in between; results come in posting order, each page at most once,
// and what was posted after the last marker is always decoded. Under
// ThreadSanitizer this is the race check of the hand-over.
TEST(LoaderThread, StressOfRequestsMarkersAndResults) {
    constexpr int32_t kPages = 3000;
    std::vector<FakePage> pages(kPages, FakePage{2, 3, 8, 1, false});
    ViewHarness h(pages, false, false);
    Mailbox box;
    const LoaderSink sink = box.Sink();
    LoaderThread* loader = StartLoader(&h.decoder.ops, &sink);
    ASSERT_NE(loader, nullptr);
    uint32_t seed = 7;
    int32_t lastMarkerBefore = 0;  // pages from here on were posted after the last marker
    int32_t received = 0;
    int32_t previous = -1;
    bool ordered = true;
    auto drain = [&] {
        for (auto& p : box.Take()) {
            ordered = ordered && p.second->page.pageIndex > previous;
            previous = p.second->page.pageIndex;
            ++received;
            FreeLoadResult(p.second);
        }
    };
    for (int32_t i = 0; i < kPages; ++i) {
        seed = seed * 1103515245u + 12345u;
        if ((seed >> 16) % 5 == 0) {
            LoaderSetPriority(loader, LoaderPriority::kNormal);
            ASSERT_TRUE(LoaderPostCancel(loader));
            lastMarkerBefore = i;
        }
        ASSERT_TRUE(LoaderPostLoad(loader, i % 2, Request(&h, i)));
        if ((seed >> 8) % 7 == 0) {
            drain();
        }
    }
    const int32_t mustCome = kPages - lastMarkerBefore;
    // The last request decoded means all before it were handled or dropped.
    while (previous != kPages - 1) {
        ASSERT_TRUE(box.WaitFor(1));
        drain();
    }
    EXPECT_TRUE(StopLoader(loader, 5000));
    drain();
    EXPECT_TRUE(ordered);
    EXPECT_GE(received, mustCome);
    for (int32_t i = 0; i < kPages; ++i) {
        ASSERT_LE(h.decoder.DecodesOf(i), 1) << "page " << i;
    }
    for (int32_t i = lastMarkerBefore; i < kPages; ++i) {
        ASSERT_EQ(h.decoder.DecodesOf(i), 1) << "page " << i;
    }
}

// The view reading forward against the real loader thread: once the results
// are stored, turning to the next spread decodes nothing on the spot.
TEST(LoaderThread, ReadingForwardTakesPagesFromTheLoader) {
    ViewHarness h(std::vector<FakePage>(12), true, true);
    Mailbox box;
    const LoaderSink sink = box.Sink();
    LoaderThread* loader = StartLoader(&h.decoder.ops, &sink);
    ASSERT_NE(loader, nullptr);
    h.view.loader = LoaderOpsFor(loader);
    h.Open(0);
    while (h.view.endIndex < h.book.pageCount) {
        ASSERT_TRUE(box.WaitFor(2));
        for (auto& p : box.Take()) {
            OnPageLoaded(&h.view, p.first, p.second);
        }
        EXPECT_EQ(LoaderCurrentPriority(loader), LoaderPriority::kIdle);
        // The loader may already be decoding the next planning's pages; the
        // pages shown must have been decoded once, by it.
        Navigate(&h.view, CMD_NEXT_SPREAD, 0);
        EXPECT_EQ(h.decoder.DecodesOf(h.view.currentIndex), 1) << "at page " << h.view.currentIndex;
        EXPECT_EQ(h.decoder.DecodesOf(h.view.currentIndex + 1), 1) << "at page " << h.view.currentIndex;
    }
    EXPECT_EQ(h.Shown(), "11,10");
    EXPECT_TRUE(StopLoader(loader, 5000));
    for (auto& p : box.Take()) {
        FreeLoadResult(p.second);
    }
    for (int32_t i = 0; i < 12; ++i) {
        EXPECT_EQ(h.decoder.DecodesOf(i), 1) << "page " << i;
    }
}

}  // namespace
