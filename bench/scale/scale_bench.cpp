// Display copies: a 2400 x 3400 page reduced to its place in a 1920 x 1080
// spread (762 x 1080, factor 3.15) by the smooth filter, colour and grey, and by
// the nearest filter; next to Pillow's BOX reduction of a page of the same size
// and kind, timed by pillow_box.py in the same run (best of its rounds, reported
// as manual time per reduction, its processor time as the counter cpu_ms).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/vm.h"
#include "view/scale_picture.h"

namespace {

constexpr int32_t kWidth = 2400;
constexpr int32_t kHeight = 3400;
constexpr int32_t kOutWidth = 762;
constexpr int32_t kOutHeight = 1080;

// A page of noise at 8 (grey ramp) or 24 bits; empty when memory runs out.
PageImage MakePage(uint16_t bits) {
    PageImage page{};
    const uint32_t stride = RowStride(kWidth, bits);
    const size_t bytes = size_t{stride} * kHeight + 4;
    page.pixels = static_cast<uint8_t*>(VmAlloc(bytes));
    if (page.pixels == nullptr) {
        return page;
    }
    page.header = BitmapInfoHeader{40, kWidth, kHeight, 1, bits, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        page.palette[i] = RgbQuad{v, v, v, 0};
    }
    uint32_t seed = 1;
    for (size_t k = 0; k < bytes; ++k) {
        seed = seed * 1103515245u + 12345u;
        page.pixels[k] = static_cast<uint8_t>(seed >> 16);
    }
    return page;
}

void Scale(benchmark::State& state, uint16_t bits, ScaleFilter filter) {
    PageImage page = MakePage(bits);
    if (!IsFull(page)) {
        state.SkipWithError("no memory for the page");
        return;
    }
    const PicturePart part{0, 0, kWidth, kHeight};
    for (auto _ : state) {
        ScaledPicture copy{};
        if (!ScalePicture(page, part, kOutWidth, kOutHeight, filter, &copy)) {
            state.SkipWithError("scale failed");
            break;
        }
        benchmark::DoNotOptimize(copy.pixels);
        ReleaseScaledPicture(&copy);
    }
    ReleasePageImage(&page);
}

void BM_ScaleSmoothColour(benchmark::State& state) {
    Scale(state, 24, ScaleFilter::kSmooth);
}
void BM_ScaleSmoothGrey(benchmark::State& state) {
    Scale(state, 8, ScaleFilter::kSmooth);
}
void BM_ScaleNearestColour(benchmark::State& state) {
    Scale(state, 24, ScaleFilter::kNearest);
}

// Seconds per reduction as pillow_box.py measures it (best wall clock, best
// processor time); false when it did not run.
bool PillowSeconds(const char* mode, double* wall, double* cpu) {
    char command[512];
    std::snprintf(command, sizeof command, "%s %s %s %d %d %d %d 20", PW_PYTHON, PW_PILLOW_SCRIPT, mode,
                  kWidth, kHeight, kOutWidth, kOutHeight);
    FILE* pipe = popen(command, "r");
    if (pipe == nullptr) {
        return false;
    }
    char line[64] = {};
    const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
    const int status = pclose(pipe);
    return read && status == 0 && std::sscanf(line, "%lf %lf", wall, cpu) == 2 && *wall > 0;
}

void Pillow(benchmark::State& state, const char* mode) {
    double wall = 0;
    double cpu = 0;
    if (!PillowSeconds(mode, &wall, &cpu)) {
        state.SkipWithError("python3 with Pillow is not available");
        return;
    }
    for (auto _ : state) {
        state.SetIterationTime(wall);
    }
    state.counters["cpu_ms"] = cpu * 1000;
}

void BM_PillowBoxColour(benchmark::State& state) {
    Pillow(state, "RGB");
}
void BM_PillowBoxGrey(benchmark::State& state) {
    Pillow(state, "L");
}

}  // namespace

BENCHMARK(BM_ScaleSmoothColour)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PillowBoxColour)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ScaleSmoothGrey)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PillowBoxGrey)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(1);
BENCHMARK(BM_ScaleNearestColour)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
