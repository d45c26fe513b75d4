// JPEG decoding through libjpeg-turbo. Owns nothing beyond one call: each call
// builds its own decompressor over the input bytes (a mapped file or the caller's
// memory block), decodes into a new DecodedImage and destroys the decompressor.
//
// Output: greyscale pictures become 8-bit records with a 256-level grey palette;
// YCbCr and RGB pictures 24-bit blue-green-red; CMYK and YCCK pictures (Adobe's
// inverted ink values) are turned into 24-bit blue-green-red here. Resolution comes
// from the JFIF density (dots per inch or per centimetre) in pixels per metre.
// Rows are bottom-up, each padded to 4 bytes.
//
// On success the record (and its pixel block) pass to the caller, its source
// format is kFormatJpeg, its source bits the output bit count, and *orientation
// (when not null) receives the EXIF orientation 1, 3, 6 or 8 (1 when the file has
// none). On failure nothing is returned, everything taken is released and
// *orientation is left as it was. Library errors, pictures of 4 GiB or more,
// unsupported component counts and inputs of 0 bytes or of 4 GiB and more fail.
// Damaged entropy data or a picture cut short decodes to what the library delivers.
//
// Safe to call from several threads at once: no shared state.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

[[nodiscard]] DecodedImage* JpegDecodeFile(const char16_t* path, int32_t* orientation);
// The block stays the caller's.
[[nodiscard]] DecodedImage* JpegDecodeMemory(const uint8_t* data, size_t size, int32_t* orientation);
