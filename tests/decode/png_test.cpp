#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "decode/blend_table.h"
#include "decode/png.h"
#include "tests/support/picture_fixtures.h"

namespace {

class PngDecode : public testing::Test {
  protected:
    static void SetUpTestSuite() { FillBlendTable(); }
};

Bytes Be16s(std::initializer_list<uint32_t> values) {
    Bytes b;
    for (uint32_t v : values) {
        PutBe16(&b, v);
    }
    return b;
}

// A 2x2 8-bit greyscale picture with the given extra chunks before IDAT.
Bytes Grey2x2(const std::vector<std::pair<std::string, Bytes>>& extra = {}) {
    return MakePng(2, 8, 0, {{10, 20}, {30, 40}}, extra);
}

Bytes GreyZlib() {
    return Zlib(RawRows({{10, 20}, {30, 40}}));
}

Bytes Ihdr(uint32_t w,
           uint32_t h,
           uint32_t depth,
           uint32_t type,
           uint32_t compression = 0,
           uint32_t filter = 0,
           uint32_t interlace = 0) {
    Bytes d;
    PutBe32(&d, w);
    PutBe32(&d, h);
    d.insert(d.end(),
             {static_cast<uint8_t>(depth), static_cast<uint8_t>(type), static_cast<uint8_t>(compression),
              static_cast<uint8_t>(filter), static_cast<uint8_t>(interlace)});
    return d;
}

// Header with arbitrary fields, then a valid body for a 1x1 8-bit grey picture.
Bytes WithHeader(const Bytes& ihdr) {
    PngBuilder b;
    b.Chunk("IHDR", ihdr).Idat(Zlib({0, 0})).Iend();
    return b.bytes();
}

struct StatusCase {
    const char* name;
    Bytes (*make)();
    DecodeStatus status;
};

const StatusCase kStatusCases[] = {
    {"valid 2x2 grey", [] { return Grey2x2(); }, kDecodeOk},
    {"32 bytes",
     [] {
         Bytes b = Grey2x2();
         b.resize(32);
         return b;
     },
     kPngBadInput},
    {"damaged signature",
     [] {
         Bytes b = Grey2x2();
         b[3] = 'g';
         return b;
     },
     kPngBadInput},
    {"IHDR of length 12",
     [] {
         PngBuilder b;
         b.Chunk("IHDR", Bytes(12, 1)).Chunk("IEND", {}).Chunk("IEND", {});
         return b.bytes();
     },
     kPngBadHeaderLength},
    {"first chunk not IHDR",
     [] {
         PngBuilder b;
         b.Chunk("IHDx", Ihdr(1, 1, 8, 0)).Iend();
         return b.bytes();
     },
     kPngNoHeader},
    {"IHDR CRC",
     [] {
         PngBuilder b;
         b.Chunk("IHDR", Ihdr(1, 1, 8, 0), true).Iend();
         return b.bytes();
     },
     kPngBadCrc},
    {"width 0", [] { return WithHeader(Ihdr(0, 1, 8, 0)); }, kDecodeBadHeader},
    {"height 2^31", [] { return WithHeader(Ihdr(1, 0x80000000u, 8, 0)); }, kDecodeBadHeader},
    {"compression 1", [] { return WithHeader(Ihdr(1, 1, 8, 0, 1)); }, kPngBadCompression},
    {"filter method 1", [] { return WithHeader(Ihdr(1, 1, 8, 0, 0, 1)); }, kPngBadFilterMethod},
    {"interlace 2", [] { return WithHeader(Ihdr(1, 1, 8, 0, 0, 0, 2)); }, kPngBadInterlace},
    {"depth 3", [] { return WithHeader(Ihdr(1, 1, 3, 0)); }, kPngBadBitDepth},
    {"truecolour at depth 4", [] { return WithHeader(Ihdr(1, 1, 4, 2)); }, kPngBadColourType},
    {"palette at depth 16", [] { return WithHeader(Ihdr(1, 1, 16, 3)); }, kPngBadColourType},
    {"colour type 5", [] { return WithHeader(Ihdr(1, 1, 8, 5)); }, kPngBadColourType},
    {"pixel block of 4 GiB", [] { return WithHeader(Ihdr(70000, 70000, 8, 2)); }, kDecodeBadHeader},
    {"missing IEND",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Idat(GreyZlib());
         return b.bytes();
     },
     kPngBadInput},
    {"chunk running past the end",
     [] {
         Bytes b = Grey2x2();
         b.resize(b.size() - 1);
         return b;
     },
     kPngBadInput},
    {"chunk length 2^31",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0);
         PutBe32(&b.bytes(), 0x80000000u);
         b.bytes().insert(b.bytes().end(), {'t', 'E', 'X', 't', 0, 0, 0, 0});
         return b.bytes();
     },
     kPngChunkTooLong},
    {"IHDR repeated",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Ihdr(2, 2, 8, 0).Idat(GreyZlib()).Iend();
         return b.bytes();
     },
     kPngChunkOrder},
    {"PLTE repeated",
     [] {
         PngBuilder b;
         b.Ihdr(1, 1, 8, 3).Chunk("PLTE", Bytes(3, 7)).Chunk("PLTE", Bytes(3, 7)).Idat(Zlib({0, 0})).Iend();
         return b.bytes();
     },
     kPngChunkOrder},
    {"PLTE after IDAT",
     [] {
         PngBuilder b;
         b.Ihdr(1, 1, 8, 3).Chunk("PLTE", Bytes(3, 7)).Idat(Zlib({0, 0})).Chunk("PLTE", Bytes(3, 7)).Iend();
         return b.bytes();
     },
     kPngChunkOrder},
    {"PLTE on a greyscale picture skipped unchecked",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0)
             .Chunk("PLTE", Bytes(3, 7), true)
             .Idat(GreyZlib())
             .Chunk("PLTE", Bytes(3, 7))
             .Iend();
         return b.bytes();
     },
     kDecodeOk},
    {"PLTE CRC",
     [] {
         PngBuilder b;
         b.Ihdr(1, 1, 8, 3).Chunk("PLTE", Bytes(3, 7), true).Idat(Zlib({0, 0})).Iend();
         return b.bytes();
     },
     kPngBadCrc},
    {"IDAT CRC",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Chunk("IDAT", GreyZlib(), true).Iend();
         return b.bytes();
     },
     kPngBadCrc},
    {"IDAT run interrupted by another chunk, then resumed",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0)
             .Idat(GreyZlib(), 2)
             .Chunk("tEXt", {'a', 0, 'b'})
             .Chunk("IDAT", {0x03, 0x00})
             .Iend();
         return b.bytes();
     },
     kPngChunkOrder},
    {"zlib stream continued after an interruption never reaches the rest",
     [] {
         Bytes z = Zlib(RawRows({Bytes(50, 1), Bytes(50, 2)}));
         PngBuilder b;
         b.Ihdr(50, 2, 8, 0).Chunk("IDAT", Bytes(z.begin(), z.begin() + 4)).Chunk("tEXt", {'a', 0, 'b'});
         b.Chunk("IDAT", Bytes(z.begin() + 4, z.end())).Iend();
         return b.bytes();
     },
     kPngInflateFailed},
    {"CRC fault in the second IDAT of a run",
     [] {
         Bytes z = GreyZlib();
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Chunk("IDAT", Bytes(z.begin(), z.begin() + 4));
         b.Chunk("IDAT", Bytes(z.begin() + 4, z.end()), true).Iend();
         return b.bytes();
     },
     kPngBadIdatRun},
    {"second IDAT of a run past the end",
     [] {
         Bytes z = GreyZlib();
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Idat(z, 2);
         b.bytes().resize(b.bytes().size() - 2);
         return b.bytes();
     },
     kPngBadIdatRun},
    {"IEND CRC",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Idat(GreyZlib()).Chunk("IEND", {}, true);
         return b.bytes();
     },
     kPngBadCrc},
    {"IEND without IDAT",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Iend();
         return b.bytes();
     },
     kPngNoImageData},
    {"palette picture without PLTE",
     [] {
         PngBuilder b;
         b.Ihdr(1, 1, 8, 3).Idat(Zlib({0, 0})).Iend();
         return b.bytes();
     },
     kPngNoImageData},
    {"corrupt zlib data",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Idat({0x78, 0x9C, 0xFF, 0xFF, 0xFF}).Iend();
         return b.bytes();
     },
     kPngInflateFailed},
    {"zlib stream cut inside the rows",
     [] {
         Bytes z = Zlib(RawRows({Bytes(100, 1), Bytes(100, 2), Bytes(100, 3)}));
         z.resize(z.size() / 2);
         PngBuilder b;
         b.Ihdr(100, 3, 8, 0).Idat(z).Iend();
         return b.bytes();
     },
     kPngInflateFailed},
    {"tEXt and unknown chunks with bad CRCs ignored",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0)
             .Chunk("tEXt", {'k', 0, 'v'}, true)
             .Chunk("zzZz", {1}, true)
             .Idat(GreyZlib())
             .Iend();
         return b.bytes();
     },
     kDecodeOk},
};

