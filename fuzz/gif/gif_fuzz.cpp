// libFuzzer target over whole GIF files through the memory entry point. Any result
// is fine; crashes, leaks and out-of-bounds accesses are not. Logical screens above
// 16 megapixels are skipped so that a run measures parsing, not page faults.
//   gif_fuzzer CORPUS_DIR   (seeds: fuzz/gif/make_seeds.py CORPUS_DIR)
#include <cstddef>
#include <cstdint>

#include "decode/gif.h"
#include "platform/heap.h"

namespace {
constexpr uint64_t kMaxPixels = uint64_t{1} << 24;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return AppHeapCreate() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 10) {
        uint64_t w = data[6] | uint64_t{data[7]} << 8;
        uint64_t h = data[8] | uint64_t{data[9]} << 8;
        if (w * h > kMaxPixels) {
            return 0;
        }
    }
    DecodedImagePtr image(GifDecodeMemory(data, size));
    if (image) {
        // The whole promised block must be there, and the header must say 8 bits.
        const BitmapInfoHeader& hdr = image->header;
        if (hdr.bitCount != 8 || hdr.width <= 0 || hdr.height <= 0) {
            __builtin_trap();
        }
        uint64_t bytes = uint64_t{RowStride(hdr.width, 8)} * static_cast<uint64_t>(hdr.height) + 4;
        volatile uint8_t sum = 0;
        for (uint64_t i = 0; i < bytes; i += 61) {
            sum = static_cast<uint8_t>(sum + image->pixels[i]);
        }
        sum = static_cast<uint8_t>(sum + image->pixels[bytes - 1]);
    }
    return 0;
}
