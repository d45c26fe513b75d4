// GIF decoder: header and colour tables, the block loop up to the first image,
// then the image data (LZW in gif_lzw.cpp, read from the sub-blocks in place)
// placed on the logical screen. Blocks after the first image are never looked at.
#include "decode/gif.h"

#include <cstring>

#include "decode/entry_steps.h"
#include "decode/gif_lzw.h"
#include "decode/picture_limit.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {

constexpr uint32_t kColorTableBytes = 256 * 3;
constexpr uint8_t kExtensionIntroducer = 0x21;
constexpr uint8_t kImageSeparator = 0x2C;
constexpr uint8_t kTrailer = 0x3B;

// Bounded view of the input; every read checks `n <= size - pos` first.
struct ByteCursor {
    const uint8_t* data;
    uint64_t size;
    uint64_t pos;
};

inline bool Has(const ByteCursor& c, uint64_t n) {
    return n <= c.size - c.pos;
}

inline uint32_t Le16(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8);
}

struct GifDecoder {
    ByteCursor in;
    DecodeStatus status;
    uint32_t screenWidth;
    uint32_t screenHeight;
    uint8_t background;
    int sourceBits;
    AppPtr<uint8_t> globalTable;  // 768 bytes of red, green, blue; zero beyond the file's entries
    AppPtr<uint8_t> localTable;
    bool transparent;
    uint8_t transparentIndex;
    uint32_t left;
    uint32_t top;
    uint32_t width;
    uint32_t height;
    bool interlaced;
};

bool Fail(GifDecoder* d, DecodeStatus code) {
    if (d->status == kDecodeOk) {
        d->status = code;
    }
    return false;
}

// Copies a colour table of 2^((bits & 7) + 1) entries at the cursor into a new
// zero-filled 768-byte buffer.
bool ReadColorTable(GifDecoder* d, uint8_t flags, AppPtr<uint8_t>* table) {
    uint64_t bytes = uint64_t{3} << ((flags & 7) + 1);
    if (!Has(d->in, bytes)) {
        return Fail(d, kGifBadData);
    }
    table->reset(static_cast<uint8_t*>(AppAllocZero(kColorTableBytes)));
    if (table->get() == nullptr) {
        return Fail(d, kDecodeNoMemory);
    }
    std::memcpy(table->get(), d->in.data + d->in.pos, static_cast<size_t>(bytes));
    d->in.pos += bytes;
    int bits = (flags & 7) + 1;
    if (bits > d->sourceBits) {
        d->sourceBits = bits;
    }
    return true;
}

bool ReadHeader(GifDecoder* d) {
    const uint8_t* p = d->in.data;
    if (!Has(d->in, 13) || std::memcmp(p, "GIF", 3) != 0 ||
        (std::memcmp(p + 3, "87a", 3) != 0 && std::memcmp(p + 3, "89a", 3) != 0)) {
        return Fail(d, kGifBadData);
    }
    d->screenWidth = Le16(p + 6);
    d->screenHeight = Le16(p + 8);
    if (d->screenWidth == 0 || d->screenHeight == 0) {
        return Fail(d, kDecodeBadHeader);
    }
    uint8_t flags = p[10];
    d->in.pos = 13;
    if ((flags & 0x80) != 0) {
        d->background = p[11];
        return ReadColorTable(d, flags, &d->globalTable);
    }
    return true;
}

// Skips data sub-blocks up to and including the zero-size terminator.
bool SkipSubBlocks(GifDecoder* d) {
    for (;;) {
        if (!Has(d->in, 1)) {
            return Fail(d, kGifBadData);
        }
        uint8_t n = d->in.data[d->in.pos++];
        if (n == 0) {
            return true;
        }
        if (!Has(d->in, n)) {
            return Fail(d, kGifBadData);
        }
        d->in.pos += n;
    }
}

// Skips a fixed first block (its size byte plus `blockBytes`), then the sub-blocks.
bool SkipFixedBlockAndSubBlocks(GifDecoder* d, uint64_t blockBytes) {
    if (!Has(d->in, 1 + blockBytes)) {
        return Fail(d, kGifBadData);
    }
    d->in.pos += 1 + blockBytes;
    return SkipSubBlocks(d);
}

