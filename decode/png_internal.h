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
// row of the same pass (zeros for the first). Both rows must have
// kPngRowSlack readable bytes after their end (vector routines load whole
// pixels a word at a time; they never store past the end).
using PngUnfilter = void (*)(uint8_t* row, const uint8_t* prev, size_t rowBytes);

// Undoes one filter in place as PngUnfilter does and writes the row's pixels
// to out as 8-bit blue-green-red, packed (3 bytes per pixel, 8-bit RGB rows).
using PngUnfilterBgr = void (*)(uint8_t* row, const uint8_t* prev, size_t rowBytes, uint8_t* out);

struct PngRowOps {
    PngUnfilter unfilter[5];  // None, Sub, Up, Average, Paeth
    PngStoreRow store;
    // Fused unfilter and store, where a level has one (else null); used for
    // 8-bit RGB without a colour key, whose store is a plain channel swap.
    PngUnfilterBgr unfilterBgr[5];
};

inline constexpr size_t kPngRowSlack = 16;

// Instruction-set levels of the unfilter routines, lowest first.
enum class PngSimdLevel { kScalar, kSse2, kSsse3, kSse41 };

// Picks the unfilter routines for a filter distance of bpp bytes (1 to 8), at
// the best level this processor runs (found once).
void ChoosePngUnfilters(uint32_t bpp, PngRowOps* ops);
// The same at a given level, which the caller knows the processor to run.
void ChoosePngUnfiltersAt(PngSimdLevel level, uint32_t bpp, PngRowOps* ops);
// The level ChoosePngUnfilters uses, and its name ("scalar", "sse2", ...).
PngSimdLevel PngBestSimdLevel();
const char* PngSimdLevelName(PngSimdLevel level);
// Per level (png_filter.cpp, png_unfilter_*.cpp).
void SetScalarPngUnfilters(uint32_t bpp, PngRowOps* ops);
void SetPngUnfiltersSse2(uint32_t bpp, PngRowOps* ops);
void SetPngUnfiltersSsse3(uint32_t bpp, PngRowOps* ops);
void SetPngUnfiltersSse41(uint32_t bpp, PngRowOps* ops);
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

// An Adam7 pass, or the whole picture: first column and row, and their steps.
struct PngPass {
    uint32_t x0, y0, dx, dy;
};
inline constexpr PngPass kAdam7[7] = {
    {0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2},
};
inline constexpr PngPass kWhole = {0, 0, 1, 1};

inline uint32_t PassExtent(uint32_t size, uint32_t start, uint32_t step) {
    return size > start ? (size - start + step - 1) / step : 0;
}

// Packed bytes of a row of width pixels (filter byte excluded).
inline uint64_t RowBytes(const PngImageLayout& l, uint64_t width) {
    if (l.depth < 8) {
        return (width * l.depth + 7) >> 3;
    }
    return width * l.filterBpp;
}

// Inflates the run row by row into image->pixels (allocated, zeroed) and
// composites as the rules say. Returns kDecodeOk, kDecodeNoMemory or
// kPngInflateFailed. A stream that ends early leaves the rows it did not reach as
// a zero pixel composites to.
DecodeStatus DecodePngImageDataStreaming(const PngImageLayout& layout,
                                         const PngPixelRules& rules,
                                         const PngIdatRun& run,
                                         DecodedImage* image);
// The same result from one whole-buffer inflate of the run into a raw buffer of
// every filtered row (png_inflate.cpp), unfiltered and stored from there; it
// hands the streams it cannot take whole to DecodePngImageDataStreaming.
DecodeStatus DecodePngImageData(const PngImageLayout& layout,
                                const PngPixelRules& rules,
                                const PngIdatRun& run,
                                DecodedImage* image);
