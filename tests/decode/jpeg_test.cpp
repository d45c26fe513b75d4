#include "decode/jpeg.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
#include "platform/heap.h"
#include "tests/decode/jpeg_test_util.h"

namespace {

// Decodes from a block of exactly the input's size, so that a read past the end
// is a heap overflow the sanitizers report.
DecodedImagePtr Decode(const Bytes& jpeg, int32_t* orientation = nullptr) {
    uint8_t* block = static_cast<uint8_t*>(malloc(jpeg.empty() ? 1 : jpeg.size()));
    if (!jpeg.empty()) {
        memcpy(block, jpeg.data(), jpeg.size());
    }
    int32_t unused = 1;
    DecodedImagePtr image(
        JpegDecodeMemory(block, jpeg.size(), orientation != nullptr ? orientation : &unused));
    free(block);
    return image;
}

uint32_t Stride(int width, int bitCount) {
    return (static_cast<uint32_t>(width) * static_cast<uint32_t>(bitCount / 8) + 3) & ~3u;
}

// The pixel block's row y counted from the top of the picture.
const uint8_t* TopRow(const DecodedImage* image, int y) {
    uint32_t stride = Stride(image->header.width, image->header.bitCount);
    return image->pixels + size_t{stride} * static_cast<size_t>(image->header.height - 1 - y);
}

// Adobe-inverted CMYK to blue-green-red, written out independently of the decoder.
void CmykToBgr(const uint8_t* cmyk, uint8_t* bgr) {
    bgr[0] = static_cast<uint8_t>(cmyk[2] * cmyk[3] / 255);
    bgr[1] = static_cast<uint8_t>(cmyk[1] * cmyk[3] / 255);
    bgr[2] = static_cast<uint8_t>(cmyk[0] * cmyk[3] / 255);
}

// Record fields and every pixel against the library's own decode.
void ExpectMatchesReference(const DecodedImage* image, const ReferenceImage& ref, const std::string& name) {
    ASSERT_NE(image, nullptr) << name;
    ASSERT_TRUE(ref.ok) << name;
    const BitmapInfoHeader& h = image->header;
    int bitCount = ref.components == 1 ? 8 : 24;
    EXPECT_EQ(h.size, 40u) << name;
    EXPECT_EQ(h.width, ref.width) << name;
    EXPECT_EQ(h.height, ref.height) << name;
    EXPECT_EQ(h.planes, 1) << name;
    EXPECT_EQ(h.bitCount, bitCount) << name;
    EXPECT_EQ(h.compression, 0u) << name;
    EXPECT_EQ(image->sourceFormat, kFormatJpeg) << name;
    EXPECT_EQ(image->sourceBits, bitCount) << name;
    if (bitCount == 8) {
        for (int i = 0; i < 256; ++i) {
            const RgbQuad& q = image->palette[i];
            ASSERT_TRUE(q.blue == i && q.green == i && q.red == i && q.reserved == 0)
                << name << " palette " << i;
        }
    }
    size_t inRow = static_cast<size_t>(ref.width) * static_cast<size_t>(ref.components);
    for (int y = 0; y < ref.height; ++y) {
        const uint8_t* want = ref.pixels.data() + inRow * static_cast<size_t>(y);
        const uint8_t* got = TopRow(image, y);
        if (ref.components == 4) {
            for (int x = 0; x < ref.width; ++x) {
                uint8_t bgr[3];
                CmykToBgr(want + std::ptrdiff_t{4} * x, bgr);
                ASSERT_EQ(memcmp(got + std::ptrdiff_t{3} * x, bgr, 3), 0)
                    << name << " pixel " << x << "," << y;
            }
        } else {
            ASSERT_EQ(memcmp(got, want, inRow), 0) << name << " row " << y;
        }
    }
}

struct SpecCase {
    const char* name;
    JpegSpec recipe;
};

JpegSpec Recipe(int w, int h, J_COLOR_SPACE space, int components) {
    JpegSpec s;
    s.width = w;
    s.height = h;
    s.inSpace = space;
    s.components = components;
    return s;
}

JpegSpec With(JpegSpec s, void (*edit)(JpegSpec*)) {
    edit(&s);
    return s;
}

std::vector<SpecCase> DifferentialCases() {
    return {
        {"rgb 4:2:0 odd size", Recipe(37, 29, JCS_RGB, 3)},
        {"rgb 1x1", Recipe(1, 1, JCS_RGB, 3)},
        {"rgb 2x3", Recipe(2, 3, JCS_RGB, 3)},
        {"rgb 4:4:4", With(Recipe(33, 17, JCS_RGB, 3), [](JpegSpec* s) { s->hSamp = s->vSamp = 1; })},
        {"rgb 4:2:2", With(Recipe(50, 21, JCS_RGB, 3), [](JpegSpec* s) { s->vSamp = 1; })},
        {"rgb 4:4:0", With(Recipe(19, 40, JCS_RGB, 3), [](JpegSpec* s) { s->hSamp = 1; })},
        {"rgb 4:1:1", With(Recipe(70, 9, JCS_RGB, 3),
                           [](JpegSpec* s) {
                               s->hSamp = 4;
                               s->vSamp = 1;
                           })},
        {"tall, more rows than one read", Recipe(8, 301, JCS_RGB, 3)},
        {"progressive", With(Recipe(45, 38, JCS_RGB, 3), [](JpegSpec* s) { s->progressive = true; })},
        {"arithmetic", With(Recipe(24, 24, JCS_RGB, 3), [](JpegSpec* s) { s->arithmetic = true; })},
        {"restart every mcu", With(Recipe(64, 48, JCS_RGB, 3), [](JpegSpec* s) { s->restartInterval = 1; })},
        {"stored as rgb", With(Recipe(21, 13, JCS_RGB, 3), [](JpegSpec* s) { s->storeAs = JCS_RGB; })},
        {"no jfif", With(Recipe(30, 20, JCS_RGB, 3), [](JpegSpec* s) { s->writeJfif = false; })},
        {"quality 100", With(Recipe(16, 16, JCS_RGB, 3), [](JpegSpec* s) { s->quality = 100; })},
        {"grey", Recipe(13, 7, JCS_GRAYSCALE, 1)},
        {"grey width 4", Recipe(4, 4, JCS_GRAYSCALE, 1)},
        {"grey progressive",
         With(Recipe(101, 67, JCS_GRAYSCALE, 1), [](JpegSpec* s) { s->progressive = true; })},
        {"cmyk", Recipe(23, 11, JCS_CMYK, 4)},
        {"ycck", With(Recipe(23, 11, JCS_CMYK, 4), [](JpegSpec* s) { s->storeAs = JCS_YCCK; })},
        {"cmyk progressive", With(Recipe(17, 33, JCS_CMYK, 4), [](JpegSpec* s) { s->progressive = true; })},
    };
}

TEST(JpegDecodeTest, MatchesTheLibrarysOwnDecode) {
    for (const SpecCase& c : DifferentialCases()) {
        Bytes jpeg = CompressJpeg(c.recipe);
        ASSERT_FALSE(jpeg.empty()) << c.name;
        DecodedImagePtr image = Decode(jpeg);
        ExpectMatchesReference(image.get(), ReferenceDecode(jpeg), c.name);
        if (image) {
            EXPECT_EQ(image->sourceSize, jpeg.size()) << c.name;
            EXPECT_EQ(image->sourceTime, 0u) << c.name;
        }
    }
}

struct Cmyk {
    uint8_t c, m, y, k;
};

Bytes SolidCmyk(Cmyk v, J_COLOR_SPACE storeAs) {
    JpegSpec s = Recipe(16, 16, JCS_CMYK, 4);
    s.storeAs = storeAs;
    s.quality = 100;
    s.hSamp = s.vSamp = 1;
    for (int i = 0; i < 16 * 16; ++i) {
        s.pixels.insert(s.pixels.end(), {v.c, v.m, v.y, v.k});
    }
    return CompressJpeg(s);
}

TEST(JpegDecodeTest, CmykAndYcckColours) {
    // Values as Adobe applications store them: 255 means no ink.
    struct Case {
        const char* name;
        Cmyk stored;
        uint8_t blue, green, red;
    };
    static const Case kCases[] = {
        {"no ink is white", {255, 255, 255, 255}, 255, 255, 255},
        {"full black ink", {255, 255, 255, 0}, 0, 0, 0},
        {"black over colour", {0, 128, 255, 0}, 0, 0, 0},
        {"magenta and yellow make red", {255, 0, 0, 255}, 0, 0, 255},
        {"cyan", {0, 255, 255, 255}, 255, 255, 0},
        {"half black", {255, 255, 255, 128}, 128, 128, 128},
        {"mixed", {200, 100, 50, 220}, 43, 86, 172},
    };
    for (J_COLOR_SPACE space : {JCS_CMYK, JCS_YCCK}) {
        const char* kind = space == JCS_CMYK ? "cmyk " : "ycck ";
        for (const Case& c : kCases) {
            DecodedImagePtr image = Decode(SolidCmyk(c.stored, space));
            ASSERT_TRUE(image) << kind << c.name;
            ASSERT_EQ(image->header.bitCount, 24) << kind << c.name;
            EXPECT_EQ(image->sourceBits, 24) << kind << c.name;
            // Quantisation and the YCCK transform may move a level or two.
            for (int y : {0, 15}) {
                const uint8_t* p = TopRow(image.get(), y) + std::ptrdiff_t{3} * 7;
                EXPECT_NEAR(p[0], c.blue, 2) << kind << c.name;
                EXPECT_NEAR(p[1], c.green, 2) << kind << c.name;
                EXPECT_NEAR(p[2], c.red, 2) << kind << c.name;
            }
        }
    }
}

std::string FixturePath(const char* name) {
    return std::string(PW_JPEG_FIXTURE_DIR) + "/" + name;
}

Bytes ReadFile(const std::string& path) {
    Bytes b;
    FILE* f = fopen(path.c_str(), "rb");
    if (f == nullptr) {
        return b;
    }
    uint8_t buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
        b.insert(b.end(), buf, buf + n);
    }
    fclose(f);
    return b;
}

