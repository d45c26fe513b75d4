// The picture scaler behind display copies: the visible part of a page scaled to
// the size it is drawn at, so that drawing it is a 1:1 transfer.
//
// Smooth filter (the halftone stretch mode): along an axis that shrinks, each
// copied pixel is the average of the source area it covers, fractional edge
// pixels weighted by the part of them covered; along an axis that grows, a
// bilinear blend of the two nearest source pixels (pixel centres aligned). The
// two axes are worked separately: the rows of one copied row are summed into
// one accumulator row (a plain multiply-add over bytes the compiler vectorises),
// then that row is reduced across. Weights are fixed point in 1/16384ths and
// each axis's weights add up to exactly one, so the result is the exact area
// average to within one level, rounded to nearest.
//
// Nearest filter (the colour-on-colour stretch mode): each copied pixel is the
// source pixel under its centre.
//
// Bit counts: 24-bit stays 24-bit; an 8-bit grey picture (palette entry i is
// grey level i) stays 8-bit; other palette pictures become 24-bit under the
// smooth filter (averaged through their colours) and keep their indices under
// the nearest filter. An 8-bit copy is drawn with the page's own palette.
//
// Ownership: the copy's pixel block is a VmAlloc block the caller frees with
// ReleaseScaledPicture. Failures (a part that does not lie inside the picture,
// a size that is not positive, memory) return false with nothing allocated.
#pragma once

#include <cstdint>

#include "view/page_image.h"
#include "view/reduced_copy.h"

enum class ScaleFilter : uint8_t { kSmooth, kNearest };

// A scaled copy: header (8 or 24 bits, rows bottom-up, padded to 4 bytes) and
// its pixel block; null pixels: empty.
struct ScaledPicture {
    BitmapInfoHeader header;
    uint8_t* pixels;
};

void ReleaseScaledPicture(ScaledPicture* copy);

// True when the page is an 8-bit picture whose palette is the grey ramp
// (entry i is level i for every entry in use).
bool IsGreyRamp(const PageImage& page);
// The bit count of the copy ScalePicture makes of page with filter: 8 or 24;
// 0 for a page it cannot scale.
int32_t ScaledBitCount(const PageImage& page, ScaleFilter filter);
// Bytes of a copy's pixel block (rows padded, plus the 4 spare bytes every
// picture block has); 0 when the size does not hold together.
uint64_t ScaledBlockBytes(int32_t width, int32_t height, int32_t bitCount);

// Scales the part of page to outWidth x outHeight into *copy (released first).
[[nodiscard]] bool ScalePicture(const PageImage& page,
                                const PicturePart& part,
                                int32_t outWidth,
                                int32_t outHeight,
                                ScaleFilter filter,
                                ScaledPicture* copy);
