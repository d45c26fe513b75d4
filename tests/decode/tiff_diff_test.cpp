// TIFF decoder against libtiff: uncompressed files written by libtiff in both
// byte orders, with strips of several heights, decoded by both. 8-bit results are
// compared with libtiff's RGBA conversion, 16-bit RGB with the high byte of
// libtiff's samples. Compressed files written by libtiff must be refused.
#include <gtest/gtest.h>
#include <tiffio.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "decode/tiff.h"
#include "tests/decode/giftiff_util.h"

namespace {

struct Generated {
    bool bigEndian;
    uint32_t width, length;
    uint16_t photometric;
    uint16_t bits;
    uint32_t rowsPerStrip;
    uint16_t compression;
};

uint32_t Next(uint32_t* s) {
    *s = *s * 1103515245u + 12345u;
    return *s >> 8;
}

void Quiet(const char*, const char*, va_list) {}

std::vector<uint8_t> ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// Writes the file with libtiff; returns its path.
std::string Write(const Generated& g, uint32_t seed, const std::string& path) {
    TIFF* tif = TIFFOpen(path.c_str(), g.bigEndian ? "wb" : "wl");
    uint16_t samples = g.photometric == PHOTOMETRIC_RGB ? 3 : 1;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, g.width);
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, g.length);
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, g.bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, samples);
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, g.photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, g.compression);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, g.rowsPerStrip);
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 150.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    std::vector<uint16_t> map;
    if (g.photometric == PHOTOMETRIC_PALETTE) {
        size_t n = size_t{1} << g.bits;
        map.resize(n * 3);
        for (uint16_t& v : map) {
            v = static_cast<uint16_t>((Next(&seed) & 255) * 257);
        }
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + n, map.data() + 2 * n);
    }
    tmsize_t rowBytes = TIFFScanlineSize(tif);
    std::vector<uint8_t> row(static_cast<size_t>(rowBytes));
    for (uint32_t y = 0; y < g.length; y++) {
        for (size_t i = 0; i < row.size(); i++) {
            // Bands and noise, so strips differ from one another.
            row[i] = static_cast<uint8_t>(((y / 3 + i) % 11 == 0) ? Next(&seed) : (size_t{y} * 7 + i) & 0xF0);
        }
        TIFFWriteScanline(tif, row.data(), y, 0);
    }
    TIFFClose(tif);
    return path;
}

void CompareWithLibtiff(const std::string& path, const DecodedImage* ours, const std::string& name) {
    TIFF* tif = TIFFOpen(path.c_str(), "r");
    ASSERT_NE(tif, nullptr) << name;
    uint32_t w = 0, h = 0;
    uint16_t bits = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    ASSERT_EQ(ours->header.width, static_cast<int32_t>(w)) << name;
    ASSERT_EQ(ours->header.height, static_cast<int32_t>(h)) << name;
    if (bits == 16) {
        std::vector<uint16_t> row(static_cast<size_t>(w) * 3);
        for (uint32_t y = 0; y < h; y++) {
            ASSERT_EQ(TIFFReadScanline(tif, row.data(), y, 0), 1) << name;
            for (uint32_t x = 0; x < w; x++) {
                Color want{static_cast<uint8_t>(row[size_t{x} * 3] >> 8),
                           static_cast<uint8_t>(row[size_t{x} * 3 + 1] >> 8),
                           static_cast<uint8_t>(row[size_t{x} * 3 + 2] >> 8)};
                ASSERT_TRUE(ColorAt(ours, static_cast<int>(x), static_cast<int>(y)) == want)
                    << name << " at " << x << "," << y;
            }
        }
    } else {
        std::vector<uint32_t> raster(static_cast<size_t>(w) * h);
        ASSERT_EQ(TIFFReadRGBAImageOriented(tif, w, h, raster.data(), ORIENTATION_TOPLEFT, 0), 1) << name;
        for (uint32_t y = 0; y < h; y++) {
            for (uint32_t x = 0; x < w; x++) {
                uint32_t p = raster[size_t{y} * w + x];
                Color want{static_cast<uint8_t>(TIFFGetR(p)), static_cast<uint8_t>(TIFFGetG(p)),
                           static_cast<uint8_t>(TIFFGetB(p))};
                ASSERT_TRUE(ColorAt(ours, static_cast<int>(x), static_cast<int>(y)) == want)
                    << name << " at " << x << "," << y;
            }
        }
    }
    float xres = 0;
    TIFFGetField(tif, TIFFTAG_XRESOLUTION, &xres);
    EXPECT_EQ(ours->header.xPelsPerMeter, static_cast<int32_t>(std::floor(xres / 0.0254 + 0.5))) << name;
    TIFFClose(tif);
}

