// The parsing of plug-in results: BITMAPINFO and pixel blocks of any size,
// archive-information blocks of any length, member bytes.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/archive_member.h"
#include "archive/plugin_results.h"
#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
#include "platform/vm.h"
#include "tests/support/fake_plugins.h"

namespace {

bool Latin1(const char* text, size_t n, StrBuf* out) {
    out->Assign(u"");
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = static_cast<unsigned char>(text[i]);
        if (!out->Append(&c, 1)) {
            return false;
        }
    }
    return true;
}

TEST(ConvertPluginPicture, AcceptsAndRefuses) {
    const std::vector<uint32_t> two = {0x00112233, 0x00AABBCC};
    std::vector<uint8_t> v5 = MakeBitmapInfo(2, 1, 8, 0, {0x00010203, 0x00040506}, 124);
    std::vector<uint8_t> cutV5 = v5;
    cutV5.resize(100);  // claims 124 header bytes, holds 100
    const struct {
        const char* label;
        std::vector<uint8_t> info;
        size_t bitsSize;
        bool ok;
        uint16_t outBits;
    } kCases[] = {
        {"1 bit", MakeBitmapInfo(9, 2, 1, 0, two), 8, true, 8},
        {"1 bit rows short", MakeBitmapInfo(9, 2, 1, 0, two), 7, false, 0},
        {"4 bit", MakeBitmapInfo(3, 2, 4, 0, two), 8, true, 8},
        {"8 bit short block", MakeBitmapInfo(5, 3, 8), 10, true, 8},
        {"24 bit", MakeBitmapInfo(1, 1, 24), 4, true, 24},
        {"16 bit", MakeBitmapInfo(4, 4, 16), 32, false, 0},
        {"32 bit", MakeBitmapInfo(4, 4, 32), 64, false, 0},
        {"compressed", MakeBitmapInfo(4, 4, 8, 1), 64, false, 0},
        {"bitfields", MakeBitmapInfo(4, 4, 24, 3), 64, false, 0},
        {"zero width", MakeBitmapInfo(0, 4, 8), 64, false, 0},
        {"top-down", MakeBitmapInfo(4, -4, 8), 64, false, 0},
        {"V5 header", v5, 4, true, 8},
        {"header longer than block", cutV5, 4, false, 0},
        {"header size 12", MakeBitmapInfo(4, 4, 8, 0, {}, 12), 64, false, 0},
        {"block under 40 bytes", std::vector<uint8_t>(39, 0), 64, false, 0},
    };
    for (const auto& c : kCases) {
        std::vector<uint8_t> bits(c.bitsSize, 0xFF);
        DecodedImagePtr image(NewDecodedImage());
        const bool ok =
            ConvertPluginPicture(c.info.data(), c.info.size(), bits.data(), bits.size(), 0, image.get());
        EXPECT_EQ(ok, c.ok) << c.label;
        if (ok) {
            EXPECT_EQ(image->header.bitCount, c.outBits) << c.label;
            EXPECT_EQ(image->header.size, 40u) << c.label;
            EXPECT_NE(image->pixels, nullptr) << c.label;
        }
    }
}

// A plug-in's picture copied into a block the view let go: a short pixel block
// leaves the rest zero and expanded rows have clear padding, as in a fresh
// block; nothing of the block's last picture shows.
TEST(ConvertPluginPicture, AReusedBlockShowsNothingOfItsLastPicture) {
    struct Restore {
        ~Restore() {
            BlockReserveRelease(PictureReserve());
            ReserveSetCap(PictureReserve(), 0);
        }
    } restore;
    const struct {
        const char* label;
        std::vector<uint8_t> info;
        size_t bitsSize;
        uint32_t stride;
        uint32_t rows;
    } kCases[] = {
        {"8 bit short block", MakeBitmapInfo(5, 3, 8), 10, 8, 3},
        {"24 bit short block", MakeBitmapInfo(3, 4, 24), 13, 12, 4},
        {"1 bit expanded", MakeBitmapInfo(9, 2, 1, 0, {0, 0x00FFFFFF}), 8, 12, 2},
    };
    for (const auto& c : kCases) {
        ReserveSetCap(PictureReserve(), 1 << 20);
        const size_t bytes = size_t{c.stride} * c.rows + 4;
        uint8_t* dirty = TakePixelBlock(c.stride, c.rows);
        ASSERT_NE(dirty, nullptr) << c.label;
        std::memset(dirty, 0x77, bytes);
        GivePixelBlock(dirty);
        const std::vector<uint8_t> bits(c.bitsSize, 0x01);
        DecodedImagePtr image(NewDecodedImage());
        ASSERT_TRUE(
            ConvertPluginPicture(c.info.data(), c.info.size(), bits.data(), bits.size(), 0, image.get()))
            << c.label;
        EXPECT_EQ(ReserveCounts(PictureReserve()).reused > 0, true) << c.label;
        for (size_t i = 0; i < bytes; ++i) {
            ASSERT_NE(image->pixels[i], 0x77) << c.label << " byte " << i;
        }
        BlockReserveRelease(PictureReserve());
    }
}

