// GIF decoder: placement on the screen, interlacing, transparency, LZW details,
// truncated data and the fault codes, through byte-built files.
#include <gtest/gtest.h>

#include <cstring>

#include "decode/gif.h"
#include "decode/gif_lzw.h"
#include "decode/picture_limit.h"
#include "platform/heap.h"
#include "tests/decode/gif_builder.h"
#include "tests/decode/giftiff_util.h"

namespace {

DecodeResult Decode(const std::vector<uint8_t>& bytes) {
    return DecodeBytes(GifDecodeInput, bytes);
}

// Checks every screen pixel: the image's indices inside its rectangle, the
// background index outside.
void ExpectPlaced(const DecodedImage* image, const GifSpec& recipe, const char* name) {
    const GifFrame& f = recipe.frames[0];
    ASSERT_EQ(image->header.width, recipe.screenWidth) << name;
    ASSERT_EQ(image->header.height, recipe.screenHeight) << name;
    for (int y = 0; y < recipe.screenHeight; y++) {
        for (int x = 0; x < recipe.screenWidth; x++) {
            bool inside = x >= f.left && x < f.left + f.width && y >= f.top && y < f.top + f.height;
            uint8_t want =
                inside ? f.indices[static_cast<size_t>(y - f.top) * f.width + static_cast<size_t>(x - f.left)]
                       : recipe.background;
            ASSERT_EQ(IndexAt(image, x, y), want) << name << " at " << x << "," << y;
        }
    }
}

TEST(GifDecode, RecordFieldsAndPalette) {
    GifSpec recipe;
    recipe.screenWidth = 5;
    recipe.screenHeight = 3;
    recipe.globalTable = {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {100, 110, 120}};
    recipe.frames.push_back(FullFrame(5, 3, {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2}));
    DecodeResult r = Decode(BuildGif(recipe));
    ASSERT_EQ(r.status, kDecodeOk);
    const DecodedImage* image = r.image.get();
    EXPECT_EQ(image->header.size, 40u);
    EXPECT_EQ(image->header.bitCount, 8);
    EXPECT_EQ(image->header.planes, 1);
    EXPECT_EQ(image->header.xPelsPerMeter, 0);
    EXPECT_EQ(image->sourceFormat, kFormatGif);
    EXPECT_EQ(image->sourceBits, 2);
    EXPECT_EQ(image->palette[1].red, 40);
    EXPECT_EQ(image->palette[1].green, 50);
    EXPECT_EQ(image->palette[1].blue, 60);
    EXPECT_EQ(image->palette[4].red, 0) << "entries beyond the table stay zero";
    // Bottom-up: the first block row is the last screen row.
    EXPECT_EQ(image->pixels[0], 2);
    EXPECT_EQ(image->pixels[1], 3);
    EXPECT_EQ(image->pixels[8 * 2 + 4], 0);
    ExpectPlaced(image, recipe, "fields");
}

TEST(GifDecode, PlacesTheImageOnTheScreen) {
    struct Case {
        const char* name;
        uint16_t screenW, screenH, left, top, w, h;
        uint8_t background;
        bool interlaced;
    };
    static const Case kCases[] = {
        {"10x10 at 5,5 on 20x20", 20, 20, 5, 5, 10, 10, 7, false},
        {"10x10 at 5,5 interlaced", 20, 20, 5, 5, 10, 10, 7, true},
        {"fills the screen", 9, 6, 0, 0, 9, 6, 3, false},
        {"at the bottom-right corner", 13, 11, 6, 4, 7, 7, 1, false},
        {"one pixel", 3, 3, 1, 1, 1, 1, 2, true},
        {"odd widths", 7, 5, 2, 0, 3, 5, 5, true},
        {"empty image", 4, 4, 2, 2, 0, 0, 6, false},
    };
    for (const Case& c : kCases) {
        GifSpec recipe;
        recipe.screenWidth = c.screenW;
        recipe.screenHeight = c.screenH;
        recipe.background = c.background;
        recipe.globalTable = RampTable(8);
        GifFrame f;
        f.left = c.left;
        f.top = c.top;
        f.width = c.w;
        f.height = c.h;
        f.interlaced = c.interlaced;
        f.indices = RandomIndices(size_t{c.w} * c.h, 8, 3, c.w * 31u + c.h);
        recipe.frames.push_back(f);
        DecodeResult r = Decode(BuildGif(recipe));
        ASSERT_EQ(r.status, kDecodeOk) << c.name;
        ExpectPlaced(r.image.get(), recipe, c.name);
    }
}

// An interlaced image and its non-interlaced twin give the same record, margins
// included, for every height around the pass boundaries.
TEST(GifDecode, InterlacedEqualsItsTwin) {
    // With margins, and filling a screen whose rows need no padding (the rows
    // are then put in order inside the pixel block itself).
    for (bool margins : {true, false}) {
        for (uint16_t h = 1; h <= 34; h++) {
            GifSpec recipe;
            recipe.screenWidth = margins ? 9 : 8;
            recipe.screenHeight = static_cast<uint16_t>(margins ? h + 3 : h);
            recipe.background = 4;
            recipe.globalTable = RampTable(16);
            GifFrame f;
            f.left = margins ? 2 : 0;
            f.top = margins ? 1 : 0;
            f.width = margins ? 5 : 8;
            f.height = h;
            f.indices = RandomIndices(size_t{f.width} * h, 16, 2, h);
            recipe.frames.push_back(f);
            DecodeResult plain = Decode(BuildGif(recipe));
            recipe.frames[0].interlaced = true;
            DecodeResult interlaced = Decode(BuildGif(recipe));
            std::string name = (margins ? "margins, height " : "full screen, height ") + std::to_string(h);
            ASSERT_EQ(plain.status, kDecodeOk) << name;
            ASSERT_EQ(interlaced.status, kDecodeOk) << name;
            std::string why;
            EXPECT_TRUE(SamePicture(plain.image.get(), interlaced.image.get(), &why)) << name << ": " << why;
            ExpectPlaced(interlaced.image.get(), recipe, name.c_str());
            ExpectPlaced(plain.image.get(), recipe, name.c_str());
        }
    }
}

TEST(GifDecode, TransparentIndexShowsTheBackgroundColour) {
    struct Case {
        const char* name;
        bool global;
        bool local;
        bool transparent;
        Color want;
    };
    static const Case kCases[] = {
        {"global table, background entry blue", true, false, true, {0, 0, 255}},
        {"local table in use, global background blue", true, true, true, {0, 0, 255}},
        {"no global table: white", false, true, true, {255, 255, 255}},
        {"flag clear: the table's own colour", true, false, false, {9, 9, 9}},
    };
    for (const Case& c : kCases) {
        GifSpec recipe;
        recipe.screenWidth = 4;
        recipe.screenHeight = 2;
        recipe.background = 2;
        if (c.global) {
            recipe.globalTable = {{1, 1, 1}, {9, 9, 9}, {0, 0, 255}, {3, 3, 3}};
        }
        GifFrame f = FullFrame(4, 2, {0, 1, 1, 0, 3, 1, 0, 0});
        if (c.local) {
            f.localTable = {{5, 5, 5}, {9, 9, 9}, {6, 6, 6}, {7, 7, 7}};
        }
        f.graphicControl = true;
        f.transparent = c.transparent;
        f.transparentIndex = 1;
        recipe.frames.push_back(f);
        DecodeResult r = Decode(BuildGif(recipe));
        ASSERT_EQ(r.status, kDecodeOk) << c.name;
        EXPECT_EQ(ColorAt(r.image.get(), 1, 0), c.want) << c.name;
        EXPECT_EQ(IndexAt(r.image.get(), 1, 0), 1) << c.name << ": the index itself is kept";
        EXPECT_EQ(ColorAt(r.image.get(), 0, 1),
                  (Color{c.local ? uint8_t{7} : uint8_t{3}, c.local ? uint8_t{7} : uint8_t{3},
                         c.local ? uint8_t{7} : uint8_t{3}}))
            << c.name << ": other entries untouched";
    }
}

TEST(GifDecode, SourceBitsAreTheLargerTable) {
    GifSpec recipe;
    recipe.screenWidth = 2;
    recipe.screenHeight = 2;
    recipe.globalTable = RampTable(4);
    GifFrame f = FullFrame(2, 2, {0, 1, 2, 3});
    f.localTable = RampTable(32);
    recipe.frames.push_back(f);
    DecodeResult r = Decode(BuildGif(recipe));
    ASSERT_EQ(r.status, kDecodeOk);
    EXPECT_EQ(r.image->sourceBits, 5);
    EXPECT_EQ(r.image->palette[31].red, 255) << "the local table is the one in use";

    recipe.globalTable = RampTable(256);
    r = Decode(BuildGif(recipe));
    ASSERT_EQ(r.status, kDecodeOk);
    EXPECT_EQ(r.image->sourceBits, 8);
}

TEST(GifDecode, FirstImageOfAnAnimationOnly) {
    GifSpec recipe;
    recipe.screenWidth = 6;
    recipe.screenHeight = 4;
    recipe.background = 0;
    recipe.globalTable = RampTable(4);
    recipe.extensions.push_back({0x21, 0xFF, 0x0B, 'N', 'E', 'T', 'S', 'C', 'A', 'P', 'E', '2', '.', '0',
                                 0x03, 0x01, 0x00, 0x00, 0x00});
    GifFrame first = FullFrame(3, 2, {1, 2, 3, 3, 2, 1});
    first.left = 1;
    first.top = 1;
    GifFrame second = FullFrame(6, 4, std::vector<uint8_t>(24, 3));
    recipe.frames = {first, second};
    DecodeResult r = Decode(BuildGif(recipe));
    ASSERT_EQ(r.status, kDecodeOk);
    ExpectPlaced(r.image.get(), recipe, "animation");

    // Whatever follows the first image is not read, even garbage.
    recipe.frames.resize(1);
    recipe.trailer = false;
    std::vector<uint8_t> bytes = BuildGif(recipe);
    bytes.insert(bytes.end(), {0x99, 0x21, 0x02});
    r = Decode(bytes);
    ASSERT_EQ(r.status, kDecodeOk);
}

TEST(GifDecode, ExtensionsBeforeTheImageAreSkipped) {
    struct Case {
        const char* name;
        std::vector<uint8_t> block;
    };
    const Case kCases[] = {
        {"comment", {0x21, 0xFE, 3, 'a', 'b', 'c', 2, 'd', 'e', 0}},
        {"plain text", {0x21, 0x01, 12, 0, 0, 0, 0, 8, 0, 8, 0, 1, 1, 0, 1, 4, 'T', 'e', 'x', 't', 0}},
        {"application", {0x21, 0xFF, 11, 'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', '1', '.', '0', 1, 7, 0}},
        {"graphic control without transparency", {0x21, 0xF9, 4, 0, 10, 0, 1, 0}},
        {"empty comment", {0x21, 0xFE, 0}},
    };
    for (const Case& c : kCases) {
        GifSpec recipe;
        recipe.screenWidth = 3;
        recipe.screenHeight = 1;
        recipe.globalTable = {{1, 2, 3}, {4, 5, 6}};
        recipe.extensions = {c.block, c.block};
        recipe.frames.push_back(FullFrame(3, 1, {1, 0, 1}));
        DecodeResult r = Decode(BuildGif(recipe));
        ASSERT_EQ(r.status, kDecodeOk) << c.name;
        ExpectPlaced(r.image.get(), recipe, c.name);
        EXPECT_EQ(ColorAt(r.image.get(), 0, 0), (Color{4, 5, 6})) << c.name;
    }
}

// Round trips through the test encoder: every code size, growing codes up to 12
// bits, a full table with and without a clear code, clear codes in mid-stream,
// repeated clear codes and the string-plus-its-own-first-byte case (long runs).
TEST(GifDecode, LzwRoundTrips) {
    struct Case {
        const char* name;
        int colors;
        int maxRun;
        uint16_t w, h;
        LzwOptions lzw;
    };
    static const Case kCases[] = {
        {"2 colours, short runs", 2, 3, 61, 47, {}},
        {"4 colours", 4, 2, 100, 80, {}},
        {"16 colours", 16, 4, 120, 90, {}},
        {"256 colours, full table cleared", 256, 2, 200, 150, {}},
        {"256 colours of noise: more data than pixels", 256, 1, 160, 120, {}},
        {"clear after every code", 4, 3, 50, 40, {true, true, 1, false}},
        {"256 colours, full table kept", 256, 2, 200, 150, {true, false, 0, false}},
        {"64 colours, clear every 100 codes", 64, 3, 150, 100, {true, true, 100, false}},
        {"double clears", 8, 5, 90, 90, {true, true, 37, true}},
        {"long runs", 3, 400, 300, 200, {}},
        {"one colour", 1, 1000, 257, 255, {}},
        {"no end code", 32, 3, 77, 55, {false, true, 0, false}},
    };
    for (const Case& c : kCases) {
        GifSpec recipe;
        recipe.screenWidth = c.w;
        recipe.screenHeight = c.h;
        size_t tableSize = 2;
        while (tableSize < static_cast<size_t>(c.colors)) {
            tableSize *= 2;
        }
        recipe.globalTable = RampTable(tableSize);
        GifFrame f = FullFrame(c.w, c.h, RandomIndices(size_t{c.w} * c.h, c.colors, c.maxRun, c.w));
        f.lzw = c.lzw;
        recipe.frames.push_back(f);
        DecodeResult r = Decode(BuildGif(recipe));
        ASSERT_EQ(r.status, kDecodeOk) << c.name;
        ExpectPlaced(r.image.get(), recipe, c.name);
    }
}

TEST(GifDecode, MinimumCodeSizeAboveTheTableBits) {
    GifSpec recipe;
    recipe.screenWidth = 16;
    recipe.screenHeight = 16;
    recipe.globalTable = RampTable(4);
    GifFrame f = FullFrame(16, 16, RandomIndices(256, 4, 3, 5));
    f.minCodeSize = 8;
    recipe.frames.push_back(f);
    DecodeResult r = Decode(BuildGif(recipe));
    ASSERT_EQ(r.status, kDecodeOk);
    ExpectPlaced(r.image.get(), recipe, "code size 8 over 4 colours");
}

// Data that stops early decodes; the pixels it does not reach are index 0, not
// the background.
TEST(GifDecode, TruncatedDataLeavesIndexZero) {
    GifSpec recipe;
    recipe.screenWidth = 40;
    recipe.screenHeight = 30;
    recipe.background = 5;
    recipe.globalTable = RampTable(8);
    std::vector<uint8_t> indices = RandomIndices(1200, 7, 3, 9);
    for (uint8_t& v : indices) {
        v = static_cast<uint8_t>(v + 1);  // no index 0 in the image itself
    }
    GifFrame f = FullFrame(40, 30, indices);
    std::vector<uint8_t> full = LzwEncode(indices, 3);
    f.useRawData = true;
    f.rawData.assign(full.begin(), full.begin() + static_cast<ptrdiff_t>(full.size() / 2));
    recipe.frames.push_back(f);
    DecodeResult r = Decode(BuildGif(recipe));
    ASSERT_EQ(r.status, kDecodeOk);
    // The decoded pixels are a prefix of the image in row order; the rest is 0.
    int decoded = 0;
    for (int y = 0; y < 30; y++) {
        for (int x = 0; x < 40; x++) {
            uint8_t v = IndexAt(r.image.get(), x, y);
            if (y * 40 + x == decoded && v != 0) {
                ASSERT_EQ(v, indices[static_cast<size_t>(decoded)]) << x << "," << y;
                decoded++;
            } else {
                ASSERT_EQ(v, 0) << x << "," << y;
            }
        }
    }
    EXPECT_GT(decoded, 100);
    EXPECT_LT(decoded, 1200);

    // A file cut right after the first data sub-block (no terminator, no trailer).
    recipe.frames[0].useRawData = false;
    recipe.frames[0].subBlockSize = 16;
    std::vector<uint8_t> bytes = BuildGif(recipe);
    size_t dataStart = 13 + 24 + 10 + 1;
    bytes.resize(dataStart + 17);
    r = Decode(bytes);
    ASSERT_EQ(r.status, kDecodeOk);
    EXPECT_EQ(IndexAt(r.image.get(), 0, 0), indices[0]);
    EXPECT_EQ(IndexAt(r.image.get(), 39, 29), 0);
}

// More data than the image needs (a code stream that runs on, and sub-blocks
// beyond the gathered buffer's size) is cut without writing past any buffer.
TEST(GifDecode, OverlongDataIsCut) {
    GifSpec recipe;
    recipe.screenWidth = 6;
    recipe.screenHeight = 6;
    recipe.background = 1;
    recipe.globalTable = RampTable(4);
    GifFrame f;
    f.left = 1;
    f.top = 2;
    f.width = 3;
    f.height = 2;
    std::vector<uint8_t> many = RandomIndices(5000, 4, 1, 3);
    f.indices.assign(many.begin(), many.begin() + 6);
    f.useRawData = true;
    f.rawData = LzwEncode(many, 2, {true, false, 0, false});  // 12-bit codes, long strings at the end
    recipe.frames.push_back(f);
    DecodeResult r = Decode(BuildGif(recipe));
    ASSERT_EQ(r.status, kDecodeOk);
    ExpectPlaced(r.image.get(), recipe, "overlong");
}

TEST(GifDecode, FaultCodes) {
    GifSpec good;
    good.screenWidth = 4;
    good.screenHeight = 4;
    good.globalTable = RampTable(4);
    good.frames.push_back(FullFrame(4, 4, RandomIndices(16, 4, 2, 1)));
    const std::vector<uint8_t> base = BuildGif(good);
    const size_t image = 13 + 12;  // the image separator

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
        DecodeStatus want;
    };
    auto patched = [&](size_t at, std::vector<uint8_t> with) {
        std::vector<uint8_t> b = base;
        std::copy(with.begin(), with.end(), b.begin() + static_cast<ptrdiff_t>(at));
        return b;
    };
    auto cut = [&](size_t n) {
        return std::vector<uint8_t>(base.begin(), base.begin() + static_cast<ptrdiff_t>(n));
    };
    auto inserted = [&](std::vector<uint8_t> block) {
        std::vector<uint8_t> b = base;
        b.insert(b.begin() + static_cast<ptrdiff_t>(image), block.begin(), block.end());
        return b;
    };
    GifSpec noTable = good;
    noTable.globalTable.clear();
    GifSpec outside = good;
    outside.frames[0].left = 1;
    GifSpec tall = good;
    tall.frames[0].top = 1;
    GifSpec emptyData = good;
    emptyData.frames[0].useRawData = true;