TEST(JpegDecodeTest, ImageMagickCmykFiles) {
    struct Case {
        const char* file;
        uint8_t blue, green, red;
    };
    static const Case kCases[] = {
        {"ycck_white.jpg", 255, 255, 255}, {"ycck_black.jpg", 0, 0, 0},  {"ycck_red.jpg", 0, 0, 255},
        {"ycck_green.jpg", 0, 255, 0},     {"ycck_blue.jpg", 255, 0, 0}, {"ycck_grey.jpg", 128, 128, 128},
        {"ycck_kblack.jpg", 0, 0, 0},
    };
    for (const Case& c : kCases) {
        Bytes jpeg = ReadFile(FixturePath(c.file));
        ASSERT_FALSE(jpeg.empty()) << c.file;
        DecodedImagePtr image = Decode(jpeg);
        ASSERT_TRUE(image) << c.file;
        ExpectMatchesReference(image.get(), ReferenceDecode(jpeg), c.file);
        const uint8_t* p = TopRow(image.get(), 8) + std::ptrdiff_t{3} * 8;
        EXPECT_NEAR(p[0], c.blue, 3) << c.file;
        EXPECT_NEAR(p[1], c.green, 3) << c.file;
        EXPECT_NEAR(p[2], c.red, 3) << c.file;
    }

    // The same photo stored as CMYK and as RGB comes out alike.
    DecodedImagePtr cmyk = Decode(ReadFile(FixturePath("ycck_rose.jpg")));
    DecodedImagePtr rgb = Decode(ReadFile(FixturePath("rgb_rose.jpg")));
    ASSERT_TRUE(cmyk && rgb);
    ASSERT_EQ(cmyk->header.width, rgb->header.width);
    ASSERT_EQ(cmyk->header.height, rgb->header.height);
    uint64_t total = 0;
    uint64_t count = 0;
    for (int y = 0; y < rgb->header.height; ++y) {
        const uint8_t* a = TopRow(cmyk.get(), y);
        const uint8_t* b = TopRow(rgb.get(), y);
        for (int i = 0; i < rgb->header.width * 3; ++i) {
            total += static_cast<uint64_t>(std::abs(a[i] - b[i]));
            ++count;
        }
    }
    EXPECT_LT(total / count, 6u) << "mean difference per sample";
}

