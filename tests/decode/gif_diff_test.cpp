// GIF decoder against giflib: files written by giflib's encoder (so not by our
// own test encoder), decoded by both; giflib's first frame is placed on the
// screen with the transparency rule applied, and every pixel's index and colour
// must match.
#include <gif_lib.h>
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "decode/gif.h"
#include "tests/decode/giftiff_util.h"

namespace {

struct Generated {
    int screenW, screenH, background;
    int left, top, w, h;
    int globalBits;  // 0: no global table
    int localBits;   // 0: no local table
    bool interlaced;
    int transparent;  // -1: no graphic control
    bool secondFrame;
};

uint32_t Next(uint32_t* s) {
    *s = *s * 1103515245u + 12345u;
    return *s >> 8;
}

ColorMapObject* RandomMap(int bits, uint32_t* seed) {
    ColorMapObject* map = GifMakeMapObject(1 << bits, nullptr);
    for (int i = 0; i < map->ColorCount; i++) {
        map->Colors[i].Red = static_cast<GifByteType>(Next(seed));
        map->Colors[i].Green = static_cast<GifByteType>(Next(seed));
        map->Colors[i].Blue = static_cast<GifByteType>(Next(seed));
    }
    return map;
}

int WriteToVector(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// Line art: runs, stripes and blocks, so LZW meets both long and short strings.
std::vector<GifPixelType> Pixels(int w, int h, int colors, uint32_t* seed) {
    std::vector<GifPixelType> px(static_cast<size_t>(w) * static_cast<size_t>(h));
    int style = static_cast<int>(Next(seed) % 3);
    for (int y = 0; y < h; y++) {
        for (int x = 0; x < w; x++) {
            uint32_t v;
            if (style == 0) {
                v = Next(seed);
            } else if (style == 1) {
                v = static_cast<uint32_t>((x / 7 + y / 5) % 5 == 0 ? 1 : 0) +
                    ((x * y) % 97 == 0 ? Next(seed) : 0);
            } else {
                v = static_cast<uint32_t>(x * 3 / (w + 1) + (y % 16 < 8 ? 0 : 5));
            }
            px[static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)] =
                static_cast<GifPixelType>(v % static_cast<uint32_t>(colors));
        }
    }
    return px;
}

std::vector<uint8_t> Encode(const Generated& g, uint32_t seed) {
    std::vector<uint8_t> out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &err);
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = g.globalBits > 0 ? RandomMap(g.globalBits, &seed) : nullptr;
    ColorMapObject* local = g.localBits > 0 ? RandomMap(g.localBits, &seed) : nullptr;
    EGifPutScreenDesc(gif, g.screenW, g.screenH, 8, g.background, global);
    int frames = g.secondFrame ? 2 : 1;
    for (int frame = 0; frame < frames; frame++) {
        if (g.transparent >= 0) {
            GraphicsControlBlock gcb = {};
            gcb.TransparentColor = g.transparent;
            gcb.DisposalMode = DISPOSAL_UNSPECIFIED;
            GifByteType ext[4];
            EGifGCBToExtension(&gcb, ext);
            EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, 4, ext);
        }
        EGifPutImageDesc(gif, g.left, g.top, g.w, g.h, g.interlaced, local);
        int colors = (local != nullptr ? local : global)->ColorCount;
        std::vector<GifPixelType> px = Pixels(g.w, g.h, colors, &seed);
        if (g.interlaced) {
            static const int kStart[4] = {0, 4, 2, 1};
            static const int kStep[4] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; pass++) {
                for (int y = kStart[pass]; y < g.h; y += kStep[pass]) {
                    EGifPutLine(gif, px.data() + static_cast<size_t>(y * g.w), g.w);
                }
            }
        } else {
            for (int y = 0; y < g.h; y++) {
                EGifPutLine(gif, px.data() + static_cast<size_t>(y * g.w), g.w);
            }
        }
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(global);
    GifFreeMapObject(local);
    return out;
}

