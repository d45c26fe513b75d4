// GIF and TIFF decoding against giflib and libtiff on the same comic pages
// (1800x2560 and 2480x3508), drawn at start and encoded by the reference
// libraries. Both sides produce the same result: the picture as bottom-up rows of
// 8-bit indices with a palette, or 24-bit blue-green-red, in a fresh virtual-memory
// block as the reader keeps a page (checked at start). Compare the medians:
//   giftiff_bench --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
#include <benchmark/benchmark.h>
#include <gif_lib.h>
#include <tiffio.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/giftiff/page_art.h"
#include "decode/channel_order.h"
#include "decode/gif.h"
#include "decode/tiff.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {

// ---- Pages as GIF, written by giflib -------------------------------------------

int WriteToVector(GifFileType* gif, const GifByteType* data, int n) {
    auto* out = static_cast<std::vector<uint8_t>*>(gif->UserData);
    out->insert(out->end(), data, data + n);
    return n;
}

// Grey pages keep their 256 levels; colour pages go to a 6x7x6 cube with an
// ordered dither, as a quantiser would leave them.
std::vector<uint8_t> EncodeGif(const PageArt& art, bool colour, bool interlaced) {
    ColorMapObject* map = GifMakeMapObject(256, nullptr);
    for (int i = 0; i < 256; i++) {
        if (colour) {
            map->Colors[i] = {static_cast<GifByteType>(i / 42 % 6 * 51),
                              static_cast<GifByteType>(i / 6 % 7 * 42), static_cast<GifByteType>(i % 6 * 51)};
        } else {
            map->Colors[i] = {static_cast<GifByteType>(i), static_cast<GifByteType>(i),
                              static_cast<GifByteType>(i)};
        }
    }
    std::vector<GifPixelType> px(static_cast<size_t>(art.width) * static_cast<size_t>(art.height));
    static const int kDither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};
    for (int y = 0; y < art.height; y++) {
        for (int x = 0; x < art.width; x++) {
            size_t i = static_cast<size_t>(y) * static_cast<size_t>(art.width) + static_cast<size_t>(x);
            if (!colour) {
                px[i] = art.grey[i];
                continue;
            }
            int d = kDither[y & 3][x & 3];
            auto q = [&](int v, int levels) {
                return std::min(levels - 1, (v * (levels - 1) + d * 16) / 255);
            };
            px[i] = static_cast<GifPixelType>(q(art.rgb[i * 3], 6) * 42 + q(art.rgb[i * 3 + 1], 7) * 6 +
                                              q(art.rgb[i * 3 + 2], 6));
        }
    }
    std::vector<uint8_t> out;
    int err = 0;
    GifFileType* gif = EGifOpen(&out, WriteToVector, &err);
    EGifPutScreenDesc(gif, art.width, art.height, 8, 0, map);
    EGifPutImageDesc(gif, 0, 0, art.width, art.height, interlaced, nullptr);
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (interlaced ? 4 : 1); pass++) {
        int start = interlaced ? kStart[pass] : 0;
        int step = interlaced ? kStep[pass] : 1;
        for (int y = start; y < art.height; y += step) {
            EGifPutLine(gif, px.data() + static_cast<size_t>(y) * static_cast<size_t>(art.width), art.width);
        }
    }
    EGifCloseFile(gif, &err);
    GifFreeMapObject(map);
    return out;
}

// ---- Pages as TIFF, written by libtiff ------------------------------------------

enum class TiffKind { kGrey8, kRgb8, kRgb16, kBilevel, kPalette8 };

