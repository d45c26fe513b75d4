// TurnUpright against the plain turn (one pixel at a time in destination order,
// reading the source down its columns) on a 3000 x 2000 page, the size of a
// phone photo. Each iteration turns a fresh copy; the copy is outside the timing.
#include <benchmark/benchmark.h>

#include <cstring>

#include "platform/heap.h"
#include "platform/vm.h"
#include "view/turn_upright.h"

namespace {

constexpr int32_t kWidth = 3000;
constexpr int32_t kHeight = 2000;

void MakePage(PageImage* page, uint16_t bits) {
    *page = PageImage{};
    page->header.width = kWidth;
    page->header.height = kHeight;
    page->header.bitCount = bits;
    const size_t bytes = static_cast<size_t>(RowStride(kWidth, bits)) * kHeight;
    page->pixels = static_cast<uint8_t*>(VmAlloc(bytes + 4));
    for (size_t i = 0; i < bytes; ++i) {
        page->pixels[i] = static_cast<uint8_t>(i * 7);
    }
}

// The reference: every destination pixel fetched from its source place.
void PlainTurn(PageImage* page, int32_t orientation) {
    const int32_t w = page->header.width;
    const int32_t h = page->header.height;
    const size_t bpp = page->header.bitCount / 8;
    const bool quarter = orientation == 6 || orientation == 8;
    const int32_t nw = quarter ? h : w;
    const int32_t nh = quarter ? w : h;
    const size_t oldStride = RowStride(w, page->header.bitCount);
    const size_t newStride = RowStride(nw, page->header.bitCount);
    auto* dst = static_cast<uint8_t*>(VmAlloc(newStride * static_cast<size_t>(nh) + 4));
    for (int32_t y = 0; y < nh; ++y) {
        for (int32_t x = 0; x < nw; ++x) {
            int32_t sx;
            int32_t sy;
            if (orientation == 6) {
                sx = y;
                sy = h - 1 - x;
            } else if (orientation == 8) {
                sx = w - 1 - y;
                sy = x;
            } else {
                sx = w - 1 - x;
                sy = h - 1 - y;
            }
            std::memcpy(
                dst + static_cast<size_t>(nh - 1 - y) * newStride + static_cast<size_t>(x) * bpp,
                page->pixels + static_cast<size_t>(h - 1 - sy) * oldStride + static_cast<size_t>(sx) * bpp,
                bpp);
        }
    }
    VmFree(page->pixels);
    page->pixels = dst;
    page->header.width = nw;
    page->header.height = nh;
}

template <bool kReader>
void BM_Turn(benchmark::State& state) {
    const int32_t orientation = static_cast<int32_t>(state.range(0));
    const uint16_t bits = static_cast<uint16_t>(state.range(1));
    PageImage source;
    MakePage(&source, bits);
    const size_t bytes = static_cast<size_t>(RowStride(kWidth, bits)) * kHeight;
    for (auto _ : state) {
        state.PauseTiming();
        PageImage page = source;
        page.pixels = static_cast<uint8_t*>(VmAlloc(bytes + 4));
        std::memcpy(page.pixels, source.pixels, bytes);
        state.ResumeTiming();
        if (kReader) {
            TurnUpright(&page, orientation);
        } else {
            PlainTurn(&page, orientation);
        }
        benchmark::DoNotOptimize(page.pixels);
        state.PauseTiming();
        ReleasePageImage(&page);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
    ReleasePageImage(&source);
}

// The floor of any turn into a new block: taking a fresh block and writing it
// once (the first touch of every page of it costs as much as the copying).
void BM_FreshBlock(benchmark::State& state) {
    const uint16_t bits = static_cast<uint16_t>(state.range(1));
    const size_t bytes = static_cast<size_t>(RowStride(kHeight, bits)) * kWidth;
    for (auto _ : state) {
        auto* block = static_cast<uint8_t*>(VmAlloc(bytes + 4));
        std::memset(block, 1, bytes);
        benchmark::DoNotOptimize(block);
        VmFree(block);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void Args(benchmark::internal::Benchmark* b) {
    for (int orientation : {6, 8, 3}) {
        for (int bits : {24, 8}) {
            b->Args({orientation, bits});
        }
    }
    b->ArgNames({"orientation", "bits"})->Unit(benchmark::kMillisecond);
}

BENCHMARK(BM_Turn<true>)->Name("TurnUpright")->Apply(Args);
BENCHMARK(BM_Turn<false>)->Name("PlainTurn")->Apply(Args);
BENCHMARK(BM_FreshBlock)->Name("FreshBlock")->Args({6, 24})->Args({6, 8})->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