struct Reader {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

int ReadFromVector(GifFileType* gif, GifByteType* data, int n) {
    auto* r = static_cast<Reader*>(gif->UserData);
    size_t take = std::min(static_cast<size_t>(n), r->bytes->size() - r->pos);
    std::memcpy(data, r->bytes->data() + r->pos, take);
    r->pos += take;
    return static_cast<int>(take);
}

// giflib's view of the first frame on the screen: index and colour per pixel.
void CompareWithGiflib(const std::vector<uint8_t>& bytes, const DecodedImage* ours, const std::string& name) {
    Reader reader = {&bytes, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&reader, ReadFromVector, &err);
    ASSERT_NE(gif, nullptr) << name;
    ASSERT_EQ(DGifSlurp(gif), GIF_OK) << name;
    const SavedImage& first = gif->SavedImages[0];
    const GifImageDesc& d = first.ImageDesc;
    const ColorMapObject* inUse = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
    GifColorType colors[256] = {};
    for (int i = 0; i < inUse->ColorCount; i++) {
        colors[i] = inUse->Colors[i];
    }
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK && gcb.TransparentColor >= 0) {
        colors[gcb.TransparentColor] = gif->SColorMap != nullptr
                                           ? gif->SColorMap->Colors[gif->SBackGroundColor]
                                           : GifColorType{255, 255, 255};
    }
    int background = gif->SColorMap != nullptr ? gif->SBackGroundColor : 0;

    ASSERT_EQ(ours->header.width, gif->SWidth) << name;
    ASSERT_EQ(ours->header.height, gif->SHeight) << name;
    for (int y = 0; y < gif->SHeight; y++) {
        for (int x = 0; x < gif->SWidth; x++) {
            bool inside = x >= d.Left && x < d.Left + d.Width && y >= d.Top && y < d.Top + d.Height;
            int index = inside ? first.RasterBits[(y - d.Top) * d.Width + (x - d.Left)] : background;
            ASSERT_EQ(IndexAt(ours, x, y), index) << name << " at " << x << "," << y;
            Color c = ColorAt(ours, x, y);
            ASSERT_TRUE(c == (Color{colors[index].Red, colors[index].Green, colors[index].Blue}))
                << name << " colour at " << x << "," << y;
        }
    }
    DGifCloseFile(gif, &err);
}

TEST(GifDifferential, GiflibFilesDecodeAlike) {
    uint32_t seed = 12345;
    for (int i = 0; i < 60; i++) {
        Generated g;
        g.screenW = 1 + static_cast<int>(Next(&seed) % 300);
        g.screenH = 1 + static_cast<int>(Next(&seed) % 300);
        g.w = 1 + static_cast<int>(Next(&seed) % static_cast<uint32_t>(g.screenW));
        g.h = 1 + static_cast<int>(Next(&seed) % static_cast<uint32_t>(g.screenH));
        g.left = static_cast<int>(Next(&seed) % static_cast<uint32_t>(g.screenW - g.w + 1));
        g.top = static_cast<int>(Next(&seed) % static_cast<uint32_t>(g.screenH - g.h + 1));
        g.globalBits = i % 5 == 4 ? 0 : 1 + static_cast<int>(Next(&seed) % 8);
        g.localBits = g.globalBits == 0 || i % 3 == 0 ? 1 + static_cast<int>(Next(&seed) % 8) : 0;
        g.background = g.globalBits > 0 ? static_cast<int>(Next(&seed) % (1u << g.globalBits)) : 0;
        g.interlaced = i % 2 == 1;
        int tableBits = g.localBits > 0 ? g.localBits : g.globalBits;
        g.transparent = i % 4 == 0 ? -1 : static_cast<int>(Next(&seed) % (1u << tableBits));
        g.secondFrame = i % 7 == 0;
        std::vector<uint8_t> bytes = Encode(g, seed);
        std::string name = "case " + std::to_string(i) + " (" + std::to_string(g.w) + "x" +
                           std::to_string(g.h) + " at " + std::to_string(g.left) + "," +
                           std::to_string(g.top) + " on " + std::to_string(g.screenW) + "x" +
                           std::to_string(g.screenH) + ")";
        DecodeResult r = DecodeBytes(GifDecodeInput, bytes);
        ASSERT_EQ(r.status, kDecodeOk) << name;
        CompareWithGiflib(bytes, r.image.get(), name);
    }
}

// A page-sized picture, large enough for many full tables and clear codes.
TEST(GifDifferential, PageSizedPicture) {
    Generated g = {900, 1280, 0, 0, 0, 900, 1280, 8, 0, false, -1, false};
    for (bool interlaced : {false, true}) {
        g.interlaced = interlaced;
        std::vector<uint8_t> bytes = Encode(g, 77);
        DecodeResult r = DecodeBytes(GifDecodeInput, bytes);
        ASSERT_EQ(r.status, kDecodeOk);
        CompareWithGiflib(bytes, r.image.get(), interlaced ? "page, interlaced" : "page");
    }
}

}  // namespace
