// libFuzzer target over whole TIFF files: the directory reader first, then, for
// pictures of at most 16 megapixels (so that a run measures parsing, not page
// faults), the whole decoder through the memory entry point. Any result is fine;
// crashes, leaks and out-of-bounds accesses are not.
//   tiff_fuzzer CORPUS_DIR   (seeds: fuzz/tiff/make_seeds.py CORPUS_DIR)
#include <cstddef>
#include <cstdint>

#include "decode/tiff.h"
#include "decode/tiff_ifd.h"
#include "platform/heap.h"

namespace {
constexpr uint64_t kMaxPixels = uint64_t{1} << 24;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return AppHeapCreate() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        TiffDirectory dir;
        DecodeStatus status = TiffReadDirectory(data, size, &dir);
        if (status == kDecodeOk && uint64_t{dir.width} * dir.length > kMaxPixels) {
            return 0;
        }
        if (status == kDecodeOk && (dir.stripOffsets.get() == nullptr || dir.stripCount == 0)) {
            __builtin_trap();
        }
    }
    DecodedImagePtr image(TiffDecodeMemory(data, size));
    if (image) {
        const BitmapInfoHeader& hdr = image->header;
        if ((hdr.bitCount != 8 && hdr.bitCount != 24) || hdr.width <= 0 || hdr.height <= 0) {
            __builtin_trap();
        }
        uint64_t bytes = uint64_t{RowStride(hdr.width, hdr.bitCount)} * static_cast<uint64_t>(hdr.height) + 4;
        volatile uint8_t sum = 0;
        for (uint64_t i = 0; i < bytes; i += 61) {
            sum = static_cast<uint8_t>(sum + image->pixels[i]);
        }
        sum = static_cast<uint8_t>(sum + image->pixels[bytes - 1]);
    }
    return 0;
}
