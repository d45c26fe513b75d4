// Shared between the PNG chunk walk (png.cpp) and the image-data decoder
// (png_rows.cpp, png_filter.cpp): the decoder state and the row routines.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

inline constexpr uint32_t kPngTypeGrey = 0;
inline constexpr uint32_t kPngTypeRgb = 2;
inline constexpr uint32_t kPngTypePalette = 3;
inline constexpr uint32_t kPngTypeGreyAlpha = 4;
inline constexpr uint32_t kPngTypeRgba = 6;

// Everything a row store needs to turn unfiltered samples into output pixels,
// compositing included (tRNS and bKGD come before the image data, so they are
// known when the rows are decoded).
struct PngPixelRules {
    uint32_t depth = 0;
    const uint8_t* blend = nullptr;           // blend table, [a][c] at a * 256 + c
    uint8_t background[3] = {255, 255, 255};  // blue, green, red
    bool rgbKey = false;                      // colour type 2 with an accepted tRNS
    uint8_t key[3] = {};                      // its blue, green, red
};

// Writes count pixels of one unfiltered raw row (filter byte excluded) to out, one
// output pixel every outStep bytes.
using PngStoreRow =
    void (*)(const PngPixelRules& rules, const uint8_t* raw, uint32_t count, uint8_t* out, size_t outStep);
// Undoes one filter in place over rowBytes bytes; prev is the previous unfiltered
// row of the same pass (zeros for the first).
using PngUnfilter = void (*)(uint8_t* row, const uint8_t* prev, size_t rowBytes);

struct PngRowOps {
    PngUnfilter unfilter[5];  // None, Sub, Up, Average, Paeth
    PngStoreRow store;
};

// Picks the unfilter routines for a filter distance of bpp bytes (1 to 8).
void ChoosePngUnfilters(uint32_t bpp, PngRowOps* ops);
// Picks the store routine for a colour type and bit depth (a valid combination).
PngStoreRow ChoosePngStore(uint32_t colourType, uint32_t depth, bool rgbKey);

struct PngImageLayout {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
    uint32_t colourType;
    bool interlaced;
    uint32_t channels;
    uint32_t filterBpp;      // bytes per complete pixel for filtering, at least 1
    uint32_t outPixelBytes;  // 1 or 3
};

// Where the IDAT run lies: from the length field of its first chunk to the end of
// the CRC of its last. Every chunk in it has been checked (bounds and CRC).
struct PngIdatRun {
    const uint8_t* start;
    const uint8_t* end;
};

// Inflates the run row by row into image->pixels (allocated, zeroed) and
// composites as the rules say. Returns kDecodeOk, kDecodeNoMemory or
// kPngInflateFailed. A stream that ends early leaves the rows it did not reach as
// a zero pixel composites to.
DecodeStatus DecodePngImageData(const PngImageLayout& layout,
                                const PngPixelRules& rules,
                                const PngIdatRun& run,
                                DecodedImage* image);
