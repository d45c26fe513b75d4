#include "view/scale_picture.h"

#include <cstring>

#include "decode/picture_blocks.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {

constexpr uint32_t kOne = 16384;  // weight of a whole pixel
constexpr int kOneBits = 14;

// One axis of the smooth filter: for copied coordinate i, count[i] taps from
// source position first[i] on, their weights at weight[i * maxTaps ...].
struct AxisPlan {
    int32_t* first = nullptr;
    int32_t* count = nullptr;
    uint16_t* weight = nullptr;
    int32_t maxTaps = 0;
};

void FreeAxis(AxisPlan* axis) {
    AppFree(axis->first);
    AppFree(axis->count);
    AppFree(axis->weight);
    *axis = AxisPlan{};
}

// Shrinking (out <= length): copied pixel i covers [i * length, (i + 1) * length)
// and source pixel j covers [j * out, (j + 1) * out), both in 1/out source
// pixels. Weights are the running overlap rounded, differenced, so that each
// pixel's weights add up to kOne exactly.
void PlanShrink(int32_t length, int32_t out, AxisPlan* axis) {
    for (int32_t i = 0; i < out; ++i) {
        const int64_t a = int64_t{i} * length;
        const int64_t b = a + length;
        const int64_t j0 = a / out;
        const int64_t j1 = (b - 1) / out;  // last source pixel touched
        uint16_t* w = axis->weight + static_cast<size_t>(i) * static_cast<size_t>(axis->maxTaps);
        int64_t covered = 0;
        uint32_t given = 0;
        for (int64_t j = j0; j <= j1; ++j) {
            const int64_t lo = j * out > a ? j * out : a;
            const int64_t hi = (j + 1) * out < b ? (j + 1) * out : b;
            covered += hi - lo;
            const auto upTo = static_cast<uint32_t>((covered * kOne + length / 2) / length);
            w[j - j0] = static_cast<uint16_t>(upTo - given);
            given = upTo;
        }
        axis->first[i] = static_cast<int32_t>(j0);
        axis->count[i] = static_cast<int32_t>(j1 - j0 + 1);
    }
}

// Growing (out > length): the centre of copied pixel i falls at
// (2i + 1 - out / length) / 2 source pixels, counted in 1/(2 out) units; the two
// source pixels around it are blended, the edges held.
void PlanGrow(int32_t length, int32_t out, AxisPlan* axis) {
    const int64_t unit = int64_t{2} * out;
    for (int32_t i = 0; i < out; ++i) {
        const int64_t at = (int64_t{2} * i + 1) * length - out;
        uint16_t* w = axis->weight + static_cast<size_t>(i) * static_cast<size_t>(axis->maxTaps);
        int64_t j0 = at <= 0 ? 0 : at / unit;
        const int64_t rem = at <= 0 ? 0 : at % unit;
        if (j0 >= length - 1 || rem == 0) {
            j0 = j0 > length - 1 ? length - 1 : j0;
            axis->first[i] = static_cast<int32_t>(j0);
            axis->count[i] = 1;
            w[0] = static_cast<uint16_t>(kOne);
            continue;
        }
        const auto w1 = static_cast<uint32_t>((rem * kOne + unit / 2) / unit);
        axis->first[i] = static_cast<int32_t>(j0);
        axis->count[i] = 2;
        w[0] = static_cast<uint16_t>(kOne - w1);
        w[1] = static_cast<uint16_t>(w1);
    }
}

bool PlanAxis(int32_t length, int32_t out, AxisPlan* axis) {
    axis->maxTaps = out < length ? static_cast<int32_t>((int64_t{length} + out - 1) / out) + 1 : 2;
    const size_t n = static_cast<size_t>(out);
    const size_t taps = n * static_cast<size_t>(axis->maxTaps);
    if (taps / n != static_cast<size_t>(axis->maxTaps)) {
        return false;
    }
    axis->first = AppAllocArrayZero<int32_t>(n);
    axis->count = AppAllocArrayZero<int32_t>(n);
    axis->weight = AppAllocArrayZero<uint16_t>(taps);
    if (axis->first == nullptr || axis->count == nullptr || axis->weight == nullptr) {
        FreeAxis(axis);
        return false;
    }
    if (out <= length) {
        PlanShrink(length, out, axis);
    } else {
        PlanGrow(length, out, axis);
    }
    return true;
}

