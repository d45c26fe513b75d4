// Chooses the PNG unfilter routines: the vector ones at the highest level the
// processor runs, asked of CPUID once; scalar ones where no vector unit is known.
#include "decode/png_internal.h"

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace {

PngSimdLevel DetectLevel() {
#if defined(__x86_64__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) {
        return PngSimdLevel::kSse2;  // SSE2 is part of x86-64
    }
    if ((ecx & bit_SSE4_1) != 0 && (ecx & bit_SSSE3) != 0) {
        return PngSimdLevel::kSse41;
    }
    if ((ecx & bit_SSSE3) != 0) {
        return PngSimdLevel::kSsse3;
    }
    return PngSimdLevel::kSse2;
#else
    return PngSimdLevel::kScalar;
#endif
}

}  // namespace

PngSimdLevel PngBestSimdLevel() {
    static const PngSimdLevel level = DetectLevel();
    return level;
}

const char* PngSimdLevelName(PngSimdLevel level) {
    switch (level) {
        case PngSimdLevel::kSse2:
            return "sse2";
        case PngSimdLevel::kSsse3:
            return "ssse3";
        case PngSimdLevel::kSse41:
            return "sse4.1";
        default:
            return "scalar";
    }
}

void ChoosePngUnfiltersAt(PngSimdLevel level, uint32_t bpp, PngRowOps* ops) {
#if defined(__x86_64__)
    switch (level) {
        case PngSimdLevel::kSse2:
            SetPngUnfiltersSse2(bpp, ops);
            return;
        case PngSimdLevel::kSsse3:
            SetPngUnfiltersSsse3(bpp, ops);
            return;
        case PngSimdLevel::kSse41:
            SetPngUnfiltersSse41(bpp, ops);
            return;
        default:
            break;
    }
#else
    (void)level;
#endif
    SetScalarPngUnfilters(bpp, ops);
}

void ChoosePngUnfilters(uint32_t bpp, PngRowOps* ops) {
    ChoosePngUnfiltersAt(PngBestSimdLevel(), bpp, ops);
}
