// LZW decoding of GIF image data (the variable-length-code LZW that GIF89a
// defines, codes packed least significant bit first).
//
// The caller hands over the image's code stream, either as one buffer
// (GifLzwDecode) or as the chain of data sub-blocks where it lies in the file
// (GifLzwDecodeSubBlocks), with the output (index buffer or pixel block) and a
// table of kGifLzwTableSize entries (AppHeap). Nothing is allocated here.
//
// Decoding never fails: it stops at the end code, when the data runs out, when
// the output is full (a string that does not fit is written as far as it fits),
// or at a code that cannot be decoded (a non-root code right after a clear code).
// Up to seven output bytes past the count returned may have been written with
// spare bytes (strings are copied in 8-byte pieces); the rest keep whatever the
// caller put there. Nothing is written past outSize.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr uint32_t kGifLzwTableSize = 4096;

// One string of the table: where its bytes lie and how many there are, packed
// in one word. Every string that is not a single root byte was written to the
// output earlier as one contiguous run, and its entry points there.
struct GifLzwEntry {
    int64_t place;
};

// Decodes `data` with the minimum code size `minCodeSize` (2 to 8) into at most
// `outSize` bytes of `out` (at most 2^32 - 1 are used); returns the number of
// bytes written. `table` must hold kGifLzwTableSize entries. A minimum code size
// outside 2 to 8 writes nothing.
size_t GifLzwDecode(const uint8_t* data,
                    size_t size,
                    unsigned minCodeSize,
                    uint8_t* out,
                    size_t outSize,
                    GifLzwEntry* table);

// The same over a chain of data sub-blocks: `chain` points at the first size
// byte, and `dataBytes` data bytes are read through it, skipping the size bytes.
// The caller has checked that the chain holds that many data bytes in sub-blocks
// that lie inside its input.
size_t GifLzwDecodeSubBlocks(const uint8_t* chain,
                             uint64_t dataBytes,
                             unsigned minCodeSize,
                             uint8_t* out,
                             size_t outSize,
                             GifLzwEntry* table);
