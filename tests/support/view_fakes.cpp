#include "tests/support/view_fakes.h"

#include <cstring>

#include "platform/vm.h"
#include "view/layout.h"
#include "view/navigate.h"
#include "view/page_list.h"
#include "view/read_ahead.h"

void PatternPixel(int32_t index, uint16_t bits, int32_t x, int32_t y, uint8_t* out) {
    if (bits == 8) {
        out[0] = static_cast<uint8_t>(x * 31 + y * 17 + index * 5);
        return;
    }
    out[0] = static_cast<uint8_t>(x);
    out[1] = static_cast<uint8_t>(y);
    out[2] = static_cast<uint8_t>(((x >> 8) << 4) | ((y >> 8) & 15));
}

const uint8_t* PixelAt(const PageImage& page, int32_t x, int32_t y) {
    const uint32_t stride = RowStride(page.header.width, page.header.bitCount);
    const size_t row = static_cast<size_t>(page.header.height - 1 - y);
    return page.pixels + row * stride + static_cast<size_t>(x) * (page.header.bitCount / 8);
}

namespace {

// "...\p12.jpg" → 12; -1 when the name has no such number.
int32_t IndexFromPath(const char16_t* path) {
    const char16_t* p = nullptr;
    for (const char16_t* q = path; *q != 0; ++q) {
        if (*q == u'p' && (q == path || q[-1] == u'\\')) {
            p = q + 1;
        }
    }
    if (p == nullptr || *p < u'0' || *p > u'9') {
        return -1;
    }
    int32_t v = 0;
    for (; *p >= u'0' && *p <= u'9'; ++p) {
        v = v * 10 + (*p - u'0');
    }
    return v;
}

DecodedImage* FakeOpenFile(void* ctx, const char16_t* path, int32_t* orientation) {
    return static_cast<FakeDecoder*>(ctx)->Decode(IndexFromPath(path), orientation);
}

uint8_t* FakeFetch(void* ctx, int32_t, const char16_t*, uint32_t* locator) {
    static_cast<FakeDecoder*>(ctx)->fetches.fetch_add(1);
    if (*locator < 1000) {
        return nullptr;
    }
    auto* block = static_cast<uint8_t*>(VmAlloc(8 + 4));
    if (block == nullptr) {
        return nullptr;
    }
    const uint32_t index = *locator - 1000;
    std::memcpy(block, &index, 4);
    *locator = 8;
    return block;
}

DecodedImage* FakeOpenMemory(void* ctx, const char16_t*, uint8_t* block, size_t size, int32_t* orientation) {
    uint32_t index = UINT32_MAX;
    if (size >= 4) {
        std::memcpy(&index, block, 4);
    }
    VmFree(block);
    return static_cast<FakeDecoder*>(ctx)->Decode(static_cast<int32_t>(index), orientation);
}

// The recipe's size turned upright, when the decoder answers probes at all.
bool ProbeIndex(FakeDecoder* d, int32_t index, PictureProbe* out) {
    if (!d->answersProbes || index < 0 || static_cast<size_t>(index) >= d->pages.size()) {
        return false;
    }
    d->probes.fetch_add(1);
    const FakePage& p = d->pages[static_cast<size_t>(index)];
    const bool quarter = p.orientation == 6 || p.orientation == 8;
    out->width = static_cast<uint32_t>(quarter ? p.height : p.width);
    out->height = static_cast<uint32_t>(quarter ? p.width : p.height);
    return true;
}

bool FakeProbeFile(void* ctx, const char16_t* path, PictureProbe* out) {
    return ProbeIndex(static_cast<FakeDecoder*>(ctx), IndexFromPath(path), out);
}

bool FakeProbeMemory(void* ctx, const uint8_t* data, size_t size, PictureProbe* out) {
    uint32_t index = UINT32_MAX;
    if (size >= 4) {
        std::memcpy(&index, data, 4);
    }
    return ProbeIndex(static_cast<FakeDecoder*>(ctx), static_cast<int32_t>(index), out);
}

}  // namespace

FakeDecoder::FakeDecoder(std::vector<FakePage> p) : pages(std::move(p)) {
    countSize_ = pages.size() + 1;
    counts_.reset(new std::atomic<int32_t>[countSize_]);
    ResetCounts();
    ops = DecodeOps{this, FakeOpenFile, FakeFetch, FakeOpenMemory, FakeProbeFile, FakeProbeMemory};
}

FakeDecoder::~FakeDecoder() = default;

int32_t FakeDecoder::DecodesOf(int32_t index) const {
    if (index < 0 || static_cast<size_t>(index) >= countSize_) {
        return 0;
    }
    return counts_[static_cast<size_t>(index)].load();
}

int32_t FakeDecoder::TotalDecodes() const {
    int32_t n = 0;
    for (size_t i = 0; i < countSize_; ++i) {
        n += counts_[i].load();
    }
    return n;
}