std::vector<uint8_t> EncodeTiff(const PageArt& art, TiffKind kind, bool bigEndian) {
    std::filesystem::path path = std::filesystem::temp_directory_path() / "pw_giftiff_bench.tif";
    TIFF* tif = TIFFOpen(path.string().c_str(), bigEndian ? "wb" : "wl");
    uint16_t bits = kind == TiffKind::kRgb16 ? 16 : kind == TiffKind::kBilevel ? 1 : 8;
    bool rgb = kind == TiffKind::kRgb8 || kind == TiffKind::kRgb16;
    uint16_t photometric = rgb                           ? PHOTOMETRIC_RGB
                           : kind == TiffKind::kBilevel  ? PHOTOMETRIC_MINISWHITE
                           : kind == TiffKind::kPalette8 ? PHOTOMETRIC_PALETTE
                                                         : PHOTOMETRIC_MINISBLACK;
    TIFFSetField(tif, TIFFTAG_IMAGEWIDTH, static_cast<uint32_t>(art.width));
    TIFFSetField(tif, TIFFTAG_IMAGELENGTH, static_cast<uint32_t>(art.height));
    TIFFSetField(tif, TIFFTAG_BITSPERSAMPLE, bits);
    TIFFSetField(tif, TIFFTAG_SAMPLESPERPIXEL, static_cast<uint16_t>(rgb ? 3 : 1));
    TIFFSetField(tif, TIFFTAG_PHOTOMETRIC, photometric);
    TIFFSetField(tif, TIFFTAG_COMPRESSION, COMPRESSION_NONE);
    TIFFSetField(tif, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tif, TIFFTAG_ROWSPERSTRIP, TIFFDefaultStripSize(tif, 0));
    TIFFSetField(tif, TIFFTAG_XRESOLUTION, 300.0f);
    TIFFSetField(tif, TIFFTAG_YRESOLUTION, 300.0f);
    TIFFSetField(tif, TIFFTAG_RESOLUTIONUNIT, RESUNIT_INCH);
    std::vector<uint16_t> map(768);
    for (int i = 0; i < 256; i++) {
        map[static_cast<size_t>(i)] = static_cast<uint16_t>(i * 257);
        map[256 + static_cast<size_t>(i)] = static_cast<uint16_t>((255 - i) * 257);
        map[512 + static_cast<size_t>(i)] = static_cast<uint16_t>((i * 3 & 255) * 257);
    }
    if (kind == TiffKind::kPalette8) {
        TIFFSetField(tif, TIFFTAG_COLORMAP, map.data(), map.data() + 256, map.data() + 512);
    }
    std::vector<uint8_t> row(static_cast<size_t>(TIFFScanlineSize(tif)));
    size_t w = static_cast<size_t>(art.width);
    for (int y = 0; y < art.height; y++) {
        const uint8_t* grey = art.grey.data() + static_cast<size_t>(y) * w;
        const uint8_t* rgbRow = art.rgb.data() + static_cast<size_t>(y) * w * 3;
        switch (kind) {
            case TiffKind::kGrey8:
            case TiffKind::kPalette8:
                std::memcpy(row.data(), grey, w);
                break;
            case TiffKind::kRgb8:
                std::memcpy(row.data(), rgbRow, w * 3);
                break;
            case TiffKind::kRgb16: {
                auto* p = reinterpret_cast<uint16_t*>(row.data());
                for (size_t i = 0; i < w * 3; i++) {
                    p[i] = static_cast<uint16_t>(size_t{rgbRow[i]} * 257 + (i & 0x3F));
                }
                break;
            }
            case TiffKind::kBilevel:
                std::fill(row.begin(), row.end(), 0);
                for (size_t x = 0; x < w; x++) {
                    if (grey[x] < 128) {
                        row[x >> 3] = static_cast<uint8_t>(row[x >> 3] | (0x80 >> (x & 7)));
                    }
                }
                break;
        }
        TIFFWriteScanline(tif, row.data(), static_cast<uint32_t>(y), 0);
    }
    TIFFClose(tif);
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    return bytes;
}

struct Corpus {
    std::vector<uint8_t> gif[4];  // manga 1800x2560, colour 1800x2560, manga interlaced, scan 2480x3508
    std::vector<uint8_t>
        tiff[6];  // grey8 II, rgb8 MM, rgb16 II, bilevel 2480x3508 MM, palette8 II, rgb8 2480x3508
};

