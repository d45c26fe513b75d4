// Differential test against libpng: pictures written by libpng in every colour
// type and bit depth, interlaced or not, with and without tRNS and bKGD, and with
// each filter choice, must decode to libpng's own RGBA reading after compositing
// against the background as the decoder defines it:
//   channel' = T[a][channel] + T[255 - a][background channel]
// with T the blend table and the background from bKGD (white without one).
#include <gtest/gtest.h>

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <random>
#include <string>

#include "decode/blend_table.h"
#include "decode/png.h"
#include "tests/support/picture_fixtures.h"

namespace {

struct Picture {
    uint32_t width = 0;
    uint32_t height = 0;
    int depth = 8;
    int colourType = 0;
    bool interlaced = false;
    bool trns = false;
    bool bkgd = false;
    int filters = PNG_ALL_FILTERS;
    std::vector<Bytes> rows;  // packed samples as libpng takes them (big-endian 16-bit)
    std::vector<png_color> palette;
    Bytes paletteAlpha;
    png_color_16 key{};
    png_color_16 background{};
};

uint32_t Next(std::mt19937* rng) {
    return static_cast<uint32_t>((*rng)());
}

int Channels(int colourType) {
    switch (colourType) {
        case PNG_COLOR_TYPE_RGB:
            return 3;
        case PNG_COLOR_TYPE_GRAY_ALPHA:
            return 2;
        case PNG_COLOR_TYPE_RGB_ALPHA:
            return 4;
        default:
            return 1;
    }
}

// Random samples; alpha favours 0 and 255; about one pixel in eight takes the
// tRNS key. 16-bit pixels whose high bytes equal the key's become the key, so that
// matching by high byte and by the full value agree.
void FillPicture(Picture* p, std::mt19937* rng) {
    const int channels = Channels(p->colourType);
    const uint32_t maxSample = (1u << p->depth) - 1;
    auto sample = [&]() { return static_cast<uint32_t>(Next(rng) % (maxSample + 1)); };
    if (p->colourType == PNG_COLOR_TYPE_PALETTE) {
        uint32_t entries = 1 + Next(rng) % (maxSample + 1);
        for (uint32_t i = 0; i < entries; ++i) {
            p->palette.push_back(png_color{static_cast<png_byte>(Next(rng)), static_cast<png_byte>(Next(rng)),
                                           static_cast<png_byte>(Next(rng))});
        }
        for (uint32_t i = 0; i < entries && i < 6; ++i) {
            p->paletteAlpha.push_back(i == 0 ? 0 : i == 1 ? 255 : static_cast<uint8_t>(Next(rng)));
        }
    }
    p->key.gray = static_cast<png_uint_16>(sample());
    p->key.red = static_cast<png_uint_16>(sample());
    p->key.green = static_cast<png_uint_16>(sample());
    p->key.blue = static_cast<png_uint_16>(sample());
    p->background.gray = static_cast<png_uint_16>(sample());
    p->background.red = static_cast<png_uint_16>(sample());
    p->background.green = static_cast<png_uint_16>(sample());
    p->background.blue = static_cast<png_uint_16>(sample());
    p->background.index = static_cast<png_byte>(p->palette.empty() ? 0 : Next(rng) % p->palette.size());

    const uint32_t bitsPerPixel = static_cast<uint32_t>(channels * p->depth);
    for (uint32_t y = 0; y < p->height; ++y) {
        Bytes row((p->width * bitsPerPixel + 7) / 8, 0);
        for (uint32_t x = 0; x < p->width; ++x) {
            uint32_t s[4];
            for (int c = 0; c < channels; ++c) {
                s[c] = sample();
                if (c == channels - 1 && (p->colourType & PNG_COLOR_MASK_ALPHA) != 0 && Next(rng) % 3 == 0) {
                    s[c] = Next(rng) % 2 == 0 ? 0 : maxSample;
                }
            }
            if (p->colourType == PNG_COLOR_TYPE_PALETTE) {
                s[0] %= static_cast<uint32_t>(p->palette.size());
            }
            if (p->colourType == PNG_COLOR_TYPE_GRAY &&
                ((Next(rng) % 8 == 0) || (s[0] >> 8) == (p->key.gray >> 8u))) {
                if (Next(rng) % 8 == 0 || (p->depth == 16 && (s[0] >> 8) == (p->key.gray >> 8u))) {
                    s[0] = p->key.gray;
                }
            }
            if (p->colourType == PNG_COLOR_TYPE_RGB) {
                bool sameHigh = (s[0] >> 8) == (p->key.red >> 8u) && (s[1] >> 8) == (p->key.green >> 8u) &&
                                (s[2] >> 8) == (p->key.blue >> 8u);
                if (Next(rng) % 8 == 0 || (p->depth == 16 && sameHigh)) {
                    s[0] = p->key.red;
                    s[1] = p->key.green;
                    s[2] = p->key.blue;
                }
            }
            for (int c = 0; c < channels; ++c) {
                uint32_t bit = (x * static_cast<uint32_t>(channels) + static_cast<uint32_t>(c)) *
                               static_cast<uint32_t>(p->depth);
                if (p->depth == 16) {
                    row[bit / 8] = static_cast<uint8_t>(s[c] >> 8);
                    row[bit / 8 + 1] = static_cast<uint8_t>(s[c]);
                } else {
                    uint32_t shift = 8 - static_cast<uint32_t>(p->depth) - bit % 8;
                    row[bit / 8] = static_cast<uint8_t>(row[bit / 8] | s[c] << shift);
                }
            }
        }
        p->rows.push_back(row);
    }
}

void AppendBytes(png_structp png, png_bytep data, png_size_t n) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + n);
}

