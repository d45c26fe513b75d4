// The display-copy scaler against a reference computed in double precision:
// every pixel within one level of the exact area average (shrinking) or the
// bilinear blend (growing), for grey, 24-bit and palette pictures, odd sizes and
// factors from 1.01 to 8, on parts that do not start at the picture's corner;
// nearest neighbour picks the pixel under each centre and keeps the indices;
// what cannot be scaled gives no copy.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/vm.h"
#include "view/scale_picture.h"

namespace {

enum Kind { kGrey, kColour, kPalette };

uint32_t gSeed = 12345;
uint8_t NextByte() {
    gSeed = gSeed * 1103515245u + 12345u;
    return static_cast<uint8_t>(gSeed >> 16);
}

struct Picture {
    PageImage page{};
    ~Picture() { ReleasePageImage(&page); }
};

// Random pixels; every fourth row a hard edge pattern so that the weights at
// the borders of a copied pixel matter.
bool MakePicture(Picture* p, Kind kind, int32_t w, int32_t h) {
    const uint16_t bits = kind == kColour ? 24 : 8;
    const uint32_t stride = RowStride(w, bits);
    p->page.pixels = static_cast<uint8_t*>(VmAlloc(size_t{stride} * static_cast<size_t>(h) + 4));
    if (p->page.pixels == nullptr) {
        return false;
    }
    p->page.header = BitmapInfoHeader{40, w, h, 1, bits, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 256; ++i) {
        const auto v = static_cast<uint8_t>(i);
        p->page.palette[i] = kind == kGrey
                                 ? RgbQuad{v, v, v, 0}
                                 : RgbQuad{NextByte(), NextByte(), static_cast<uint8_t>(255 - i), 0};
    }
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = p->page.pixels + size_t{stride} * static_cast<size_t>(y);
        for (uint32_t x = 0; x < stride; ++x) {
            row[x] = y % 4 == 0 ? static_cast<uint8_t>((x / 3) % 2 == 0 ? 0 : 255) : NextByte();
        }
    }
    return true;
}

// Weight of source pixel j in copied pixel i along one axis.
double RefWeight(int32_t i, int32_t j, int32_t length, int32_t out) {
    if (out <= length) {
        const double r = static_cast<double>(length) / out;
        const double lo = std::fmax(i * r, j);
        const double hi = std::fmin((i + 1) * r, j + 1.0);
        return hi > lo ? (hi - lo) / r : 0.0;
    }
    double c = (i + 0.5) * length / out - 0.5;
    c = std::fmin(std::fmax(c, 0.0), length - 1.0);
    const double d = std::fabs(c - j);
    return d < 1.0 ? 1.0 - d : 0.0;
}

// One channel of the source pixel (x, y from the bottom) as the copy sees it.
double Channel(const PageImage& page, int32_t x, int32_t y, int c) {
    const uint8_t* row =
        page.pixels + size_t{RowStride(page.header.width, page.header.bitCount)} * static_cast<size_t>(y);
    if (page.header.bitCount == 24) {
        return row[3 * x + c];
    }
    const RgbQuad& q = page.palette[row[x]];
    return c == 0 ? q.blue : c == 1 ? q.green : q.red;
}

// The largest difference between the copy and the reference, over every pixel
// and channel.
int MaxError(const PageImage& page, const PicturePart& part, const ScaledPicture& copy) {
    const int32_t ow = copy.header.width;
    const int32_t oh = copy.header.height;
    const int channels = copy.header.bitCount == 24 ? 3 : 1;
    const uint32_t outStride = RowStride(ow, copy.header.bitCount);
    int worst = 0;
    std::vector<double> wx(static_cast<size_t>(part.width));
    for (int32_t oy = 0; oy < oh; ++oy) {
        for (int32_t ox = 0; ox < ow; ++ox) {
            for (int32_t j = 0; j < part.width; ++j) {
                wx[static_cast<size_t>(j)] = RefWeight(ox, j, part.width, ow);
            }
            for (int c = 0; c < channels; ++c) {
                double sum = 0;
                for (int32_t k = 0; k < part.height; ++k) {
                    const double wy = RefWeight(oy, k, part.height, oh);
                    if (wy == 0.0) {
                        continue;
                    }
                    for (int32_t j = 0; j < part.width; ++j) {
                        if (wx[static_cast<size_t>(j)] != 0.0) {
                            sum += wy * wx[static_cast<size_t>(j)] *
                                   Channel(page, part.x + j, part.yFromBottom + k, channels == 1 ? 0 : c);
                        }
                    }
                }
                const int got = copy.pixels[size_t{outStride} * static_cast<size_t>(oy) +
                                            static_cast<size_t>(ox * channels + c)];
                const int want = static_cast<int>(std::lround(sum));
                worst = std::max(worst, std::abs(got - want));
            }
        }
    }
    return worst;
}

struct SmoothCase {
    Kind kind;
    int32_t width, height;  // the picture
    PicturePart part;
    int32_t outWidth, outHeight;
};