const Corpus& GetCorpus() {
    static Corpus* corpus = [] {
        auto* c = new Corpus;
        PageArt manga = DrawPage(1800, 2560, false, 0, 1);
        PageArt comic = DrawPage(1800, 2560, true, 3, 2);
        PageArt scan = DrawPage(2480, 3508, true, 6, 3);
        c->gif[0] = EncodeGif(manga, false, false);
        c->gif[1] = EncodeGif(comic, true, false);
        c->gif[2] = EncodeGif(manga, false, true);
        c->gif[3] = EncodeGif(scan, false, false);
        c->tiff[0] = EncodeTiff(manga, TiffKind::kGrey8, false);
        c->tiff[1] = EncodeTiff(comic, TiffKind::kRgb8, true);
        c->tiff[2] = EncodeTiff(comic, TiffKind::kRgb16, false);
        c->tiff[3] = EncodeTiff(scan, TiffKind::kBilevel, true);
        c->tiff[4] = EncodeTiff(manga, TiffKind::kPalette8, false);
        c->tiff[5] = EncodeTiff(scan, TiffKind::kRgb8, false);
        return c;
    }();
    return *corpus;
}

const char* const kGifNames[] = {"manga_grey_1800x2560", "comic_colour_1800x2560",
                                 "manga_interlaced_1800x2560", "scan_grey_2480x3508"};
const char* const kTiffNames[] = {"grey8_II_1800x2560",   "rgb8_MM_1800x2560",     "rgb16_II_1800x2560",
                                  "bilevel_MM_2480x3508", "palette8_II_1800x2560", "rgb8_II_2480x3508"};

// ---- The reference side: same output as ours --------------------------------------

// The reference result in the form the reader keeps a page: a fresh zeroed
// virtual-memory block of bottom-up rows, as our decoders return it.
struct Output {
    int width = 0;
    int height = 0;
    uint32_t stride = 0;
    VmBlock block;
    uint8_t* pixels = nullptr;
    uint8_t palette[256][4] = {};

    bool Allocate(int w, int h, uint32_t rowStride) {
        width = w;
        height = h;
        stride = rowStride;
        block.reset(VmAlloc(static_cast<size_t>(stride) * static_cast<size_t>(h) + 4));
        pixels = block.get();
        return pixels != nullptr;
    }
};

struct GifReader {
    const std::vector<uint8_t>* bytes;
    size_t pos;
};

int ReadGif(GifFileType* gif, GifByteType* data, int n) {
    auto* r = static_cast<GifReader*>(gif->UserData);
    size_t take = std::min(static_cast<size_t>(n), r->bytes->size() - r->pos);
    std::memcpy(data, r->bytes->data() + r->pos, take);
    r->pos += take;
    return static_cast<int>(take);
}

// giflib's first frame placed on the logical screen, transparency rule applied.
bool GiflibDecode(const std::vector<uint8_t>& bytes, Output* out) {
    GifReader reader{&bytes, 0};
    int err = 0;
    GifFileType* gif = DGifOpen(&reader, ReadGif, &err);
    if (gif == nullptr || DGifSlurp(gif) != GIF_OK || gif->ImageCount < 1) {
        DGifCloseFile(gif, &err);
        return false;
    }
    const SavedImage& first = gif->SavedImages[0];
    const GifImageDesc& d = first.ImageDesc;
    const ColorMapObject* map = d.ColorMap != nullptr ? d.ColorMap : gif->SColorMap;
    for (int i = 0; i < map->ColorCount; i++) {
        out->palette[i][0] = map->Colors[i].Blue;
        out->palette[i][1] = map->Colors[i].Green;
        out->palette[i][2] = map->Colors[i].Red;
    }
    GraphicsControlBlock gcb;
    if (DGifSavedExtensionToGCB(gif, 0, &gcb) == GIF_OK && gcb.TransparentColor >= 0) {
        GifColorType c = gif->SColorMap != nullptr ? gif->SColorMap->Colors[gif->SBackGroundColor]
                                                   : GifColorType{255, 255, 255};
        out->palette[gcb.TransparentColor][0] = c.Blue;
        out->palette[gcb.TransparentColor][1] = c.Green;
        out->palette[gcb.TransparentColor][2] = c.Red;
    }
    if (!out->Allocate(gif->SWidth, gif->SHeight, static_cast<uint32_t>((gif->SWidth + 3) & ~3))) {
        DGifCloseFile(gif, &err);
        return false;
    }
    auto bg = static_cast<uint8_t>(gif->SBackGroundColor);
    for (int y = 0; y < out->height; y++) {
        uint8_t* row = out->pixels + static_cast<size_t>(out->height - 1 - y) * out->stride;
        if (y < d.Top || y >= d.Top + d.Height) {
            std::memset(row, bg, static_cast<size_t>(out->width));
            continue;
        }
        std::memset(row, bg, static_cast<size_t>(d.Left));
        std::memcpy(row + d.Left,
                    first.RasterBits + static_cast<size_t>(y - d.Top) * static_cast<size_t>(d.Width),
                    static_cast<size_t>(d.Width));
        std::memset(row + d.Left + d.Width, bg, static_cast<size_t>(out->width - d.Left - d.Width));
    }
    DGifCloseFile(gif, &err);
    return true;
}

