// BMP decoding: uncompressed Windows bitmaps of 1, 4, 8, 16, 24 and 32 bits (16 and
// 32 also with bit-field masks) into a DecodedImage: 1-, 4- and 8-bit files as
// 8-bit indexed pixels, the others as 24-bit blue-green-red. Bottom-up files only.
//
// The returned record (and its pixel block) belongs to the caller; null when the
// file is refused. *status (optional) receives kDecodeOk or the first fault:
// 50001 out of memory, 50002 unsupported or invalid header value, 50004 input
// shorter than the headers, colour table or pixel array need.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

[[nodiscard]] DecodedImage* BmpDecodeFile(const char16_t* path, DecodeStatus* status = nullptr);
[[nodiscard]] DecodedImage* BmpDecodeMemory(const uint8_t* data, size_t size, DecodeStatus* status = nullptr);
