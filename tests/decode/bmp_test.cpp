#include <gtest/gtest.h>

#include <cstring>

#include "decode/bmp.h"
#include "tests/support/picture_fixtures.h"

namespace {

Bytes Palette(std::initializer_list<uint32_t> bgra) {
    Bytes b;
    for (uint32_t v : bgra) {
        PutLe32(&b, v);
    }
    return b;
}

uint32_t Quad(const DecodedImage& image, int i) {
    const RgbQuad& q = image.palette[i];
    return static_cast<uint32_t>(q.blue) | static_cast<uint32_t>(q.green) << 8 |
           static_cast<uint32_t>(q.red) << 16 | static_cast<uint32_t>(q.reserved) << 24;
}

// A w x h 8-bit picture whose pixel at (x, y from the bottom) is x + 16 * y.
BmpRecipe Indexed8(int32_t w, int32_t h) {
    BmpRecipe s;
    s.width = w;
    s.height = h;
    s.bitCount = 8;
    for (uint32_t i = 0; i < 256; ++i) {
        PutLe32(&s.table, i * 0x010101u | 0x80000000u);
    }
    uint32_t stride = (static_cast<uint32_t>(w) + 3) & ~3u;
    s.pixels.assign(size_t{stride} * static_cast<uint32_t>(h), 0);
    for (int32_t y = 0; y < h; ++y) {
        for (int32_t x = 0; x < w; ++x) {
            s.pixels[static_cast<size_t>(y) * stride + static_cast<size_t>(x)] =
                static_cast<uint8_t>(x + 16 * y);
        }
    }
    return s;
}

using Check = void (*)(const DecodedImage& image, const char* name);

struct Case {
    const char* name;
    Bytes (*make)();
    DecodeStatus status;
    Check check;
};

const Case kCases[] = {
    {"1x1 1-bit: stride 4, two colours, zeros after",
     [] {
         BmpRecipe s;
         s.bitCount = 1;
         s.table = Palette({0x00112233, 0x00445566});
         s.pixels = {0x80, 0, 0, 0};
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(im.header.bitCount, 8) << name;
         EXPECT_EQ(im.sourceBits, 1) << name;
         EXPECT_EQ(im.pixels[0], 1) << name;
         EXPECT_EQ(Quad(im, 0), 0x00112233u) << name;
         EXPECT_EQ(Quad(im, 1), 0x00445566u) << name;
         EXPECT_EQ(Quad(im, 2), 0u) << name;
     }},
    {"1-bit with colours used 2 reads two entries only",
     [] {
         BmpRecipe s;
         s.width = 9;
         s.bitCount = 1;
         s.clrUsed = 2;
         s.table = Palette({0x000000FF, 0x0000FF00});
         s.pixels = {0xAA, 0x80, 0xEE, 0xEE};  // pixel bytes right after the table
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         const uint8_t want[9] = {1, 0, 1, 0, 1, 0, 1, 0, 1};
         EXPECT_EQ(std::memcmp(im.pixels, want, 9), 0) << name;
         EXPECT_EQ(Quad(im, 2), 0u) << name;
     }},
    {"4-bit: high nibble first, 16 entries",
     [] {
         BmpRecipe s;
         s.width = 3;
         s.height = 2;
         s.bitCount = 4;
         for (uint32_t i = 0; i < 16; ++i) {
             PutLe32(&s.table, i);
         }
         s.pixels = {0x12, 0x30, 0, 0, 0xFE, 0xD0, 0, 0};
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         const uint8_t want[8] = {1, 2, 3, 0, 15, 14, 13, 0};  // bottom row first, stride 4
         EXPECT_EQ(std::memcmp(im.pixels, want, 8), 0) << name;
         EXPECT_EQ(Quad(im, 15), 15u) << name;
     }},
    {"8-bit: table copied with reserved bytes, rows as stored", [] { return MakeBmp(Indexed8(5, 3)); },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Quad(im, 7), 0x80070707u) << name;
         EXPECT_EQ(im.pixels[8 + 4], 4 + 16) << name;  // second stored row, x = 4
     }},
    {"8-bit with a 124-byte header finds its table at 138",
     [] {
         BmpRecipe s = Indexed8(4, 2);
         s.infoSize = 124;
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Quad(im, 0), 0x80000000u) << name;
         EXPECT_EQ(Quad(im, 255), 0x80FFFFFFu) << name;
         EXPECT_EQ(im.pixels[5], 17) << name;
     }},
    {"4-bit with a 108-byte header finds its table at 122",
     [] {
         BmpRecipe s;
         s.infoSize = 108;
         s.bitCount = 4;
         s.table = Palette({0x00010203, 0x00040506});
         s.clrUsed = 2;
         s.pixels = {0x10, 0, 0, 0};
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Quad(im, 0), 0x00010203u) << name;
         EXPECT_EQ(Quad(im, 1), 0x00040506u) << name;
         EXPECT_EQ(im.pixels[0], 1) << name;
     }},
    {"24-bit rows copied, resolution kept, negative resolution 0",
     [] {
         BmpRecipe s;
         s.width = 2;
         s.height = 2;
         s.xPelsPerMeter = 2835;
         s.yPelsPerMeter = -5;
         s.pixels = {1, 2, 3, 4, 5, 6, 0, 0, 7, 8, 9, 10, 11, 12, 0, 0};
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(im.header.bitCount, 24) << name;
         EXPECT_EQ(im.pixels[9], 8) << name;
         EXPECT_EQ(im.header.xPelsPerMeter, 2835) << name;
         EXPECT_EQ(im.header.yPelsPerMeter, 0) << name;
     }},
    {"16-bit default masks: 5-5-5, 31 -> 255",
     [] {
         BmpRecipe s;
         s.width = 2;
         s.bitCount = 16;
         s.pixels = {0x1F, 0x7C, 0xE0, 0x03};  // red + blue full, then green full
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         const uint8_t want[6] = {255, 0, 255, 0, 255, 0};
         EXPECT_EQ(std::memcmp(im.pixels, want, 6), 0) << name;
     }},
    {"16-bit masks F800/07E0/001F: 5-6-5, 63 -> 255, 16 -> 64",
     [] {
         BmpRecipe s;
         s.width = 2;
         s.bitCount = 16;
         s.compression = 3;
         s.masks = {0xF800, 0x07E0, 0x001F};
         s.pixels = {0xE0, 0x07, 0x10, 0x82};  // green 63; red 16, green 16, blue 16
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         const uint8_t want[6] = {0, 255, 0, 16 * 255 / 31, 16 * 255 / 63, 16 * 255 / 31};
         EXPECT_EQ(std::memcmp(im.pixels, want, 6), 0) << name;
     }},
    {"16-bit 5-6-5 with a 124-byte header reads its masks at 54",
     [] {
         BmpRecipe s;
         s.bitCount = 16;
         s.compression = 3;
         s.infoSize = 124;
         s.masks = {0xF800, 0x07E0, 0x001F};
         s.pixels = {0x00, 0xF8, 0, 0};
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         const uint8_t want[3] = {0, 0, 255};
         EXPECT_EQ(std::memcmp(im.pixels, want, 3), 0) << name;
     }},
    {"32-bit: the alpha byte has no effect",
     [] {
         BmpRecipe s;
         s.width = 2;
         s.bitCount = 32;
         s.pixels = {10, 20, 30, 0, 10, 20, 30, 255};
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         const uint8_t want[6] = {10, 20, 30, 10, 20, 30};
         EXPECT_EQ(std::memcmp(im.pixels, want, 6), 0) << name;
         EXPECT_EQ(im.sourceBits, 32) << name;
     }},
    {"8-bit with a gap before the pixels and missing last rows: rows zero",
     [] {
         BmpRecipe s = Indexed8(4, 4);
         s.gapBeforePixels = 8;
         s.pixels.resize(s.pixels.size() - 8);  // file still reaches 54 + table + image size
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(im.pixels[4 + 1], 17) << name;
         EXPECT_EQ(im.pixels[8], 0) << name;
         EXPECT_EQ(im.pixels[12 + 3], 0) << name;
     }},
    {"1-bit with the pixel offset pushing rows past the end: those rows zero",
     [] {
         BmpRecipe s;
         s.width = 8;
         s.height = 3;
         s.bitCount = 1;
         s.table = Palette({0, 0xFFFFFF});
         s.gapBeforePixels = 8;
         s.pixels = {0xFF, 0, 0, 0, 0xFF, 0, 0, 0, 0xFF, 0, 0, 0};
         Bytes b = MakeBmp(s);
         b.resize(b.size() - 8);
         return b;
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(im.pixels[0], 1) << name;
         EXPECT_EQ(im.pixels[8], 0) << name;
     }},
    {"32-bit rows past a short input stay zero",
     [] {
         BmpRecipe s;
         s.width = 2;
         s.height = 2;
         s.bitCount = 32;
         s.pixels = {1, 2, 3, 0, 4, 5, 6, 0, 7, 8};  // second row cut inside its first pixel
         return MakeBmp(s);
     },
     kDecodeOk,
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(im.pixels[3], 4) << name;
         EXPECT_EQ(im.pixels[8], 0) << name;
     }},

    {"shorter than the headers", [] { return Bytes(53, 'B'); }, kDecodeShortInput, nullptr},
    {"pixel offset beyond the end",
     [] {
         BmpRecipe s;
         s.pixels = {1, 2, 3, 0};
         s.pixelOffset = 1000;
         return MakeBmp(s);
     },
     kDecodeShortInput, nullptr},
    {"top-down file refused",
     [] {
         BmpRecipe s = Indexed8(4, 1);
         s.height = -10;
         return MakeBmp(s);
     },
     kDecodeBadHeader, nullptr},
    {"width 0 refused",
     [] {
         BmpRecipe s = Indexed8(4, 1);
         s.width = 0;
         return MakeBmp(s);
     },
     kDecodeBadHeader, nullptr},
    {"2-bit refused",
     [] {
         BmpRecipe s = Indexed8(4, 1);
         s.bitCount = 2;
         return MakeBmp(s);
     },
     kDecodeBadHeader, nullptr},
    {"run-length 8-bit refused",
     [] {
         BmpRecipe s = Indexed8(4, 1);
         s.compression = 1;
         return MakeBmp(s);
     },
     kDecodeBadHeader, nullptr},
    {"bit fields on a 24-bit file refused",
     [] {
         BmpRecipe s;
         s.compression = 3;
         s.masks = {0xFF0000, 0xFF00, 0xFF};
         s.pixels = {1, 2, 3, 0};
         return MakeBmp(s);
     },
     kDecodeBadHeader, nullptr},
    {"pixel block of 4 GiB or more refused",
     [] {
         BmpRecipe s;
         s.width = 0x10000;
         s.height = 0x10000;
         s.pixels = {1, 2, 3, 0};
         return MakeBmp(s);
     },
     kDecodeBadHeader, nullptr},
    {"8-bit too short for table and image",
     [] {
         BmpRecipe s = Indexed8(4, 4);
         s.pixels.resize(12);
         return MakeBmp(s);
     },
     kDecodeShortInput, nullptr},
    {"1-bit too short for its rows",
     [] {
         BmpRecipe s;
         s.height = 3;
         s.bitCount = 1;
         s.table = Palette({0, 0xFFFFFF});
         s.pixels = {0x80, 0, 0, 0};
         return MakeBmp(s);
     },
     kDecodeShortInput, nullptr},
    // Colours used 0x40000001: times 4 wraps to 4 in 32 bits; the real table would
    // be 4 GiB, so the file is too short for it.
    {"colours used whose byte count overflows 32 bits",
     [] {
         BmpRecipe s = Indexed8(4, 1);
         s.clrUsed = 0x40000001;
         return MakeBmp(s);
     },
     kDecodeShortInput, nullptr},
    {"bit-field masks past a short file",
     [] {
         BmpRecipe s;
         s.bitCount = 16;
         s.compression = 3;
         s.pixelOffset = 54;
         Bytes b = MakeBmp(s);
         b.resize(56);
         return b;
     },
     kDecodeShortInput, nullptr},
    {"header size pushing the table past the end",
     [] {
         BmpRecipe s = Indexed8(4, 1);
         Bytes b = MakeBmp(s);
         b[14] = 0xFF;
         b[15] = 0xFF;
         b[16] = 0xFF;
         b[17] = 0xFF;
         return b;
     },
     kDecodeShortInput, nullptr},
};

