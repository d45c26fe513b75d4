// PNG image data, the streaming way: the zlib stream of the IDAT run inflated one raw row at a time
// (filter byte + packed row), fed chunk by chunk straight from the input, each row
// unfiltered in place against the previous one and stored at its final place in
// the bottom-up pixel block. Interlaced pictures run the seven Adam7 passes, each
// with its own row size; a pass row's pixels land at their final columns. This
// serves the streams the whole-buffer inflate (png_inflate.cpp) leaves: those
// that end early, run on past the picture or fail their checks; rows reached
// before such a fault are kept as they always were.
#include <cstring>

#include <zlib.h>

#include "decode/entry_steps.h"
#include "decode/png.h"
#include "decode/png_internal.h"
#include "platform/heap.h"

namespace {

void* ZAlloc(void*, uInt items, uInt size) {
    return AppAlloc(uint64_t{items} * size);
}
void ZFree(void*, void* p) {
    AppFree(p);
}

// The compressed bytes, handed to zlib one IDAT chunk at a time.
struct IdatFeed {
    const uint8_t* next;  // length field of the next chunk to hand over
    const uint8_t* end;

    // Points the stream at the next non-empty chunk's data; false at the run's end.
    bool Refill(z_stream* z) {
        while (next < end) {
            uint32_t length = ReadBe32(next);
            const uint8_t* data = next + 8;
            next = data + length + 4;
            if (length != 0) {
                z->next_in = const_cast<Bytef*>(data);
                z->avail_in = length;
                return true;
            }
        }
        return false;
    }
    bool HasMore() const { return next < end; }
};

// Owns the zlib stream of one decode.
class Inflater {
  public:
    Inflater() {
        std::memset(&z_, 0, sizeof z_);
        z_.zalloc = ZAlloc;
        z_.zfree = ZFree;
    }
    Inflater(const Inflater&) = delete;
    Inflater& operator=(const Inflater&) = delete;
    ~Inflater() {
        if (open_) {
            inflateEnd(&z_);
        }
    }
    bool Open() {
        open_ = inflateInit2(&z_, 15) == Z_OK;
        return open_;
    }
    z_stream* get() { return &z_; }

  private:
    z_stream z_;
    bool open_ = false;
};

enum class RowResult { kRow, kPartialEnd, kEnded, kFailed };

// Inflates one raw row of n bytes into row. kRow: the row is complete; kPartialEnd:
// the stream ended inside it (the rest is zeroed); kEnded: the stream had ended
// before it; kFailed: corrupt data, or the input ran out with the stream open.
RowResult InflateRow(z_stream* z, IdatFeed* feed, uint8_t* row, size_t n) {
    z->next_out = row;
    z->avail_out = static_cast<uInt>(n);
    for (;;) {
        // At the end of the run zlib is still called: it may hold the stream's
        // last bits already.
        if (z->avail_in == 0) {
            feed->Refill(z);
        }
        int rc = inflate(z, Z_NO_FLUSH);
        if (rc == Z_STREAM_END) {
            if (z->avail_out == n) {
                return RowResult::kEnded;
            }
            std::memset(z->next_out, 0, z->avail_out);
            return z->avail_out == 0 ? RowResult::kRow : RowResult::kPartialEnd;
        }
        if (rc != Z_OK && rc != Z_BUF_ERROR) {
            return RowResult::kFailed;
        }
        if (z->avail_out == 0) {
            return RowResult::kRow;
        }
        // No progress possible: the input is spent with the stream still open.
        if (rc == Z_BUF_ERROR && (z->avail_in != 0 || !feed->HasMore())) {
            return RowResult::kFailed;
        }
    }
}

// The value a never-written (zero) pixel has once composited: the background for
// alpha types (alpha 0), and for a truecolour key of black.
bool UnreachedFill(const PngImageLayout& l, const PngPixelRules& r, uint8_t fill[3]) {
    std::memcpy(fill, r.background, 3);
    switch (l.colourType) {
        case kPngTypeGreyAlpha:
            fill[0] = r.background[2];
            return fill[0] != 0;
        case kPngTypeRgba:
            return fill[0] != 0 || fill[1] != 0 || fill[2] != 0;
        case kPngTypeRgb:
            return r.rgbKey && r.key[0] == 0 && r.key[1] == 0 && r.key[2] == 0 &&
                   (fill[0] != 0 || fill[1] != 0 || fill[2] != 0);
        default:
            return false;
    }
}

// Writes fill to every pixel from pass `pass`, pass row `row` on.
void FillUnreached(const PngImageLayout& l,
                   const PngPass* passes,
                   int passCount,
                   int pass,
                   uint32_t row,
                   const uint8_t fill[3],
                   DecodedImage* image) {
    const uint32_t stride = RowStride(l.width, static_cast<int>(l.outPixelBytes * 8));
    for (int p = pass; p < passCount; ++p) {
        const PngPass& ps = passes[p];
        uint32_t pw = PassExtent(l.width, ps.x0, ps.dx);
        uint32_t ph = PassExtent(l.height, ps.y0, ps.dy);
        for (uint32_t j = p == pass ? row : 0; j < ph; ++j) {
            uint64_t y = ps.y0 + uint64_t{j} * ps.dy;
            uint8_t* out = image->pixels + (l.height - 1 - y) * stride + uint64_t{ps.x0} * l.outPixelBytes;
            for (uint32_t i = 0; i < pw; ++i, out += uint64_t{ps.dx} * l.outPixelBytes) {
                std::memcpy(out, fill, l.outPixelBytes);
            }
        }
    }
}

}  // namespace

