#include "view/reduced_copy.h"

#include "platform/heap.h"
#include "platform/vm.h"

namespace {

// The source points one axis reads: for each copied coordinate up to
// kReduceTaps positions, all of the span it covers when the span is that short,
// otherwise evenly spread across it.
struct AxisTaps {
    int32_t* at;     // count * kReduceTaps positions
    int32_t* count;  // taps used per copied coordinate
};

void FreeAxis(AxisTaps* axis) {
    AppFree(axis->at);
    AppFree(axis->count);
    *axis = AxisTaps{};
}

bool PlanAxis(int32_t start, int32_t length, int32_t out, AxisTaps* axis) {
    axis->at = AppAllocArrayZero<int32_t>(static_cast<size_t>(out) * kReduceTaps);
    axis->count = AppAllocArrayZero<int32_t>(static_cast<size_t>(out));
    if (axis->at == nullptr || axis->count == nullptr) {
        FreeAxis(axis);
        return false;
    }
    for (int32_t i = 0; i < out; ++i) {
        // 64-bit: length * out reaches 2^31 * 2^12.
        const int64_t a = int64_t{i} * length / out;
        const int64_t b = (int64_t{i} + 1) * length / out;
        const int64_t span = b - a;  // at least 1, since out <= length
        int32_t* taps = axis->at + static_cast<size_t>(i) * kReduceTaps;
        if (span <= kReduceTaps) {
            for (int64_t k = 0; k < span; ++k) {
                taps[k] = static_cast<int32_t>(start + a + k);
            }
            axis->count[i] = static_cast<int32_t>(span);
        } else {
            // Tap k sits at the k-th quarter of the span, moved by one where needed
            // so that taps alternate odd and even positions: one-pixel detail
            // (dot screens, thin lines) then averages to its mean instead of
            // aliasing to one of its colours. span > kReduceTaps keeps the move
            // inside the span.
            for (int32_t k = 0; k < kReduceTaps; ++k) {
                int64_t offset = int64_t{k} * span / kReduceTaps;
                if (offset % 2 != k % 2) {
                    ++offset;
                }
                taps[k] = static_cast<int32_t>(start + a + offset);
            }
            axis->count[i] = kReduceTaps;
        }
    }
    return true;
}

bool PartInside(const BitmapInfoHeader& h, const PicturePart& part) {
    return part.x >= 0 && part.yFromBottom >= 0 && part.width > 0 && part.height > 0 &&
           int64_t{part.x} + part.width <= h.width && int64_t{part.yFromBottom} + part.height <= h.height;
}

}  // namespace

bool FitsPlatformStretch(const BitmapInfoHeader& header) {
    if (header.width <= 0 || header.height <= 0 || (header.bitCount != 8 && header.bitCount != 24)) {
        return false;
    }
    return header.width <= kMaxStretchSide && header.height <= kMaxStretchSide &&
           int64_t{header.width} * header.height <= kMaxStretchPixels;
}

void ReducedSize(const PicturePart& part,
                 int32_t destWidth,
                 int32_t destHeight,
                 int32_t* outWidth,
                 int32_t* outHeight) {
    auto side = [](int32_t source, int32_t dest) {
        if (source <= 0 || dest <= 0) {
            return 0;
        }
        int32_t s = source < dest ? source : dest;
        return s < kMaxReducedSide ? s : kMaxReducedSide;
    };
    *outWidth = side(part.width, destWidth);
    *outHeight = side(part.height, destHeight);
    if (*outWidth == 0 || *outHeight == 0) {
        *outWidth = 0;
        *outHeight = 0;
    }
}

bool ReducePicture(const PageImage& page,
                   const PicturePart& part,
                   int32_t destWidth,
                   int32_t destHeight,
                   PageImage* copy) {
    ReleasePageImage(copy);
    const BitmapInfoHeader& h = page.header;
    const uint32_t stride = RowStride(h.width, h.bitCount);
    if (!IsFull(page) || (h.bitCount != 8 && h.bitCount != 24) || h.height <= 0 || stride == 0 ||
        !PartInside(h, part)) {
        return false;
    }
    int32_t outWidth = 0;
    int32_t outHeight = 0;
    ReducedSize(part, destWidth, destHeight, &outWidth, &outHeight);
    if (outWidth == 0) {
        return false;
    }
    const uint32_t outStride = RowStride(outWidth, 24);
    VmBlock block(VmAlloc(size_t{outStride} * static_cast<size_t>(outHeight) + 4));
    AxisTaps columns{};
    AxisTaps rows{};
    if (block.get() == nullptr || !PlanAxis(part.x, part.width, outWidth, &columns) ||
        !PlanAxis(part.yFromBottom, part.height, outHeight, &rows)) {
        FreeAxis(&columns);
        FreeAxis(&rows);
        return false;
    }
    const bool indexed = h.bitCount == 8;
    for (int32_t oy = 0; oy < outHeight; ++oy) {
        const int32_t* rowTaps = rows.at + static_cast<size_t>(oy) * kReduceTaps;
        const int32_t rowCount = rows.count[oy];
        uint8_t* out = block.get() + size_t{outStride} * static_cast<size_t>(oy);
        for (int32_t ox = 0; ox < outWidth; ++ox) {
            const int32_t* colTaps = columns.at + static_cast<size_t>(ox) * kReduceTaps;
            const int32_t colCount = columns.count[ox];
            uint32_t sum[3] = {0, 0, 0};
            for (int32_t r = 0; r < rowCount; ++r) {
                const uint8_t* src = page.pixels + size_t{stride} * static_cast<size_t>(rowTaps[r]);
                for (int32_t c = 0; c < colCount; ++c) {
                    const size_t x = static_cast<size_t>(colTaps[c]);
                    if (indexed) {
                        const RgbQuad& q = page.palette[src[x]];
                        sum[0] += q.blue;
                        sum[1] += q.green;
                        sum[2] += q.red;
                    } else {
                        sum[0] += src[3 * x];
                        sum[1] += src[3 * x + 1];
                        sum[2] += src[3 * x + 2];
                    }
                }
            }
            const uint32_t n = static_cast<uint32_t>(rowCount * colCount);
            for (int k = 0; k < 3; ++k) {
                out[3 * static_cast<size_t>(ox) + static_cast<size_t>(k)] =
                    static_cast<uint8_t>((sum[k] + n / 2) / n);
            }
        }
    }
    FreeAxis(&columns);
    FreeAxis(&rows);
    copy->pageIndex = page.pageIndex;
    copy->header = BitmapInfoHeader{};
    copy->header.size = 40;
    copy->header.width = outWidth;
    copy->header.height = outHeight;
    copy->header.planes = 1;
    copy->header.bitCount = 24;
    copy->pixels = block.release();
    return true;
}
