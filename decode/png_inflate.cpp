// PNG image data in one inflate: the IDAT run's zlib stream (read in place when
// one chunk holds it all, else gathered) is inflated by libdeflate in one call
// into a raw buffer that holds every filtered row of every pass, Adler-32
// checked. The rows are then unfiltered in place, each against the one before it
// in the buffer, and stored at their final place in the bottom-up pixel block.
// The raw buffer lives only for the decode.
#include <cstring>

#include "decode/deflate_owner.h"
#include "decode/entry_steps.h"
#include "decode/png.h"
#include "decode/png_internal.h"
#include "platform/heap.h"

namespace {

// The run's compressed bytes in one piece: the one non-empty chunk's data where
// there is only one, else a heap copy of them all.
struct IdatBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
    AppPtr<uint8_t> copy;
};

// Fails only when the copy cannot be allocated.
bool GatherIdat(const PngIdatRun& run, IdatBytes* out) {
    size_t chunks = 0;
    for (const uint8_t* p = run.start; p < run.end;) {
        uint32_t length = ReadBe32(p);
        if (length != 0) {
            out->data = p + 8;
            ++chunks;
        }
        out->size += length;
        p += size_t{length} + 12;
    }
    if (chunks <= 1) {
        return true;
    }
    out->copy.reset(static_cast<uint8_t*>(AppAlloc(out->size)));
    if (out->copy.get() == nullptr) {
        return false;
    }
    uint8_t* to = out->copy.get();
    for (const uint8_t* p = run.start; p < run.end;) {
        uint32_t length = ReadBe32(p);
        std::memcpy(to, p + 8, length);
        to += length;
        p += size_t{length} + 12;
    }
    out->data = out->copy.get();
    return true;
}

}  // namespace

DecodeStatus DecodePngImageData(const PngImageLayout& l,
                                const PngPixelRules& rules,
                                const PngIdatRun& run,
                                DecodedImage* image) {
    const PngPass* passes = l.interlaced ? kAdam7 : &kWhole;
    const int passCount = l.interlaced ? 7 : 1;
    uint64_t rawSize = 0;
    for (int p = 0; p < passCount; ++p) {
        uint32_t pw = PassExtent(l.width, passes[p].x0, passes[p].dx);
        uint32_t ph = PassExtent(l.height, passes[p].y0, passes[p].dy);
        if (pw != 0 && ph != 0) {
            rawSize += (RowBytes(l, pw) + 1) * ph;
        }
    }
    const uint64_t maxRow = RowBytes(l, l.width) + 1;
    if (maxRow > UINT32_MAX || rawSize > SIZE_MAX - kPngRowSlack) {
        return kDecodeNoMemory;
    }
    {
        AppPtr<uint8_t> raw(static_cast<uint8_t*>(AppAlloc(rawSize + kPngRowSlack)));
        AppPtr<uint8_t> zeros(static_cast<uint8_t*>(AppAllocZero(maxRow + kPngRowSlack)));
        DeflateDecompressor inflater = NewDeflateDecompressor();
        IdatBytes in;
        if (raw.get() == nullptr || zeros.get() == nullptr || inflater == nullptr || !GatherIdat(run, &in)) {
            return kDecodeNoMemory;
        }
        size_t produced = 0;
        libdeflate_result rc =
            libdeflate_zlib_decompress(inflater.get(), in.data, in.size, raw.get(), rawSize, &produced);
        if (rc == LIBDEFLATE_SUCCESS && produced == rawSize) {
            std::memset(raw.get() + rawSize, 0, kPngRowSlack);
            PngRowOps ops{};
            ChoosePngUnfilters(l.filterBpp, &ops);
            ops.store = ChoosePngStore(l.colourType, l.depth, rules.rgbKey);
            const bool fuseBgr = l.colourType == kPngTypeRgb && l.depth == 8 && !rules.rgbKey;
            const uint32_t stride = RowStride(l.width, static_cast<int>(l.outPixelBytes * 8));
            const size_t outPixel = l.outPixelBytes;
            uint8_t* row = raw.get();
            for (int p = 0; p < passCount; ++p) {
                const PngPass& ps = passes[p];
                const uint32_t pw = PassExtent(l.width, ps.x0, ps.dx);
                const uint32_t ph = PassExtent(l.height, ps.y0, ps.dy);
                if (pw == 0 || ph == 0) {
                    continue;
                }
                const size_t rowBytes = static_cast<size_t>(RowBytes(l, pw));
                const uint8_t* prev = zeros.get() + 1;
                uint8_t* out = image->pixels + uint64_t{l.height - 1 - ps.y0} * stride + ps.x0 * outPixel;
                const size_t outRowStep = uint64_t{ps.dy} * stride;
                for (uint32_t j = 0; j < ph; ++j) {
                    // A filter type above 4 counts as None.
                    uint32_t filter = row[0] <= 4 ? row[0] : 0;
                    if (fuseBgr && ps.dx == 1 && ops.unfilterBgr[filter] != nullptr) {
                        ops.unfilterBgr[filter](row + 1, prev, rowBytes, out);
                    } else {
                        ops.unfilter[filter](row + 1, prev, rowBytes);
                        ops.store(rules, row + 1, pw, out, ps.dx * outPixel);
                    }
                    prev = row + 1;
                    row += rowBytes + 1;
                    if (j + 1 < ph) {
                        out -= outRowStep;
                    }
                }
            }
            return kDecodeOk;
        }
        // Fall through with the raw buffer freed.
    }
    return DecodePngImageDataStreaming(l, rules, run, image);
}
