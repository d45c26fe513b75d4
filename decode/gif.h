// GIF decoding: the first image on the logical screen as 8-bit indexed pixels.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

[[nodiscard]] DecodedImage* GifDecodeFile(const char16_t* path);
[[nodiscard]] DecodedImage* GifDecodeMemory(const uint8_t* data, size_t size);
