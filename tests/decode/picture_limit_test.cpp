// The picture limit: blocks above it are refused before anything is allocated,
// a thread's scope only ever lowers it, and the program's default.
#include <gtest/gtest.h>

#include <thread>

#include "decode/decoded_image.h"
#include "decode/picture_limit.h"

namespace {

struct Restore {
    ~Restore() { SetPictureByteLimit(0); }
};

TEST(PictureLimit, BlocksAboveTheLimitAreRefused) {
    Restore restore;
    struct Case {
        uint64_t global;
        uint64_t scope;
        uint64_t bytes;
        bool allowed;
    };
    static const Case kCases[] = {
        {0, 0, uint64_t{1} << 40, true},
        {1000, 0, 1000, true},
        {1000, 0, 1001, false},
        {1000, 500, 600, false},
        {1000, 2000, 1500, false},
        {0, 500, 400, true},
        {0, 500, 501, false},
    };
    for (const Case& c : kCases) {
        SetPictureByteLimit(c.global);
        const PictureLimitScope scope(c.scope);
        EXPECT_EQ(PictureBlockAllowed(c.bytes), c.allowed) << c.global << " " << c.scope << " " << c.bytes;
    }
}

TEST(PictureLimit, AllocatePixelsRefusesBeforeAllocating) {
    Restore restore;
    // 65535 x 65535 at 8 bits: the 4 GiB screen a few hundred bytes of GIF declare.
    SetPictureByteLimit(DefaultPictureByteLimit(uint64_t{24} << 30));
    DecodedImagePtr image(NewDecodedImage());
    ASSERT_TRUE(image);
    DecodeStatus status = kDecodeOk;
    EXPECT_FALSE(AllocatePixels(image.get(), 30000, 30000, 24, &status));
    EXPECT_EQ(status, kDecodeNoMemory);
    EXPECT_EQ(image->pixels, nullptr);
    EXPECT_TRUE(AllocatePixels(image.get(), 2000, 3000, 24, &status));
    // A scope on another thread does not reach this one.
    std::thread other([] {
        const PictureLimitScope scope(100);
        EXPECT_FALSE(PictureBlockAllowed(101));
    });
    other.join();
    EXPECT_TRUE(PictureBlockAllowed(101));
}

TEST(PictureLimit, DefaultIsAQuarterOfMemoryUpTo2GiB) {
    constexpr uint64_t kGiB = uint64_t{1} << 30;
    const struct {
        uint64_t physical;
        uint64_t limit;
    } kCases[] = {{0, 2 * kGiB}, {4 * kGiB, kGiB}, {8 * kGiB, 2 * kGiB}, {64 * kGiB, 2 * kGiB}};
    for (const auto& c : kCases) {
        EXPECT_EQ(DefaultPictureByteLimit(c.physical), c.limit) << c.physical;
    }
}

}  // namespace