TEST(ConvertPluginPicture, OneBitExpandsWithThePluginsPalette) {
    // 9 pixels wide: 2 bytes a row, padded to 4. Row 0: 1000 0000 1...
    const std::vector<uint8_t> info = MakeBitmapInfo(9, 1, 1, 0, {0x00000000, 0x00FF8040});
    const uint8_t bits[4] = {0x80, 0x80, 0, 0};
    DecodedImagePtr image(NewDecodedImage());
    ASSERT_TRUE(ConvertPluginPicture(info.data(), info.size(), bits, sizeof bits, 0, image.get()));
    const uint8_t want[9] = {1, 0, 0, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(std::memcmp(image->pixels, want, 9), 0);
    EXPECT_EQ(image->palette[1].red, 0xFF);
    EXPECT_EQ(image->palette[1].green, 0x80);
    EXPECT_EQ(image->palette[1].blue, 0x40);
    EXPECT_EQ(image->sourceBits, 1);
}

TEST(ConvertPluginPicture, PaletteAfterTheRealHeaderAndDepth) {
    const std::vector<uint8_t> info = MakeBitmapInfo(3, 2, 4, 0, {0x00102030, 0x00405060}, 124);
    const uint8_t bits[8] = {0x10, 0x00, 0, 0, 0x01, 0x10, 0, 0};
    DecodedImagePtr image(NewDecodedImage());
    ASSERT_TRUE(ConvertPluginPicture(info.data(), info.size(), bits, sizeof bits, 4, image.get()));
    EXPECT_EQ(image->palette[0].red, 0x10);
    EXPECT_EQ(image->palette[1].blue, 0x60);
    const uint8_t want[8] = {1, 0, 0, 0, 0, 1, 1, 0};  // two rows, stride 4
    EXPECT_EQ(std::memcmp(image->pixels, want, 8), 0);
    EXPECT_EQ(image->sourceBits, 4);
}

TEST(ParseArchiveInfo, RecordsUntilTheEndMarker) {
    std::vector<uint8_t> block;
    for (const auto& r : {MakeMemberRecord("sub\\", "a.png", 0x100000200ull, 0x1234, 0),
                          MakeMemberRecord("", std::string(200, 'n'), 7, 9, -1), std::vector<uint8_t>(444, 0),
                          MakeMemberRecord("", "after.png", 1, 1, 1)}) {
        block.insert(block.end(), r.begin(), r.end());
    }
    MemberListPtr list(ParseArchiveInfo(block.data(), block.size() + 100, 5, Latin1));
    ASSERT_NE(list.get(), nullptr);
    ASSERT_EQ(list->count, 2);
    EXPECT_EQ(list->archiveTime, 5u);
    EXPECT_EQ(std::u16string(list->members[0].folder.Text()), u"sub\\");
    EXPECT_EQ(std::u16string(list->members[0].name.Text()), u"a.png");
    EXPECT_EQ(list->members[0].locator, 0x200u);
    EXPECT_EQ(list->members[0].size, 0x1234u);
    EXPECT_EQ(list->members[0].modified, 116444736000000000ull);
    EXPECT_EQ(list->members[1].name.length, 200u);  // an unterminated field stops at its end
    EXPECT_EQ(list->members[1].modified, 116444736000000000ull - 10000000ull);
}

TEST(ParseArchiveInfo, ShortAndEmptyBlocks) {
    std::vector<uint8_t> empty(444, 0);
    MemberListPtr none(ParseArchiveInfo(empty.data(), empty.size(), 0, Latin1));
    ASSERT_NE(none.get(), nullptr);
    EXPECT_EQ(none->count, 0);
    EXPECT_EQ(ParseArchiveInfo(empty.data(), 443, 0, Latin1), nullptr);
    EXPECT_EQ(ParseArchiveInfo(nullptr, 444, 0, Latin1), nullptr);
}

TEST(CopyMemberBytes, SizesAndPadding) {
    const uint8_t data[3] = {1, 2, 3};
    uint32_t locator = 77;
    EXPECT_EQ(CopyMemberBytes(data, 0, &locator), nullptr);
    EXPECT_EQ(locator, 77u);
    VmBlock block(CopyMemberBytes(data, 3, &locator));
    ASSERT_NE(block.get(), nullptr);
    EXPECT_EQ(locator, 3u);
    const uint8_t want[7] = {1, 2, 3, 0, 0, 0, 0};
    EXPECT_EQ(std::memcmp(block.get(), want, 7), 0);
}

}  // namespace
