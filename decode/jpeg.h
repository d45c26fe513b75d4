// JPEG decoding through libjpeg-turbo: 8-bit grey or 24-bit BGR output, CMYK and
// YCCK converted, JFIF density as resolution, and the EXIF orientation (1, 3, 6 or
// 8) reported through *orientation (left unchanged when the file has none).
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

[[nodiscard]] DecodedImage* JpegDecodeFile(const char16_t* path, int32_t* orientation);
[[nodiscard]] DecodedImage* JpegDecodeMemory(const uint8_t* data, size_t size, int32_t* orientation);