struct TiffMemory {
    const std::vector<uint8_t>* bytes;
    toff_t pos;
};

tmsize_t TiffRead(thandle_t h, void* buf, tmsize_t n) {
    auto* m = static_cast<TiffMemory*>(h);
    size_t take =
        std::min(static_cast<size_t>(n), m->bytes->size() - std::min<size_t>(m->pos, m->bytes->size()));
    std::memcpy(buf, m->bytes->data() + m->pos, take);
    m->pos += take;
    return static_cast<tmsize_t>(take);
}
tmsize_t TiffWrite(thandle_t, void*, tmsize_t) {
    return 0;
}
toff_t TiffSeek(thandle_t h, toff_t off, int whence) {
    auto* m = static_cast<TiffMemory*>(h);
    m->pos = whence == SEEK_SET ? off : whence == SEEK_CUR ? m->pos + off : m->bytes->size() + off;
    return m->pos;
}
int TiffClose(thandle_t) {
    return 0;
}
toff_t TiffSize(thandle_t h) {
    return static_cast<TiffMemory*>(h)->bytes->size();
}
int TiffMap(thandle_t h, void** base, toff_t* size) {
    auto* m = static_cast<TiffMemory*>(h);
    *base = const_cast<uint8_t*>(m->bytes->data());
    *size = m->bytes->size();
    return 1;
}
void TiffUnmap(thandle_t, void*, toff_t) {}

// libtiff's scanlines (from the mapped file) converted to our layout.
bool LibtiffDecode(const std::vector<uint8_t>& bytes, Output* out) {
    TiffMemory mem{&bytes, 0};
    TIFF* tif = TIFFClientOpen("page", "rm", &mem, TiffRead, TiffWrite, TiffSeek, TiffClose, TiffSize,
                               TiffMap, TiffUnmap);
    if (tif == nullptr) {
        return false;
    }
    uint32_t w = 0, h = 0;
    uint16_t bits = 1, samples = 1, photometric = 0;
    TIFFGetField(tif, TIFFTAG_IMAGEWIDTH, &w);
    TIFFGetField(tif, TIFFTAG_IMAGELENGTH, &h);
    TIFFGetFieldDefaulted(tif, TIFFTAG_BITSPERSAMPLE, &bits);
    TIFFGetFieldDefaulted(tif, TIFFTAG_SAMPLESPERPIXEL, &samples);
    TIFFGetField(tif, TIFFTAG_PHOTOMETRIC, &photometric);
    bool rgb = samples == 3;
    if (!out->Allocate(static_cast<int>(w), static_cast<int>(h), rgb ? (w * 3 + 3) & ~3u : (w + 3) & ~3u)) {
        TIFFClose(tif);
        return false;
    }
    if (!rgb) {
        uint32_t entries = 1u << bits;
        uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        bool map = photometric == PHOTOMETRIC_PALETTE && TIFFGetField(tif, TIFFTAG_COLORMAP, &r, &g, &b) == 1;
        for (uint32_t i = 0; i < entries; i++) {
            uint8_t v = static_cast<uint8_t>(i * (255 / (entries - 1)));
            if (photometric == PHOTOMETRIC_MINISWHITE) {
                v = static_cast<uint8_t>(255 - v);
            }
            out->palette[i][0] = map ? static_cast<uint8_t>(b[i] >> 8) : v;
            out->palette[i][1] = map ? static_cast<uint8_t>(g[i] >> 8) : v;
            out->palette[i][2] = map ? static_cast<uint8_t>(r[i] >> 8) : v;
        }
    }
    std::vector<uint8_t> line(static_cast<size_t>(TIFFScanlineSize(tif)));
    for (uint32_t y = 0; y < h; y++) {
        if (TIFFReadScanline(tif, line.data(), y, 0) != 1) {
            TIFFClose(tif);
            return false;
        }
        uint8_t* dst = out->pixels + static_cast<size_t>(h - 1 - y) * out->stride;
        if (rgb && bits == 16) {
            const auto* src = reinterpret_cast<const uint16_t*>(line.data());
            for (uint32_t x = 0; x < w; x++, src += 3, dst += 3) {
                dst[0] = static_cast<uint8_t>(src[2] >> 8);
                dst[1] = static_cast<uint8_t>(src[1] >> 8);
                dst[2] = static_cast<uint8_t>(src[0] >> 8);
            }
        } else if (rgb) {
            const uint8_t* src = line.data();
            for (uint32_t x = 0; x < w; x++, src += 3, dst += 3) {
                dst[0] = src[2];
                dst[1] = src[1];
                dst[2] = src[0];
            }
        } else if (bits == 1) {
            for (uint32_t x = 0; x < w; x++) {
                dst[x] = static_cast<uint8_t>((line[x >> 3] >> (7 - (x & 7))) & 1);
            }
        } else {
            std::memcpy(dst, line.data(), w);
        }
    }
    TIFFClose(tif);
    return true;
}

