// Reduced copies: the copy shows the part asked for, the right way up and the
// right way round, averaged rather than sampled, within its size bound, for both
// bit counts and odd widths; and parts or pictures that do not hold together
// give no copy.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/vm.h"
#include "view/reduced_copy.h"

namespace {

struct Rgb {
    uint8_t r, g, b;
};

// The four colours of the test pictures, also their palette at 8 bits.
constexpr Rgb kColours[4] = {{0, 0, 0}, {255, 255, 255}, {200, 20, 20}, {20, 20, 200}};
constexpr uint8_t kBlack = 0, kWhite = 1, kRed = 2, kBlue = 3;

// Pattern of the test pictures, by pixel position (y counted from the bottom).
enum Pattern { kSides, kUpDown, kChecker, kFrame };

uint8_t PatternAt(Pattern p, int32_t x, int32_t y, int32_t w, int32_t h) {
    switch (p) {
        case kSides:
            return x < w / 2 ? kRed : kBlue;
        case kUpDown:
            return y < h / 2 ? kRed : kBlue;
        case kChecker:
            return (x + y) % 2 == 0 ? kBlack : kWhite;
        case kFrame:
            return x < 10 || y < 10 || x >= w - 10 || y >= h - 10 ? kBlue : kRed;
    }
    return kBlack;
}

// A page of w x h in the pattern, at 8 or 24 bits.
bool MakePicture(PageImage* page, int32_t w, int32_t h, uint16_t bits, Pattern p) {
    *page = PageImage{};
    const uint32_t stride = RowStride(w, bits);
    page->pixels = static_cast<uint8_t*>(VmAlloc(size_t{stride} * static_cast<size_t>(h) + 4));
    if (page->pixels == nullptr) {
        return false;
    }
    page->pageIndex = 7;
    page->header = BitmapInfoHeader{40, w, h, 1, bits, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 4; ++i) {
        page->palette[i] = RgbQuad{kColours[i].b, kColours[i].g, kColours[i].r, 0};
    }
    for (int32_t y = 0; y < h; ++y) {
        uint8_t* row = page->pixels + size_t{stride} * static_cast<size_t>(y);
        for (int32_t x = 0; x < w; ++x) {
            const uint8_t index = PatternAt(p, x, y, w, h);
            if (bits == 8) {
                row[x] = index;
            } else {
                uint8_t* px = row + size_t{3} * static_cast<size_t>(x);
                px[0] = kColours[index].b;
                px[1] = kColours[index].g;
                px[2] = kColours[index].r;
            }
        }
    }
    return true;
}

Rgb CopyAt(const PageImage& copy, int32_t x, int32_t y) {
    const uint8_t* p = copy.pixels + size_t{RowStride(copy.header.width, 24)} * static_cast<size_t>(y) +
                       3 * static_cast<size_t>(x);
    return Rgb{p[2], p[1], p[0]};
}

bool Near(Rgb a, Rgb b, int tolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

std::string Text(Rgb c) {
    return std::to_string(c.r) + "," + std::to_string(c.g) + "," + std::to_string(c.b);
}

TEST(ReducedCopyTest, CopyShowsThePartAskedFor) {
    struct Case {
        const char* name;
        int32_t w, h;
        uint16_t bits;
        Pattern pattern;
        PicturePart part;
        int32_t destW, destH;
        int32_t wantW, wantH;
    };
    static const Case kCases[] = {
        {"24-bit halves, 10:1", 1000, 600, 24, kSides, {0, 0, 1000, 600}, 100, 60, 100, 60},
        {"8-bit halves, odd, uneven ratio", 1001, 333, 8, kSides, {0, 0, 1001, 333}, 77, 41, 77, 41},
        {"24-bit odd, rows bottom-up", 333, 999, 24, kUpDown, {0, 0, 333, 999}, 31, 100, 31, 100},
        {"8-bit rows bottom-up", 250, 800, 8, kUpDown, {0, 0, 250, 800}, 25, 80, 25, 80},
        {"part inside the frame, 24-bit", 500, 400, 24, kFrame, {10, 10, 480, 380}, 48, 38, 48, 38},
        {"part inside the frame, 8-bit", 501, 401, 8, kFrame, {10, 10, 481, 381}, 13, 7, 13, 7},
        {"part smaller than the destination", 300, 200, 24, kFrame, {20, 20, 50, 40}, 500, 400, 50, 40},
        {"one axis enlarged, one reduced", 301, 200, 8, kSides, {0, 0, 301, 200}, 600, 20, 301, 20},
        {"longest side capped", 5000, 6, 24, kSides, {0, 0, 5000, 6}, 5000, 6, kMaxReducedSide, 6},
    };
    for (const Case& c : kCases) {
        PageImage page;
        ASSERT_TRUE(MakePicture(&page, c.w, c.h, c.bits, c.pattern)) << c.name;
        PageImage copy{};
        ASSERT_TRUE(ReducePicture(page, c.part, c.destW, c.destH, &copy)) << c.name;
        EXPECT_EQ(copy.header.width, c.wantW) << c.name;
        EXPECT_EQ(copy.header.height, c.wantH) << c.name;
        EXPECT_EQ(copy.header.bitCount, 24) << c.name;
        EXPECT_EQ(copy.pageIndex, 7) << c.name;
        // Every copied pixel well inside a colour area has that area's colour;
        // pixels on a boundary are a blend and are left out.
        int wrong = 0;
        std::string first;
        for (int32_t y = 0; y < copy.header.height; ++y) {
            for (int32_t x = 0; x < copy.header.width; ++x) {
                const double fx = (x + 0.5) / copy.header.width;
                const double fy = (y + 0.5) / copy.header.height;
                const double edgeX = 1.5 / copy.header.width;
                const double edgeY = 1.5 / copy.header.height;
                uint8_t want;
                if (c.pattern == kSides) {
                    if (std::abs(fx - 0.5) < edgeX) {
                        continue;
                    }
                    want = fx < 0.5 ? kRed : kBlue;
                } else if (c.pattern == kUpDown) {
                    if (std::abs(fy - 0.5) < edgeY) {
                        continue;
                    }
                    want = fy < 0.5 ? kRed : kBlue;
                } else {
                    want = kRed;  // the parts asked for lie inside the frame
                }
                const Rgb got = CopyAt(copy, x, y);
                if (!Near(got, kColours[want], 0)) {
                    if (wrong++ == 0) {
                        first = std::to_string(x) + "," + std::to_string(y) + " is " + Text(got);
                    }
                }
            }
        }
        EXPECT_EQ(wrong, 0) << c.name << ": first wrong pixel " << first;
        ReleasePageImage(&copy);
        ReleasePageImage(&page);
    }
}

// One-pixel black and white checks reduced 2:1 and 8:1: an average (grey), which
// a sampled copy would not give (it lands on one colour).
TEST(ReducedCopyTest, ReductionAveragesRatherThanSamples) {
    struct Case {
        const char* name;
        uint16_t bits;
        int32_t w, h, destW, destH;
    };
    static const Case kCases[] = {
        {"24-bit 2:1", 24, 200, 100, 100, 50},
        {"8-bit 2:1", 8, 201, 101, 100, 50},
        {"24-bit 8:1", 24, 800, 400, 100, 50},
        {"8-bit 8:1, odd", 8, 803, 409, 100, 51},
    };
    for (const Case& c : kCases) {
        PageImage page;
        ASSERT_TRUE(MakePicture(&page, c.w, c.h, c.bits, kChecker)) << c.name;
        PageImage copy{};
        ASSERT_TRUE(ReducePicture(page, PicturePart{0, 0, c.w, c.h}, c.destW, c.destH, &copy)) << c.name;
        int farFromGrey = 0;
        for (int32_t y = 0; y < copy.header.height; ++y) {
            for (int32_t x = 0; x < copy.header.width; ++x) {
                farFromGrey += Near(CopyAt(copy, x, y), Rgb{128, 128, 128}, 40) ? 0 : 1;
            }
        }
        EXPECT_EQ(farFromGrey, 0) << c.name;
        ReleasePageImage(&copy);
        ReleasePageImage(&page);
    }
}

TEST(ReducedCopyTest, NoCopyOfWhatDoesNotHoldTogether) {
    struct Case {
        const char* name;
        uint16_t bits;
        PicturePart part;
        int32_t destW, destH;
    };
    static const Case kCases[] = {
        {"part past the right edge", 24, {60, 0, 50, 50}, 10, 10},
        {"part past the top", 8, {0, 30, 50, 41}, 10, 10},
        {"negative x", 24, {-1, 0, 50, 50}, 10, 10},
        {"empty part", 24, {0, 0, 0, 50}, 10, 10},
        {"x so large the sum wraps", 24, {INT32_MAX, 0, 2, 2}, 10, 10},
        {"zero destination", 24, {0, 0, 100, 70}, 0, 10},
        {"16 bits per pixel", 16, {0, 0, 10, 10}, 10, 10},
    };
    for (const Case& c : kCases) {
        PageImage page;
        ASSERT_TRUE(MakePicture(&page, 100, 70, c.bits == 16 ? 24 : c.bits, kChecker)) << c.name;
        page.header.bitCount = c.bits;
        PageImage copy{};
        EXPECT_FALSE(ReducePicture(page, c.part, c.destW, c.destH, &copy)) << c.name;
        EXPECT_FALSE(IsFull(copy)) << c.name;
        ReleasePageImage(&page);
    }
    PageImage empty{};
    empty.header = BitmapInfoHeader{40, 10, 10, 1, 24, 0, 0, 0, 0, 0, 0};
    PageImage copy{};
    EXPECT_FALSE(ReducePicture(empty, PicturePart{0, 0, 10, 10}, 5, 5, &copy));
}

// The bound follows what the platform's stretch was seen to take: an internal
// 32-bit copy below 2^31 bytes and sides within 16-bit coordinates. The
// pictures just past it are the ones it refused or drew garbled.
TEST(ReducedCopyTest, StretchBoundByPixelCount) {
    struct Case {
        int32_t w, h;
        uint16_t bits;
        bool fits;
    };
    static const Case kCases[] = {
        {23170, 23170, 24, true},  {16000, 16000, 24, true}, {32767, 16384, 8, true},
        {33000, 17000, 8, false},  {33000, 33000, 8, false}, {24000, 23000, 24, false},
        {26000, 27000, 24, false}, {1, 1, 24, true},         {0, 10, 24, false},
        {10, -10, 24, false},      {10, 10, 16, false},      {32767, 1000, 8, true},
        {33000, 1000, 8, false},   {100, 40000, 24, false},
    };
    for (const Case& c : kCases) {
        const BitmapInfoHeader h{40, c.w, c.h, 1, c.bits, 0, 0, 0, 0, 0, 0};
        EXPECT_EQ(FitsPlatformStretch(h), c.fits) << c.w << "x" << c.h << " at " << c.bits;
    }
}

}  // namespace