TEST(JpegDecodeTest, JfifDensityInPixelsPerMetre) {
    struct Case {
        const char* name;
        bool jfif;
        uint8_t unit;
        uint16_t x, y;
        int32_t wantX, wantY;
    };
    static const Case kCases[] = {
        {"72 dpi", true, 1, 72, 72, 2835, 2835},
        {"300 by 600 dpi", true, 1, 300, 600, 11811, 23622},
        {"largest dpi", true, 1, 65535, 1, 2580118, 39},
        {"dots per cm", true, 2, 100, 47, 10000, 4700},
        {"largest dots per cm", true, 2, 65535, 65535, 6553500, 6553500},
        {"aspect ratio only", true, 0, 1, 2, 0, 0},
        {"no jfif", false, 1, 300, 300, 0, 0},
    };
    for (const Case& c : kCases) {
        JpegSpec s = Recipe(8, 8, JCS_GRAYSCALE, 1);
        s.writeJfif = c.jfif;
        s.densityUnit = c.unit;
        s.xDensity = c.x;
        s.yDensity = c.y;
        DecodedImagePtr image = Decode(CompressJpeg(s));
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(image->header.xPelsPerMeter, c.wantX) << c.name;
        EXPECT_EQ(image->header.yPelsPerMeter, c.wantY) << c.name;
    }
}

