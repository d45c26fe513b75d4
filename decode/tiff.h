// TIFF decoding: the first directory of an uncompressed, strip-organised file
// (bilevel, 4- and 8-bit grey and palette as 8-bit indexed pixels; 8- and 16-bit
// RGB as 24-bit blue-green-red), in either byte order.
//
// TiffDecodeFile maps the file, TiffDecodeMemory reads the caller's block (which
// stays the caller's). Both return a record the caller owns (FreeDecodedImage or
// DecodedImagePtr), or null on any fault, with nothing left allocated. Compressed,
// tiled, planar-separated, CMYK, YCbCr and extra-sample layouts are refused, so the
// caller can offer them to the fallback.
//
// TiffDecodeInput is the decoding step itself, for callers that want the status:
// it fills `image` from an open input and returns kDecodeOk, or a fault code with
// image->pixels left null. The directory reader lives in tiff_ifd.h.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

// Bad header, a directory or value outside the input, a zero or wrongly typed
// width, length or strip table, missing, unequal or repeated strip tables.
constexpr DecodeStatus kTiffBadData = static_cast<DecodeStatus>(50007);

[[nodiscard]] DecodedImage* TiffDecodeFile(const char16_t* path);
[[nodiscard]] DecodedImage* TiffDecodeMemory(const uint8_t* data, size_t size);

[[nodiscard]] DecodeStatus TiffDecodeInput(MappedInput* input, DecodedImage* image);