TEST_F(PngDecode, StatusCodes) {
    for (const StatusCase& c : kStatusCases) {
        Bytes bytes = c.make();
        DecodeStatus status = kDecodeOk;
        DecodedImagePtr image(PngDecodeMemory(bytes.data(), bytes.size(), &status));
        EXPECT_EQ(status, c.status) << c.name;
        EXPECT_EQ(image.get() != nullptr, c.status == kDecodeOk) << c.name;
    }
}

uint32_t Quad(const DecodedImage& image, int i) {
    const RgbQuad& q = image.palette[i];
    return static_cast<uint32_t>(q.blue) | static_cast<uint32_t>(q.green) << 8 |
           static_cast<uint32_t>(q.red) << 16;
}

// The colour of pixel (x, y from the top) as 0xRRGGBB, through the palette for
// 8-bit pictures.
uint32_t Colour(const DecodedImage& image, int x, int y) {
    const uint8_t* row = TopRow(image, y);
    if (image.header.bitCount == 8) {
        return Quad(image, row[x]);
    }
    const uint8_t* p = row + std::ptrdiff_t{3} * x;
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16;
}

using PngCheck = void (*)(const DecodedImage& image, const char* name);

struct PixelCase {
    const char* name;
    Bytes (*make)();
    PngCheck check;
};

