// TIFF header and first image file directory: the tag values the decoder uses,
// read in the file's byte order, with the strip tables as 32-bit arrays.
//
// TiffReadDirectory fills a TiffDirectory from the whole input; the record owns
// its two strip arrays (virtual-memory blocks) and frees them when it goes out of
// scope. On a fault the status says which (kTiffBadData, kDecodeBadHeader,
// kDecodeNoMemory) and the record holds what was read so far.
#pragma once

#include <cstdint>

#include "decode/decoded_image.h"
#include "decode/tiff.h"
#include "platform/vm.h"

struct TiffDirectory {
    bool bigEndian = false;
    uint32_t width = 0;  // 0 until the tag is read
    uint32_t length = 0;
    uint32_t bitsPerSample = 1;
    uint32_t bitsPerSampleCount = 0;  // the tag's count; 0 when absent
    uint32_t compression = 1;
    uint32_t photometric = 4;      // refused unless the tag says otherwise
    uint32_t samplesPerPixel = 0;  // 0 when absent
    uint32_t planarConfiguration = 1;
    uint32_t resolutionUnit = 2;
    uint32_t xResolutionOffset = 0;  // file offsets of the values; 0 when absent
    uint32_t yResolutionOffset = 0;
    uint32_t colorMapOffset = 0;
    uint32_t stripCount = 0;  // entries in each strip table
    VmBlock stripOffsets;     // uint32_t[stripCount]
    VmBlock stripByteCounts;  // uint32_t[stripCount]
};

[[nodiscard]] DecodeStatus TiffReadDirectory(const uint8_t* data, uint64_t size, TiffDirectory* dir);

// 16- and 32-bit numbers in the file's byte order.
inline uint32_t TiffRead16(const uint8_t* p, bool bigEndian) {
    return bigEndian ? (uint32_t{p[0]} << 8) | p[1] : uint32_t{p[0]} | (uint32_t{p[1]} << 8);
}
inline uint32_t TiffRead32(const uint8_t* p, bool bigEndian) {
    return bigEndian
               ? (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3]
               : uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
// True when `n` bytes at `offset` lie inside an input of `size` bytes.
inline bool TiffInside(uint64_t size, uint64_t offset, uint64_t n) {
    return offset <= size && n <= size - offset;
}
