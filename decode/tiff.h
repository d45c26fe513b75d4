// TIFF decoding: the first directory of an uncompressed file (bilevel, 4/8-bit
// grey and palette, 8/16-bit RGB) as 8-bit indexed or 24-bit BGR pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

[[nodiscard]] DecodedImage* TiffDecodeFile(const char16_t* path);
[[nodiscard]] DecodedImage* TiffDecodeMemory(const uint8_t* data, size_t size);