// Cursor at the introducer.
bool ReadExtension(GifDecoder* d) {
    if (!Has(d->in, 2)) {
        return Fail(d, kGifBadData);
    }
    const uint8_t* p = d->in.data + d->in.pos;
    switch (p[1]) {
        case 0x01:  // plain text: a 12-byte header block
            d->in.pos += 2;
            return SkipFixedBlockAndSubBlocks(d, 12);
        case 0xF9:  // graphic control: 21 F9 04 packed delay delay index 00
            if (!Has(d->in, 8)) {
                return Fail(d, kGifBadData);
            }
            d->transparent = (p[3] & 1) != 0;
            d->transparentIndex = p[6];
            d->in.pos += 8;
            return true;
        case 0xFE:  // comment
            d->in.pos += 2;
            return SkipSubBlocks(d);
        case 0xFF:  // application: an 11-byte identifier block
            d->in.pos += 2;
            return SkipFixedBlockAndSubBlocks(d, 11);
        default:
            return Fail(d, kGifUnknownBlock);
    }
}

// Cursor at the separator.
bool ReadImageDescriptor(GifDecoder* d) {
    d->in.pos++;
    if (!Has(d->in, 9)) {
        return Fail(d, kGifBadData);
    }
    const uint8_t* p = d->in.data + d->in.pos;
    d->left = Le16(p);
    d->top = Le16(p + 2);
    d->width = Le16(p + 4);
    d->height = Le16(p + 6);
    uint8_t packed = p[8];
    d->in.pos += 9;
    if (d->left + d->width > d->screenWidth || d->top + d->height > d->screenHeight) {
        return Fail(d, kGifBadData);
    }
    d->interlaced = (packed & 0x40) != 0;
    if ((packed & 0x80) != 0 && !ReadColorTable(d, packed, &d->localTable)) {
        return false;
    }
    if (d->localTable.get() == nullptr && d->globalTable.get() == nullptr) {
        return Fail(d, kGifBadData);
    }
    return true;
}

// Reads blocks until the first image descriptor has been read (true) or a fault.
bool FindFirstImage(GifDecoder* d) {
    for (;;) {
        if (!Has(d->in, 1)) {
            return Fail(d, kGifBadData);
        }
        uint8_t introducer = d->in.data[d->in.pos];
        if (introducer == kImageSeparator) {
            return ReadImageDescriptor(d);
        }
        if (introducer == kTrailer) {
            return Fail(d, kGifBadData);
        }
        if (introducer != kExtensionIntroducer) {
            return Fail(d, kGifUnknownBlock);
        }
        if (!ReadExtension(d)) {
            return false;
        }
    }
}

// Checks the image's data sub-blocks where they lie and counts their data bytes,
// at most `capacity` (data beyond it is cut). The end of the input where a size
// byte belongs ends the data like a terminator; a sub-block that runs past the
// input is a fault, and so is an image without data.
bool MeasureSubBlocks(GifDecoder* d, uint64_t capacity, uint64_t* dataBytes) {
    uint64_t n = 0;
    while (n < capacity && Has(d->in, 1)) {
        uint8_t blockSize = d->in.data[d->in.pos++];
        if (blockSize == 0) {
            break;
        }
        if (!Has(d->in, blockSize)) {
            return Fail(d, kGifBadData);
        }
        n += blockSize < capacity - n ? blockSize : capacity - n;
        d->in.pos += blockSize;
    }
    if (n == 0) {
        return Fail(d, kGifBadData);
    }
    *dataBytes = n;
    return true;
}

// Image row i (from the top) of an interlaced image is stored after the rows of
// the passes before its own: pass 1 every 8th row from 0, pass 2 every 8th from 4,
// pass 3 every 4th from 2, pass 4 every 2nd from 1.
uint32_t StoredRow(uint32_t i, uint32_t h) {
    uint32_t r1 = (h + 7) >> 3;
    uint32_t r2 = (h + 3) >> 3;
    uint32_t r3 = (h + 1) >> 2;
    switch (i & 7) {
        case 0:
            return i / 8;
        case 4:
            return i / 8 + r1;
        case 2:
        case 6:
            return i / 4 + r1 + r2;
        default:
            return i / 2 + r1 + r2 + r3;
    }
}

