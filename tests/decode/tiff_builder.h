// Test fixtures for the TIFF decoder: a builder of one-directory (or two-page)
// uncompressed files in either byte order.
//
// BuildTiff writes the 8-byte header, the strip data (in table order, or
// reversed in the file while the table keeps image order), the values that do
// not fit in an entry, and the directory last. `extra` entries replace the
// builder's own entry of the same tag; `drop` removes tags.
#pragma once

#include <cstdint>
#include <vector>

constexpr uint16_t kShort = 3;
constexpr uint16_t kLong = 4;
constexpr uint16_t kRational = 5;

struct TiffEntrySpec {
    uint16_t tag;
    uint16_t type;
    uint32_t count;
    std::vector<uint8_t> value;  // in the file's byte order; more than 4 bytes go behind an offset
    bool rawOffset = false;      // value holds the 4-byte field as is (an offset of the test's choice)
};

struct TiffSpec {
    bool bigEndian = false;
    uint32_t width = 0;
    uint32_t length = 0;
    uint16_t photometric = 1;
    uint16_t bits = 8;
    int bitsCount = 1;               // 1 or 3 values; 0 leaves the tag out
    int samplesPerPixel = 0;         // 0 leaves the tag out
    std::vector<uint16_t> colorMap;  // all reds, all greens, all blues
    std::vector<uint8_t> data;       // the source rows as stored
    uint32_t rowsPerStrip = 0;       // 0: one strip
    uint16_t stripType = kLong;
    bool reverseStrips = false;
    bool resolution = false;
    uint32_t xNum = 0, xDen = 1, yNum = 0, yDen = 1;
    uint16_t unit = 0;  // 0 leaves the tag out
    std::vector<TiffEntrySpec> extra;
    std::vector<uint16_t> drop;
    bool secondPage = false;  // a second directory whose image is all 0xFF bytes
};

std::vector<uint8_t> BuildTiff(const TiffSpec& recipe);

// Values in a byte order, for entries and 16-bit sample data.
std::vector<uint8_t> Bytes16(const std::vector<uint16_t>& values, bool bigEndian);
std::vector<uint8_t> Bytes32(const std::vector<uint32_t>& values, bool bigEndian);
TiffEntrySpec ShortEntry(uint16_t tag, const std::vector<uint16_t>& values, bool bigEndian);
TiffEntrySpec LongEntry(uint16_t tag, const std::vector<uint32_t>& values, bool bigEndian);