    const Case kCases[] = {
        {"12 bytes", cut(12), kGifBadData},
        {"version 88a", patched(3, {'8', '8', 'a'}), kGifBadData},
        {"not GIF", patched(0, {'G', 'I', 'T'}), kGifBadData},
        {"zero screen width", patched(6, {0, 0}), kDecodeBadHeader},
        {"zero screen height", patched(8, {0, 0}), kDecodeBadHeader},
        {"global table cut", cut(20), kGifBadData},
        {"nothing after the header", cut(image), kGifBadData},
        {"trailer first", patched(image, {0x3B}), kGifBadData},
        {"unknown introducer", patched(image, {0x00}), kGifUnknownBlock},
        {"extension label 0x02", inserted({0x21, 0x02, 0}), kGifUnknownBlock},
        {"extension without label",
         [&] {
             auto b = cut(image);
             b.push_back(0x21);
             return b;
         }(),
         kGifBadData},
        {"comment sub-block past the end", inserted({0x21, 0xFE, 200, 1, 2}), kGifBadData},
        {"graphic control cut",
         [&] {
             auto b = cut(image);
             b.insert(b.end(), {0x21, 0xF9, 4, 1, 0});
             return b;
         }(),
         kGifBadData},
        {"comment without terminator",
         [&] {
             auto b = cut(image);
             b.insert(b.end(), {0x21, 0xFE, 1, 'x'});
             return b;
         }(),
         kGifBadData},
        {"descriptor cut", cut(image + 8), kGifBadData},
        {"image wider than the screen", BuildGif(outside), kGifBadData},
        {"image taller than the screen", BuildGif(tall), kGifBadData},
        {"no colour table", BuildGif(noTable), kGifBadData},
        {"local table cut",
         [&] {
             auto b = cut(image + 10);
             b[image + 9] = 0x87;  // a 256-entry local table follows
             b.insert(b.end(), 100, 0);
             return b;
         }(),
         kGifBadData},
        {"no code size byte", cut(image + 10), kGifBadData},
        {"code size 1", patched(image + 10, {1}), kGifBadData},
        {"code size 9", patched(image + 10, {9}), kGifBadData},
        {"empty image data", BuildGif(emptyData), kGifBadData},
        {"no data after the code size", cut(image + 11), kGifBadData},
        {"data sub-block past the end", cut(image + 13), kGifBadData},
    };
    for (const Case& c : kCases) {
        DecodeResult r = Decode(c.bytes);
        EXPECT_EQ(r.status, c.want) << c.name;
    }
}

