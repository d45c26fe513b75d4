// The common entry steps of the built-in decoders: allocate the record, open the
// input (mapped file or caller's block), run the decoder over the byte range, and
// on any fault release the record with its pixel block. A decoder body only
// fills the record and returns its status; it never frees the record itself.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

using DecodeBody = DecodeStatus (*)(MappedInput* input, DecodedImage* image, const void* options);

inline DecodedImage* FinishDecode(DecodedImage* image, DecodeStatus result, DecodeStatus* status) {
    if (status != nullptr) {
        *status = result;
    }
    if (result != kDecodeOk) {
        FreeDecodedImage(image);
        return nullptr;
    }
    return image;
}

inline DecodedImage* DecodeFromFile(const char16_t* path,
                                    DecodeBody body,
                                    const void* options,
                                    DecodeStatus* status) {
    DecodedImage* image = NewDecodedImage();
    if (image == nullptr) {
        return FinishDecode(nullptr, kDecodeNoMemory, status);
    }
    MappedInput input;
    if (!OpenMappedInputFile(&input, path, image)) {
        return FinishDecode(image, kDecodeShortInput, status);
    }
    return FinishDecode(image, body(&input, image, options), status);
}

inline DecodedImage* DecodeFromMemory(const uint8_t* data,
                                      size_t size,
                                      DecodeBody body,
                                      const void* options,
                                      DecodeStatus* status) {
    DecodedImage* image = NewDecodedImage();
    if (image == nullptr) {
        return FinishDecode(nullptr, kDecodeNoMemory, status);
    }
    // The size rule of the file form: below 4 GiB (the source size is 32-bit).
    if ((data == nullptr && size != 0) || static_cast<uint64_t>(size) > UINT32_MAX) {
        return FinishDecode(image, kDecodeShortInput, status);
    }
    MappedInput input;
    OpenMappedInputMemory(&input, data, size, image);
    return FinishDecode(image, body(&input, image, options), status);
}

// Little-endian and big-endian fields; the caller has checked the bytes exist.
inline uint32_t ReadLe16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8;
}
inline uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint32_t ReadBe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | static_cast<uint32_t>(p[3]);
}
