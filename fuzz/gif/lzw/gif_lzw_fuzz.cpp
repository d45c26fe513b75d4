// libFuzzer target over the LZW decoder alone. The first byte picks the minimum
// code size, the next two the output size; the rest is the code stream. The output
// buffer is exactly that size, so any write past it is caught.
//   gif_lzw_fuzzer CORPUS_DIR   (seeds: fuzz/gif/lzw/make_seeds.py CORPUS_DIR)
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "decode/gif_lzw.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) {
        return 0;
    }
    unsigned minCodeSize = 2 + data[0] % 7;
    size_t outSize = data[1] | size_t{data[2]} << 8;
    uint8_t* out = static_cast<uint8_t*>(std::malloc(outSize == 0 ? 1 : outSize));
    auto* table = static_cast<GifLzwEntry*>(std::malloc(sizeof(GifLzwEntry) * kGifLzwTableSize));
    size_t written = GifLzwDecode(data + 3, size - 3, minCodeSize, out, outSize, table);
    if (written > outSize) {
        __builtin_trap();
    }
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < written; i++) {
        sum = static_cast<uint8_t>(sum + out[i]);
    }
    std::free(table);
    std::free(out);
    return 0;
}
