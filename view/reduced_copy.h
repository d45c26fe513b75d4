// Reduced copies of pictures the platform's stretch cannot take whole.
//
// The stretch of a device-independent bitmap works through an internal 32-bit
// copy of the picture; past about 2^31 bytes of that copy it either refuses the
// call or, when the size wraps around, draws a garbled picture while reporting
// success. A picture past FitsPlatformStretch is therefore never handed to it:
// the paint draws a small 24-bit copy of the visible part instead, no larger
// than the rectangle it lands on (and never larger than kMaxReducedSide on a
// side, so the copy itself stays a few tens of megabytes at most).
//
// The copy is a box reduction: each copied pixel is the average of the source
// pixels it covers, read at up to kReduceTaps points spread across it on each axis, so
// the work depends on the copy's size, not on the picture's. Palette pictures
// are averaged through their palette. A part smaller than the rectangle along an
// axis is copied at its own size there (the stretch enlarges it).
//
// Ownership: the copy is a PageImage with its own pixel block; the caller frees
// it with ReleasePageImage. Failures (a picture or part that does not hold
// together, memory) return false with the copy left empty.
#pragma once

#include <cstdint>

#include "view/page_image.h"

// Largest picture, in pixels, the platform's stretch takes whole (its internal
// 32-bit copy stays below 2^31 bytes).
constexpr int64_t kMaxStretchPixels = int64_t{1} << 29;
// Longest side the stretch is given whole. Sides past a signed 16-bit
// coordinate are where wide palette pictures have been seen drawn as stripes;
// they are rare enough that the copy costs nothing a reader of normal books sees.
constexpr int32_t kMaxStretchSide = 32767;
// Longest side of a reduced copy.
constexpr int32_t kMaxReducedSide = 4096;
// Source points read per axis for one copied pixel.
constexpr int32_t kReduceTaps = 4;

// The visible part of a picture, x from the left, y counted from the bottom row
// (the rows are stored bottom-up), in picture pixels.
struct PicturePart {
    int32_t x;
    int32_t yFromBottom;
    int32_t width;
    int32_t height;
};

// True when the page is a picture of 8 or 24 bits the platform's stretch can be
// given whole: positive sides of at most kMaxStretchSide and at most
// kMaxStretchPixels pixels.
bool FitsPlatformStretch(const BitmapInfoHeader& header);

// The size of the copy ReducePicture makes of a part for a destination of
// destWidth x destHeight: the smaller of the two on each axis, capped at
// kMaxReducedSide. Zero when either input is not positive.
void ReducedSize(const PicturePart& part,
                 int32_t destWidth,
                 int32_t destHeight,
                 int32_t* outWidth,
                 int32_t* outHeight);

// Makes the 24-bit reduced copy of the part of page for a destination of
// destWidth x destHeight. The part must lie inside the picture; the page must
// hold an 8-bit or 24-bit picture. The copy's page index is the page's.
[[nodiscard]] bool ReducePicture(const PageImage& page,
                                 const PicturePart& part,
                                 int32_t destWidth,
                                 int32_t destHeight,
                                 PageImage* copy);