TEST(BmpDecode, Cases) {
    for (const Case& c : kCases) {
        Bytes bytes = c.make();
        DecodeStatus status = kDecodeOk;
        DecodedImagePtr image(BmpDecodeMemory(bytes.data(), bytes.size(), &status));
        EXPECT_EQ(status, c.status) << c.name;
        EXPECT_EQ(image.get() != nullptr, c.status == kDecodeOk) << c.name;
        if (image && c.check != nullptr) {
            EXPECT_EQ(image->sourceFormat, kFormatBmp) << c.name;
            EXPECT_EQ(image->sourceSize, bytes.size()) << c.name;
            EXPECT_EQ(image->header.size, 40u) << c.name;
            EXPECT_EQ(image->header.compression, 0u) << c.name;
            c.check(*image.get(), c.name);
        }
    }
}

// Every prefix of a valid file decodes or fails cleanly; nothing reads past it.
TEST(BmpDecode, EveryTruncationFailsCleanly) {
    const BmpRecipe kSpecs[] = {Indexed8(7, 5), [] {
                                    BmpRecipe s;
                                    s.width = 3;
                                    s.height = 3;
                                    s.bitCount = 16;
                                    s.compression = 3;
                                    s.infoSize = 124;
                                    s.masks = {0xF800, 0x07E0, 0x001F};
                                    s.pixels.assign(24, 0x5A);
                                    return s;
                                }()};
    for (const BmpRecipe& recipe : kSpecs) {
        Bytes full = MakeBmp(recipe);
        for (size_t n = 0; n <= full.size(); ++n) {
            // A fresh heap copy of exactly n bytes, so the sanitizer sees any over-read.
            Bytes cut(full.begin(), full.begin() + static_cast<ptrdiff_t>(n));
            cut.shrink_to_fit();
            DecodedImagePtr image(BmpDecodeMemory(cut.data(), cut.size()));
            (void)image;
        }
    }
}

}  // namespace