void FakeDecoder::ResetCounts() {
    for (size_t i = 0; i < countSize_; ++i) {
        counts_[i].store(0);
    }
}

void FakeDecoder::Uncount(int32_t index) {
    if (index >= 0 && static_cast<size_t>(index) < countSize_) {
        counts_[static_cast<size_t>(index)].fetch_sub(1);
    }
}

void FakeDecoder::CloseGate() {
    std::lock_guard<std::mutex> lock(mutex_);
    gateClosed_ = true;
}

void FakeDecoder::OpenGate() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        gateClosed_ = false;
    }
    changed_.notify_all();
}

void FakeDecoder::WaitEntered(int32_t n) {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [&] { return entered_ >= n; });
}

DecodedImage* FakeDecoder::Decode(int32_t index, int32_t* orientation) {
    {
        std::unique_lock<std::mutex> lock(mutex_);
        ++entered_;
        changed_.notify_all();
        changed_.wait(lock, [&] { return !gateClosed_; });
    }
    if (index < 0 || static_cast<size_t>(index) >= pages.size()) {
        return nullptr;
    }
    counts_[static_cast<size_t>(index)].fetch_add(1);
    if (onDecode) {
        onDecode(index);
    }
    const FakePage& recipe = pages[static_cast<size_t>(index)];
    if (recipe.fail) {
        return nullptr;
    }
    DecodedImagePtr image(NewDecodedImage());
    if (!image || !AllocatePixels(image.get(), recipe.width, recipe.height, recipe.bits)) {
        return nullptr;
    }
    const uint32_t stride = RowStride(recipe.width, recipe.bits);
    const int32_t bytes = recipe.bits / 8;
    for (int32_t y = 0; y < recipe.height; ++y) {
        uint8_t* row = image->pixels + static_cast<size_t>(recipe.height - 1 - y) * stride;
        for (int32_t x = 0; x < recipe.width; ++x) {
            PatternPixel(index, recipe.bits, x, y, row + static_cast<size_t>(x) * static_cast<size_t>(bytes));
        }
    }
    if (recipe.bits == 8) {
        for (int i = 0; i < 256; ++i) {
            image->palette[i] = RgbQuad{static_cast<uint8_t>(i), static_cast<uint8_t>(index), 0, 0};
        }
    }
    *orientation = recipe.orientation;
    return image.release();
}

namespace {

FakeUi* Ui(void* ctx) {
    return static_cast<FakeUi*>(ctx);
}

std::string Num(int32_t v) {
    return std::to_string(v);
}

}  // namespace

std::string Narrow16(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        out.push_back(c < 128 ? static_cast<char>(c) : '?');
    }
    return out;
}

ViewOps FakeUi::Ops() {
    ViewOps o{};
    o.context = this;
    o.invalidate = [](void* ctx, const ViewRect* r) {
        Ui(ctx)->log.push_back(r == nullptr ? std::string("invalidate all")
                                            : "invalidate " + Num(r->left) + " " + Num(r->top) + " " +
                                                  Num(r->right) + " " + Num(r->bottom));
    };
    o.update = [](void* ctx) {
        Ui(ctx)->log.push_back("update");
        if (Ui(ctx)->onUpdate) {
            Ui(ctx)->onUpdate();
        }
    };
    o.setPageText = [](void* ctx, const char16_t* text) {
        Ui(ctx)->pageText = text;
        Ui(ctx)->log.push_back("text " + Narrow16(text));
    };
    o.setSliderPosition = [](void* ctx, int32_t p) {
        Ui(ctx)->slider = p;
        Ui(ctx)->log.push_back("slider " + Num(p));
    };
    o.sliderPosition = [](void* ctx) { return Ui(ctx)->slider; };
    o.redrawFileListRow = [](void* ctx, int32_t row) { Ui(ctx)->log.push_back("redraw " + Num(row)); };
    o.selectFileListRow = [](void* ctx, int32_t row) {
        Ui(ctx)->selectedRow = row;
        Ui(ctx)->log.push_back("select " + Num(row));
    };
    o.scrollFileListTo = [](void* ctx, int32_t row) { Ui(ctx)->log.push_back("scroll " + Num(row)); };
    o.setCursor = [](void* ctx, ViewCursor c) {
        Ui(ctx)->log.push_back(c == ViewCursor::kWait ? "cursor wait" : "cursor arrow");
    };
    o.setLoupeButton = [](void* ctx, bool on) {
        Ui(ctx)->loupeButton = on;
        Ui(ctx)->log.push_back(on ? "loupe on" : "loupe off");
    };
    o.cursorPosition = [](void* ctx, int32_t* x, int32_t* y) {
        *x = Ui(ctx)->cursorX;
        *y = Ui(ctx)->cursorY;
        return Ui(ctx)->hasCursor;
    };
    return o;
}

