// Fixture builders for the JPEG tests: pictures compressed with the library's own
// compressor, the library's own decode as the reference, and EXIF segments built
// byte by byte.
#pragma once

#include <cstdint>
#include <vector>

// jpeglib.h needs FILE and size_t first.
#include <cstdio>

#include <jpeglib.h>

using Bytes = std::vector<uint8_t>;

struct JpegSpec {
    int width = 16;
    int height = 16;
    // Input samples: JCS_GRAYSCALE, JCS_RGB, JCS_CMYK, or JCS_UNKNOWN with any
    // component count.
    J_COLOR_SPACE inSpace = JCS_RGB;
    int components = 3;
    // Colour space stored in the file (JCS_YCCK, JCS_RGB, ...); JCS_UNKNOWN keeps
    // the library's default for inSpace.
    J_COLOR_SPACE storeAs = JCS_UNKNOWN;
    int quality = 90;
    int hSamp = 2;  // sampling of the first component; the others stay 1x1
    int vSamp = 2;
    bool progressive = false;
    bool arithmetic = false;
    unsigned restartInterval = 0;  // in MCUs; 0 = none
    bool writeJfif = true;
    uint8_t densityUnit = 0;
    uint16_t xDensity = 1;
    uint16_t yDensity = 1;
    // Interleaved samples, top-down, width * height * components; empty = a busy
    // deterministic pattern.
    Bytes pixels;
};

// Compresses the picture; empty on a library error.
Bytes CompressJpeg(const JpegSpec& recipe);
// Only the table segments (no image).
Bytes CompressTablesOnly();
// A busy pattern (gradients, edges and noise) of width * height * components.
Bytes MakePattern(int width, int height, int components, uint32_t seed);

// The library's own decode, configured as an application would: JCS_EXT_BGR for
// colour, grey and CMYK as they come. Rows top-down, tightly packed.
struct ReferenceImage {
    bool ok = false;
    int width = 0;
    int height = 0;
    int components = 0;
    uint8_t densityUnit = 0;
    Bytes pixels;
};
ReferenceImage ReferenceDecode(const Bytes& jpeg);

// One directory entry of an EXIF TIFF structure. A SHORT (type 3) value is stored
// left-justified in the value field; anything else as a 32-bit value.
struct ExifEntry {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    uint32_t value;
};

// TIFF header ("II" or "MM", 42, directory offset) and directory 0 at
// directoryOffset (>= 8; the gap is zero-filled). entryCount overrides the stored
// count when not negative.
Bytes MakeExifTiff(bool bigEndian,
                   const std::vector<ExifEntry>& entries,
                   uint32_t directoryOffset = 8,
                   int entryCount = -1);
// The structure with its directory offset rewritten (the directory stays).
Bytes WithDirectoryOffset(Bytes tiff, uint32_t offset);
// The APP1 segment: FF E1, length, "Exif\0\0", the TIFF structure.
Bytes MakeExifApp1(const Bytes& tiff);
// A marker segment FF marker, length, payload.
Bytes MakeSegment(uint8_t marker, const Bytes& payload);
// The picture with the segment inserted right after its start-of-image marker.
Bytes InsertAfterSoi(const Bytes& jpeg, const Bytes& segment);
// Offset of the first marker FF code (after the SOI), or -1.
long FindMarker(const Bytes& jpeg, uint8_t code);
