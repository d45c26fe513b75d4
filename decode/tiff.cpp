// Placeholder: the decoder lands with its own module; until then every picture of
// this format goes to the fallback.
#include "decode/tiff.h"

DecodedImage* TiffDecodeFile(const char16_t*) {
    return nullptr;
}

DecodedImage* TiffDecodeMemory(const uint8_t*, size_t) {
    return nullptr;
}