// Builds the palette from the table in use, with the transparent index replaced.
void BuildPalette(GifDecoder* d, DecodedImage* image) {
    uint8_t colors[kColorTableBytes];
    const uint8_t* inUse = d->localTable.get() != nullptr ? d->localTable.get() : d->globalTable.get();
    std::memcpy(colors, inUse, kColorTableBytes);
    if (d->transparent) {
        uint8_t* entry = colors + size_t{d->transparentIndex} * 3;
        if (d->globalTable.get() != nullptr) {
            std::memcpy(entry, d->globalTable.get() + size_t{d->background} * 3, 3);
        } else {
            std::memset(entry, 255, 3);
        }
    }
    const uint8_t* c = colors;
    for (int i = 0; i < 256; i++, c += 3) {
        image->palette[i].red = c[0];
        image->palette[i].green = c[1];
        image->palette[i].blue = c[2];
        image->palette[i].reserved = 0;
    }
}

// Places the decoded indices on the screen, rows bottom-up, margins background.
void PlaceImage(const GifDecoder* d, const uint8_t* indices, DecodedImage* image) {
    const uint32_t stride = RowStride(d->screenWidth, 8);
    const uint32_t right = d->screenWidth - d->left - d->width;
    for (uint32_t y = 0; y < d->screenHeight; y++) {
        uint8_t* row = image->pixels + uint64_t{d->screenHeight - 1 - y} * stride;
        if (y < d->top || y >= d->top + d->height) {
            std::memset(row, d->background, d->screenWidth);
            continue;
        }
        uint32_t i = y - d->top;
        uint32_t stored = d->interlaced ? StoredRow(i, d->height) : i;
        std::memset(row, d->background, d->left);
        std::memcpy(row + d->left, indices + uint64_t{stored} * d->width, d->width);
        std::memset(row + d->left + d->width, d->background, right);
    }
}

// Stored row s of an image that fills the screen goes to block row
// height - 1 - (its row from the top); the rows are moved into place along the
// cycles of that permutation, one spare row at a time.
bool ReorderRowsInPlace(GifDecoder* d, uint8_t* pixels) {
    const uint32_t w = d->width;
    const uint32_t h = d->height;
    AppPtr<uint8_t> spare(static_cast<uint8_t*>(AppAlloc(w)));
    AppPtr<uint8_t> done(static_cast<uint8_t*>(AppAllocZero(h)));
    if (spare.get() == nullptr || done.get() == nullptr) {
        return Fail(d, kDecodeNoMemory);
    }
    // The stored row that belongs in a block row.
    auto sourceOf = [&](uint32_t blockRow) {
        uint32_t fromTop = h - 1 - blockRow;
        return d->interlaced ? StoredRow(fromTop, h) : fromTop;
    };
    for (uint32_t start = 0; start < h; start++) {
        if (done.get()[start] != 0) {
            continue;
        }
        done.get()[start] = 1;
        uint32_t src = sourceOf(start);
        if (src == start) {
            continue;
        }
        std::memcpy(spare.get(), pixels + uint64_t{start} * w, w);
        uint32_t cur = start;
        // Each row of a cycle is visited once; the check on `done` only guards
        // against a row order that is not a permutation.
        while (src != start && done.get()[src] == 0) {
            std::memcpy(pixels + uint64_t{cur} * w, pixels + uint64_t{src} * w, w);
            done.get()[src] = 1;
            cur = src;
            src = sourceOf(cur);
        }
        std::memcpy(pixels + uint64_t{cur} * w, spare.get(), w);
    }
    return true;
}