bool PartInside(const BitmapInfoHeader& h, const PicturePart& part) {
    return part.x >= 0 && part.yFromBottom >= 0 && part.width > 0 && part.height > 0 &&
           int64_t{part.x} + part.width <= h.width && int64_t{part.yFromBottom} + part.height <= h.height;
}

// acc[k] (+)= w * row[k] over n bytes: the inner loop of the vertical pass.
void AccumulateRow(uint32_t* __restrict acc,
                   const uint8_t* __restrict row,
                   size_t n,
                   uint32_t w,
                   bool first) {
    if (first) {
        for (size_t k = 0; k < n; ++k) {
            acc[k] = w * row[k];
        }
    } else {
        for (size_t k = 0; k < n; ++k) {
            acc[k] += w * row[k];
        }
    }
}

// The horizontal pass of one copied row: channels interleaved, accumulators
// carrying kOne per unit of vertical weight.
template <int Channels>
void ReduceAcross(const uint32_t* acc, const AxisPlan& columns, int32_t outWidth, uint8_t* out) {
    constexpr int kShift = 2 * kOneBits;
    for (int32_t ox = 0; ox < outWidth; ++ox) {
        const uint32_t* a = acc + static_cast<size_t>(columns.first[ox]) * Channels;
        const uint16_t* w = columns.weight + static_cast<size_t>(ox) * static_cast<size_t>(columns.maxTaps);
        uint64_t sum[Channels] = {};
        for (int32_t t = 0; t < columns.count[ox]; ++t) {
            for (int c = 0; c < Channels; ++c) {
                sum[c] += uint64_t{w[t]} * a[static_cast<size_t>(t) * Channels + static_cast<size_t>(c)];
            }
        }
        for (int c = 0; c < Channels; ++c) {
            out[static_cast<size_t>(ox) * Channels + static_cast<size_t>(c)] =
                static_cast<uint8_t>((sum[c] + (uint64_t{1} << (kShift - 1))) >> kShift);
        }
    }
}

// Expands n palette indices into blue-green-red bytes.
void ExpandPalette(const RgbQuad* palette, const uint8_t* src, size_t n, uint8_t* out) {
    for (size_t k = 0; k < n; ++k) {
        const RgbQuad& q = palette[src[k]];
        out[3 * k] = q.blue;
        out[3 * k + 1] = q.green;
        out[3 * k + 2] = q.red;
    }
}

bool ScaleSmooth(const PageImage& page, const PicturePart& part, ScaledPicture* copy) {
    const int32_t outWidth = copy->header.width;
    const int32_t outHeight = copy->header.height;
    const bool expand = page.header.bitCount == 8 && copy->header.bitCount == 24;
    const size_t channels = copy->header.bitCount == 24 ? 3 : 1;
    const size_t srcChannels = page.header.bitCount == 24 ? 3 : 1;
    const size_t rowBytes = static_cast<size_t>(part.width) * channels;
    const uint32_t stride = RowStride(page.header.width, page.header.bitCount);
    const uint32_t outStride = RowStride(outWidth, copy->header.bitCount);
    AxisPlan columns;
    AxisPlan rows;
    uint32_t* acc = AppAllocArrayZero<uint32_t>(rowBytes);
    uint8_t* scratch = expand ? AppAllocArrayZero<uint8_t>(rowBytes) : nullptr;
    bool ok = acc != nullptr && (!expand || scratch != nullptr) && PlanAxis(part.width, outWidth, &columns) &&
              PlanAxis(part.height, outHeight, &rows);
    for (int32_t oy = 0; ok && oy < outHeight; ++oy) {
        const uint16_t* w = rows.weight + static_cast<size_t>(oy) * static_cast<size_t>(rows.maxTaps);
        for (int32_t t = 0; t < rows.count[oy]; ++t) {
            const size_t y = static_cast<size_t>(part.yFromBottom) + static_cast<size_t>(rows.first[oy] + t);
            const uint8_t* src = page.pixels + size_t{stride} * y + static_cast<size_t>(part.x) * srcChannels;
            if (expand) {
                ExpandPalette(page.palette, src, static_cast<size_t>(part.width), scratch);
                src = scratch;
            }
            AccumulateRow(acc, src, rowBytes, w[t], t == 0);
        }
        uint8_t* out = copy->pixels + size_t{outStride} * static_cast<size_t>(oy);
        if (channels == 3) {
            ReduceAcross<3>(acc, columns, outWidth, out);
        } else {
            ReduceAcross<1>(acc, columns, outWidth, out);
        }
    }
    FreeAxis(&columns);
    FreeAxis(&rows);
    AppFree(acc);
    AppFree(scratch);
    return ok;
}