Bytes Plte(uint32_t entries) {
    Bytes b;
    for (uint32_t i = 0; i < entries; ++i) {
        b.insert(b.end(),
                 {static_cast<uint8_t>(i), static_cast<uint8_t>(2 * i), static_cast<uint8_t>(3 * i)});
    }
    return b;
}

const PixelCase kPixelCases[] = {
    {"1-bit grey: black and white palette, MSB first",
     [] {
         return MakePng(10, 1, 0, {{0xA5, 0xC0}});
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(im.header.bitCount, 8) << name;
         EXPECT_EQ(im.sourceBits, 1) << name;
         EXPECT_EQ(Quad(im, 0), 0x000000u) << name;
         EXPECT_EQ(Quad(im, 1), 0xFFFFFFu) << name;
         EXPECT_EQ(Quad(im, 2), 0u) << name;
         const uint8_t want[10] = {1, 0, 1, 0, 0, 1, 0, 1, 1, 1};
         EXPECT_EQ(std::memcmp(TopRow(im, 0), want, 10), 0) << name;
     }},
    {"2-bit grey: levels 0, 85, 170, 255", [] { return MakePng(4, 2, 0, {{0x1B}}); },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Colour(im, 1, 0), 0x555555u) << name;
         EXPECT_EQ(Colour(im, 3, 0), 0xFFFFFFu) << name;
         EXPECT_EQ(Quad(im, 4), 0u) << name;
     }},
    {"4-bit palette with a 20-entry PLTE keeps 16",
     [] {
         return MakePng(2, 4, 3, {{0xF1}}, {{"PLTE", Plte(20)}});
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Colour(im, 0, 0), 0x0F1E2Du) << name;
         EXPECT_EQ(Quad(im, 16), 0u) << name;
     }},
    {"palette tRNS of 3 entries blends 0 to 2 with white only",
     [] {
         return MakePng(1, 8, 3, {{0}}, {{"PLTE", Plte(8)}, {"tRNS", {0, 128, 255}}});
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Quad(im, 0), 0xFFFFFFu) << name;
         const uint8_t* t = BlendTable();
         // Entry 1 is red 1, green 2, blue 3, at alpha 128.
         uint32_t r = t[128 * 256 + 1] + t[127 * 256 + 255];
         uint32_t g = t[128 * 256 + 2] + t[127 * 256 + 255];
         uint32_t b = t[128 * 256 + 3] + t[127 * 256 + 255];
         EXPECT_EQ(Quad(im, 1), b | g << 8 | r << 16) << name;
         EXPECT_EQ(Quad(im, 2), 0x020406u) << name;
         EXPECT_EQ(Quad(im, 3), 0x030609u) << name;
     }},
    {"palette tRNS longer than the palette ignored",
     [] {
         return MakePng(1, 8, 3, {{0}}, {{"PLTE", Plte(2)}, {"tRNS", {0, 0, 0}}});
     },
     [](const DecodedImage& im, const char* name) { EXPECT_EQ(Quad(im, 0), 0u) << name; }},
    {"truecolour alpha 0 everywhere: white",
     [] {
         return MakePng(2, 8, 6, {{1, 2, 3, 0, 200, 100, 50, 0}});
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(im.header.bitCount, 24) << name;
         EXPECT_EQ(im.sourceBits, 24) << name;
         EXPECT_EQ(Colour(im, 0, 0), 0xFFFFFFu) << name;
         EXPECT_EQ(Colour(im, 1, 0), 0xFFFFFFu) << name;
     }},
    {"truecolour alpha 0 with a red bKGD: red",
     [] {
         return MakePng(1, 8, 6, {{1, 2, 3, 0}}, {{"bKGD", Be16s({255, 0, 0})}});
     },
     [](const DecodedImage& im, const char* name) { EXPECT_EQ(Colour(im, 0, 0), 0xFF0000u) << name; }},
    {"16-bit truecolour alpha: high bytes blended",
     [] {
         return MakePng(1, 16, 6, {{0x40, 0x11, 0x80, 0x22, 0xC0, 0x33, 0x80, 0xFF}},
                        {{"bKGD", Be16s({0, 0xFF00, 0})}});
     },
     [](const DecodedImage& im, const char* name) {
         const uint8_t* t = BlendTable();
         uint32_t r = t[128 * 256 + 0x40];
         uint32_t g = t[128 * 256 + 0x80] + t[127 * 256 + 0xFF];
         uint32_t b = t[128 * 256 + 0xC0];
         EXPECT_EQ(Colour(im, 0, 0), b | g << 8 | r << 16) << name;
         EXPECT_EQ(im.sourceBits, 48) << name;
     }},
    {"grey + alpha against a grey bKGD",
     [] {
         return MakePng(2, 8, 4, {{100, 255, 100, 64}}, {{"bKGD", Be16s({0x0150})}});
     },
     [](const DecodedImage& im, const char* name) {
         const uint8_t* t = BlendTable();
         EXPECT_EQ(TopRow(im, 0)[0], 100) << name;
         EXPECT_EQ(TopRow(im, 0)[1], t[100 * 256 + 64] + t[0x50 * 256 + 191]) << name;
     }},
    {"16-bit grey: index = high byte",
     [] {
         return MakePng(2, 16, 0, {{0xAB, 0xCD, 0x01, 0xFF}});
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(TopRow(im, 0)[0], 0xAB) << name;
         EXPECT_EQ(TopRow(im, 0)[1], 0x01) << name;
         EXPECT_EQ(im.sourceBits, 16) << name;
     }},
    {"grey tRNS: that level's palette entry becomes the background",
     [] {
         return MakePng(2, 8, 0, {{7, 8}}, {{"tRNS", Be16s({7})}, {"bKGD", Be16s({0x20})}});
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Quad(im, 7), 0x202020u) << name;
         EXPECT_EQ(Quad(im, 8), 0x080808u) << name;
     }},
    {"truecolour tRNS key: matching pixels become the background",
     [] {
         return MakePng(2, 8, 2, {{1, 2, 3, 1, 2, 4}}, {{"tRNS", Be16s({1, 2, 3})}});
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Colour(im, 0, 0), 0xFFFFFFu) << name;
         EXPECT_EQ(Colour(im, 1, 0), 0x010204u) << name;
     }},
    {"bKGD, tRNS and pHYs with bad CRCs ignored",
     [] {
         PngBuilder b;
         b.Ihdr(1, 1, 8, 6).Chunk("bKGD", Be16s({0, 0, 0}), true).Chunk("tRNS", Be16s({1, 2, 3}), true);
         Bytes phys;
         PutBe32(&phys, 3780);
         PutBe32(&phys, 3780);
         phys.push_back(1);
         b.Chunk("pHYs", phys, true).Idat(Zlib({0, 1, 2, 3, 0})).Iend();
         return b.bytes();
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Colour(im, 0, 0), 0xFFFFFFu) << name;
         EXPECT_EQ(im.header.xPelsPerMeter, 0) << name;
     }},
    {"pHYs in metres gives the resolution",
     [] {
         Bytes phys;
         PutBe32(&phys, 3780);
         PutBe32(&phys, 2835);
         phys.push_back(1);
         return MakePng(1, 8, 0, {{0}}, {{"pHYs", phys}});
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(im.header.xPelsPerMeter, 3780) << name;
         EXPECT_EQ(im.header.yPelsPerMeter, 2835) << name;
     }},
    {"filter byte 7 counts as None",
     [] {
         PngBuilder b;
         b.Ihdr(2, 2, 8, 0).Idat(Zlib({7, 5, 6, 7, 9, 9})).Iend();
         return b.bytes();
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(TopRow(im, 0)[0], 5) << name;
         EXPECT_EQ(TopRow(im, 1)[1], 9) << name;
     }},
    {"Adam7 1x1 decodes from pass 1 alone",
     [] {
         PngBuilder b;
         b.Ihdr(1, 1, 8, 2, 1).Idat(Zlib({0, 10, 20, 30})).Iend();
         return b.bytes();
     },
     [](const DecodedImage& im, const char* name) { EXPECT_EQ(Colour(im, 0, 0), 0x0A141Eu) << name; }},
    {"stream ending before the last row: the rest stays zero",
     [] {
         PngBuilder b;
         b.Ihdr(2, 3, 8, 0).Idat(Zlib({0, 1, 2})).Iend();
         return b.bytes();
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(TopRow(im, 0)[1], 2) << name;
         EXPECT_EQ(TopRow(im, 1)[0], 0) << name;
         EXPECT_EQ(TopRow(im, 2)[1], 0) << name;
     }},
    {"alpha stream ending early: unreached pixels composite to the background",
     [] {
         PngBuilder b;
         b.Ihdr(1, 2, 8, 6, 1).Idat(Zlib({0, 1, 2, 3, 255})).Iend();
         return b.bytes();
     },
     [](const DecodedImage& im, const char* name) {
         EXPECT_EQ(Colour(im, 0, 0), 0x010203u) << name;
         EXPECT_EQ(Colour(im, 0, 1), 0xFFFFFFu) << name;
     }},
};