// ---- Benchmarks -----------------------------------------------------------------

void BM_GifOurs(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = GetCorpus().gif[state.range(0)];
    state.SetLabel(kGifNames[state.range(0)]);
    for (auto _ : state) {
        DecodedImagePtr image(GifDecodeMemory(bytes.data(), bytes.size()));
        if (!image) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(image->pixels);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_GifGiflib(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = GetCorpus().gif[state.range(0)];
    state.SetLabel(kGifNames[state.range(0)]);
    for (auto _ : state) {
        Output out;
        if (!GiflibDecode(bytes, &out)) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(out.pixels);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_TiffOurs(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = GetCorpus().tiff[state.range(0)];
    state.SetLabel(kTiffNames[state.range(0)]);
    for (auto _ : state) {
        DecodedImagePtr image(TiffDecodeMemory(bytes.data(), bytes.size()));
        if (!image) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(image->pixels);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

void BM_TiffLibtiff(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = GetCorpus().tiff[state.range(0)];
    state.SetLabel(kTiffNames[state.range(0)]);
    for (auto _ : state) {
        Output out;
        if (!LibtiffDecode(bytes, &out)) {
            state.SkipWithError("decode failed");
            return;
        }
        benchmark::DoNotOptimize(out.pixels);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

BENCHMARK(BM_GifOurs)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GifGiflib)->DenseRange(0, 3)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffOurs)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffLibtiff)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

// The RGB pages again: ours with the plain channel loop, and the floor any
// decoder of them pays, a copy of the picture's bytes into a fresh pixel block
// (the decoders' blocks are fresh too).
const int kRgbTiffs[] = {1, 2, 5};

void BM_TiffOursPlainOrder(benchmark::State& state) {
    UsePlainChannelOrder(true);
    BM_TiffOurs(state);
    UsePlainChannelOrder(false);
}

void BM_TiffCopyFloor(benchmark::State& state) {
    const std::vector<uint8_t>& bytes = GetCorpus().tiff[state.range(0)];
    state.SetLabel(kTiffNames[state.range(0)]);
    DecodedImagePtr probe(TiffDecodeMemory(bytes.data(), bytes.size()));
    if (!probe) {
        state.SkipWithError("decode failed");
        return;
    }
    const size_t size = static_cast<size_t>(probe->header.height) *
                        ((static_cast<size_t>(probe->header.width) * 3 + 3) & ~size_t{3});
    const size_t take = size < bytes.size() ? size : bytes.size();
    for (auto _ : state) {
        VmBlock block(VmAlloc(size));
        if (block.get() == nullptr) {
            state.SkipWithError("no memory");
            return;
        }
        std::memcpy(block.get(), bytes.data() + (bytes.size() - take), take);
        benchmark::DoNotOptimize(block.get());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes.size()));
}

BENCHMARK(BM_TiffOursPlainOrder)
    ->ArgsProduct({{kRgbTiffs[0], kRgbTiffs[1], kRgbTiffs[2]}})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TiffCopyFloor)
    ->ArgsProduct({{kRgbTiffs[0], kRgbTiffs[1], kRgbTiffs[2]}})
    ->Unit(benchmark::kMillisecond);

// Both sides must give the same picture, or the timings mean nothing.
bool SameOutput(const DecodedImage* ours, const Output& ref) {
    if (ours->header.width != ref.width || ours->header.height != ref.height) {
        return false;
    }
    size_t rowBytes = static_cast<size_t>(ref.width) * (ours->header.bitCount / 8);
    for (int y = 0; y < ref.height; y++) {
        if (std::memcmp(ours->pixels + static_cast<size_t>(y) * ref.stride,
                        ref.pixels + static_cast<size_t>(y) * ref.stride, rowBytes) != 0) {
            return false;
        }
    }
    if (ours->header.bitCount == 8) {
        for (int i = 0; i < 256; i++) {
            const RgbQuad& q = ours->palette[i];
            if (q.blue != ref.palette[i][0] || q.green != ref.palette[i][1] || q.red != ref.palette[i][2]) {
                return false;
            }
        }
    }
    return true;
}

bool VerifyCorpus() {
    bool ok = true;
    const Corpus& c = GetCorpus();
    for (int i = 0; i < 4; i++) {
        DecodedImagePtr ours(GifDecodeMemory(c.gif[i].data(), c.gif[i].size()));
        Output ref;
        if (!ours || !GiflibDecode(c.gif[i], &ref) || !SameOutput(ours.get(), ref)) {
            std::fprintf(stderr, "GIF %s: results differ\n", kGifNames[i]);
            ok = false;
        }
    }
    for (int i = 0; i < 6; i++) {
        DecodedImagePtr ours(TiffDecodeMemory(c.tiff[i].data(), c.tiff[i].size()));
        Output ref;
        if (!ours || !LibtiffDecode(c.tiff[i], &ref) || !SameOutput(ours.get(), ref)) {
            std::fprintf(stderr, "TIFF %s: results differ\n", kTiffNames[i]);
            ok = false;
        }
    }
    for (int i = 0; i < 4; i++) {
        std::fprintf(stderr, "GIF %s: %zu bytes\n", kGifNames[i], c.gif[i].size());
    }
    for (int i = 0; i < 6; i++) {
        std::fprintf(stderr, "TIFF %s: %zu bytes\n", kTiffNames[i], c.tiff[i].size());
    }
    return ok;
}

// Writes the corpus's GIF pages into a folder, for timing the same pages where
// giflib is not at hand (the Windows build's inflate_timing under Wine).
bool WriteGifPages(const char* folder) {
    const Corpus& c = GetCorpus();
    for (int i = 0; i < 4; i++) {
        const std::string path = std::string(folder) + "/" + kGifNames[i] + ".gif";
        FILE* f = std::fopen(path.c_str(), "wb");
        const bool ok =
            f != nullptr && std::fwrite(c.gif[i].data(), 1, c.gif[i].size(), f) == c.gif[i].size();
        if (f == nullptr || std::fclose(f) != 0 || !ok) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return false;
        }
    }
    return true;
}

}  // namespace

// giftiff_bench [--write-gif-pages FOLDER] [benchmark options]
int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    TIFFSetWarningHandler(nullptr);
    if (!VerifyCorpus()) {
        return 1;
    }
    if (argc == 3 && std::string(argv[1]) == "--write-gif-pages") {
        return WriteGifPages(argv[2]) ? 0 : 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
