// Byte builders for decoder tests: BMP files field by field, PNG files chunk by
// chunk (zlib from the test side, CRCs computed here, any of them breakable).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

void PutLe16(Bytes* b, uint32_t v);
void PutLe32(Bytes* b, uint32_t v);
void PutBe16(Bytes* b, uint32_t v);
void PutBe32(Bytes* b, uint32_t v);

struct BmpRecipe {
    int32_t width = 1;
    int32_t height = 1;
    uint16_t bitCount = 24;
    uint32_t compression = 0;
    uint32_t infoSize = 40;  // 40, 108 or 124; V4/V5 headers carry the masks inside
    uint32_t clrUsed = 0;
    Bytes table;                  // colour table bytes as stored (4 per entry)
    std::vector<uint32_t> masks;  // red, green, blue when compression is 3
    Bytes pixels;                 // pixel array as stored (rows padded by the caller)
    int64_t pixelOffset = -1;     // -1: right after the table (or masks)
    size_t gapBeforePixels = 0;
    int32_t xPelsPerMeter = 0;
    int32_t yPelsPerMeter = 0;
};
Bytes MakeBmp(const BmpRecipe& recipe);

// A PNG assembled chunk by chunk. The signature is written first.
class PngBuilder {
  public:
    PngBuilder();
    PngBuilder& Chunk(const std::string& type, const Bytes& data, bool breakCrc = false);
    PngBuilder& Ihdr(uint32_t width,
                     uint32_t height,
                     uint32_t depth,
                     uint32_t colourType,
                     uint32_t interlace = 0);
    // The zlib data split over `pieces` IDAT chunks (as even as possible).
    PngBuilder& Idat(const Bytes& zdata, size_t pieces = 1);
    PngBuilder& Iend();
    Bytes& bytes() { return bytes_; }

  private:
    Bytes bytes_;
};

Bytes Zlib(const Bytes& raw);
// Raw (uncompressed) image data of a non-interlaced picture: each packed row
// behind a filter byte (None unless given).
Bytes RawRows(const std::vector<Bytes>& rows, uint8_t filter = 0);
// A complete non-interlaced PNG of the given packed rows.
Bytes MakePng(uint32_t width,
              uint32_t depth,
              uint32_t colourType,
              const std::vector<Bytes>& rows,
              const std::vector<std::pair<std::string, Bytes>>& beforeIdat = {});

// Row r of a decoded picture counted from the top (the block is bottom-up).
const uint8_t* TopRow(const struct DecodedImage& image, int32_t r);
