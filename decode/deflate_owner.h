// Owner of a libdeflate decompressor: whole-buffer inflate for data whose size
// is known before it is inflated (ZIP members, the PNG image data).
#pragma once

#include <libdeflate.h>

#include <memory>

struct DeflateDecompressorFree {
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};
using DeflateDecompressor = std::unique_ptr<libdeflate_decompressor, DeflateDecompressorFree>;

// A fresh decompressor, or null when its memory cannot be had.
inline DeflateDecompressor NewDeflateDecompressor() {
    return DeflateDecompressor(libdeflate_alloc_decompressor());
}
