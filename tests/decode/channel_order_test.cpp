// Channel order: the shuffled runs against the plain loop and a reference, at
// every length around the sixteen-pixel runs, with nothing written past a row.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "decode/channel_order.h"

namespace {

struct PlainAfter {
    ~PlainAfter() { UsePlainChannelOrder(false); }
};

// What output byte i must hold: channel 2 - i % 3 of pixel i / 3, the high
// byte of a 16-bit sample.
uint8_t Expected(const std::vector<uint8_t>& src, size_t i, int sampleBytes, bool bigEndian) {
    const size_t pixel = i / 3;
    const size_t channel = 2 - i % 3;
    const size_t high = sampleBytes == 2 && !bigEndian ? 1 : 0;
    const auto bytes = static_cast<size_t>(sampleBytes);
    return src[pixel * 3 * bytes + channel * bytes + high];
}

TEST(ChannelOrder, EveryPathGivesTheReferenceAndStaysInItsRow) {
    struct Case {
        const char* name;
        int sampleBytes;
        bool bigEndian;
    };
    static const Case kCases[] = {
        {"8-bit RGB", 1, false},
        {"16-bit RGB, little-endian", 2, false},
        {"16-bit RGB, big-endian", 2, true},
    };
    PlainAfter restore;
    for (bool plain : {true, false}) {
        UsePlainChannelOrder(plain);
        for (const Case& c : kCases) {
            for (size_t pixels : {0u, 1u, 5u, 15u, 16u, 17u, 31u, 32u, 33u, 47u, 48u, 1001u}) {
                SCOPED_TRACE(std::string(c.name) + ", " + ChannelOrderPath() + ", " + std::to_string(pixels));
                std::vector<uint8_t> src(pixels * 3 * static_cast<size_t>(c.sampleBytes));
                for (size_t i = 0; i < src.size(); ++i) {
                    src[i] = static_cast<uint8_t>(i * 37 + (i >> 8) * 11 + 5);
                }
                std::vector<uint8_t> dst(pixels * 3 + 64, 0xEE);
                if (c.sampleBytes == 1) {
                    RgbToBgrRow(src.data(), dst.data(), static_cast<uint32_t>(pixels));
                } else {
                    Rgb48ToBgrRow(src.data(), dst.data(), static_cast<uint32_t>(pixels), c.bigEndian);
                }
                size_t wrong = 0;
                for (size_t i = 0; i < pixels * 3; ++i) {
                    wrong += dst[i] != Expected(src, i, c.sampleBytes, c.bigEndian);
                }
                EXPECT_EQ(wrong, 0u);
                for (size_t i = pixels * 3; i < dst.size(); ++i) {
                    ASSERT_EQ(dst[i], 0xEE) << "written past the row at " << i;
                }
            }
        }
    }
}

}  // namespace