std::vector<std::string> FakeUi::Lines(const std::string& prefix) const {
    std::vector<std::string> out;
    for (const std::string& line : log) {
        if (line.compare(0, prefix.size(), prefix) == 0) {
            out.push_back(line);
        }
    }
    return out;
}

namespace {

bool CollectResult(void* ctx, int32_t slot, LoadResult* result) {
    auto* h = static_cast<ViewHarness*>(ctx);
    h->busyAtDelivery = h->sink.busy != nullptr && h->sink.busy->page.load() != 0;
    h->pending.emplace_back(slot, result);
    return true;
}

}  // namespace

ViewHarness::ViewHarness(std::vector<FakePage> pages,
                         bool spreadMode,
                         bool rightToLeft,
                         int32_t viewWidth,
                         int32_t viewHeight,
                         BookKind kind)
    : decoder(std::move(pages)) {
    BookInit(&book, nullptr);
    const int32_t n = static_cast<int32_t>(decoder.pages.size());
    book.book.isOpen = true;
    book.book.kind = kind;
    book.book.path.Assign(kind == kBookFolder ? u"C:\\book" : u"C:\\book.zip");
    if (n > 0) {
        book.pages = NewPageList(n);
        for (int32_t i = 0; i < n; ++i) {
            std::u16string name = u"p";
            for (char c : std::to_string(i)) {
                name.push_back(static_cast<char16_t>(c));
            }
            name += u".jpg";
            book.pages->entries[i].name.Assign(name.c_str());
            book.pages->entries[i].locator = 1000u + static_cast<uint32_t>(i);
        }
        book.pageCount = n;
    }
    loaderOps = LoaderOpsForQueue(&queue);
    sink = LoaderSink{this, CollectResult};
    ViewOps ops = ui.Ops();
    ViewInit(&view, &book, &ops, &decoder.ops, &loaderOps);
    ViewPrefs prefs;
    prefs.spreadMode = spreadMode;
    prefs.rightToLeft = rightToLeft;
    ApplyViewPrefs(&view, prefs);
    ResizeView(&view, viewWidth, viewHeight);
}

ViewHarness::~ViewHarness() {
    for (auto& p : pending) {
        FreeLoadResult(p.second);
    }
    LoaderQueueClear(&queue);
    ReleaseAll(&view);
    BookRelease(&book);
}

void ViewHarness::DeliverResults() {
    std::vector<std::pair<int32_t, LoadResult*>> batch;
    batch.swap(pending);
    for (auto& p : batch) {
        OnPageLoaded(&view, p.first, p.second);
    }
}

void ViewHarness::CatchUp() {
    RunLoaderQueue(&queue, &decoder.ops, &sink);
    DeliverResults();
}

int32_t ViewHarness::Left() const {
    return IsFull(view.leftSlot.page) ? view.leftSlot.page.pageIndex : -1;
}

int32_t ViewHarness::Right() const {
    return IsFull(view.rightSlot.page) ? view.rightSlot.page.pageIndex : -1;
}

std::string ViewHarness::Shown() const {
    return std::to_string(Left()) + "," + std::to_string(Right());
}

void ViewHarness::Open(int32_t index) {
    ShowForward(&view, index, true);
    AfterShow(&view);
}

int32_t ViewHarness::HeldPictures() const {
    return HeldPictureCount(&view) + static_cast<int32_t>(pending.size());
}

void ViewHarness::Put(PageImage* slot, int32_t index) {
    LoadRequest request;
    if (FillLoadRequest(&book, index, &request)) {
        if (DecodePage(&decoder.ops, request, slot)) {
            decoder.Uncount(index);
        }
    }
}

bool ViewHarness::Queued(int32_t index) {
    bool found = false;
    LoaderQueue kept;
    LoaderMessage m;
    while (LoaderQueueTake(&queue, 0, UINT32_MAX, &m)) {
        found = found || (m.message == WM_LOAD_PAGE && m.request->pageIndex == index);
        if (!LoaderQueuePost(&kept, m.message, m.slot, m.request)) {
            FreeLoadRequest(m.request);
        }
    }
    while (LoaderQueueTake(&kept, 0, UINT32_MAX, &m)) {
        if (!LoaderQueuePost(&queue, m.message, m.slot, m.request)) {
            FreeLoadRequest(m.request);
        }
    }
    return found;
}

std::string ViewHarness::DrainQueue() {
    std::string out;
    LoaderMessage m;
    while (LoaderQueueTake(&queue, 0, UINT32_MAX, &m)) {
        if (!out.empty()) {
            out += " ";
        }
        if (m.message == WM_CANCEL_LOADS) {
            out += "M";
        } else if (m.message == WM_LOAD_PAGE) {
            out += std::to_string(m.slot) + ":" + std::to_string(m.request->pageIndex);
            FreeLoadRequest(m.request);
        } else {
            out += "Q";
        }
    }
    return out;
}