bool DecodeImageData(GifDecoder* d, DecodedImage* image) {
    // An image that fills the screen with rows already 4-byte aligned is decoded
    // straight into the pixel block and its rows put in order there; any other is
    // decoded into an index buffer and placed.
    const bool direct = d->left == 0 && d->top == 0 && d->width == d->screenWidth &&
                        d->height == d->screenHeight && d->width % 4 == 0;
    const uint64_t pixelCount = uint64_t{d->width} * d->height;
    // Both blocks are weighed against the picture limit before either is taken:
    // a few header bytes may declare 4 GiB of indices.
    const uint64_t pictureBytes = uint64_t{RowStride(d->screenWidth, 8)} * d->screenHeight + 4;
    if (!PictureWithinProgramLimit(pictureBytes) || (!direct && !PictureBlockAllowed(pixelCount + 4))) {
        return Fail(d, kDecodeNoMemory);
    }
    VmBlock indices;
    if (!direct) {
        indices.reset(VmAlloc(static_cast<size_t>(pixelCount + 4)));
        if (indices.get() == nullptr) {
            return Fail(d, kDecodeNoMemory);
        }
    }
    if (!Has(d->in, 1)) {
        return Fail(d, kGifBadData);
    }
    unsigned minCodeSize = d->in.data[d->in.pos++];
    if (minCodeSize < 2 || minCodeSize > 8) {
        return Fail(d, kGifBadData);
    }

    // Room for every valid code stream: a code may carry a single pixel in up to
    // 12 bits, and clear codes add more, so incompressible pictures need about
    // 1.5 bytes a pixel (a quarter more, as once reserved, cut their last rows).
    // The code stream is read from the sub-blocks where they lie, not copied.
    const uint8_t* chain = d->in.data + d->in.pos;
    uint64_t dataBytes = 0;
    if (!MeasureSubBlocks(d, pixelCount * 5 / 2 + 260, &dataBytes)) {
        return false;
    }

    AppPtr<GifLzwEntry> table(AppAllocArrayZero<GifLzwEntry>(kGifLzwTableSize));
    if (table.get() == nullptr) {
        return Fail(d, kDecodeNoMemory);
    }
    DecodeStatus allocStatus = kDecodeOk;
    if (direct && !AllocatePixels(image, d->screenWidth, d->screenHeight, 8, &allocStatus)) {
        return Fail(d, allocStatus);
    }
    uint8_t* out = direct ? image->pixels : indices.get();
    const size_t written = GifLzwDecodeSubBlocks(chain, dataBytes, minCodeSize, out,
                                                 static_cast<size_t>(pixelCount), table.get());
    // Pixels the data stopped short of are colour 0: both blocks come zeroed, so
    // only the spare bytes the string copies may have left are cleared (clearing
    // the whole rest would make every page of a vast empty picture resident).
    if (written < pixelCount) {
        const uint64_t spare = pixelCount - written < 8 ? pixelCount - written : 8;
        std::memset(out + written, 0, static_cast<size_t>(spare));
    }
    table.reset();

    if (direct) {
        if (!ReorderRowsInPlace(d, image->pixels)) {
            VmFree(image->pixels);
            image->pixels = nullptr;
            return false;
        }
    } else {
        if (!AllocatePixels(image, d->screenWidth, d->screenHeight, 8, &allocStatus)) {
            return Fail(d, allocStatus);
        }
        PlaceImage(d, indices.get(), image);
    }
    BuildPalette(d, image);
    return true;
}

DecodeStatus GifBody(MappedInput* input, DecodedImage* image, const void*) {
    return GifDecodeInput(input, image);
}

}  // namespace

DecodeStatus GifDecodeInput(MappedInput* input, DecodedImage* image) {
    GifDecoder d = {};
    d.in = {input->start, static_cast<uint64_t>(input->end - input->start),
            static_cast<uint64_t>(input->cursor - input->start)};
    d.status = kDecodeOk;
    if (ReadHeader(&d) && FindFirstImage(&d) && DecodeImageData(&d, image)) {
        image->sourceFormat = kFormatGif;
        image->sourceBits = d.sourceBits;
    }
    input->cursor = input->start + d.in.pos;
    return d.status;
}

DecodedImage* GifDecodeFile(const char16_t* path) {
    return DecodeFromFile(path, GifBody, nullptr, nullptr);
}

DecodedImage* GifDecodeMemory(const uint8_t* data, size_t size) {
    return DecodeFromMemory(data, size, GifBody, nullptr, nullptr);
}
