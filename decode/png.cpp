// PNG chunk walk: signature and IHDR, then every chunk up to IEND with the rules
// for PLTE, tRNS, bKGD, pHYs and the IDAT run (see png.h for the codes). The image
// data itself is decoded by DecodePngImageData (png_rows.cpp) when the IDAT run is
// reached; palette-level compositing (greyscale and palette tRNS) runs at IEND.
#include "decode/png.h"

#include <cstring>

#include "decode/blend_table.h"
#include "decode/deflate_owner.h"
#include "decode/entry_steps.h"
#include "decode/png_internal.h"

namespace {

constexpr uint8_t kSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};
constexpr uint64_t kMinInput = 33;  // signature + IHDR chunk
constexpr uint64_t kMaxChunkLength = 0x7FFFFFFF;

constexpr uint32_t ChunkType(char a, char b, char c, char d) {
    return static_cast<uint32_t>(a) << 24 | static_cast<uint32_t>(b) << 16 | static_cast<uint32_t>(c) << 8 |
           static_cast<uint32_t>(d);
}
constexpr uint32_t kIhdr = ChunkType('I', 'H', 'D', 'R');
constexpr uint32_t kPlte = ChunkType('P', 'L', 'T', 'E');
constexpr uint32_t kTrns = ChunkType('t', 'R', 'N', 'S');
constexpr uint32_t kBkgd = ChunkType('b', 'K', 'G', 'D');
constexpr uint32_t kPhys = ChunkType('p', 'H', 'Y', 's');
constexpr uint32_t kIdat = ChunkType('I', 'D', 'A', 'T');
constexpr uint32_t kIend = ChunkType('I', 'E', 'N', 'D');

// One chunk as found by the walk: its data lies within the input.
struct Chunk {
    uint32_t type;
    const uint8_t* data;
    uint32_t length;
    uint32_t storedCrc;
};

bool CrcMatches(const Chunk& c) {
    // The CRC covers the type field (just before the data) and the data.
    return libdeflate_crc32(0, c.data - 4, size_t{c.length} + 4) == c.storedCrc;
}

uint32_t ReadBe16(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 8 | p[1];
}

struct PngDecoder {
    const uint8_t* data = nullptr;
    uint64_t size = 0;
    uint64_t pos = 0;
    DecodedImage* image = nullptr;
    PngImageLayout layout{};
    PngPixelRules rules{};

    bool sawPlte = false;
    bool sawTrns = false;
    bool sawBkgd = false;
    bool sawIdat = false;
    uint32_t paletteCount = 0;
    // Colour type 0 tRNS: the grey level whose palette entry turns into background.
    uint8_t keyGrey = 0;
    // Colour type 3 tRNS: alpha per palette entry (255 past the chunk's entries).
    uint8_t alphaTable[256] = {};
    bool hasPhys = false;
    uint32_t xPelsPerMeter = 0;
    uint32_t yPelsPerMeter = 0;
};

// Grey step per depth: the factor that spreads a sample over 0..255.
uint32_t GreyStep(uint32_t depth) {
    switch (depth) {
        case 1:
            return 255;
        case 2:
            return 85;
        case 4:
            return 17;
        default:
            return 1;
    }
}

// A 16-bit field of tRNS or bKGD reduced to one byte: the low byte for depths up
// to 8, the high byte for 16.
uint8_t SampleByte(const uint8_t* p, uint32_t depth) {
    return depth == 16 ? p[0] : p[1];
}

DecodeStatus ReadHeader(PngDecoder* d) {
    if (d->size < kMinInput || std::memcmp(d->data, kSignature, sizeof kSignature) != 0) {
        return kPngBadInput;
    }
    const uint8_t* p = d->data + 8;
    if (ReadBe32(p) != 13) {
        return kPngBadHeaderLength;
    }
    if (ReadBe32(p + 4) != kIhdr) {
        return kPngNoHeader;
    }
    Chunk ihdr{kIhdr, p + 8, 13, ReadBe32(p + 21)};
    if (!CrcMatches(ihdr)) {
        return kPngBadCrc;
    }
    const uint8_t* h = ihdr.data;
    uint32_t width = ReadBe32(h);
    uint32_t height = ReadBe32(h + 4);
    if (width == 0 || width > kMaxChunkLength || height == 0 || height > kMaxChunkLength) {
        return kDecodeBadHeader;
    }
    uint32_t depth = h[8];
    uint32_t colourType = h[9];
    if (h[10] != 0) {
        return kPngBadCompression;
    }
    if (h[11] != 0) {
        return kPngBadFilterMethod;
    }
    if (h[12] > 1) {
        return kPngBadInterlace;
    }
    if (depth != 1 && depth != 2 && depth != 4 && depth != 8 && depth != 16) {
        return kPngBadBitDepth;
    }
    uint32_t channels;
    switch (colourType) {
        case kPngTypeGrey:
            channels = 1;
            break;
        case kPngTypePalette:
            if (depth == 16) {
                return kPngBadColourType;
            }
            channels = 1;
            break;
        case kPngTypeRgb:
        case kPngTypeGreyAlpha:
        case kPngTypeRgba:
            if (depth < 8) {
                return kPngBadColourType;
            }
            channels = colourType == kPngTypeRgb ? 3 : colourType == kPngTypeGreyAlpha ? 2 : 4;
            break;
        default:
            return kPngBadColourType;
    }
    PngImageLayout& l = d->layout;
    l.width = width;
    l.height = height;
    l.depth = depth;
    l.colourType = colourType;
    l.interlaced = h[12] == 1;
    l.channels = channels;
    l.filterBpp = depth < 8 ? 1 : channels * depth / 8;
    l.outPixelBytes = colourType == kPngTypeRgb || colourType == kPngTypeRgba ? 3 : 1;
    d->rules.depth = depth;
    d->pos = kMinInput;

    if (colourType == kPngTypeGrey || colourType == kPngTypeGreyAlpha) {
        uint32_t step = GreyStep(depth);
        for (uint32_t i = 0; i * step < 256; ++i) {
            uint8_t v = static_cast<uint8_t>(i * step);
            d->image->palette[i] = RgbQuad{v, v, v, 0};
        }
    }
    DecodeStatus status = kDecodeOk;
    if (!AllocatePixels(d->image, width, height, static_cast<int>(l.outPixelBytes * 8), &status)) {
        return status;
    }
    return kDecodeOk;
}

