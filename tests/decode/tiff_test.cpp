// TIFF decoder: every accepted layout in both byte orders, strip tables in their
// forms, resolution, refused layouts and the fault codes, through byte-built files.
#include <gtest/gtest.h>

#include "decode/tiff.h"
#include "platform/heap.h"
#include "tests/decode/giftiff_util.h"
#include "tests/decode/tiff_builder.h"

namespace {

DecodeResult Decode(const std::vector<uint8_t>& bytes) {
    return DecodeBytes(TiffDecodeInput, bytes);
}

// A picture given as samples, serialised into rows the way a TIFF stores them.
struct Picture {
    uint32_t width;
    uint32_t length;
    uint16_t photometric;
    uint16_t bits;
    int samples;                   // 1 or 3
    std::vector<uint32_t> values;  // width * length * samples, top row first

    std::vector<uint8_t> Rows(bool bigEndian) const {
        std::vector<uint8_t> out;
        for (uint32_t y = 0; y < length; y++) {
            uint32_t acc = 0;
            int filled = 0;
            for (uint32_t i = 0; i < width * static_cast<uint32_t>(samples); i++) {
                uint32_t v = values[(y * width) * static_cast<uint32_t>(samples) + i];
                if (bits == 16) {
                    std::vector<uint8_t> b = Bytes16({static_cast<uint16_t>(v)}, bigEndian);
                    out.insert(out.end(), b.begin(), b.end());
                } else if (bits == 8) {
                    out.push_back(static_cast<uint8_t>(v));
                } else {
                    acc = (acc << bits) | v;
                    filled += bits;
                    if (filled == 8) {
                        out.push_back(static_cast<uint8_t>(acc));
                        acc = 0;
                        filled = 0;
                    }
                }
            }
            if (filled > 0) {
                out.push_back(static_cast<uint8_t>(acc << (8 - filled)));
            }
        }
        return out;
    }

    // The colour a reader should show at (x, y).
    Color Expected(uint32_t x, uint32_t y) const {
        size_t at = (size_t{y} * width + x) * static_cast<size_t>(samples);
        if (samples == 3) {
            auto eight = [&](uint32_t v) { return static_cast<uint8_t>(bits == 16 ? v >> 8 : v); };
            return {eight(values[at]), eight(values[at + 1]), eight(values[at + 2])};
        }
        uint32_t v = values[at];
        if (photometric == 3) {
            return {static_cast<uint8_t>(v * 7 + 1), static_cast<uint8_t>(255 - v),
                    static_cast<uint8_t>(v * 3)};
        }
        uint8_t level = static_cast<uint8_t>(v * 255 / ((1u << bits) - 1));
        if (photometric == 0) {
            level = static_cast<uint8_t>(255 - level);
        }
        return {level, level, level};
    }

    // The map that Expected assumes, 16-bit values whose high byte counts and
    // whose low byte differs from it.
    std::vector<uint16_t> ColorMap() const {
        uint32_t n = 1u << bits;
        std::vector<uint16_t> map(size_t{n} * 3);
        for (uint32_t i = 0; i < n; i++) {
            map[i] = static_cast<uint16_t>(((i * 7 + 1) & 255) << 8 | 0x5A);
            map[n + i] = static_cast<uint16_t>((255 - i) << 8 | 0xA5);
            map[2 * n + i] = static_cast<uint16_t>(((i * 3) & 255) << 8 | 0x0F);
        }
        return map;
    }