void NoFlush(png_structp) {}

bool WritePng(const Picture& p, Bytes* out) {
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return false;
    }
    png_set_write_fn(png, out, AppendBytes, NoFlush);
    png_set_filter(png, 0, p.filters);
    png_set_IHDR(png, info, p.width, p.height, p.depth, p.colourType,
                 p.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!p.palette.empty()) {
        png_set_PLTE(png, info, p.palette.data(), static_cast<int>(p.palette.size()));
    }
    if (p.trns) {
        png_color_16 key = p.key;
        png_set_tRNS(png, info, p.paletteAlpha.empty() ? nullptr : p.paletteAlpha.data(),
                     static_cast<int>(p.paletteAlpha.size()), &key);
    }
    if (p.bkgd) {
        png_color_16 bg = p.background;
        png_set_bKGD(png, info, &bg);
    }
    png_write_info(png, info);
    std::vector<png_bytep> rowPointers;
    for (const Bytes& r : p.rows) {
        rowPointers.push_back(const_cast<png_bytep>(r.data()));
    }
    png_write_image(png, rowPointers.data());
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return true;
}

struct Reader {
    const Bytes* data;
    size_t pos;
};

void ReadBytes(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<Reader*>(png_get_io_ptr(png));
    if (n > r->data->size() - r->pos) {
        png_error(png, "read past end");
    }
    std::memcpy(out, r->data->data() + r->pos, n);
    r->pos += n;
}