DecodeStatus OnPalette(PngDecoder* d, const Chunk& c) {
    if (d->layout.colourType != kPngTypePalette) {
        return kDecodeOk;  // a suggested palette for a true-colour picture: unused
    }
    if (d->sawPlte || d->sawIdat) {
        return kPngChunkOrder;
    }
    if (!CrcMatches(c)) {
        return kPngBadCrc;
    }
    uint32_t count = c.length / 3;
    uint32_t cap = 1u << d->layout.depth;
    count = count < cap ? count : cap;
    for (uint32_t i = 0; i < count; ++i) {
        const uint8_t* e = c.data + size_t{i} * 3;
        d->image->palette[i] = RgbQuad{e[2], e[1], e[0], 0};
    }
    d->paletteCount = count;
    d->sawPlte = true;
    return kDecodeOk;
}

void OnTransparency(PngDecoder* d, const Chunk& c) {
    if (d->sawTrns || d->sawIdat || !CrcMatches(c)) {
        return;
    }
    const uint32_t depth = d->layout.depth;
    switch (d->layout.colourType) {
        case kPngTypeGrey:
            if (c.length != 2) {
                return;
            }
            d->keyGrey = SampleByte(c.data, depth);
            break;
        case kPngTypeRgb:
            if (c.length != 6) {
                return;
            }
            d->rules.rgbKey = true;
            d->rules.key[2] = SampleByte(c.data, depth);
            d->rules.key[1] = SampleByte(c.data + 2, depth);
            d->rules.key[0] = SampleByte(c.data + 4, depth);
            break;
        case kPngTypePalette:
            if (!d->sawPlte || c.length > d->paletteCount) {
                return;
            }
            std::memset(d->alphaTable, 255, sizeof d->alphaTable);
            std::memcpy(d->alphaTable, c.data, c.length);
            break;
        default:
            return;  // alpha channels need no key
    }
    d->sawTrns = true;
}

void OnBackground(PngDecoder* d, const Chunk& c) {
    if (d->sawBkgd || d->sawIdat || !CrcMatches(c)) {
        return;
    }
    const uint32_t depth = d->layout.depth;
    uint8_t* bg = d->rules.background;  // blue, green, red
    switch (d->layout.colourType) {
        case kPngTypeGrey:
        case kPngTypeGreyAlpha: {
            if (c.length != 2) {
                return;
            }
            uint32_t grey;
            if (depth < 8) {
                uint32_t v = ReadBe16(c.data);
                if (v >= (1u << depth)) {
                    return;  // not a level this depth can hold
                }
                grey = v * GreyStep(depth);
            } else {
                grey = SampleByte(c.data, depth);
            }
            bg[0] = bg[1] = bg[2] = static_cast<uint8_t>(grey);
            break;
        }
        case kPngTypePalette: {
            if (c.length != 1 || !d->sawPlte) {
                return;
            }
            const RgbQuad& e = d->image->palette[c.data[0]];
            bg[0] = e.blue;
            bg[1] = e.green;
            bg[2] = e.red;
            break;
        }
        default:
            if (c.length != 6) {
                return;
            }
            bg[2] = SampleByte(c.data, depth);
            bg[1] = SampleByte(c.data + 2, depth);
            bg[0] = SampleByte(c.data + 4, depth);
            break;
    }
    d->sawBkgd = true;
}

void OnPhysical(PngDecoder* d, const Chunk& c) {
    if (d->sawIdat || c.length != 9 || !CrcMatches(c) || c.data[8] != 1) {
        return;
    }
    uint32_t x = ReadBe32(c.data);
    uint32_t y = ReadBe32(c.data + 4);
    if (x > kMaxChunkLength || y > kMaxChunkLength) {
        return;
    }
    d->hasPhys = true;
    d->xPelsPerMeter = x;
    d->yPelsPerMeter = y;
}

