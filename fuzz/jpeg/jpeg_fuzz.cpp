// libFuzzer target over whole JPEG files through the memory entry point (which
// walks the EXIF segments after a successful decode), and over the EXIF walk on
// its own, which also meets inputs whose picture does not decode. Any result is
// fine; crashes, leaks and out-of-bounds accesses are not. Inputs with a frame
// header above 1 megapixel are skipped so that a run measures parsing, not
// filling large blocks.
//   jpeg_fuzzer CORPUS_DIR   (seeds: fuzz/jpeg/make_seeds.py CORPUS_DIR)
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "decode/jpeg.h"
#include "decode/jpeg_exif.h"
#include "platform/heap.h"

namespace {

constexpr uint64_t kMaxPixels = uint64_t{1} << 20;

// Any frame header (SOF0 to SOF15 but DHT, JPG and DAC) anywhere in the input
// that promises a large picture.
bool ClaimsLargePicture(const uint8_t* data, size_t size) {
    for (size_t i = 0; i + 9 <= size; ++i) {
        if (data[i] != 0xFF || data[i + 1] < 0xC0 || data[i + 1] > 0xCF || data[i + 1] == 0xC4 ||
            data[i + 1] == 0xC8 || data[i + 1] == 0xCC) {
            continue;
        }
        uint64_t height = (uint64_t{data[i + 5]} << 8) | data[i + 6];
        uint64_t width = (uint64_t{data[i + 7]} << 8) | data[i + 8];
        if (width * height > kMaxPixels) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return AppHeapCreate() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int32_t scanned = JpegScanOrientation(data, size);
    if (scanned != 1 && scanned != 3 && scanned != 6 && scanned != 8) {
        abort();
    }
    if (ClaimsLargePicture(data, size)) {
        return 0;
    }
    int32_t orientation = 1;
    DecodedImagePtr image(JpegDecodeMemory(data, size, &orientation));
    if (image) {
        if (orientation != scanned) {
            abort();
        }
        // The whole promised block must be there.
        const BitmapInfoHeader& hdr = image->header;
        uint64_t bytes = uint64_t{RowStride(hdr.width, hdr.bitCount)} * static_cast<uint64_t>(hdr.height) + 4;
        volatile uint8_t sum = 0;
        for (uint64_t i = 0; i < bytes; i += 61) {
            sum = static_cast<uint8_t>(sum + image->pixels[i]);
        }
        sum = static_cast<uint8_t>(sum + image->pixels[bytes - 1]);
    } else if (orientation != 1) {
        abort();
    }
    return 0;
}