// libpng's reading as 8-bit RGBA rows: expanded, 16-bit cut to the high byte, grey
// made RGB, tRNS turned into alpha, opaque pictures given alpha 255.
bool ReadRgba(const Bytes& file, std::vector<Bytes>* rows) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    Reader reader{&file, 0};
    png_set_read_fn(png, &reader, ReadBytes);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    uint32_t height = png_get_image_height(png, info);
    size_t rowBytes = png_get_rowbytes(png, info);
    rows->assign(height, Bytes(rowBytes));
    std::vector<png_bytep> pointers;
    for (Bytes& r : *rows) {
        pointers.push_back(r.data());
    }
    png_read_image(png, pointers.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

uint8_t Byte16(uint32_t v, int depth) {
    return static_cast<uint8_t>(depth == 16 ? v >> 8 : v);
}

// The background the decoder uses, red-green-blue.
void Background(const Picture& p, uint8_t rgb[3]) {
    rgb[0] = rgb[1] = rgb[2] = 255;
    if (!p.bkgd) {
        return;
    }
    switch (p.colourType) {
        case PNG_COLOR_TYPE_GRAY:
        case PNG_COLOR_TYPE_GRAY_ALPHA: {
            static const uint32_t kStep[17] = {0, 255, 85, 0, 17, 0, 0, 0, 1};
            uint8_t g = p.depth < 8 ? static_cast<uint8_t>(p.background.gray * kStep[p.depth])
                                    : Byte16(p.background.gray, p.depth);
            rgb[0] = rgb[1] = rgb[2] = g;
            break;
        }
        case PNG_COLOR_TYPE_PALETTE: {
            const png_color& c = p.palette[p.background.index];
            rgb[0] = c.red;
            rgb[1] = c.green;
            rgb[2] = c.blue;
            break;
        }
        default:
            rgb[0] = Byte16(p.background.red, p.depth);
            rgb[1] = Byte16(p.background.green, p.depth);
            rgb[2] = Byte16(p.background.blue, p.depth);
            break;
    }
}

std::string Describe(const Picture& p) {
    return "type " + std::to_string(p.colourType) + " depth " + std::to_string(p.depth) + " " +
           std::to_string(p.width) + "x" + std::to_string(p.height) + (p.interlaced ? " adam7" : "") +
           (p.trns ? " tRNS" : "") + (p.bkgd ? " bKGD" : "") + " filters " + std::to_string(p.filters);
}

void Compare(const Picture& p, const Bytes& file) {
    const std::string name = Describe(p);
    std::vector<Bytes> reference;
    ASSERT_TRUE(ReadRgba(file, &reference)) << name;
    DecodeStatus status = kDecodeOk;
    DecodedImagePtr image(PngDecodeMemory(file.data(), file.size(), &status));
    ASSERT_TRUE(image) << name << " status " << status;
    ASSERT_EQ(image->header.width, static_cast<int32_t>(p.width)) << name;
    ASSERT_EQ(image->header.height, static_cast<int32_t>(p.height)) << name;
    const uint8_t* t = BlendTable();
    uint8_t bg[3];
    Background(p, bg);
    for (uint32_t y = 0; y < p.height; ++y) {
        const uint8_t* ours = TopRow(*image.get(), static_cast<int32_t>(y));
        for (uint32_t x = 0; x < p.width; ++x) {
            const uint8_t* ref = &reference[y][size_t{x} * 4];
            uint32_t a = ref[3];
            uint8_t got[3];  // red, green, blue
            if (image->header.bitCount == 8) {
                const RgbQuad& q = image->palette[ours[x]];
                got[0] = q.red;
                got[1] = q.green;
                got[2] = q.blue;
            } else {
                got[0] = ours[size_t{3} * x + 2];
                got[1] = ours[size_t{3} * x + 1];
                got[2] = ours[size_t{3} * x];
            }
            for (int c = 0; c < 3; ++c) {
                uint32_t want = t[a * 256 + ref[c]] + t[(255 - a) * 256 + bg[c]];
                ASSERT_EQ(got[c], want) << name << " at " << x << "," << y << " channel " << c;
            }
        }
    }
}

TEST(PngDiff, AgreesWithLibpng) {
    FillBlendTable();
    struct Kind {
        int colourType;
        int depth;
    };
    static const Kind kKinds[] = {
        {PNG_COLOR_TYPE_GRAY, 1},        {PNG_COLOR_TYPE_GRAY, 2},      {PNG_COLOR_TYPE_GRAY, 4},
        {PNG_COLOR_TYPE_GRAY, 8},        {PNG_COLOR_TYPE_GRAY, 16},     {PNG_COLOR_TYPE_RGB, 8},
        {PNG_COLOR_TYPE_RGB, 16},        {PNG_COLOR_TYPE_PALETTE, 1},   {PNG_COLOR_TYPE_PALETTE, 2},
        {PNG_COLOR_TYPE_PALETTE, 4},     {PNG_COLOR_TYPE_PALETTE, 8},   {PNG_COLOR_TYPE_GRAY_ALPHA, 8},
        {PNG_COLOR_TYPE_GRAY_ALPHA, 16}, {PNG_COLOR_TYPE_RGB_ALPHA, 8}, {PNG_COLOR_TYPE_RGB_ALPHA, 16},
    };
    static const uint32_t kSizes[][2] = {{1, 1}, {3, 2}, {9, 9}, {37, 23}, {130, 17}};
    static const int kFilters[] = {PNG_FILTER_NONE, PNG_FILTER_SUB,   PNG_FILTER_UP,
                                   PNG_FILTER_AVG,  PNG_FILTER_PAETH, PNG_ALL_FILTERS};
    std::mt19937 rng(20240611);
    int variant = 0;
    for (const Kind& kind : kKinds) {
        for (const auto& size : kSizes) {
            for (int flags = 0; flags < 8; ++flags) {
                Picture p;
                p.colourType = kind.colourType;
                p.depth = kind.depth;
                p.width = size[0];
                p.height = size[1];
                p.interlaced = (flags & 1) != 0;
                p.trns = (flags & 2) != 0 && (p.colourType & PNG_COLOR_MASK_ALPHA) == 0;
                p.bkgd = (flags & 4) != 0;
                p.filters = kFilters[variant++ % 6];
                FillPicture(&p, &rng);
                Bytes file;
                ASSERT_TRUE(WritePng(p, &file)) << Describe(p);
                Compare(p, file);
                if (testing::Test::HasFatalFailure()) {
                    return;
                }
            }
        }
    }
}

}  // namespace