DecodeStatus DecodePngImageDataStreaming(const PngImageLayout& l,
                                         const PngPixelRules& rules,
                                         const PngIdatRun& run,
                                         DecodedImage* image) {
    PngRowOps ops{};
    ChoosePngUnfilters(l.filterBpp, &ops);
    ops.store = ChoosePngStore(l.colourType, l.depth, rules.rgbKey);

    const PngPass* passes = l.interlaced ? kAdam7 : &kWhole;
    const int passCount = l.interlaced ? 7 : 1;
    const uint64_t maxRow = RowBytes(l, l.width) + 1;
    if (maxRow > UINT32_MAX) {
        return kDecodeNoMemory;
    }
    AppPtr<uint8_t> bufferA(static_cast<uint8_t*>(AppAllocZero(maxRow + kPngRowSlack)));
    AppPtr<uint8_t> bufferB(static_cast<uint8_t*>(AppAllocZero(maxRow + kPngRowSlack)));
    if (bufferA.get() == nullptr || bufferB.get() == nullptr) {
        return kDecodeNoMemory;
    }
    Inflater inflater;
    if (!inflater.Open()) {
        return kPngInflateFailed;
    }
    z_stream* z = inflater.get();
    IdatFeed feed{run.start, run.end};

    const uint32_t stride = RowStride(l.width, static_cast<int>(l.outPixelBytes * 8));
    const size_t outPixel = l.outPixelBytes;
    int stopPass = passCount;
    uint32_t stopRow = 0;
    for (int p = 0; p < passCount && stopPass == passCount; ++p) {
        const PngPass& ps = passes[p];
        const uint32_t pw = PassExtent(l.width, ps.x0, ps.dx);
        const uint32_t ph = PassExtent(l.height, ps.y0, ps.dy);
        if (pw == 0 || ph == 0) {
            continue;
        }
        const size_t rowBytes = static_cast<size_t>(RowBytes(l, pw));
        uint8_t* cur = bufferA.get();
        uint8_t* prev = bufferB.get();
        std::memset(cur, 0, rowBytes + 1);
        std::memset(prev, 0, rowBytes + 1);
        uint8_t* out = image->pixels + uint64_t{l.height - 1 - ps.y0} * stride + ps.x0 * outPixel;
        const size_t outRowStep = uint64_t{ps.dy} * stride;
        for (uint32_t j = 0; j < ph; ++j) {
            RowResult result = InflateRow(z, &feed, cur, rowBytes + 1);
            if (result == RowResult::kFailed) {
                return kPngInflateFailed;
            }
            if (result == RowResult::kEnded) {
                stopPass = p;
                stopRow = j;
                break;
            }
            // A filter type above 4 counts as None.
            uint32_t filter = cur[0] <= 4 ? cur[0] : 0;
            ops.unfilter[filter](cur + 1, prev + 1, rowBytes);
            ops.store(rules, cur + 1, pw, out, ps.dx * outPixel);
            if (result == RowResult::kPartialEnd) {
                stopPass = p;
                stopRow = j + 1;
                break;
            }
            uint8_t* t = cur;
            cur = prev;
            prev = t;
            if (j + 1 < ph) {
                out -= outRowStep;
            }
        }
    }
    uint8_t fill[3];
    if (stopPass < passCount && UnreachedFill(l, rules, fill)) {
        FillUnreached(l, passes, passCount, stopPass, stopRow, fill, image);
    }
    return kDecodeOk;
}
