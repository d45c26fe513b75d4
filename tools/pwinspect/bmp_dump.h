// Writes a picture record as a BMP file: file header, the 40-byte header as it
// stands, the 256-entry palette for 8-bit pictures, then the pixel block as is.
#pragma once

#include <cstdint>

#include "decode/decoded_image.h"

bool WriteBmpDump(const char16_t* path,
                  const BitmapInfoHeader& header,
                  const RgbQuad* palette,
                  const uint8_t* pixels);