TEST(GifDecode, EntryPoints) {
    GifSpec recipe;
    recipe.screenWidth = 7;
    recipe.screenHeight = 3;
    recipe.globalTable = RampTable(8);
    recipe.frames.push_back(FullFrame(7, 3, RandomIndices(21, 8, 2, 4)));
    std::vector<uint8_t> bytes = BuildGif(recipe);

    DecodedImagePtr fromMemory(GifDecodeMemory(bytes.data(), bytes.size()));
    ASSERT_TRUE(fromMemory);
    EXPECT_EQ(fromMemory->sourceSize, bytes.size());
    EXPECT_EQ(fromMemory->sourceTime, 0u);
    ExpectPlaced(fromMemory.get(), recipe, "memory");

    ScratchFile file(bytes);
    DecodedImagePtr fromFile(GifDecodeFile(file.path()));
    ASSERT_TRUE(fromFile);
    EXPECT_EQ(fromFile->sourceSize, bytes.size());
    EXPECT_NE(fromFile->sourceTime, 0u);
    std::string why;
    EXPECT_TRUE(SamePicture(fromMemory.get(), fromFile.get(), &why)) << why;

    EXPECT_FALSE(DecodedImagePtr(GifDecodeMemory(bytes.data(), 12)));
    ScratchFile empty({});
    EXPECT_FALSE(DecodedImagePtr(GifDecodeFile(empty.path())));
    EXPECT_FALSE(DecodedImagePtr(GifDecodeFile(u"/no/such/folder/x.gif")));
}