TEST_F(PngDecode, Pixels) {
    for (const PixelCase& c : kPixelCases) {
        Bytes bytes = c.make();
        DecodeStatus status = kDecodeOk;
        DecodedImagePtr image(PngDecodeMemory(bytes.data(), bytes.size(), &status));
        ASSERT_TRUE(image) << c.name << " status " << status;
        EXPECT_EQ(image->sourceFormat, kFormatPng) << c.name;
        c.check(*image.get(), c.name);
    }
}

// Every way of cutting the compressed data into IDAT chunks gives the same pixels.
TEST_F(PngDecode, IdatSplitsAgree) {
    std::vector<Bytes> rows;
    for (int y = 0; y < 40; ++y) {
        Bytes row(size_t{3} * 37);
        for (size_t i = 0; i < row.size(); ++i) {
            row[i] = static_cast<uint8_t>(i * 7 + static_cast<size_t>(y) * 13);
        }
        rows.push_back(row);
    }
    Bytes z = Zlib(RawRows(rows, 4));
    Bytes one = PngBuilder().Ihdr(37, 40, 8, 2).Idat(z).Iend().bytes();
    DecodedImagePtr reference(PngDecodeMemory(one.data(), one.size()));
    ASSERT_TRUE(reference);
    const size_t blockSize = size_t{112} * 40;
    for (size_t pieces : {size_t{2}, size_t{3}, size_t{17}, z.size()}) {
        PngBuilder b;
        b.Ihdr(37, 40, 8, 2).Idat(z, pieces).Chunk("IDAT", {}).Iend();
        DecodedImagePtr image(PngDecodeMemory(b.bytes().data(), b.bytes().size()));
        ASSERT_TRUE(image) << pieces << " pieces";
        EXPECT_EQ(std::memcmp(image->pixels, reference->pixels, blockSize), 0) << pieces << " pieces";
    }
}

// Every prefix of a valid file fails cleanly (IEND is gone), without reading past it.
TEST_F(PngDecode, EveryTruncationFailsCleanly) {
    Bytes full = MakePng(5, 8, 3, {{0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}},
                         {{"PLTE", Plte(5)}, {"tRNS", {1, 2}}, {"bKGD", {1}}});
    for (size_t n = 0; n < full.size(); ++n) {
        Bytes cut(full.begin(), full.begin() + static_cast<ptrdiff_t>(n));
        cut.shrink_to_fit();
        DecodeStatus status = kDecodeOk;
        DecodedImagePtr image(PngDecodeMemory(cut.data(), cut.size(), &status));
        EXPECT_FALSE(image) << n;
        EXPECT_NE(status, kDecodeOk) << n;
    }
}

}  // namespace
