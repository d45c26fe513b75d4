#include "view/turn_upright.h"

#include <cstddef>
#include <cstring>

#include "decode/picture_blocks.h"
#include "platform/vm.h"

namespace {

// Quarter turns read the source down its columns; working in square tiles keeps
// both the rows written and the columns read within the cache.
constexpr int32_t kTile = 64;

// dst (x', y') takes src (y', H-1-x') for a clockwise turn and src (W-1-y', x')
// for an anticlockwise one, in top-down coordinates. Rows are stored bottom-up:
// top-down row y lies at block row H-1-y.
template <size_t kBytes>
void TurnQuarter(const uint8_t* src,
                 size_t srcStride,
                 int32_t width,
                 int32_t height,
                 uint8_t* dst,
                 size_t dstStride,
                 bool clockwise) {
    const int32_t dstWidth = height;
    const int32_t dstHeight = width;
    const ptrdiff_t step = clockwise ? static_cast<ptrdiff_t>(srcStride) : -static_cast<ptrdiff_t>(srcStride);
    for (int32_t tileY = 0; tileY < dstHeight; tileY += kTile) {
        const int32_t endY = dstHeight - tileY < kTile ? dstHeight : tileY + kTile;
        for (int32_t tileX = 0; tileX < dstWidth; tileX += kTile) {
            const int32_t endX = dstWidth - tileX < kTile ? dstWidth : tileX + kTile;
            for (int32_t y = tileY; y < endY; ++y) {
                uint8_t* d = dst + static_cast<size_t>(dstHeight - 1 - y) * dstStride +
                             static_cast<size_t>(tileX) * kBytes;
                const uint8_t* s;
                if (clockwise) {
                    // Top-down source row H-1-x' is block row x'.
                    s = src + static_cast<size_t>(tileX) * srcStride + static_cast<size_t>(y) * kBytes;
                } else {
                    // Top-down source row x' is block row H-1-x'.
                    s = src + static_cast<size_t>(height - 1 - tileX) * srcStride +
                        static_cast<size_t>(width - 1 - y) * kBytes;
                }
                for (int32_t x = tileX; x < endX; ++x) {
                    std::memcpy(d, s, kBytes);
                    d += kBytes;
                    s += step;
                }
            }
        }
    }
}

// dst (x', y') takes src (W-1-x', H-1-y'): block row r becomes block row H-1-r,
// read backwards.
template <size_t kBytes>
void TurnHalf(const uint8_t* src, size_t stride, int32_t width, int32_t height, uint8_t* dst) {
    for (int32_t row = 0; row < height; ++row) {
        const uint8_t* s = src + static_cast<size_t>(row) * stride + static_cast<size_t>(width - 1) * kBytes;
        uint8_t* d = dst + static_cast<size_t>(height - 1 - row) * stride;
        for (int32_t x = 0; x < width; ++x) {
            std::memcpy(d, s, kBytes);
            d += kBytes;
            s -= kBytes;
        }
    }
}

}  // namespace

bool TurnUpright(PageImage* page, int32_t orientation) {
    if (orientation == 1) {
        return true;
    }
    BitmapInfoHeader& h = page->header;
    const int bits = h.bitCount;
    if (page->pixels == nullptr || (bits != 8 && bits != 24) || h.width <= 0 || h.height <= 0) {
        return false;
    }
    const bool quarter = orientation == 6 || orientation == 8;
    const int32_t newWidth = quarter ? h.height : h.width;
    const int32_t newHeight = quarter ? h.width : h.height;
    const uint32_t oldStride = RowStride(h.width, bits);
    const uint32_t newStride = RowStride(newWidth, bits);
    if (oldStride == 0 || newStride == 0) {
        return false;
    }
    // The turned block must stay addressable by a 32-bit size, as every decoded
    // block is; a tall, narrow picture can pass that bound only once turned.
    const uint64_t newBytes = static_cast<uint64_t>(newStride) * static_cast<uint64_t>(newHeight);
    if (newBytes >= (uint64_t{1} << 32)) {
        return false;
    }
    VmBlock block(TakeClearBlock(newBytes + 4));
    if (block.get() == nullptr) {
        return false;
    }
    if (quarter) {
        const bool clockwise = orientation == 6;
        if (bits == 8) {
            TurnQuarter<1>(page->pixels, oldStride, h.width, h.height, block.get(), newStride, clockwise);
        } else {
            TurnQuarter<3>(page->pixels, oldStride, h.width, h.height, block.get(), newStride, clockwise);
        }
        const int32_t xRes = h.xPelsPerMeter;
        h.xPelsPerMeter = h.yPelsPerMeter;
        h.yPelsPerMeter = xRes;
    } else if (bits == 8) {
        TurnHalf<1>(page->pixels, oldStride, h.width, h.height, block.get());
    } else {
        TurnHalf<3>(page->pixels, oldStride, h.width, h.height, block.get());
    }
    ReleaseDisplayCopy(page);  // made for the picture as it was
    GivePixelBlock(page->pixels);
    page->pixels = block.release();
    h.width = newWidth;
    h.height = newHeight;
    if (h.sizeImage != 0) {
        h.sizeImage = static_cast<uint32_t>(newBytes);
    }
    return true;
}
