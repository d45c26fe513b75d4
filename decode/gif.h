// GIF decoding: the first image of a GIF87a/GIF89a file, placed on the logical
// screen, as an 8-bit indexed DecodedImage of the screen's size.
//
// GifDecodeFile maps the file, GifDecodeMemory reads the caller's block (which
// stays the caller's). Both return a record the caller owns (FreeDecodedImage or
// DecodedImagePtr), or null on any fault, with nothing left allocated. Blocks
// after the first image are never read. The area of the screen outside the image
// is the background index; a transparent index shows the global table's
// background colour (white without a global table).
//
// GifDecodeInput is the decoding step itself, for callers that want the status:
// it fills `image` (header, palette, pixels, source format and bits) from an open
// input and returns kDecodeOk, or a fault code with image->pixels left null.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

// Bad signature, truncated header, table or block, image outside the screen,
// image without colour table, bad minimum code size, empty image data, or no
// image before the trailer or the end of the input.
constexpr DecodeStatus kGifBadData = static_cast<DecodeStatus>(50007);
// Unknown block introducer or extension label.
constexpr DecodeStatus kGifUnknownBlock = static_cast<DecodeStatus>(50004);

[[nodiscard]] DecodedImage* GifDecodeFile(const char16_t* path);
[[nodiscard]] DecodedImage* GifDecodeMemory(const uint8_t* data, size_t size);

[[nodiscard]] DecodeStatus GifDecodeInput(MappedInput* input, DecodedImage* image);