Bytes BaseJpeg(bool progressive = false) {
    JpegSpec s = Recipe(48, 40, JCS_RGB, 3);
    s.progressive = progressive;
    return CompressJpeg(s);
}

// Every prefix of a picture: our decode succeeds exactly when the library's own
// decode over the same bytes does (both supply an end marker when the input runs
// out), and then with the same pixels.
TEST(JpegDecodeTest, EveryTruncationAgreesWithTheLibrary) {
    for (bool progressive : {false, true}) {
        Bytes full = BaseJpeg(progressive);
        long sos = FindMarker(full, 0xDA);
        ASSERT_GT(sos, 0);
        size_t decoded = 0;
        for (size_t n = 0; n < full.size(); ++n) {
            Bytes cut(full.begin(), full.begin() + static_cast<long>(n));
            std::string name = (progressive ? "progressive cut at " : "baseline cut at ") + std::to_string(n);
            ReferenceImage ref = ReferenceDecode(cut);
            DecodedImagePtr image = Decode(cut);
            ASSERT_EQ(image.get() != nullptr, ref.ok) << name;
            if (image) {
                ExpectMatchesReference(image.get(), ref, name);
                ++decoded;
            } else if (!progressive) {
                // Only a cut before the picture's data can fail (a progressive
                // picture also fails when cut inside a later scan's tables).
                size_t sosEnd = static_cast<size_t>(sos) + 2 +
                                (size_t{full[static_cast<size_t>(sos) + 2]} << 8) +
                                full[static_cast<size_t>(sos) + 3];
                ASSERT_LT(n, sosEnd) << name;
            }
        }
        // Cut in the middle of the data, the picture still has its full size.
        EXPECT_GT(decoded, full.size() / 2);
    }
}