// The source coordinate under the centre of copied pixel i of out.
int32_t NearestAt(int32_t i, int32_t length, int32_t out) {
    const int64_t j = (int64_t{2} * i + 1) * length / (int64_t{2} * out);
    return j >= length ? length - 1 : static_cast<int32_t>(j);
}

bool ScaleNearest(const PageImage& page, const PicturePart& part, ScaledPicture* copy) {
    const int32_t outWidth = copy->header.width;
    const size_t bytes = page.header.bitCount == 24 ? 3 : 1;
    const uint32_t stride = RowStride(page.header.width, page.header.bitCount);
    const uint32_t outStride = RowStride(outWidth, copy->header.bitCount);
    int32_t* columns = AppAllocArrayZero<int32_t>(static_cast<size_t>(outWidth));
    if (columns == nullptr) {
        return false;
    }
    for (int32_t ox = 0; ox < outWidth; ++ox) {
        columns[ox] = part.x + NearestAt(ox, part.width, outWidth);
    }
    for (int32_t oy = 0; oy < copy->header.height; ++oy) {
        const size_t y = static_cast<size_t>(part.yFromBottom) +
                         static_cast<size_t>(NearestAt(oy, part.height, copy->header.height));
        const uint8_t* src = page.pixels + size_t{stride} * y;
        uint8_t* out = copy->pixels + size_t{outStride} * static_cast<size_t>(oy);
        for (int32_t ox = 0; ox < outWidth; ++ox) {
            std::memcpy(out + static_cast<size_t>(ox) * bytes, src + static_cast<size_t>(columns[ox]) * bytes,
                        bytes);
        }
    }
    AppFree(columns);
    return true;
}

}  // namespace

void ReleaseScaledPicture(ScaledPicture* copy) {
    if (copy->pixels != nullptr) {
        GivePixelBlock(copy->pixels);
    }
    *copy = ScaledPicture{};
}

bool IsGreyRamp(const PageImage& page) {
    if (page.header.bitCount != 8) {
        return false;
    }
    const uint32_t used = page.header.clrUsed == 0 || page.header.clrUsed > 256 ? 256 : page.header.clrUsed;
    for (uint32_t i = 0; i < used; ++i) {
        const RgbQuad& q = page.palette[i];
        if (q.red != i || q.green != i || q.blue != i) {
            return false;
        }
    }
    return true;
}

int32_t ScaledBitCount(const PageImage& page, ScaleFilter filter) {
    if (page.header.bitCount == 24) {
        return 24;
    }
    if (page.header.bitCount != 8) {
        return 0;
    }
    return filter == ScaleFilter::kNearest || IsGreyRamp(page) ? 8 : 24;
}

uint64_t ScaledBlockBytes(int32_t width, int32_t height, int32_t bitCount) {
    const uint32_t stride = RowStride(width, bitCount);
    if (stride == 0 || height <= 0) {
        return 0;
    }
    return uint64_t{stride} * static_cast<uint64_t>(height) + 4;
}

bool ScalePicture(const PageImage& page,
                  const PicturePart& part,
                  int32_t outWidth,
                  int32_t outHeight,
                  ScaleFilter filter,
                  ScaledPicture* copy) {
    ReleaseScaledPicture(copy);
    const int32_t bits = ScaledBitCount(page, filter);
    if (!IsFull(page) || bits == 0 || page.header.height <= 0 ||
        RowStride(page.header.width, page.header.bitCount) == 0 || !PartInside(page.header, part)) {
        return false;
    }
    const uint64_t bytes = ScaledBlockBytes(outWidth, outHeight, bits);
    if (bytes == 0 || bytes > SIZE_MAX) {
        return false;
    }
    VmBlock block(TakeClearBlock(bytes));
    if (block.get() == nullptr) {
        return false;
    }
    copy->header = BitmapInfoHeader{};
    copy->header.size = 40;
    copy->header.width = outWidth;
    copy->header.height = outHeight;
    copy->header.planes = 1;
    copy->header.bitCount = static_cast<uint16_t>(bits);
    copy->header.clrUsed = bits == 8 ? page.header.clrUsed : 0;
    copy->pixels = block.get();
    const bool ok =
        filter == ScaleFilter::kNearest ? ScaleNearest(page, part, copy) : ScaleSmooth(page, part, copy);
    if (!ok) {
        *copy = ScaledPicture{};
        return false;
    }
    block.release();
    return true;
}