    TiffSpec Recipe(bool bigEndian) const {
        TiffSpec s;
        s.bigEndian = bigEndian;
        s.width = width;
        s.length = length;
        s.photometric = photometric;
        s.bits = bits;
        s.bitsCount = samples;
        s.samplesPerPixel = samples;
        s.data = Rows(bigEndian);
        if (photometric == 3) {
            s.colorMap = ColorMap();
        }
        return s;
    }
};

Picture MakePicture(uint32_t width, uint32_t length, uint16_t photometric, uint16_t bits, uint32_t seed) {
    Picture p{width, length, photometric, bits, photometric == 2 ? 3 : 1, {}};
    uint32_t s = seed;
    uint32_t limit = bits == 16 ? 65536 : 1u << bits;
    for (size_t i = 0; i < size_t{width} * length * static_cast<size_t>(p.samples); i++) {
        s = s * 1103515245u + 12345u;
        p.values.push_back((s >> 8) % limit);
    }
    return p;
}

void ExpectPicture(const DecodedImage* image, const Picture& p, const std::string& name) {
    ASSERT_EQ(image->header.width, static_cast<int32_t>(p.width)) << name;
    ASSERT_EQ(image->header.height, static_cast<int32_t>(p.length)) << name;
    ASSERT_EQ(image->header.bitCount, p.samples == 3 ? 24 : 8) << name;
    EXPECT_EQ(image->sourceFormat, kFormatTiff) << name;
    EXPECT_EQ(image->sourceBits, p.bits * p.samples) << name;
    for (uint32_t y = 0; y < p.length; y++) {
        for (uint32_t x = 0; x < p.width; x++) {
            Color got = ColorAt(image, static_cast<int>(x), static_cast<int>(y));
            Color want = p.Expected(x, y);
            ASSERT_TRUE(got == want) << name << " at " << x << "," << y << ": got " << int{got.r} << " "
                                     << int{got.g} << " " << int{got.b} << ", want " << int{want.r} << " "
                                     << int{want.g} << " " << int{want.b};
        }
    }
}

struct LayoutCase {
    const char* name;
    uint16_t photometric;
    uint16_t bits;
};
const LayoutCase kLayouts[] = {
    {"bilevel, white is zero", 0, 1},
    {"bilevel, black is zero", 1, 1},
    {"4-bit grey", 1, 4},
    {"4-bit grey, white is zero", 0, 4},
    {"8-bit grey", 1, 8},
    {"8-bit grey, white is zero", 0, 8},
    {"1-bit palette", 3, 1},
    {"4-bit palette", 3, 4},
    {"8-bit palette", 3, 8},
    {"8-bit RGB", 2, 8},
    {"16-bit RGB", 2, 16},
};

// Each layout, in both byte orders, at widths that do and do not fill whole
// source bytes and output rows: the same pixels, as the samples say.
TEST(TiffDecode, LayoutsInBothByteOrders) {
    for (const LayoutCase& c : kLayouts) {
        for (uint32_t width : {1u, 7u, 8u, 13u}) {
            Picture p = MakePicture(width, 5, c.photometric, c.bits, width * 17 + c.bits);
            std::string name = std::string(c.name) + ", width " + std::to_string(width);
            DecodeResult little = Decode(BuildTiff(p.Recipe(false)));
            DecodeResult big = Decode(BuildTiff(p.Recipe(true)));
            ASSERT_EQ(little.status, kDecodeOk) << name;
            ASSERT_EQ(big.status, kDecodeOk) << name;
            ExpectPicture(little.image.get(), p, name + " (II)");
            std::string why;
            EXPECT_TRUE(SamePicture(little.image.get(), big.image.get(), &why)) << name << ": " << why;
        }
    }
}

TEST(TiffDecode, BilevelPhotometricDecidesBlackAndWhite) {
    for (uint16_t photometric : {uint16_t{0}, uint16_t{1}}) {
        TiffSpec s;
        s.width = 2;
        s.length = 1;
        s.photometric = photometric;
        s.bits = 1;
        s.data = {0x40};  // pixel 0: bit 0, pixel 1: bit 1
        DecodeResult r = Decode(BuildTiff(s));
        ASSERT_EQ(r.status, kDecodeOk) << photometric;
        Color white{255, 255, 255};
        Color black{0, 0, 0};
        EXPECT_EQ(ColorAt(r.image.get(), 0, 0), photometric == 0 ? white : black) << photometric;
        EXPECT_EQ(ColorAt(r.image.get(), 1, 0), photometric == 0 ? black : white) << photometric;
    }
}

TEST(TiffDecode, SixteenBitSamplesTakeTheHighByte) {
    for (bool be : {false, true}) {
        TiffSpec s;
        s.bigEndian = be;
        s.width = 1;
        s.length = 1;
        s.photometric = 2;
        s.bitsCount = 3;
        s.bits = 16;
        s.data = Bytes16({0x12AB, 0x34CD, 0x56EF}, be);
        DecodeResult r = Decode(BuildTiff(s));
        ASSERT_EQ(r.status, kDecodeOk) << be;
        EXPECT_EQ(ColorAt(r.image.get(), 0, 0), (Color{0x12, 0x34, 0x56})) << (be ? "MM" : "II");
    }
}

// However the strips are cut, stored or tabled, the picture is the same.
TEST(TiffDecode, StripTablesInEveryForm) {
    Picture p = MakePicture(9, 10, 2, 8, 3);
    struct Case {
        const char* name;
        uint32_t rowsPerStrip;
        uint16_t type;
        bool reverse;
    };
    static const Case kCases[] = {
        {"one strip, LONG in the entry", 0, kLong, false},
        {"one strip, SHORT in the entry", 0, kShort, false},
        {"two strips, SHORTs in the entry", 5, kShort, false},
        {"three strips, SHORTs behind an offset", 4, kShort, false},
        {"one row a strip, LONG", 1, kLong, false},
        {"one row a strip, stored in reverse", 1, kLong, true},
        {"two strips stored in reverse, SHORT", 5, kShort, true},
        {"strip taller than the image", 64, kLong, false},
    };
    for (bool be : {false, true}) {
        for (const Case& c : kCases) {
            TiffSpec s = p.Recipe(be);
            s.rowsPerStrip = c.rowsPerStrip;
            s.stripType = c.type;
            s.reverseStrips = c.reverse;
            DecodeResult r = Decode(BuildTiff(s));
            ASSERT_EQ(r.status, kDecodeOk) << c.name;
            ExpectPicture(r.image.get(), p, std::string(c.name) + (be ? " (MM)" : " (II)"));
        }
    }
}

// Rows the strips do not cover (in full) stay zero; nothing is read past them.
TEST(TiffDecode, ShortStripsLeaveRowsZero) {
    Picture p = MakePicture(6, 4, 1, 8, 11);
    for (uint32_t& v : p.values) {
        v = v | 1;  // no zero sample
    }
    for (bool scattered : {false, true}) {
        TiffSpec s = p.Recipe(false);
        s.data.resize(6 * 2 + 3);  // two rows and half of the third
        s.rowsPerStrip = scattered ? 1 : 0;
        s.reverseStrips = scattered;
        DecodeResult r = Decode(BuildTiff(s));
        ASSERT_EQ(r.status, kDecodeOk) << scattered;
        for (int y = 0; y < 4; y++) {
            for (int x = 0; x < 6; x++) {
                uint8_t want =
                    y < 2
                        ? static_cast<uint8_t>(p.values[static_cast<size_t>(y) * 6 + static_cast<size_t>(x)])
                        : 0;
                EXPECT_EQ(IndexAt(r.image.get(), x, y), want)
                    << x << "," << y << (scattered ? " scattered" : "");
            }
        }
    }
}

TEST(TiffDecode, FirstPageOnly) {
    Picture p = MakePicture(5, 3, 3, 4, 2);
    TiffSpec s = p.Recipe(true);
    s.secondPage = true;
    DecodeResult r = Decode(BuildTiff(s));
    ASSERT_EQ(r.status, kDecodeOk);
    ExpectPicture(r.image.get(), p, "first page");
}

TEST(TiffDecode, Resolution) {
    struct Case {
        const char* name;
        bool present;
        uint32_t xNum, xDen, yNum, yDen;
        uint16_t unit;
        int32_t wantX, wantY;
    };
    static const Case kCases[] = {
        {"absent", false, 0, 1, 0, 1, 0, 0, 0},
        {"300/1 per inch, unit by default", true, 300, 1, 300, 1, 0, 11811, 11811},
        {"300/1 and 150/1 per inch", true, 300, 1, 150, 1, 2, 11811, 5906},
        {"72/1 per inch", true, 72, 1, 72, 1, 2, 2835, 2835},
        {"118/1 per centimetre", true, 118, 1, 118, 1, 3, 11800, 11800},
        {"1201/10 per centimetre", true, 1201, 10, 1201, 10, 3, 12010, 12010},
        {"no unit", true, 300, 1, 300, 1, 1, 0, 0},
        {"zero denominator", true, 300, 0, 300, 1, 2, 0, 0},
        {"too large to keep", true, 4000000000u, 1, 300, 1, 2, 0, 11811},
    };
    for (bool be : {false, true}) {
        for (const Case& c : kCases) {
            TiffSpec s = MakePicture(2, 2, 1, 8, 1).Recipe(be);
            s.resolution = c.present;
            s.xNum = c.xNum;
            s.xDen = c.xDen;
            s.yNum = c.yNum;
            s.yDen = c.yDen;
            s.unit = c.unit;
            DecodeResult r = Decode(BuildTiff(s));
            ASSERT_EQ(r.status, kDecodeOk) << c.name;
            EXPECT_EQ(r.image->header.xPelsPerMeter, c.wantX) << c.name;
            EXPECT_EQ(r.image->header.yPelsPerMeter, c.wantY) << c.name;
        }
    }
    // Only one of the two, or a rational outside the file: none.
    TiffSpec s = MakePicture(2, 2, 1, 8, 1).Recipe(false);
    s.extra = {{282, kRational, 1, Bytes32({0x7FFFFFF0}, false), true},
               {283, kRational, 1, Bytes32({300, 1}, false)}};
    s.unit = 2;
    DecodeResult r = Decode(BuildTiff(s));
    ASSERT_EQ(r.status, kDecodeOk);
    EXPECT_EQ(r.image->header.xPelsPerMeter, 0);
    EXPECT_EQ(r.image->header.yPelsPerMeter, 0);
    s.extra.resize(1);
    s.extra[0].value = Bytes32({300, 1}, false);
    s.extra[0].rawOffset = false;
    r = Decode(BuildTiff(s));
    ASSERT_EQ(r.status, kDecodeOk);
    EXPECT_EQ(r.image->header.xPelsPerMeter, 0);
}

// Layouts the row conversion would misread are refused, never decoded as noise.
TEST(TiffDecode, RefusedLayouts) {
    const bool le = false;
    struct Case {
        const char* name;
        uint16_t photometric;
        uint16_t bits;
        int bitsCount;
        int samples;
        std::vector<TiffEntrySpec> extra;
        std::vector<uint16_t> drop;
    };
    const Case kCases[] = {
        {"LZW compression", 1, 8, 1, 1, {ShortEntry(259, {5}, le)}, {}},
        {"PackBits compression", 1, 8, 1, 1, {ShortEntry(259, {32773}, le)}, {}},
        {"RGB with one BitsPerSample value", 2, 8, 1, 3, {}, {}},
        {"RGB with three different values", 2, 8, 3, 3, {ShortEntry(258, {8, 8, 16}, le)}, {}},
        {"RGB with 4-bit samples", 2, 4, 3, 3, {}, {}},
        {"RGB with alpha", 2, 8, 3, 4, {}, {}},
        {"RGBA by BitsPerSample only", 2, 8, 0, 0, {ShortEntry(258, {8, 8, 8, 8}, le)}, {}},
        {"RGB in separate planes", 2, 8, 3, 3, {ShortEntry(284, {2}, le)}, {}},
        {"grey with alpha", 1, 8, 1, 2, {ShortEntry(338, {2}, le)}, {}},
        {"grey with alpha by BitsPerSample only", 1, 8, 0, 0, {ShortEntry(258, {8, 8}, le)}, {}},
        {"grey with three samples", 1, 8, 3, 3, {}, {}},
        {"palette with two samples", 3, 8, 1, 2, {}, {}},
        {"2-bit grey", 1, 2, 1, 1, {}, {}},
        {"16-bit grey", 1, 16, 1, 1, {}, {}},
        {"palette without a map", 3, 8, 1, 1, {}, {320}},
        {"no photometric", 1, 8, 1, 1, {}, {262}},
        {"CMYK", 5, 8, 1, 1, {}, {}},
        {"YCbCr", 6, 8, 3, 3, {}, {}},
    };
    for (const Case& c : kCases) {
        Picture p = MakePicture(4, 4, c.photometric == 3 ? 3 : 1, 8, 5);
        TiffSpec s = p.Recipe(le);
        s.photometric = c.photometric;
        s.bits = c.bits;
        s.bitsCount = c.bitsCount;
        s.samplesPerPixel = c.samples;
        s.data.resize(size_t{4} * 4 * 8, 0x55);
        s.extra = c.extra;
        s.drop = c.drop;
        DecodeResult r = Decode(BuildTiff(s));
        EXPECT_EQ(r.status, kDecodeBadHeader) << c.name;
    }
    // A single-sample image is the same in either planar configuration.
    TiffSpec s = MakePicture(3, 3, 1, 8, 5).Recipe(le);
    s.extra = {ShortEntry(284, {2}, le)};
    EXPECT_EQ(Decode(BuildTiff(s)).status, kDecodeOk);
}

TEST(TiffDecode, FaultCodes) {
    const bool le = false;
    TiffSpec good = MakePicture(4, 4, 1, 8, 9).Recipe(le);
    const std::vector<uint8_t> base = BuildTiff(good);
    auto with = [&](std::vector<TiffEntrySpec> extra, std::vector<uint16_t> drop = {}) {
        TiffSpec s = good;
        s.extra = std::move(extra);
        s.drop = std::move(drop);
        return BuildTiff(s);
    };
    auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
        std::vector<uint8_t> b = base;
        std::copy(bytes.begin(), bytes.end(), b.begin() + static_cast<ptrdiff_t>(at));
        return b;
    };
    const uint32_t beyond = static_cast<uint32_t>(base.size() + 64);
    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        DecodeStatus want;
    };
    const Case kCases[] = {
        {"7 bytes", std::vector<uint8_t>(base.begin(), base.begin() + 7), kTiffBadData},
        {"byte order IM", patched(0, {'I', 'M'}), kTiffBadData},
        {"43 instead of 42", patched(2, {43, 0}), kTiffBadData},
        {"directory beyond the end", patched(4, {0xFF, 0xFF, 0, 0}), kTiffBadData},
        {"directory offset at the last byte",
         patched(4, Bytes32({static_cast<uint32_t>(base.size() - 1)}, le)), kTiffBadData},
        {"entries cut", std::vector<uint8_t>(base.begin(), base.end() - 20), kTiffBadData},
        {"width of type BYTE", with({{256, 1, 1, {4, 0, 0, 0}}}), kTiffBadData},
        {"width 0", with({LongEntry(256, {0}, le)}), kTiffBadData},
        {"length 0 as SHORT", with({ShortEntry(257, {0}, le)}), kTiffBadData},
        {"width 2^31", with({LongEntry(256, {0x80000000u}, le)}), kDecodeBadHeader},
        {"no width", with({}, {256}), kDecodeBadHeader},
        {"no length", with({}, {257}), kDecodeBadHeader},
        {"no strip offsets", with({}, {273}), kTiffBadData},
        {"no strip byte counts", with({}, {279}), kTiffBadData},
        {"unequal strip tables", with({LongEntry(279, {8, 8}, le)}), kTiffBadData},
        {"repeated strip offsets", with({LongEntry(273, {8}, le), LongEntry(273, {8}, le)}), kTiffBadData},
        {"strip offsets of type BYTE", with({{273, 1, 1, {8, 0, 0, 0}}}), kTiffBadData},
        {"strip offsets of count 0", with({{273, kLong, 0, {}}}), kTiffBadData},
        {"strip table of 2^30 entries", with({{273, kLong, 1u << 30, Bytes32({8}, le), true}}),
         kDecodeBadHeader},
        {"strip table outside the file",
         with({{273, kLong, 2, Bytes32({beyond}, le), true}, LongEntry(279, {8, 8}, le)}), kTiffBadData},
        {"strip outside the file", with({LongEntry(273, {beyond}, le)}), kDecodeShortInput},
        {"strip running past the end", with({LongEntry(279, {static_cast<uint32_t>(base.size())}, le)}),
         kDecodeShortInput},
        {"byte counts adding up to 4 GiB",
         with({LongEntry(273, {8, 8}, le), LongEntry(279, {0x80000000u, 0x80000000u}, le)}),
         kDecodeBadHeader},
        {"BitsPerSample values outside the file", with({{258, kShort, 3, Bytes32({beyond}, le), true}}),
         kTiffBadData},
        {"picture of 4 GiB", with({LongEntry(256, {70000}, le), LongEntry(257, {70000}, le)}),
         kDecodeBadHeader},
        {"map outside the file",
         [&] {
             TiffSpec s = MakePicture(2, 2, 3, 8, 1).Recipe(le);
             s.colorMap.clear();
             s.extra = {{320, kShort, 768, Bytes32({beyond}, le), true}};
             return BuildTiff(s);
         }(),
         kDecodeShortInput},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(Decode(c.bytes).status, c.want) << c.name;
    }
}