// Damaged bytes anywhere: the same outcome as the library's own decode.
TEST(JpegDecodeTest, CorruptBytesAgreeWithTheLibrary) {
    for (bool progressive : {false, true}) {
        Bytes full = BaseJpeg(progressive);
        uint32_t state = 12345;
        int decoded = 0;
        for (int round = 0; round < 400; ++round) {
            Bytes bad = full;
            int flips = 1 + round % 4;
            for (int i = 0; i < flips; ++i) {
                state = state * 1103515245u + 12345u;
                size_t at = 2 + (state >> 8) % (bad.size() - 2);
                state = state * 1103515245u + 12345u;
                bad[at] = static_cast<uint8_t>(state >> 16);
            }
            std::string name =
                (progressive ? "progressive round " : "baseline round ") + std::to_string(round);
            ReferenceImage ref = ReferenceDecode(bad);
            DecodedImagePtr image = Decode(bad);
            // The decoder refuses component counts the library would deliver.
            bool supported = ref.ok && (ref.components == 1 || ref.components == 3 || ref.components == 4);
            ASSERT_EQ(image.get() != nullptr, supported) << name;
            if (image) {
                ExpectMatchesReference(image.get(), ref, name);
                ++decoded;
            }
        }
        // Both outcomes occur: most damage is survivable, some is not.
        EXPECT_GT(decoded, 100) << (progressive ? "progressive" : "baseline");
        EXPECT_LT(decoded, 400) << (progressive ? "progressive" : "baseline");
    }
}

// Damaged or missing restart markers are resynchronised by the library's
// standard routine, exactly as in its own decode.
TEST(JpegDecodeTest, RestartMarkersResynchronise) {
    JpegSpec s = Recipe(64, 64, JCS_RGB, 3);
    s.restartInterval = 2;
    Bytes full = CompressJpeg(s);
    struct Case {
        const char* name;
        uint8_t find;
        int replaceWith;  // -1 removes the marker
    };
    static const Case kCases[] = {
        {"rst1 renumbered rst3", 0xD1, 0xD3},
        {"rst2 renumbered rst1", 0xD2, 0xD1},
        {"rst0 renumbered rst7", 0xD0, 0xD7},
        {"rst3 missing", 0xD3, -1},
        {"rst1 turned into a comment marker", 0xD1, 0xFE},
    };
    for (const Case& c : kCases) {
        Bytes bad = full;
        long at = FindMarker(bad, c.find);
        ASSERT_GT(at, 0) << c.name;
        if (c.replaceWith < 0) {
            bad.erase(bad.begin() + at, bad.begin() + at + 2);
        } else {
            bad[static_cast<size_t>(at) + 1] = static_cast<uint8_t>(c.replaceWith);
        }
        ReferenceImage ref = ReferenceDecode(bad);
        DecodedImagePtr image = Decode(bad);
        ASSERT_EQ(image.get() != nullptr, ref.ok) << c.name;
        if (image) {
            ExpectMatchesReference(image.get(), ref, c.name);
        }
    }
}

// Rewrites the frame header's height and width (baseline or progressive).
Bytes WithSize(Bytes jpeg, uint32_t width, uint32_t height) {
    long sof = FindMarker(jpeg, 0xC0);
    if (sof < 0) {
        sof = FindMarker(jpeg, 0xC2);
    }
    if (sof < 0) {
        return {};
    }
    size_t at = static_cast<size_t>(sof) + 5;
    jpeg[at] = static_cast<uint8_t>(height >> 8);
    jpeg[at + 1] = static_cast<uint8_t>(height);
    jpeg[at + 2] = static_cast<uint8_t>(width >> 8);
    jpeg[at + 3] = static_cast<uint8_t>(width);
    return jpeg;
}