TEST(ScalePictureTest, SmoothCopyIsWithinOneLevelOfTheReference) {
    const SmoothCase cases[] = {
        {kColour, 101, 99, {0, 0, 101, 99}, 100, 98},     // factor 1.01
        {kColour, 203, 157, {3, 5, 197, 151}, 131, 101},  // 1.5, a part away from the corner
        {kColour, 97, 83, {0, 0, 97, 83}, 97, 83},        // 1:1
        {kGrey, 257, 131, {1, 2, 255, 129}, 85, 43},      // 3, odd
        {kGrey, 401, 403, {0, 0, 401, 403}, 50, 50},      // 8
        {kPalette, 123, 77, {0, 0, 123, 77}, 61, 38},     // 2.02
        {kPalette, 333, 111, {7, 3, 320, 100}, 40, 13},   // 8 and 7.7
        {kColour, 17, 13, {0, 0, 17, 13}, 61, 47},        // growing: bilinear
        {kGrey, 31, 29, {2, 1, 27, 25}, 27, 77},          // one axis 1:1, the other growing
        {kColour, 1, 1, {0, 0, 1, 1}, 5, 3},              // one pixel
        {kColour, 640, 3, {0, 0, 640, 3}, 1, 1},          // everything into one pixel
    };
    for (const SmoothCase& c : cases) {
        SCOPED_TRACE(testing::Message() << c.kind << ": " << c.width << "x" << c.height << " -> "
                                        << c.outWidth << "x" << c.outHeight);
        Picture p;
        ASSERT_TRUE(MakePicture(&p, c.kind, c.width, c.height));
        ScaledPicture copy{};
        ASSERT_TRUE(ScalePicture(p.page, c.part, c.outWidth, c.outHeight, ScaleFilter::kSmooth, &copy));
        EXPECT_EQ(copy.header.width, c.outWidth);
        EXPECT_EQ(copy.header.height, c.outHeight);
        EXPECT_EQ(copy.header.bitCount, c.kind == kGrey ? 8 : 24);
        EXPECT_LE(MaxError(p.page, c.part, copy), 1);
        ReleaseScaledPicture(&copy);
    }
}

TEST(ScalePictureTest, NearestPicksThePixelUnderEachCentreAndKeepsIndices) {
    for (Kind kind : {kColour, kPalette}) {
        Picture p;
        ASSERT_TRUE(MakePicture(&p, kind, 90, 60));
        const PicturePart part{10, 6, 60, 45};
        ScaledPicture copy{};
        ASSERT_TRUE(ScalePicture(p.page, part, 20, 15, ScaleFilter::kNearest, &copy));
        ASSERT_EQ(copy.header.bitCount, p.page.header.bitCount);
        const size_t bytes = kind == kColour ? 3 : 1;
        const uint32_t stride = RowStride(90, p.page.header.bitCount);
        const uint32_t outStride = RowStride(20, copy.header.bitCount);
        for (int32_t oy = 0; oy < 15; ++oy) {
            for (int32_t ox = 0; ox < 20; ++ox) {
                // Factor 3: the centre of copied pixel i is source pixel 3i + 1.
                const uint8_t* want = p.page.pixels + size_t{stride} * static_cast<size_t>(6 + 3 * oy + 1) +
                                      static_cast<size_t>(10 + 3 * ox + 1) * bytes;
                const uint8_t* got = copy.pixels + size_t{outStride} * static_cast<size_t>(oy) +
                                     static_cast<size_t>(ox) * bytes;
                ASSERT_EQ(0, std::memcmp(want, got, bytes)) << ox << "," << oy;
            }
        }
        ReleaseScaledPicture(&copy);
    }
}

TEST(ScalePictureTest, WhatCannotBeScaledGivesNoCopy) {
    Picture p;
    ASSERT_TRUE(MakePicture(&p, kColour, 40, 30));
    const struct {
        PicturePart part;
        int32_t w, h;
    } cases[] = {
        {{0, 0, 41, 30}, 10, 10},   // wider than the picture
        {{0, 1, 40, 30}, 10, 10},   // runs off the top
        {{-1, 0, 10, 10}, 10, 10},  // left of it
        {{0, 0, 40, 30}, 0, 10},    // no width
        {{0, 0, 40, 30}, 10, -3},   // negative height
        {{0, 0, 0, 30}, 10, 10},    // empty part
    };
    for (const auto& c : cases) {
        ScaledPicture copy{};
        EXPECT_FALSE(ScalePicture(p.page, c.part, c.w, c.h, ScaleFilter::kSmooth, &copy));
        EXPECT_EQ(copy.pixels, nullptr);
    }
    PageImage empty{};
    ScaledPicture copy{};
    EXPECT_FALSE(ScalePicture(empty, PicturePart{0, 0, 1, 1}, 1, 1, ScaleFilter::kNearest, &copy));
    p.page.header.bitCount = 16;
    EXPECT_FALSE(ScalePicture(p.page, PicturePart{0, 0, 10, 10}, 5, 5, ScaleFilter::kSmooth, &copy));
    p.page.header.bitCount = 24;
}

TEST(ScalePictureTest, GreyRampIsRecognisedOnlyWhenEveryEntryInUseIsItsLevel) {
    Picture p;
    ASSERT_TRUE(MakePicture(&p, kGrey, 4, 4));
    EXPECT_TRUE(IsGreyRamp(p.page));
    EXPECT_EQ(ScaledBitCount(p.page, ScaleFilter::kSmooth), 8);
    p.page.palette[200].red = 3;
    EXPECT_FALSE(IsGreyRamp(p.page));
    EXPECT_EQ(ScaledBitCount(p.page, ScaleFilter::kSmooth), 24);
    EXPECT_EQ(ScaledBitCount(p.page, ScaleFilter::kNearest), 8);
    p.page.header.clrUsed = 200;  // the odd entry is past the ones in use
    EXPECT_TRUE(IsGreyRamp(p.page));
}

}  // namespace
