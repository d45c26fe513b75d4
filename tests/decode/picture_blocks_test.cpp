// Pixel blocks taken for pictures when the view's reserve holds a block that
// served another picture: what the new picture's owner may see of it.
#include "decode/picture_blocks.h"

#include <gtest/gtest.h>

#include <cstring>

#include "decode/block_reserve.h"
#include "decode/decoded_image.h"

namespace {

struct ReserveOn {
    ReserveOn() { ReserveSetCap(PictureReserve(), 64u << 20); }
    ~ReserveOn() {
        BlockReserveRelease(PictureReserve());
        ReserveSetCap(PictureReserve(), 0);
    }
};

// Which bytes of a block reused for a width x 7 picture read as zero before the
// decoder writes: all of them for a decoder that may leave pixels unwritten,
// the row padding and the spare bytes for one that writes every pixel.
TEST(PictureBlocks, AReusedBlockShowsNothingOfItsLastPicture) {
    const ReserveOn on;
    struct Case {
        const char* name;
        int64_t width;
        int bits;
        bool written;
    };
    static const Case kCases[] = {
        {"24 bits, padded, may leave pixels", 5, 24, false},
        {"8 bits, padded, may leave pixels", 6, 8, false},
        {"24 bits, padded, writes every pixel", 5, 24, true},
        {"8 bits, padded, writes every pixel", 7, 8, true},
        {"8 bits, no padding, writes every pixel", 8, 8, true},
    };
    constexpr int64_t kRows = 7;
    for (const Case& c : kCases) {
        const uint32_t stride = RowStride(c.width, c.bits);
        const size_t bytes = size_t{stride} * kRows + 4;
        uint8_t* dirty = TakePixelBlock(stride, kRows);
        ASSERT_NE(dirty, nullptr) << c.name;
        std::memset(dirty, 0xEE, bytes);
        GivePixelBlock(dirty);

        DecodedImagePtr image(NewDecodedImage());
        ASSERT_TRUE(image) << c.name;
        const uint64_t reused = ReserveCounts(PictureReserve()).reused;
        const bool ok = c.written ? AllocateWrittenPixels(image.get(), c.width, kRows, c.bits)
                                  : AllocatePixels(image.get(), c.width, kRows, c.bits);
        ASSERT_TRUE(ok) << c.name;
        EXPECT_EQ(ReserveCounts(PictureReserve()).reused, reused + 1) << c.name << ": the block was reused";
        const size_t rowBytes = static_cast<size_t>(c.width) * static_cast<size_t>(c.bits / 8);
        for (size_t i = 0; i < bytes; ++i) {
            const bool pixel = i < size_t{stride} * kRows && i % stride < rowBytes;
            if (!c.written || !pixel) {
                ASSERT_EQ(image->pixels[i], 0) << c.name << " byte " << i;
            }
        }
    }
}

// Giving a picture back and taking one of the same size serves it from the
// reserve; with no cap set (tools, tests) every block is fresh and freed.
TEST(PictureBlocks, TheSameSizeIsServedFromTheReserveOnlyUnderACap) {
    for (bool cap : {false, true}) {
        const ReserveOn on;
        if (!cap) {
            ReserveSetCap(PictureReserve(), 0);
        }
        const BlockReserveCounts before = ReserveCounts(PictureReserve());
        for (int i = 0; i < 4; ++i) {
            DecodedImagePtr image(NewDecodedImage());
            ASSERT_TRUE(image && AllocatePixels(image.get(), 300, 200, 24));
        }
        const BlockReserveCounts after = ReserveCounts(PictureReserve());
        EXPECT_EQ(after.fresh - before.fresh, cap ? 1u : 4u) << "cap " << cap;
        EXPECT_EQ(after.reused - before.reused, cap ? 3u : 0u) << "cap " << cap;
        EXPECT_EQ(ReserveBytes(PictureReserve()) > 0, cap) << "cap " << cap;
    }
}

}  // namespace