TEST(JpegDecodeTest, RefusedInputs) {
    Bytes small = CompressJpeg(Recipe(16, 16, JCS_RGB, 3));
    Bytes smallGrey = CompressJpeg(Recipe(16, 16, JCS_GRAYSCALE, 1));
    Bytes smallProgressive = BaseJpeg(true);
    struct Case {
        const char* name;
        Bytes bytes;
    };
    const Case kCases[] = {
        {"empty", {}},
        {"start of image only", {0xFF, 0xD8}},
        {"start and end of image", {0xFF, 0xD8, 0xFF, 0xD9}},
        {"tables only", CompressTablesOnly()},
        {"png signature", {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A, 0, 0, 0, 13}},
        {"two components", CompressJpeg(Recipe(8, 8, JCS_UNKNOWN, 2))},
        {"five components", CompressJpeg(Recipe(8, 8, JCS_UNKNOWN, 5))},
        {"zero width", WithSize(small, 0, 16)},
        // Pixel blocks of 4 GiB or more are refused before anything is decoded.
        {"colour block of 4 GiB", WithSize(small, 37450, 38228)},
        {"largest colour", WithSize(small, 65500, 65500)},
        // Refused before the library sets up its whole-picture coefficient
        // buffers (about 12 GiB here), not after.
        {"largest progressive", WithSize(smallProgressive, 65500, 65500)},
    };
    for (const Case& c : kCases) {
        int32_t orientation = 7;
        DecodedImagePtr image = Decode(c.bytes, &orientation);
        EXPECT_FALSE(image) << c.name;
        EXPECT_EQ(orientation, 7) << c.name << ": left as it was";
    }
    // A picture cut short after its frame header still decodes at its full size.
    DecodedImagePtr grown = Decode(WithSize(smallGrey, 300, 200));
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->header.width, 300);
    EXPECT_EQ(grown->header.height, 200);
}

TEST(JpegDecodeTest, ReportsTheExifOrientation) {
    Bytes base = BaseJpeg();
    struct Case {
        const char* name;
        Bytes bytes;
        int32_t want;
    };
    const Case kCases[] = {
        {"none", base, 1},
        {"rotated 6", InsertAfterSoi(base, MakeExifApp1(MakeExifTiff(false, {{0x0112, 3, 1, 6}}))), 6},
        {"big-endian 8", InsertAfterSoi(base, MakeExifApp1(MakeExifTiff(true, {{0x0112, 3, 1, 8}}))), 8},
        {"mirrored 2", InsertAfterSoi(base, MakeExifApp1(MakeExifTiff(true, {{0x0112, 3, 1, 2}}))), 1},
        {"bad directory offset",
         InsertAfterSoi(
             base, MakeExifApp1(WithDirectoryOffset(MakeExifTiff(false, {{0x0112, 3, 1, 6}}), 0xFFFFFFF0u))),
         1},
    };
    for (const Case& c : kCases) {
        int32_t orientation = 5;
        DecodedImagePtr image = Decode(c.bytes, &orientation);
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(orientation, c.want) << c.name;
    }
    // A null orientation is allowed.
    Bytes rotated = InsertAfterSoi(base, MakeExifApp1(MakeExifTiff(false, {{0x0112, 3, 1, 6}})));
    DecodedImagePtr image(JpegDecodeMemory(rotated.data(), rotated.size(), nullptr));
    EXPECT_TRUE(image);
}

TEST(JpegDecodeTest, OutOfMemoryFailsCleanly) {
    Bytes jpeg = BaseJpeg();
    // The record, then the pixel block.
    for (int64_t n : {0, 1}) {
        AppHeapFailAfter(n);
        DecodedImagePtr image = Decode(jpeg);
        AppHeapFailAfter(-1);
        EXPECT_FALSE(image) << "failure after " << n;
    }
    EXPECT_TRUE(Decode(jpeg));
}