// The first IDAT and the IDATs that follow it directly form the run; it is checked
// whole before inflating, then decoded, and the walk resumes after it.
DecodeStatus OnImageData(PngDecoder* d, const Chunk& first) {
    if (d->sawIdat) {
        return kPngChunkOrder;
    }
    if (!CrcMatches(first)) {
        return kPngBadCrc;
    }
    const uint8_t* runStart = first.data - 8;
    uint64_t pos = d->pos;  // just after the first IDAT
    uint64_t total = first.length;
    while (d->size - pos >= 8 && ReadBe32(d->data + pos + 4) == kIdat) {
        uint64_t length = ReadBe32(d->data + pos);
        if (length > kMaxChunkLength || length + 12 > d->size - pos) {
            return kPngBadIdatRun;
        }
        Chunk c{kIdat, d->data + pos + 8, static_cast<uint32_t>(length),
                ReadBe32(d->data + pos + 8 + length)};
        total += length;
        if (!CrcMatches(c) || total > UINT32_MAX) {
            return kPngBadIdatRun;
        }
        pos += length + 12;
    }
    d->sawIdat = true;
    d->pos = pos;
    PngIdatRun run{runStart, d->data + pos};
    return DecodePngImageData(d->layout, d->rules, run, d->image);
}

// Greyscale and palette transparency act on the palette once all rows are in.
void CompositePalette(PngDecoder* d) {
    if (!d->sawTrns) {
        return;
    }
    const uint8_t* bg = d->rules.background;
    if (d->layout.colourType == kPngTypeGrey) {
        d->image->palette[d->keyGrey] = RgbQuad{bg[0], bg[1], bg[2], 0};
    } else if (d->layout.colourType == kPngTypePalette) {
        const uint8_t* t = d->rules.blend;
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t a = d->alphaTable[i];
            RgbQuad& e = d->image->palette[i];
            const uint8_t* ta = t + size_t{a} * 256;
            const uint8_t* tb = t + size_t{255 - a} * 256;
            e.blue = static_cast<uint8_t>(ta[e.blue] + tb[bg[0]]);
            e.green = static_cast<uint8_t>(ta[e.green] + tb[bg[1]]);
            e.red = static_cast<uint8_t>(ta[e.red] + tb[bg[2]]);
        }
    }
}

DecodeStatus WalkChunks(PngDecoder* d) {
    for (;;) {
        if (d->size - d->pos < 4) {
            return kPngBadInput;
        }
        const uint8_t* p = d->data + d->pos;
        uint64_t length = ReadBe32(p);
        if (length > kMaxChunkLength) {
            return kPngChunkTooLong;
        }
        if (length + 8 > d->size - d->pos - 4) {
            return kPngBadInput;
        }
        Chunk c{ReadBe32(p + 4), p + 8, static_cast<uint32_t>(length), ReadBe32(p + 8 + length)};
        d->pos += length + 12;
        DecodeStatus status = kDecodeOk;
        switch (c.type) {
            case kIhdr:
                return kPngChunkOrder;
            case kPlte:
                status = OnPalette(d, c);
                break;
            case kTrns:
                OnTransparency(d, c);
                break;
            case kBkgd:
                OnBackground(d, c);
                break;
            case kPhys:
                OnPhysical(d, c);
                break;
            case kIdat:
                status = OnImageData(d, c);
                break;
            case kIend:
                if (!CrcMatches(c)) {
                    return kPngBadCrc;
                }
                if (!d->sawIdat || (d->layout.colourType == kPngTypePalette && !d->sawPlte)) {
                    return kPngNoImageData;
                }
                return kDecodeOk;
            default:
                break;  // ancillary or unknown: skipped unchecked
        }
        if (status != kDecodeOk) {
            return status;
        }
    }
}

DecodeStatus DecodePng(MappedInput* input, DecodedImage* image, const void*) {
    PngDecoder d;
    d.data = input->start;
    d.size = static_cast<uint64_t>(input->end - input->start);
    d.image = image;
    d.rules.blend = BlendTable();
    DecodeStatus status = ReadHeader(&d);
    if (status == kDecodeOk) {
        status = WalkChunks(&d);
    }
    if (status != kDecodeOk) {
        return status;
    }
    CompositePalette(&d);
    if (d.hasPhys) {
        image->header.xPelsPerMeter = static_cast<int32_t>(d.xPelsPerMeter);
        image->header.yPelsPerMeter = static_cast<int32_t>(d.yPelsPerMeter);
    }
    image->sourceFormat = kFormatPng;
    const uint32_t tripled = d.layout.colourType == kPngTypeRgb || d.layout.colourType == kPngTypeRgba;
    image->sourceBits = static_cast<int32_t>(d.layout.depth * (tripled ? 3 : 1));
    return kDecodeOk;
}

}  // namespace

DecodedImage* PngDecodeFile(const char16_t* path, DecodeStatus* status) {
    return DecodeFromFile(path, DecodePng, nullptr, status);
}

DecodedImage* PngDecodeMemory(const uint8_t* data, size_t size, DecodeStatus* status) {
    return DecodeFromMemory(data, size, DecodePng, nullptr, status);
}