class TiffDifferential : public testing::Test {
  protected:
    void SetUp() override {
        TIFFSetWarningHandler(Quiet);
        TIFFSetErrorHandler(Quiet);
        std::error_code ec;
        dir_ = std::filesystem::temp_directory_path(ec) /
               ("pw_tiffdiff_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        std::filesystem::create_directories(dir_, ec);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    std::string PathFor(int i) const { return (dir_ / ("case" + std::to_string(i) + ".tif")).string(); }
    std::filesystem::path dir_;
};

TEST_F(TiffDifferential, LibtiffFilesDecodeAlike) {
    struct Layout {
        uint16_t photometric;
        uint16_t bits;
    };
    static const Layout kLayouts[] = {
        {PHOTOMETRIC_MINISWHITE, 1}, {PHOTOMETRIC_MINISBLACK, 1}, {PHOTOMETRIC_MINISBLACK, 4},
        {PHOTOMETRIC_MINISWHITE, 4}, {PHOTOMETRIC_MINISBLACK, 8}, {PHOTOMETRIC_MINISWHITE, 8},
        {PHOTOMETRIC_PALETTE, 1},    {PHOTOMETRIC_PALETTE, 4},    {PHOTOMETRIC_PALETTE, 8},
        {PHOTOMETRIC_RGB, 8},        {PHOTOMETRIC_RGB, 16},
    };
    uint32_t seed = 99;
    int i = 0;
    for (const Layout& l : kLayouts) {
        for (bool bigEndian : {false, true}) {
            for (int variant = 0; variant < 3; variant++, i++) {
                Generated g;
                g.bigEndian = bigEndian;
                g.width = 1 + Next(&seed) % 200;
                g.length = 1 + Next(&seed) % 150;
                g.photometric = l.photometric;
                g.bits = l.bits;
                g.rowsPerStrip = variant == 0 ? g.length : 1 + Next(&seed) % 16;
                g.compression = COMPRESSION_NONE;
                std::string path = Write(g, seed, PathFor(i));
                std::string name = "case " + std::to_string(i) + " photometric " +
                                   std::to_string(l.photometric) + " bits " + std::to_string(l.bits) +
                                   (bigEndian ? " MM " : " II ") + std::to_string(g.width) + "x" +
                                   std::to_string(g.length) + " rows/strip " + std::to_string(g.rowsPerStrip);
                DecodeResult r = DecodeBytes(TiffDecodeInput, ReadAll(path));
                ASSERT_EQ(r.status, kDecodeOk) << name;
                CompareWithLibtiff(path, r.image.get(), name);
            }
        }
    }
}

TEST_F(TiffDifferential, CompressedFilesAreRefused) {
    static const uint16_t kCompressions[] = {COMPRESSION_PACKBITS, COMPRESSION_LZW, COMPRESSION_ADOBE_DEFLATE,
                                             COMPRESSION_CCITTFAX4};
    int i = 0;
    for (uint16_t compression : kCompressions) {
        if (!TIFFIsCODECConfigured(compression)) {
            continue;
        }
        Generated g = {i % 2 == 1, 40, 30, PHOTOMETRIC_MINISWHITE, 1, 8, compression};
        std::string path = Write(g, 5, PathFor(i++));
        EXPECT_EQ(DecodeBytes(TiffDecodeInput, ReadAll(path)).status, kDecodeBadHeader) << compression;
    }
}

}  // namespace