std::u16string U16(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

TEST(JpegDecodeTest, FileEntryPoint) {
    std::error_code ec;
    std::filesystem::path dir = std::filesystem::temp_directory_path(ec) / "pw_jpeg_test";
    std::filesystem::create_directories(dir, ec);
    ASSERT_FALSE(ec);
    Bytes jpeg = InsertAfterSoi(BaseJpeg(), MakeExifApp1(MakeExifTiff(true, {{0x0112, 3, 1, 3}})));
    std::string good = (dir / "good.png").string();  // content decides, not the name
    std::string empty = (dir / "empty.jpg").string();
    for (const auto& [path, bytes] : {std::pair{good, jpeg}, std::pair{empty, Bytes{}}}) {
        FILE* f = fopen(path.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        if (!bytes.empty()) {
            ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
        }
        fclose(f);
    }

    int32_t orientation = 1;
    DecodedImagePtr image(JpegDecodeFile(U16(good).c_str(), &orientation));
    ASSERT_TRUE(image);
    EXPECT_EQ(orientation, 3);
    EXPECT_EQ(image->sourceSize, jpeg.size());
    EXPECT_NE(image->sourceTime, 0u);
    ExpectMatchesReference(image.get(), ReferenceDecode(jpeg), "file");

    orientation = 1;
    EXPECT_FALSE(DecodedImagePtr(JpegDecodeFile(U16(empty).c_str(), &orientation)));
    EXPECT_FALSE(DecodedImagePtr(JpegDecodeFile(U16((dir / "missing.jpg").string()).c_str(), &orientation)));
    EXPECT_EQ(orientation, 1);
    std::filesystem::remove_all(dir, ec);
}

// Inputs that once broke a decoder (fuzzer finds, kept in tests/regress/jpeg):
// each must fail cleanly through both entry points.
TEST(JpegDecodeTest, RegressionInputsFailCleanly) {
    std::error_code ec;
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(PW_JPEG_REGRESS_DIR, ec)) {
        std::string path = entry.path().string();
        if (entry.path().extension() == ".md" || entry.path().extension() == ".py") {
            continue;
        }
        ++count;
        int32_t orientation = 1;
        EXPECT_FALSE(Decode(ReadFile(path), &orientation)) << path;
        EXPECT_FALSE(DecodedImagePtr(JpegDecodeFile(U16(path).c_str(), &orientation))) << path;
        EXPECT_EQ(orientation, 1) << path;
    }
    EXPECT_FALSE(ec) << PW_JPEG_REGRESS_DIR;
    EXPECT_GT(count, 0);
}

// A picture decoded into a block the view let go is byte for byte what a fresh
// block gets, row padding and spare bytes included: the decoder writes every
// pixel and nothing of the block's earlier picture shows through, even for a
// stream that is cut short.
TEST(JpegDecodeTest, AReusedBlockCarriesNothingOfItsLastPicture) {
    struct Restore {
        ~Restore() {
            BlockReserveRelease(PictureReserve());
            ReserveSetCap(PictureReserve(), 0);
        }
    } restore;
    const Bytes colour = CompressJpeg(Recipe(37, 29, JCS_RGB, 3));
    const Bytes grey = CompressJpeg(Recipe(41, 30, JCS_GRAYSCALE, 1));
    const Bytes cut(colour.begin(), colour.begin() + static_cast<long>(colour.size() * 2 / 3));
    struct Case {
        const char* name;
        const Bytes* jpeg;
        uint32_t stride;
        uint32_t rows;
    };
    const Case cases[] = {
        {"colour, padded rows", &colour, 112, 29},
        {"grey, padded rows", &grey, 44, 30},
        {"cut short", &cut, 112, 29},
    };
    for (const Case& c : cases) {
        ReserveSetCap(PictureReserve(), 0);
        DecodedImagePtr fresh = Decode(*c.jpeg);
        ASSERT_TRUE(fresh) << c.name;
        const size_t bytes = size_t{c.stride} * c.rows + 4;
        const Bytes expected(fresh->pixels, fresh->pixels + bytes);

        ReserveSetCap(PictureReserve(), 1 << 20);
        uint8_t* dirty = TakePixelBlock(c.stride, c.rows);
        ASSERT_NE(dirty, nullptr);
        std::memset(dirty, 0xA5, bytes);
        GivePixelBlock(dirty);
        const uint64_t reusedBefore = ReserveCounts(PictureReserve()).reused;
        DecodedImagePtr again = Decode(*c.jpeg);
        ASSERT_TRUE(again) << c.name;
        EXPECT_EQ(ReserveCounts(PictureReserve()).reused, reusedBefore + 1) << c.name;
        EXPECT_EQ(Bytes(again->pixels, again->pixels + bytes), expected) << c.name;
        BlockReserveRelease(PictureReserve());
    }
}

}  // namespace
