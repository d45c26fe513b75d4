// Fakes for the reading view's tests: a decoder that serves made-up pages by
// index and counts every decode (thread-safe, with a gate that holds decodes
// back), a recording ViewOps, and a harness that holds a book of such pages, a
// view over it and a synchronous loader the test runs when it chooses.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "view/book.h"
#include "view/loader_queue.h"
#include "view/view_state.h"

// One page the fake decoder serves.
struct FakePage {
    int32_t width = 60;
    int32_t height = 80;
    uint16_t bits = 24;
    int32_t orientation = 1;  // reported as a JPEG's EXIF orientation
    bool fail = false;        // nothing decodes
};

// Pixel pattern of the fake pages, by top-down position: 24-bit pixels are
// blue x, green y, red the high bits of both (exact for x, y < 4096); 8-bit
// pixels mix both with the page index.
void PatternPixel(int32_t index, uint16_t bits, int32_t x, int32_t y, uint8_t* out);
// The bytes of pixel (x, y) of a picture, counted from the top.
const uint8_t* PixelAt(const PageImage& page, int32_t x, int32_t y);

// Serves pages[index] for the path "...\p<index>.jpg" (folder books) or the
// locator 1000 + index (archive books). Decoding may run on several threads.
class FakeDecoder {
  public:
    explicit FakeDecoder(std::vector<FakePage> pages = {});
    ~FakeDecoder();

    std::vector<FakePage> pages;  // fixed while a loader runs
    DecodeOps ops;
    // Off: probes say nothing, and every shape is learnt by decoding.
    bool answersProbes = false;
    std::atomic<int32_t> probes{0};
    std::atomic<int32_t> fetches{0};
    // Called as each decode starts (after the gate), with the page's index.
    std::function<void(int32_t)> onDecode;

    int32_t DecodesOf(int32_t index) const;
    int32_t TotalDecodes() const;
    void ResetCounts();
    void Uncount(int32_t index);

    // While closed, every decode waits at its start (after counting itself as
    // entered) until the gate opens again.
    void CloseGate();
    void OpenGate();
    // Waits until at least n decodes have entered.
    void WaitEntered(int32_t n);

    DecodedImage* Decode(int32_t index, int32_t* orientation);

  private:
    std::unique_ptr<std::atomic<int32_t>[]> counts_;
    size_t countSize_ = 0;
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    bool gateClosed_ = false;
    int32_t entered_ = 0;
};

// Records every window operation as one text line.
struct FakeUi {
    std::vector<std::string> log;
    std::u16string pageText;
    int32_t slider = 0;
    int32_t selectedRow = -1;
    bool hasCursor = false;
    int32_t cursorX = 0;
    int32_t cursorY = 0;
    bool loupeButton = false;
    std::function<void()> onUpdate;  // called at every repaint

    ViewOps Ops();
    // Lines of the log that start with prefix.
    std::vector<std::string> Lines(const std::string& prefix) const;
};

std::string Narrow16(const std::u16string& s);

// A book of fake pages with a view over it and a synchronous loader: the view
// posts into queue, CatchUp runs the loader over it and hands the results back
// as the main window would.
struct ViewHarness {
    ViewHarness(std::vector<FakePage> pages,
                bool spreadMode,
                bool rightToLeft,
                int32_t viewWidth = 1000,
                int32_t viewHeight = 700,
                BookKind kind = kBookFolder);
    ~ViewHarness();
    ViewHarness(const ViewHarness&) = delete;
    ViewHarness& operator=(const ViewHarness&) = delete;

    // Runs the loader until its queue is empty, then delivers its results.
    void CatchUp();
    // Delivers the results the loader produced so far (in order).
    void DeliverResults();
    // Page index in a display slot, or -1 when empty.
    int32_t Left() const;
    int32_t Right() const;
    // "L,R" of the shown view, -1 for an empty slot.
    std::string Shown() const;
    // Opens the book as the book's open sequence does: show from index, select,
    // page text, read-ahead.
    void Open(int32_t index);
    // Pictures held by the view plus results not yet delivered.
    int32_t HeldPictures() const;
    // Decodes page index into a cache slot as a loader result would arrive,
    // without counting it as a decode.
    void Put(PageImage* slot, int32_t index);
    // Takes every queued loader message: "M" for a marker, "slot:index" for a
    // request (freed), space-separated in queue order.
    std::string DrainQueue();
    // Whether a request for page index is queued (the queue is left as it was).
    bool Queued(int32_t index);

    BookState book;
    FakeDecoder decoder;
    FakeUi ui;
    LoaderQueue queue;
    LoaderOps loaderOps;
    LoaderSink sink;
    std::vector<std::pair<int32_t, LoadResult*>> pending;  // delivered by the loader, not yet stored
    bool busyAtDelivery = false;  // the last result came while sink.busy still named a page
    ReadingView view;
};
