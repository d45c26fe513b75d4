// Crc32 must give the CRC-32 of ZIP and zlib for every length and alignment,
// whichever code path (folding or table) the length and the processor pick.
#include <gtest/gtest.h>
#include <zlib.h>

#include <random>
#include <vector>

#include "app/crc32.h"

namespace {

TEST(Crc32, MatchesZlibForAllLengthsAndAlignments) {
    std::mt19937 rng(42);
    std::vector<uint8_t> bytes(5000);
    for (uint8_t& b : bytes) {
        b = static_cast<uint8_t>(rng());
    }
    const size_t kLengths[] = {0,   1,   15,  16,  63,  64,   65,   79,      80,
                               127, 128, 129, 255, 256, 1000, 4096, 4999 - 7};
    for (size_t offset = 0; offset < 8; ++offset) {
        for (size_t length : kLengths) {
            const uint8_t* p = bytes.data() + offset;
            uint32_t expected = static_cast<uint32_t>(crc32(0, p, static_cast<uInt>(length)));
            EXPECT_EQ(Crc32(p, length), expected) << "offset " << offset << " length " << length;
        }
    }
}

TEST(Crc32, ContinuesAcrossPieces) {
    std::vector<uint8_t> bytes(3000, 0);
    for (size_t i = 0; i < bytes.size(); ++i) {
        bytes[i] = static_cast<uint8_t>(i * 7 + 3);
    }
    uint32_t whole = Crc32(bytes.data(), bytes.size());
    const size_t kSplits[] = {1, 63, 64, 100, 1500, 2999};
    for (size_t split : kSplits) {
        uint32_t c = Crc32Update(0, bytes.data(), split);
        c = Crc32Update(c, bytes.data() + split, bytes.size() - split);
        EXPECT_EQ(c, whole) << "split at " << split;
    }
    EXPECT_EQ(Crc32("123456789", 9), 0xCBF43926u);  // the CRC-32 check value
}

}  // namespace
