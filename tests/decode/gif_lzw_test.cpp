// The LZW decoder's fast paths: codes read a word at a time across sub-block
// boundaries of every size, strings copied in 8-byte pieces, and outputs cut
// short, all against the indices that were encoded, with nothing written past
// the output.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "decode/gif_lzw.h"
#include "tests/decode/gif_builder.h"

namespace {

// Runs of every length from 1 to 70 (long strings, strings defined by their
// own use) between noise (roots and short strings).
std::vector<uint8_t> MixedIndices(size_t n, int bits) {
    std::vector<uint8_t> v;
    uint32_t seed = 12345;
    const uint32_t mask = (1u << bits) - 1;
    size_t run = 1;
    while (v.size() < n) {
        seed = seed * 1103515245 + 12345;
        const auto value = static_cast<uint8_t>((seed >> 16) & mask);
        for (size_t i = 0; i < run && v.size() < n; ++i) {
            v.push_back(value);
        }
        run = run % 70 + 1;
        seed = seed * 1103515245 + 12345;
        for (uint32_t k = (seed >> 20) % 9; k > 0 && v.size() < n; --k) {
            seed = seed * 1103515245 + 12345;
            v.push_back(static_cast<uint8_t>((seed >> 16) & mask));
        }
    }
    return v;
}

// The code stream cut into sub-blocks of `size` bytes, each behind its size byte.
std::vector<uint8_t> Chain(const std::vector<uint8_t>& data, size_t size) {
    std::vector<uint8_t> out;
    for (size_t i = 0; i < data.size(); i += size) {
        const size_t n = data.size() - i < size ? data.size() - i : size;
        out.push_back(static_cast<uint8_t>(n));
        out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(i),
                   data.begin() + static_cast<ptrdiff_t>(i + n));
    }
    return out;
}

TEST(GifLzw, SubBlocksOfEverySizeAndShortOutputsGiveTheEncodedIndices) {
    struct Case {
        const char* name;
        int minCodeSize;
        size_t pixels;
        LzwOptions lzw;
    };
    LzwOptions cleared;
    cleared.clearEvery = 300;
    static const Case kCases[] = {
        {"2-bit, table fills and clears", 2, 40000, {}},
        {"8-bit, table fills and clears", 8, 60000, {}},
        {"4-bit, frequent clears", 4, 9000, cleared},
    };
    GifLzwEntry table[kGifLzwTableSize];
    for (const Case& c : kCases) {
        const std::vector<uint8_t> indices = MixedIndices(c.pixels, c.minCodeSize);
        const std::vector<uint8_t> data = LzwEncode(indices, c.minCodeSize, c.lzw);
        for (size_t block : {size_t{1}, size_t{7}, size_t{8}, size_t{9}, size_t{64}, size_t{255}}) {
            const std::vector<uint8_t> chain = Chain(data, block);
            for (size_t outSize : {indices.size(), indices.size() - 1, indices.size() / 2, size_t{5}}) {
                SCOPED_TRACE(std::string(c.name) + ", blocks of " + std::to_string(block) + ", output " +
                             std::to_string(outSize));
                std::vector<uint8_t> out(outSize + 16, 0xEE);
                const size_t got =
                    GifLzwDecodeSubBlocks(chain.data(), data.size(), static_cast<unsigned>(c.minCodeSize),
                                          out.data(), outSize, table);
                ASSERT_EQ(got, outSize);
                size_t wrong = 0;
                for (size_t i = 0; i < outSize; ++i) {
                    wrong += out[i] != indices[i];
                }
                EXPECT_EQ(wrong, 0u);
                for (size_t i = outSize; i < out.size(); ++i) {
                    ASSERT_EQ(out[i], 0xEE) << "written past the output at " << i;
                }
            }
            if (block == 255) {
                std::vector<uint8_t> flat(indices.size());
                EXPECT_EQ(GifLzwDecode(data.data(), data.size(), static_cast<unsigned>(c.minCodeSize),
                                       flat.data(), flat.size(), table),
                          indices.size());
                EXPECT_EQ(flat, indices);
            }
        }
    }
}

}  // namespace
