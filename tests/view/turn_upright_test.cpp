// Turning pages upright: every turn in both bit counts, pixel by pixel against
// the mapping the orientations stand for, and the pictures that stay as decoded.
#include <gtest/gtest.h>

#include <cstring>

#include "platform/heap.h"
#include "platform/vm.h"
#include "tests/support/view_fakes.h"
#include "view/page_cache.h"
#include "view/read_ahead.h"
#include "view/turn_upright.h"

namespace {

// A page of the fake pattern, as the fake decoder makes it.
bool MakePage(PageImage* page, int32_t index, int32_t w, int32_t h, uint16_t bits) {
    FakeDecoder decoder(
        std::vector<FakePage>(static_cast<size_t>(index) + 1, FakePage{w, h, bits, 1, false}));
    int32_t orientation = 1;
    DecodedImage* image = decoder.Decode(index, &orientation);
    if (image == nullptr) {
        return false;
    }
    *page = PageImage{};
    TakeDecodedImage(page, index, image);
    return true;
}

// Where the turned picture's pixel (x, y) comes from in the w x h original.
void SourceOf(int32_t orientation, int32_t w, int32_t h, int32_t x, int32_t y, int32_t* sx, int32_t* sy) {
    switch (orientation) {
        case 6:  // clockwise: (x, y) went to (h-1-y, x)
            *sx = y;
            *sy = h - 1 - x;
            break;
        case 8:  // anticlockwise: (x, y) went to (y, w-1-x)
            *sx = w - 1 - y;
            *sy = x;
            break;
        default:  // half turn
            *sx = w - 1 - x;
            *sy = h - 1 - y;
            break;
    }
}

// Number of pixels of page that do not hold the pattern of the original w x h
// picture at the place the orientation maps them from.
int64_t Mismatches(const PageImage& page, int32_t index, int32_t orientation, int32_t w, int32_t h) {
    const int32_t bytes = page.header.bitCount / 8;
    int64_t bad = 0;
    for (int32_t y = 0; y < page.header.height; ++y) {
        for (int32_t x = 0; x < page.header.width; ++x) {
            int32_t sx = 0;
            int32_t sy = 0;
            SourceOf(orientation, w, h, x, y, &sx, &sy);
            uint8_t want[3];
            PatternPixel(index, page.header.bitCount, sx, sy, want);
            if (std::memcmp(PixelAt(page, x, y), want, static_cast<size_t>(bytes)) != 0) {
                ++bad;
            }
        }
    }
    return bad;
}

TEST(TurnUpright, EveryTurnMovesEveryPixelWhereItBelongs) {
    struct Case {
        const char* name;
        int32_t w, h;
    };
    // Widths whose rows need padding in both bit counts, one-pixel lines, and a
    // size beyond one tile.
    static const Case kCases[] = {
        {"5 x 3", 5, 3}, {"7 x 2", 7, 2}, {"1 x 4", 1, 4}, {"6 x 1", 6, 1}, {"131 x 70", 131, 70},
    };
    static const int32_t kOrientations[] = {3, 6, 8};
    static const uint16_t kBits[] = {8, 24};
    for (const Case& c : kCases) {
        for (int32_t orientation : kOrientations) {
            for (uint16_t bits : kBits) {
                const std::string name = std::string(c.name) + " orientation " + std::to_string(orientation) +
                                         " bits " + std::to_string(bits);
                PageImage page{};
                ASSERT_TRUE(MakePage(&page, 3, c.w, c.h, bits)) << name;
                page.header.xPelsPerMeter = 100;
                page.header.yPelsPerMeter = 200;
                const RgbQuad entry = page.palette[77];
                ASSERT_TRUE(TurnUpright(&page, orientation)) << name;
                const bool quarter = orientation != 3;
                EXPECT_EQ(page.header.width, quarter ? c.h : c.w) << name;
                EXPECT_EQ(page.header.height, quarter ? c.w : c.h) << name;
                EXPECT_EQ(page.header.xPelsPerMeter, quarter ? 200 : 100) << name;
                EXPECT_EQ(page.header.bitCount, bits) << name;
                EXPECT_EQ(page.pageIndex, 3) << name;
                EXPECT_EQ(std::memcmp(&page.palette[77], &entry, sizeof(entry)), 0) << name;
                EXPECT_EQ(Mismatches(page, 3, orientation, c.w, c.h), 0) << name;
                ReleasePageImage(&page);
            }
        }
    }
}

TEST(TurnUpright, PicturesThatCannotBeTurnedStayAsDecoded) {
    struct Case {
        const char* name;
        uint16_t bits;
        int32_t w, h;
        bool failMemory;
    };
    static const Case kCases[] = {
        {"32 bits", 32, 4, 2, false},
        {"16 bits", 16, 4, 2, false},
        // Turned, a 4 x 2^31-1 line would need 2^31 bytes a row for 4 rows.
        {"turned block reaches 4 GiB", 8, 4, INT32_MAX, false},
        {"no memory for the turned block", 24, 5, 3, true},
    };
    for (const Case& c : kCases) {
        PageImage page{};
        page.pageIndex = 1;
        page.header.width = c.w;
        page.header.height = c.h;
        page.header.bitCount = c.bits;
        // Only the small pictures' pixels are ever read; the large one is refused first.
        page.pixels = static_cast<uint8_t*>(VmAlloc(256));
        ASSERT_NE(page.pixels, nullptr);
        std::memset(page.pixels, 0x5A, 256);
        uint8_t* before = page.pixels;
        if (c.failMemory) {
            AppHeapFailAfter(0);
        }
        EXPECT_FALSE(TurnUpright(&page, 6)) << c.name;
        AppHeapFailAfter(-1);
        EXPECT_EQ(page.pixels, before) << c.name;
        EXPECT_EQ(page.header.width, c.w) << c.name;
        EXPECT_EQ(page.header.height, c.h) << c.name;
        EXPECT_EQ(page.pixels[0], 0x5A) << c.name;
        ReleasePageImage(&page);
    }
    PageImage page{};
    ASSERT_TRUE(MakePage(&page, 0, 5, 3, 24));
    uint8_t* before = page.pixels;
    EXPECT_TRUE(TurnUpright(&page, 1));
    EXPECT_EQ(page.pixels, before);
    ReleasePageImage(&page);
}

// A JPEG of 3000 x 2000 whose EXIF orientation is 6 is shown 2000 x 3000,
// turned clockwise, whether it is decoded at once or read ahead.
TEST(TurnUpright, OrientationSixPageIsShownTurnedClockwise) {
    struct Case {
        const char* name;
        uint16_t bits;
        bool readAhead;
    };
    static const Case kCases[] = {
        {"24 bits decoded at once", 24, false},
        {"8 bits decoded at once", 8, false},
        {"24 bits read ahead", 24, true},
        {"8 bits read ahead", 8, true},
    };
    for (const Case& c : kCases) {
        std::vector<FakePage> pages(2, FakePage{60, 80, 24, 1, false});
        pages[1] = FakePage{3000, 2000, c.bits, 6, false};
        ViewHarness h(pages, false, false);
        if (c.readAhead) {
            h.Open(0);
            h.CatchUp();
            ASSERT_EQ(h.decoder.DecodesOf(1), 1) << c.name;
        }
        ASSERT_TRUE(FillSlot(&h.view, &h.view.leftSlot, 1)) << c.name;
        EXPECT_EQ(h.decoder.DecodesOf(1), 1) << c.name;
        const PageImage& page = h.view.leftSlot.page;
        EXPECT_EQ(page.header.width, 2000) << c.name;
        EXPECT_EQ(page.header.height, 3000) << c.name;
        EXPECT_EQ(Mismatches(page, 1, 6, 3000, 2000), 0) << c.name;
        // The top-left pixel of the shown page is the original's bottom-left one.
        uint8_t want[3];
        PatternPixel(1, c.bits, 0, 1999, want);
        EXPECT_EQ(PixelAt(page, 0, 0)[0], want[0]) << c.name;
    }
}

}  // namespace
