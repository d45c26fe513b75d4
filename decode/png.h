// PNG decoding: every standard colour type and bit depth, interlaced or not, into
// a DecodedImage. Greyscale, palette and greyscale-with-alpha pictures become 8-bit
// indexed pixels, truecolour pictures (with or without alpha) 24-bit blue-green-
// red. Transparency is composited at decode time against the background (white,
// or the picture's bKGD colour) through the blend table (blend_table.h), which
// must have been filled before the first call. 16-bit samples keep their high byte.
//
// The zlib stream is inflated one row at a time straight from the input (no copy
// of the compressed data, no full-size intermediate image): peak memory is the
// pixel block plus two raw-row buffers and zlib's window.
//
// The returned record (and its pixel block) belongs to the caller; null when the
// picture is refused. *status (optional) receives kDecodeOk or the first fault:
// 50001, 50002 (decoded_image.h) or one of the codes below.
#pragma once

#include <cstddef>
#include <cstdint>

#include "decode/decoded_image.h"

inline constexpr DecodeStatus kPngBadInput =
    static_cast<DecodeStatus>(50007);  // signature, size, chunk past end
inline constexpr DecodeStatus kPngInflateFailed = static_cast<DecodeStatus>(50009);
inline constexpr DecodeStatus kPngBadCrc = static_cast<DecodeStatus>(50011);  // IHDR, PLTE, IDAT, IEND
inline constexpr DecodeStatus kPngChunkTooLong = static_cast<DecodeStatus>(50012);
inline constexpr DecodeStatus kPngBadHeaderLength = static_cast<DecodeStatus>(50013);
inline constexpr DecodeStatus kPngNoHeader = static_cast<DecodeStatus>(50014);
inline constexpr DecodeStatus kPngBadColourType = static_cast<DecodeStatus>(50016);
inline constexpr DecodeStatus kPngBadBitDepth = static_cast<DecodeStatus>(50017);
inline constexpr DecodeStatus kPngBadCompression = static_cast<DecodeStatus>(50018);
inline constexpr DecodeStatus kPngBadFilterMethod = static_cast<DecodeStatus>(50019);
inline constexpr DecodeStatus kPngBadInterlace = static_cast<DecodeStatus>(50020);
inline constexpr DecodeStatus kPngChunkOrder =
    static_cast<DecodeStatus>(50022);  // IHDR/PLTE repeated, 2nd IDAT run
inline constexpr DecodeStatus kPngNoImageData = static_cast<DecodeStatus>(50023);  // no IDAT, or no PLTE
inline constexpr DecodeStatus kPngBadIdatRun =
    static_cast<DecodeStatus>(50024);  // fault after the first IDAT

[[nodiscard]] DecodedImage* PngDecodeFile(const char16_t* path, DecodeStatus* status = nullptr);
[[nodiscard]] DecodedImage* PngDecodeMemory(const uint8_t* data, size_t size, DecodeStatus* status = nullptr);
