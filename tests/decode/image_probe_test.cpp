#include "decode/image_probe.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "decode/open_image.h"
#include "platform/vm.h"
#include "tests/support/picture_fixtures.h"
#include "tests/support/regress_inputs.h"

namespace {

// A JPEG's marker segments up to its frame header, without any scan: all a
// probe reads. exifOrientation 0 writes no APP1 segment.
Bytes JpegHeader(uint32_t width, uint32_t height, uint16_t exifOrientation) {
    Bytes b = {0xFF, 0xD8};
    if (exifOrientation != 0) {
        // APP1 "Exif\0\0", then a little-endian TIFF header whose directory 0
        // holds one entry: 0x0112, SHORT, count 1.
        Bytes tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 0x01, 3, 0, 1, 0, 0, 0};
        PutLe16(&tiff, exifOrientation);
        PutLe16(&tiff, 0);
        PutLe32(&tiff, 0);
        b.insert(b.end(), {0xFF, 0xE1});
        PutBe16(&b, static_cast<uint32_t>(2 + 6 + tiff.size()));
        b.insert(b.end(), {'E', 'x', 'i', 'f', 0, 0});
        b.insert(b.end(), tiff.begin(), tiff.end());
    }
    b.insert(b.end(), {0xFF, 0xFF, 0xC0});  // a fill byte before the marker
    PutBe16(&b, 17);
    b.push_back(8);
    PutBe16(&b, height);
    PutBe16(&b, width);
    b.insert(b.end(), {3, 1, 0x22, 0, 2, 0x11, 1, 3, 0x11, 1});
    return b;
}

Bytes GifHeader(uint32_t width, uint32_t height) {
    Bytes b = {'G', 'I', 'F', '8', '9', 'a'};
    PutLe16(&b, width);
    PutLe16(&b, height);
    b.insert(b.end(), {0, 0, 0, ';'});
    return b;
}

// A negative height (top-down rows) is written over the header afterwards.
Bytes BmpOf(int32_t width, int32_t height) {
    BmpRecipe recipe;
    recipe.width = width;
    recipe.height = height < 0 ? -height : height;
    recipe.pixels.assign(static_cast<size_t>((width * 3 + 3) & ~3) * static_cast<size_t>(recipe.height), 0);
    Bytes full = MakeBmp(recipe);
    for (int i = 0; i < 4; ++i) {
        full[22 + static_cast<size_t>(i)] = static_cast<uint8_t>(static_cast<uint32_t>(height) >> (8 * i));
    }
    return full;
}

Bytes PngOf(uint32_t width, uint32_t height) {
    return MakePng(width, 8, 0, std::vector<Bytes>(height, Bytes(width, 0x80)));
}

// The bytes without their last n.
Bytes Cut(Bytes b, size_t n) {
    b.resize(b.size() - n);
    return b;
}

// Headers alone, hostile sizes included: the probe reads them without
// allocating, and what it cannot read is unknown, never a wrong shape.
TEST(ImageProbe, ReadsTheHeaderAlone) {
    const struct {
        const char* what;
        Bytes bytes;
        bool known;
        uint32_t width;
        uint32_t height;
    } kCases[] = {
        {"bmp", BmpOf(3, 5), true, 3, 5},
        {"bmp top-down", BmpOf(3, -5), false, 0, 0},
        {"png", PngOf(7, 2), true, 7, 2},
        {"png 16000 square", PngBuilder().Ihdr(16000, 16000, 8, 2).bytes(), true, 16000, 16000},
        {"gif screen 65535", GifHeader(65535, 65535), true, 65535, 65535},
        {"gif zero width", GifHeader(0, 9), false, 0, 0},
        {"jpeg 30000 without data", JpegHeader(30000, 30000, 0), true, 30000, 30000},
        {"jpeg landscape", JpegHeader(300, 200, 1), true, 300, 200},
        {"jpeg turned a quarter (6)", JpegHeader(300, 200, 6), true, 200, 300},
        {"jpeg turned a quarter (8)", JpegHeader(300, 200, 8), true, 200, 300},
        {"jpeg turned upside down", JpegHeader(300, 200, 3), true, 300, 200},
        {"jpeg frame of height 0", JpegHeader(300, 0, 0), false, 0, 0},
        {"jpeg cut inside its frame", Cut(JpegHeader(300, 200, 0), 12), false, 0, 0},
        {"jpeg with no frame", Bytes{0xFF, 0xD8, 0xFF, 0xDA, 0, 2, 0, 0, 0, 0}, false, 0, 0},
        {"unknown format", Bytes(64, 'x'), false, 0, 0},
        {"png cut before its height", Cut(PngBuilder().Ihdr(7, 2, 8, 0).bytes(), 14), false, 0, 0},
    };
    for (const auto& c : kCases) {
        PictureProbe probe;
        ASSERT_EQ(ProbeImageMemory(c.bytes.data(), c.bytes.size(), &probe), c.known) << c.what;
        if (c.known) {
            EXPECT_EQ(probe.width, c.width) << c.what;
            EXPECT_EQ(probe.height, c.height) << c.what;
        }
    }
}

// Whenever both the probe and the decoder read a file, they agree on its size
// (the pairing of pages trusts the probe in place of the decode).
TEST(ImageProbe, AgreesWithTheDecoder) {
    int compared = 0;
    for (const char* folder : {"bmp", "gif", "jpeg", "png", "tiff"}) {
        for (const auto& path : RegressInputs(std::filesystem::path(PW_REGRESS_DIR) / folder)) {
            std::ifstream in(path, std::ios::binary);
            const Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
            PictureProbe probe;
            const bool known = ProbeImageMemory(bytes.data(), bytes.size(), &probe);
            auto* block = static_cast<uint8_t*>(VmAlloc(bytes.size() + 1));
            ASSERT_NE(block, nullptr);
            std::copy(bytes.begin(), bytes.end(), block);
            int32_t orientation = 1;
            DecodedImagePtr image(OpenImageMemory(u"page", block, bytes.size(), &orientation));
            if (!known || !image) {
                continue;
            }
            const bool quarter = orientation == 6 || orientation == 8;
            const auto width = static_cast<uint32_t>(quarter ? image->header.height : image->header.width);
            const auto height = static_cast<uint32_t>(quarter ? image->header.width : image->header.height);
            EXPECT_EQ(probe.width, width) << path;
            EXPECT_EQ(probe.height, height) << path;
            ++compared;
        }
    }
    EXPECT_GT(compared, 5);  // a corpus that decodes nothing tests nothing
}

}  // namespace
