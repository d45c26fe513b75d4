#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "decode/blend_table.h"
#include "decode/decoded_image.h"
#include "decode/png.h"
#include "decode/png_internal.h"
#include "tests/support/picture_fixtures.h"

namespace {

Bytes RandomBytes(std::mt19937* rng, size_t n) {
    Bytes b(n);
    for (uint8_t& v : b) {
        v = static_cast<uint8_t>((*rng)());
    }
    return b;
}

// Every vector level this processor runs must give the scalar routines' bytes,
// for every filter and pixel size, over row lengths around the vector width,
// and never write into the slack after the row.
TEST(PngUnfilter, EveryLevelMatchesTheScalarRoutines) {
    const uint32_t bpps[] = {1, 2, 3, 4, 6, 8};
    const size_t pixelCounts[] = {1, 2, 3, 5, 8, 15, 16, 17, 33, 100};
    const PngSimdLevel best = PngBestSimdLevel();
    std::mt19937 rng(25);
    for (int lv = static_cast<int>(PngSimdLevel::kSse2); lv <= static_cast<int>(best); ++lv) {
        const PngSimdLevel level = static_cast<PngSimdLevel>(lv);
        for (uint32_t bpp : bpps) {
            PngRowOps scalar{};
            PngRowOps simd{};
            SetScalarPngUnfilters(bpp, &scalar);
            ChoosePngUnfiltersAt(level, bpp, &simd);
            for (size_t count : pixelCounts) {
                const size_t n = count * bpp;
                for (int filter = 1; filter <= 4; ++filter) {
                    Bytes prev = RandomBytes(&rng, n + kPngRowSlack);
                    Bytes want = RandomBytes(&rng, n + kPngRowSlack);
                    Bytes got = want;
                    scalar.unfilter[filter](want.data(), prev.data(), n);
                    simd.unfilter[filter](got.data(), prev.data(), n);
                    EXPECT_EQ(want, got) << PngSimdLevelName(level) << " bpp " << bpp << " filter " << filter
                                         << " bytes " << n;
                    if (simd.unfilterBgr[filter] == nullptr) {
                        continue;
                    }
                    // The fused store: the same row, and its pixels swapped to BGR.
                    Bytes fused = RandomBytes(&rng, n + kPngRowSlack);
                    Bytes raw = fused;
                    scalar.unfilter[filter](raw.data(), prev.data(), n);
                    Bytes bgr(n, 0xA5);
                    simd.unfilterBgr[filter](fused.data(), prev.data(), n, bgr.data());
                    EXPECT_EQ(raw, fused) << PngSimdLevelName(level) << " fused filter " << filter;
                    for (size_t i = 0; i + 3 <= n; i += 3) {
                        EXPECT_EQ(bgr[i], raw[i + 2]);
                        EXPECT_EQ(bgr[i + 1], raw[i + 1]);
                        EXPECT_EQ(bgr[i + 2], raw[i]);
                    }
                }
            }
        }
    }
}

struct Kind {
    const char* name;
    uint32_t depth;
    uint32_t colourType;
    uint32_t bytesPerPixel;
};

constexpr Kind kKinds[] = {
    {"grey", 8, 0, 1},   {"grey16", 16, 0, 2}, {"grey alpha", 8, 4, 2}, {"rgb", 8, 2, 3},
    {"rgb16", 16, 2, 6}, {"rgba", 8, 6, 4},    {"rgba16", 16, 6, 8},    {"palette", 8, 3, 1},
};

// Filtered rows of random bytes, each row with the next filter type in turn
// (5 and up count as None).
Bytes RandomRaw(std::mt19937* rng, uint32_t rowBytes, uint32_t height) {
    Bytes raw;
    for (uint32_t y = 0; y < height; ++y) {
        raw.push_back(static_cast<uint8_t>(y % 6));
        Bytes row = RandomBytes(rng, rowBytes);
        raw.insert(raw.end(), row.begin(), row.end());
    }
    return raw;
}

Bytes Picture(const Kind& k,
              uint32_t width,
              uint32_t height,
              const Bytes& zdata,
              size_t pieces,
              bool emptyFirst) {
    PngBuilder b;
    b.Ihdr(width, height, k.depth, k.colourType);
    if (k.colourType == 3) {
        std::mt19937 rng(7);
        b.Chunk("PLTE", RandomBytes(&rng, 768));
    }
    if (emptyFirst) {
        b.Chunk("IDAT", {});
    }
    b.Idat(zdata, pieces);
    b.Iend();
    return b.bytes();
}

Bytes Pixels(const Bytes& file, DecodeStatus* status) {
    DecodedImage* image = PngDecodeMemory(file.data(), file.size(), status);
    if (image == nullptr) {
        return {};
    }
    uint64_t size = uint64_t{RowStride(image->header.width, image->header.bitCount)} *
                    static_cast<uint64_t>(image->header.height);
    Bytes pixels(image->pixels, image->pixels + size);
    FreeDecodedImage(image);
    return pixels;
}

// The same rows reach the same pixels whether the stream lies in one chunk or
// many (gathered), and whether it is inflated whole or, for a stream that runs
// on past the picture, row by row; a wrong Adler-32 fails the decode.
TEST(PngInflate, EveryStreamLayoutGivesTheSamePixels) {
    FillBlendTable();
    std::mt19937 rng(11);
    const uint32_t width = 37;
    const uint32_t height = 9;
    for (const Kind& k : kKinds) {
        const uint32_t rowBytes = width * k.bytesPerPixel;
        const Bytes raw = RandomRaw(&rng, rowBytes, height);
        const Bytes z = Zlib(raw);
        Bytes longer = raw;
        longer.insert(longer.end(), rowBytes + 1, 3);
        Bytes badAdler = z;
        if (!badAdler.empty()) {
            badAdler.back() = static_cast<uint8_t>(badAdler.back() ^ 0x55);
        }
        struct Layout {
            const char* name;
            Bytes zdata;
            size_t pieces;
            bool emptyFirst;
            DecodeStatus status;
        };
        const Layout layouts[] = {
            {"five chunks", z, 5, false, kDecodeOk},
            {"empty chunk first", z, 1, true, kDecodeOk},
            {"stream longer than the picture", Zlib(longer), 3, false, kDecodeOk},
            {"bad Adler-32", badAdler, 1, false, kPngInflateFailed},
        };
        DecodeStatus status = kDecodeOk;
        const Bytes want = Pixels(Picture(k, width, height, z, 1, false), &status);
        ASSERT_EQ(status, kDecodeOk) << k.name;
        ASSERT_FALSE(want.empty());
        for (const Layout& layout : layouts) {
            Bytes got =
                Pixels(Picture(k, width, height, layout.zdata, layout.pieces, layout.emptyFirst), &status);
            EXPECT_EQ(status, layout.status) << k.name << ": " << layout.name;
            if (layout.status == kDecodeOk) {
                EXPECT_TRUE(got == want) << k.name << ": " << layout.name;
            }
        }
    }
}

}  // namespace