// Every allocation failing in turn: a clean null each time, nothing leaked.
TEST(GifDecode, AllocationFailuresDegrade) {
    GifSpec recipe;
    recipe.screenWidth = 8;
    recipe.screenHeight = 8;
    recipe.globalTable = RampTable(4);
    GifFrame f = FullFrame(8, 8, RandomIndices(64, 4, 2, 8));
    f.localTable = RampTable(4);
    recipe.frames.push_back(f);
    std::vector<uint8_t> bytes = BuildGif(recipe);
    bool succeeded = false;
    for (int n = 0; n < 20 && !succeeded; n++) {
        AppHeapFailAfter(n);
        DecodedImagePtr image(GifDecodeMemory(bytes.data(), bytes.size()));
        AppHeapFailAfter(-1);
        succeeded = static_cast<bool>(image);
    }
    EXPECT_TRUE(succeeded);
}

// A few header bytes declaring a vast picture with a one-byte code stream: under
// a picture limit the decode is refused before either block is taken, and no
// page of what would have been 4 GiB is ever touched.
TEST(GifDecode, VastDeclaredPictureIsRefusedUnderTheLimit) {
    struct Case {
        const char* name;
        uint16_t left, width;  // a full-width frame at 0 is decoded in place
    };
    const Case cases[] = {{"in place", 0, 65532}, {"placed on the screen", 1, 65531}};
    struct Restore {
        ~Restore() { SetPictureByteLimit(0); }
    } restore;
    SetPictureByteLimit(uint64_t{64} << 20);
    for (const Case& c : cases) {
        GifSpec recipe;
        recipe.screenWidth = 65532;
        recipe.screenHeight = 65535;
        recipe.globalTable = RampTable(4);
        GifFrame f;
        f.left = c.left;
        f.width = c.width;
        f.height = 65535;
        f.minCodeSize = 2;
        f.useRawData = true;
        f.rawData = {0x44};
        recipe.frames.push_back(f);
        const uint64_t before = ResidentPeakBytes();
        const DecodeResult r = Decode(BuildGif(recipe));
        EXPECT_EQ(r.status, kDecodeNoMemory) << c.name;
        EXPECT_LT(ResidentPeakBytes() - before, uint64_t{256} << 20) << c.name;
    }
}

TEST(GifLzw, StopsAtAnUndefinedCodeAfterAClear) {
    // Codes of 3 bits: clear (4), then 6 (not a root) where a root must come.
    GifLzwEntry table[kGifLzwTableSize];
    const uint8_t data[] = {0x34, 0x00};  // 100, 110, then zeros
    uint8_t out[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    EXPECT_EQ(GifLzwDecode(data, sizeof(data), 2, out, sizeof(out), table), 0u);
    EXPECT_EQ(out[0], 9);
    EXPECT_EQ(GifLzwDecode(data, sizeof(data), 9, out, sizeof(out), table), 0u);
}

}  // namespace