TEST(TiffDecode, EntryPoints) {
    Picture p = MakePicture(6, 5, 2, 16, 4);
    std::vector<uint8_t> bytes = BuildTiff(p.Recipe(true));
    DecodedImagePtr fromMemory(TiffDecodeMemory(bytes.data(), bytes.size()));
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(fromMemory->sourceSize, bytes.size());
    ExpectPicture(fromMemory.get(), p, "memory");

    ScratchFile file(bytes);
    DecodedImagePtr fromFile(TiffDecodeFile(file.path()));
    ASSERT_TRUE(fromFile);
    EXPECT_NE(fromFile->sourceTime, 0u);
    std::string why;
    EXPECT_TRUE(SamePicture(fromMemory.get(), fromFile.get(), &why)) << why;
    EXPECT_FALSE(DecodedImagePtr(TiffDecodeMemory(bytes.data(), 7)));
    EXPECT_FALSE(DecodedImagePtr(TiffDecodeFile(u"/no/such/folder/x.tif")));
}

TEST(TiffDecode, AllocationFailuresDegrade) {
    Picture p = MakePicture(5, 5, 3, 8, 4);
    std::vector<uint8_t> bytes = BuildTiff(p.Recipe(false));
    bool succeeded = false;
    for (int n = 0; n < 20 && !succeeded; n++) {
        AppHeapFailAfter(n);
        DecodedImagePtr image(TiffDecodeMemory(bytes.data(), bytes.size()));
        AppHeapFailAfter(-1);
        succeeded = static_cast<bool>(image);
    }
    EXPECT_TRUE(succeeded);
}

}  // namespace
