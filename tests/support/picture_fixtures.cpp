#include "tests/support/picture_fixtures.h"

#include <zlib.h>

#include "decode/decoded_image.h"

void PutLe16(Bytes* b, uint32_t v) {
    b->push_back(static_cast<uint8_t>(v));
    b->push_back(static_cast<uint8_t>(v >> 8));
}

void PutLe32(Bytes* b, uint32_t v) {
    PutLe16(b, v);
    PutLe16(b, v >> 16);
}

void PutBe16(Bytes* b, uint32_t v) {
    b->push_back(static_cast<uint8_t>(v >> 8));
    b->push_back(static_cast<uint8_t>(v));
}

void PutBe32(Bytes* b, uint32_t v) {
    PutBe16(b, v >> 16);
    PutBe16(b, v);
}

Bytes MakeBmp(const BmpRecipe& s) {
    const bool masksAfterHeader = s.compression == 3 && s.infoSize == 40;
    const size_t headerEnd = 14 + s.infoSize + (masksAfterHeader ? 12 : 0);
    const size_t natural = headerEnd + s.table.size() + s.gapBeforePixels;
    const uint32_t offset =
        s.pixelOffset >= 0 ? static_cast<uint32_t>(s.pixelOffset) : static_cast<uint32_t>(natural);
    Bytes b;
    b.push_back('B');
    b.push_back('M');
    PutLe32(&b, static_cast<uint32_t>(natural + s.pixels.size()));
    PutLe32(&b, 0);
    PutLe32(&b, offset);
    PutLe32(&b, s.infoSize);
    PutLe32(&b, static_cast<uint32_t>(s.width));
    PutLe32(&b, static_cast<uint32_t>(s.height));
    PutLe16(&b, 1);
    PutLe16(&b, s.bitCount);
    PutLe32(&b, s.compression);
    PutLe32(&b, 0);
    PutLe32(&b, static_cast<uint32_t>(s.xPelsPerMeter));
    PutLe32(&b, static_cast<uint32_t>(s.yPelsPerMeter));
    PutLe32(&b, s.clrUsed);
    PutLe32(&b, 0);
    // Masks sit at 54 either way: inside a V4/V5 header or right after a 40-byte one.
    for (uint32_t m : s.masks) {
        PutLe32(&b, m);
    }
    b.resize(headerEnd, 0);
    b.insert(b.end(), s.table.begin(), s.table.end());
    b.resize(natural, 0);
    b.insert(b.end(), s.pixels.begin(), s.pixels.end());
    return b;
}

PngBuilder::PngBuilder() : bytes_{0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A} {}

PngBuilder& PngBuilder::Chunk(const std::string& type, const Bytes& data, bool breakCrc) {
    PutBe32(&bytes_, static_cast<uint32_t>(data.size()));
    size_t typeAt = bytes_.size();
    bytes_.insert(bytes_.end(), type.begin(), type.end());
    bytes_.insert(bytes_.end(), data.begin(), data.end());
    uLong crc = crc32(0, bytes_.data() + typeAt, static_cast<uInt>(bytes_.size() - typeAt));
    PutBe32(&bytes_, static_cast<uint32_t>(crc ^ (breakCrc ? 1u : 0u)));
    return *this;
}

PngBuilder& PngBuilder::Ihdr(uint32_t width,
                             uint32_t height,
                             uint32_t depth,
                             uint32_t colourType,
                             uint32_t interlace) {
    Bytes d;
    PutBe32(&d, width);
    PutBe32(&d, height);
    d.push_back(static_cast<uint8_t>(depth));
    d.push_back(static_cast<uint8_t>(colourType));
    d.push_back(0);
    d.push_back(0);
    d.push_back(static_cast<uint8_t>(interlace));
    return Chunk("IHDR", d);
}

PngBuilder& PngBuilder::Idat(const Bytes& zdata, size_t pieces) {
    size_t at = 0;
    for (size_t i = 0; i < pieces; ++i) {
        size_t end = zdata.size() * (i + 1) / pieces;
        Chunk("IDAT",
              Bytes(zdata.begin() + static_cast<ptrdiff_t>(at), zdata.begin() + static_cast<ptrdiff_t>(end)));
        at = end;
    }
    return *this;
}

PngBuilder& PngBuilder::Iend() {
    return Chunk("IEND", {});
}

Bytes Zlib(const Bytes& raw) {
    uLongf n = compressBound(static_cast<uLong>(raw.size()));
    Bytes out(n);
    compress2(out.data(), &n, raw.data(), static_cast<uLong>(raw.size()), 9);
    out.resize(n);
    return out;
}

Bytes RawRows(const std::vector<Bytes>& rows, uint8_t filter) {
    Bytes raw;
    for (const Bytes& r : rows) {
        raw.push_back(filter);
        raw.insert(raw.end(), r.begin(), r.end());
    }
    return raw;
}

Bytes MakePng(uint32_t width,
              uint32_t depth,
              uint32_t colourType,
              const std::vector<Bytes>& rows,
              const std::vector<std::pair<std::string, Bytes>>& beforeIdat) {
    PngBuilder b;
    b.Ihdr(width, static_cast<uint32_t>(rows.size()), depth, colourType);
    for (const auto& [type, data] : beforeIdat) {
        b.Chunk(type, data);
    }
    b.Idat(Zlib(RawRows(rows))).Iend();
    return b.bytes();
}

const uint8_t* TopRow(const DecodedImage& image, int32_t r) {
    uint32_t stride = RowStride(image.header.width, image.header.bitCount);
    return image.pixels + static_cast<size_t>(image.header.height - 1 - r) * stride;
}
