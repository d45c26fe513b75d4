// libFuzzer target over whole BMP files through the memory entry point. Any result
// is fine; crashes, leaks and out-of-bounds accesses are not. Pictures above 256K
// pixels are skipped (debug build) so that a run measures parsing, not page faults.
//   bmp_fuzzer CORPUS_DIR   (seeds: fuzz/bmp/make_seeds.py CORPUS_DIR)
#include <cstddef>
#include <cstdint>

#include "decode/bmp.h"
#include "platform/heap.h"

namespace {
constexpr uint64_t kMaxPixels = uint64_t{1} << 18;

int32_t Le32(const uint8_t* p) {
    return static_cast<int32_t>(static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
                                static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24);
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return AppHeapCreate() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size >= 26) {
        int64_t w = Le32(data + 18);
        int64_t h = Le32(data + 22);
        if (w > 0 && h > 0 && static_cast<uint64_t>(w) * static_cast<uint64_t>(h) > kMaxPixels) {
            return 0;
        }
    }
    DecodedImagePtr image(BmpDecodeMemory(data, size));
    if (image) {
        // The whole promised block must be there.
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
