// The size a picture will have once decoded and turned upright, read from its
// header alone: nothing is decoded and no pixel block is allocated, so a page's
// shape can be learnt on the user-interface thread at the cost of a few header
// bytes, however large the picture is.
//
// Formats are told by content as the decoders tell them (SniffImageMemory): BMP,
// PNG, GIF, JPEG (with its EXIF orientation, which turns 6 and 8 swap the sides)
// and TIFF. Anything else, or a header that cannot be read, gives false: the
// caller then learns the shape by decoding, as without a probe. The sizes are the
// decoders' own (a GIF's logical screen, a JPEG's frame), so a probe and a decode
// of the same bytes never disagree on which side is longer.
//
// Both functions only read the range they are given, hold no state and may run
// on any thread.
#pragma once

#include <cstddef>
#include <cstdint>

struct PictureProbe {
    uint32_t width = 0;  // after turning upright
    uint32_t height = 0;
};

[[nodiscard]] bool ProbeImageMemory(const uint8_t* data, size_t size, PictureProbe* out);
// Maps the file and probes it; false when it cannot be opened or mapped.
[[nodiscard]] bool ProbeImageFile(const char16_t* path, PictureProbe* out);
