// Layout read: file header (14 bytes; the pixel-array offset at 10), information
// header at 14 (its first 40 bytes), bit-field masks at 54 (the first fields after
// the 40-byte part, also inside the larger V4 and V5 headers), colour table right
// after the information header (at 14 + its size field), pixel rows bottom-up from
// the pixel-array offset, each padded to 4 bytes.
//
// Every offset and size from the file is taken in 64-bit arithmetic and checked
// against the input length before any byte is read; rows the input does not hold
// stay zero.
#include "decode/bmp.h"

#include <cstring>

#include "decode/entry_steps.h"

namespace {

constexpr uint64_t kFileHeaderSize = 14;
constexpr uint64_t kInfoHeaderSize = 40;
constexpr uint64_t kHeadersEnd = kFileHeaderSize + kInfoHeaderSize;  // 54: masks start here
constexpr uint32_t kCompressionRgb = 0;
constexpr uint32_t kCompressionBitFields = 3;

struct BmpHeader {
    uint64_t pixelOffset;
    uint64_t tableOffset;
    int32_t width;
    int32_t height;
    uint32_t bitCount;
    uint32_t compression;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
};

struct BmpInput {
    const uint8_t* data;
    uint64_t size;
};

// Bytes of the input from offset on, at most want.
uint64_t Available(const BmpInput& in, uint64_t offset, uint64_t want) {
    if (offset >= in.size) {
        return 0;
    }
    uint64_t left = in.size - offset;
    return left < want ? left : want;
}

int32_t NonNegative(int32_t v) {
    return v < 0 ? 0 : v;
}

void FillRecordHeader(DecodedImage* image, const BmpHeader& h) {
    image->header.xPelsPerMeter = NonNegative(h.xPelsPerMeter);
    image->header.yPelsPerMeter = NonNegative(h.yPelsPerMeter);
}

// Copies up to maxEntries table entries (as stored, reserved byte included); the
// entries the file's table does not hold stay zero.
void CopyPalette(DecodedImage* image,
                 const BmpInput& in,
                 const BmpHeader& h,
                 uint64_t tableBytes,
                 uint64_t maxEntries) {
    uint64_t bytes = tableBytes < maxEntries * 4 ? tableBytes : maxEntries * 4;
    bytes = Available(in, h.tableOffset, bytes);
    std::memcpy(image->palette, in.data + h.tableOffset, static_cast<size_t>(bytes));
}

// 1- and 4-bit rows expanded to one index per byte.
DecodeStatus DecodePacked(const BmpInput& in, const BmpHeader& h, uint64_t tableBytes, DecodedImage* image) {
    const uint64_t width = static_cast<uint64_t>(h.width);
    const uint64_t height = static_cast<uint64_t>(h.height);
    const uint32_t bits = h.bitCount;
    const uint64_t rowBytes = bits == 1 ? (width + 7) >> 3 : (width + 1) >> 1;
    const uint64_t srcStride = (rowBytes + 3) & ~uint64_t{3};
    if (h.tableOffset + tableBytes + srcStride * height > in.size) {
        return kDecodeShortInput;
    }
    DecodeStatus status = kDecodeOk;
    if (!AllocatePixels(image, h.width, h.height, 8, &status)) {
        return status;
    }
    CopyPalette(image, in, h, tableBytes, bits == 1 ? 2 : 16);
    const uint32_t stride = RowStride(h.width, 8);
    const uint64_t pixelsPerByte = 8 / bits;
    for (uint64_t r = 0; r < height; ++r) {
        const uint64_t rowStart = h.pixelOffset + r * srcStride;
        const uint64_t have = Available(in, rowStart, rowBytes);
        if (have == 0) {
            break;  // the pixel offset pushed the rest of the rows past the end
        }
        const uint8_t* src = in.data + rowStart;
        uint8_t* out = image->pixels + r * stride;
        uint64_t count = have * pixelsPerByte < width ? have * pixelsPerByte : width;
        if (bits == 1) {
            for (uint64_t x = 0; x < count; ++x) {
                out[x] = static_cast<uint8_t>((src[x >> 3] >> (7 - (x & 7))) & 1);
            }
        } else {
            for (uint64_t x = 0; x < count; ++x) {
                out[x] = static_cast<uint8_t>((x & 1) == 0 ? src[x >> 1] >> 4 : src[x >> 1] & 0x0F);
            }
        }
    }
    return kDecodeOk;
}

// 8- and 24-bit rows have the output layout already: one copy of what is there.
DecodeStatus DecodeCopied(const BmpInput& in, const BmpHeader& h, uint64_t tableBytes, DecodedImage* image) {
    const int outBits = h.bitCount == 8 ? 8 : 24;
    const uint64_t stride = RowStride(h.width, outBits);
    const uint64_t imageSize = stride * static_cast<uint64_t>(h.height);
    if (stride == 0 || imageSize > UINT32_MAX) {
        return kDecodeBadHeader;
    }
    const uint64_t tableStart = outBits == 8 ? h.tableOffset : kHeadersEnd;
    if (tableStart + tableBytes + imageSize > in.size) {
        return kDecodeShortInput;
    }
    DecodeStatus status = kDecodeOk;
    if (!AllocatePixels(image, h.width, h.height, outBits, &status)) {
        return status;
    }
    if (outBits == 8) {
        CopyPalette(image, in, h, tableBytes, 256);
    }
    uint64_t bytes = Available(in, h.pixelOffset, imageSize);
    std::memcpy(image->pixels, in.data + h.pixelOffset, static_cast<size_t>(bytes));
    return kDecodeOk;
}

// Bit length: position of the highest set bit plus one; 1 for 0 and 1.
uint32_t BitLength(uint64_t v) {
    uint32_t n = 1;
    while (v > 1) {
        v >>= 1;
        ++n;
    }
    return n;
}

uint64_t ShiftRight(uint64_t v, uint32_t shift) {
    return shift >= 64 ? 0 : v >> shift;
}

// One channel of a bit-field pixel: (v & mask) >> shift scaled from 0..2^bits-1 to
// 0..255. The mask never holds bits above shift + bits, so the result is <= 255.
struct Channel {
    uint32_t mask;
    uint32_t shift;
    uint64_t maxValue;  // 2^bits - 1
    uint8_t lut[256];   // the scaled value when maxValue < 256
    bool useLut;
};

void SetChannel(Channel* c, uint32_t mask, uint32_t shift) {
    c->mask = mask;
    c->shift = shift;
    uint32_t bits = BitLength(ShiftRight(mask, shift));
    c->maxValue = bits >= 64 ? UINT64_MAX : (uint64_t{1} << bits) - 1;
    c->useLut = c->maxValue < 256;
    if (c->useLut) {
        for (uint64_t v = 0; v <= c->maxValue; ++v) {
            c->lut[v] = static_cast<uint8_t>(v * 255 / c->maxValue);
        }
    }
}

inline uint8_t Scale(const Channel& c, uint32_t v) {
    uint64_t x = ShiftRight(v & c.mask, c.shift);
    return c.useLut ? c.lut[x] : static_cast<uint8_t>(x * 255 / c.maxValue);
}

// 16- and 32-bit rows converted through their masks to blue-green-red.
DecodeStatus DecodeBitFields(const BmpInput& in, const BmpHeader& h, DecodedImage* image) {
    const bool wide = h.bitCount == 32;
    uint32_t red = wide ? 0xFF0000u : 0x7C00u;
    uint32_t green = wide ? 0x00FF00u : 0x03E0u;
    uint32_t blue = wide ? 0x0000FFu : 0x001Fu;
    if (h.compression == kCompressionBitFields) {
        if (in.size < kHeadersEnd + 12) {
            return kDecodeShortInput;
        }
        red = ReadLe32(in.data + kHeadersEnd);
        green = ReadLe32(in.data + kHeadersEnd + 4);
        blue = ReadLe32(in.data + kHeadersEnd + 8);
    }
    // Blue is taken to sit in the low bits, green above it and red above green.
    const uint32_t nb = BitLength(blue);
    const uint32_t ng = BitLength(ShiftRight(green, nb));
    Channel cb, cg, cr;
    SetChannel(&cb, blue, 0);
    SetChannel(&cg, green, nb);
    SetChannel(&cr, red, nb + ng);

    DecodeStatus status = kDecodeOk;
    if (!AllocatePixels(image, h.width, h.height, 24, &status)) {
        return status;
    }
    const uint64_t width = static_cast<uint64_t>(h.width);
    const uint64_t bytesPerPixel = wide ? 4 : 2;
    const uint64_t srcStride = wide ? width * 4 : ((width + 1) & ~uint64_t{1}) * 2;
    const uint32_t stride = RowStride(h.width, 24);
    const bool plain32 = wide && red == 0xFF0000u && green == 0x00FF00u && blue == 0x0000FFu;
    for (uint64_t r = 0; r < static_cast<uint64_t>(h.height); ++r) {
        const uint64_t rowStart = h.pixelOffset + r * srcStride;
        const uint64_t have = Available(in, rowStart, srcStride);
        const uint64_t count = have / bytesPerPixel < width ? have / bytesPerPixel : width;
        if (count == 0) {
            break;
        }
        const uint8_t* src = in.data + rowStart;
        uint8_t* out = image->pixels + r * stride;
        if (plain32) {
            for (uint64_t x = 0; x < count; ++x, src += 4, out += 3) {
                out[0] = src[0];
                out[1] = src[1];
                out[2] = src[2];
            }
        } else {
            for (uint64_t x = 0; x < count; ++x, src += bytesPerPixel, out += 3) {
                uint32_t v = wide ? ReadLe32(src) : ReadLe16(src);
                out[0] = Scale(cb, v);
                out[1] = Scale(cg, v);
                out[2] = Scale(cr, v);
            }
        }
    }
    return kDecodeOk;
}

DecodeStatus DecodeBmp(MappedInput* input, DecodedImage* image, const void*) {
    BmpInput in{input->start, static_cast<uint64_t>(input->end - input->start)};
    if (in.size < kHeadersEnd) {
        return kDecodeShortInput;
    }
    const uint8_t* p = in.data;
    BmpHeader h{};
    h.pixelOffset = ReadLe32(p + 10);
    if (h.pixelOffset > in.size) {
        return kDecodeShortInput;
    }
    // The colour table follows the information header, however long the header is
    // (108 and 124 bytes for the V4 and V5 kinds); a size field below 40 is taken
    // as 40, the part every kind shares.
    const uint64_t infoSize = ReadLe32(p + 14);
    h.tableOffset = kFileHeaderSize + (infoSize > kInfoHeaderSize ? infoSize : kInfoHeaderSize);
    h.width = static_cast<int32_t>(ReadLe32(p + 18));
    h.height = static_cast<int32_t>(ReadLe32(p + 22));
    h.bitCount = ReadLe16(p + 28);
    h.compression = ReadLe32(p + 30);
    h.xPelsPerMeter = static_cast<int32_t>(ReadLe32(p + 38));
    h.yPelsPerMeter = static_cast<int32_t>(ReadLe32(p + 42));
    h.clrUsed = ReadLe32(p + 46);
    if (h.width < 1 || h.height < 1) {
        return kDecodeBadHeader;
    }
    image->sourceBits = static_cast<int32_t>(h.bitCount);

    DecodeStatus status;
    const uint64_t declaredTable = uint64_t{h.clrUsed} * 4;
    switch (h.bitCount) {
        case 1:
        case 4:
        case 8: {
            if (h.compression != kCompressionRgb) {
                return kDecodeBadHeader;
            }
            uint64_t tableBytes = h.clrUsed != 0 ? declaredTable : (uint64_t{4} << h.bitCount);
            status = h.bitCount == 8 ? DecodeCopied(in, h, tableBytes, image)
                                     : DecodePacked(in, h, tableBytes, image);
            break;
        }
        case 24:
            if (h.compression != kCompressionRgb) {
                return kDecodeBadHeader;
            }
            status = DecodeCopied(in, h, 0, image);
            break;
        case 16:
        case 32:
            if (h.compression != kCompressionRgb && h.compression != kCompressionBitFields) {
                return kDecodeBadHeader;
            }
            status = DecodeBitFields(in, h, image);
            break;
        default:
            return kDecodeBadHeader;
    }
    if (status != kDecodeOk) {
        return status;
    }
    FillRecordHeader(image, h);
    image->sourceFormat = kFormatBmp;
    return kDecodeOk;
}

}  // namespace

DecodedImage* BmpDecodeFile(const char16_t* path, DecodeStatus* status) {
    return DecodeFromFile(path, DecodeBmp, nullptr, status);
}

DecodedImage* BmpDecodeMemory(const uint8_t* data, size_t size, DecodeStatus* status) {
    return DecodeFromMemory(data, size, DecodeBmp, nullptr, status);
}
