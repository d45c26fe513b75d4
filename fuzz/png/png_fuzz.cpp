// libFuzzer target over whole PNG files through the memory entry point. Any result
// is fine; crashes, leaks and out-of-bounds accesses are not. Pictures above 256K
// pixels are skipped (debug build) so that a run measures parsing, not page faults.
//   png_fuzzer CORPUS_DIR   (seeds: fuzz/png/make_seeds.py CORPUS_DIR)
#include <cstddef>
#include <cstdint>

#include "decode/blend_table.h"
#include "decode/png.h"
#include "platform/heap.h"

namespace {
constexpr uint64_t kMaxPixels = uint64_t{1} << 18;

uint32_t Be32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FillBlendTable();
    return AppHeapCreate() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 24 && uint64_t{Be32(data + 16)} * Be32(data + 20) > kMaxPixels) {
        return 0;
    }
    DecodedImagePtr image(PngDecodeMemory(data, size));
    if (image) {
        const BitmapInfoHeader& hdr = image->header;
        uint64_t bytes = uint64_t{RowStride(hdr.width, hdr.bitCount)} * static_cast<uint64_t>(hdr.height) + 4;
        volatile uint8_t sum = 0;
        for (uint64_t i = 0; i < bytes; i += 61) {
            sum = static_cast<uint8_t>(sum + image->pixels[i]);
        }
        sum = static_cast<uint8_t>(sum + image->pixels[bytes - 1]);
    }
    return 0;
}
