#include "decode/channel_order.h"

#include <cstddef>

#if defined(__x86_64__) || defined(_M_X64)
#include <cpuid.h>
#include <tmmintrin.h>
#define PW_CHANNEL_SHUFFLE 1
#endif

namespace {

// Where output byte i of a run of sixteen BGR pixels comes from in the run's
// input: pixel i / 3, channel 2 - i % 3 of it, at `width` bytes a sample (the
// byte `high` of a 2-byte sample).
constexpr int Source(int i, int sampleBytes, int high) {
    const int pixel = i / 3;
    const int channel = 2 - i % 3;
    return pixel * 3 * sampleBytes + channel * sampleBytes + high;
}

void PlainRows(const uint8_t* src, uint8_t* dst, uint32_t pixels, int sampleBytes, int high) {
    const int step = 3 * sampleBytes;
    for (uint32_t x = 0; x < pixels; ++x) {
        dst[0] = src[2 * sampleBytes + high];
        dst[1] = src[sampleBytes + high];
        dst[2] = src[high];
        src += step;
        dst += 3;
    }
}

#ifdef PW_CHANNEL_SHUFFLE

// Shuffle masks for sixteen 8-bit RGB pixels (three registers in, three out):
// for output register j and input register r, which byte of r lands where
// (0x80: none). Output j takes bytes from inputs j - 1 .. j + 1 only.
struct Masks {
    alignas(16) uint8_t m[3][3][16];
};

constexpr Masks MakeMasks() {
    Masks k{};
    for (int j = 0; j < 3; ++j) {
        for (int r = 0; r < 3; ++r) {
            for (int i = 0; i < 16; ++i) {
                const int s = Source(16 * j + i, 1, 0) - 16 * r;
                k.m[j][r][i] = s >= 0 && s < 16 ? static_cast<uint8_t>(s) : 0x80;
            }
        }
    }
    return k;
}

constexpr Masks kMasks = MakeMasks();

__attribute__((target("ssse3"))) inline __m128i Pick(__m128i in, int j, int r) {
    return _mm_shuffle_epi8(in, _mm_load_si128(reinterpret_cast<const __m128i*>(kMasks.m[j][r])));
}

// Sixteen pixels of 8-bit RGB in a, b, c to BGR at dst.
__attribute__((target("ssse3"))) inline void SwapSixteen(__m128i a, __m128i b, __m128i c, uint8_t* dst) {
    auto* out = reinterpret_cast<__m128i*>(dst);
    _mm_storeu_si128(out, _mm_or_si128(Pick(a, 0, 0), Pick(b, 0, 1)));
    _mm_storeu_si128(out + 1, _mm_or_si128(_mm_or_si128(Pick(a, 1, 0), Pick(b, 1, 1)), Pick(c, 1, 2)));
    _mm_storeu_si128(out + 2, _mm_or_si128(Pick(b, 2, 1), Pick(c, 2, 2)));
}

// Sixteen pixels at a time; return how many pixels were done.
__attribute__((target("ssse3"))) uint32_t ShuffleRgb8(const uint8_t* src, uint8_t* dst, uint32_t pixels) {
    const uint32_t runs = pixels / 16;
    for (uint32_t n = 0; n < runs; ++n) {
        const auto* in = reinterpret_cast<const __m128i*>(src);
        SwapSixteen(_mm_loadu_si128(in), _mm_loadu_si128(in + 1), _mm_loadu_si128(in + 2), dst);
        src += 48;
        dst += 48;
    }
    return runs * 16;
}

// The high bytes of sixteen 16-bit samples, in order.
__attribute__((target("ssse3"))) inline __m128i HighBytes(const __m128i* in, bool bigEndian) {
    __m128i lo = _mm_loadu_si128(in);
    __m128i hi = _mm_loadu_si128(in + 1);
    if (bigEndian) {
        const __m128i low = _mm_set1_epi16(0x00FF);
        return _mm_packus_epi16(_mm_and_si128(lo, low), _mm_and_si128(hi, low));
    }
    return _mm_packus_epi16(_mm_srli_epi16(lo, 8), _mm_srli_epi16(hi, 8));
}

__attribute__((target("ssse3"))) uint32_t ShuffleRgb16(const uint8_t* src,
                                                       uint8_t* dst,
                                                       uint32_t pixels,
                                                       bool bigEndian) {
    const uint32_t runs = pixels / 16;
    for (uint32_t n = 0; n < runs; ++n) {
        const auto* in = reinterpret_cast<const __m128i*>(src);
        SwapSixteen(HighBytes(in, bigEndian), HighBytes(in + 2, bigEndian), HighBytes(in + 4, bigEndian),
                    dst);
        src += 96;
        dst += 48;
    }
    return runs * 16;
}

bool HasSsse3() {
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    return __get_cpuid(1, &eax, &ebx, &ecx, &edx) != 0 && (ecx & bit_SSSE3) != 0;
}

bool gShuffle = HasSsse3();

#else

bool gShuffle = false;

#endif

}  // namespace

void RgbToBgrRow(const uint8_t* src, uint8_t* dst, uint32_t pixels) {
    uint32_t done = 0;
#ifdef PW_CHANNEL_SHUFFLE
    if (gShuffle) {
        done = ShuffleRgb8(src, dst, pixels);
    }
#endif
    PlainRows(src + size_t{3} * done, dst + size_t{3} * done, pixels - done, 1, 0);
}

void Rgb48ToBgrRow(const uint8_t* src, uint8_t* dst, uint32_t pixels, bool bigEndian) {
    const int high = bigEndian ? 0 : 1;
    uint32_t done = 0;
#ifdef PW_CHANNEL_SHUFFLE
    if (gShuffle) {
        done = ShuffleRgb16(src, dst, pixels, bigEndian);
    }
#endif
    PlainRows(src + size_t{6} * done, dst + size_t{3} * done, pixels - done, 2, high);
}

void UsePlainChannelOrder(bool plain) {
#ifdef PW_CHANNEL_SHUFFLE
    gShuffle = !plain && HasSsse3();
#else
    (void)plain;
#endif
}

const char* ChannelOrderPath() {
    return gShuffle ? "ssse3" : "plain";
}
