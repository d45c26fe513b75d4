// PNG row routines: the five filter reversals (per filter distance) and the row
// stores that turn unfiltered samples into output pixels, compositing included.
#include <cstring>

#include "decode/png_internal.h"

namespace {

void UnfilterNone(uint8_t*, const uint8_t*, size_t) {}

template <uint32_t kBpp>
void UnfilterSub(uint8_t* row, const uint8_t*, size_t n) {
    for (size_t i = kBpp; i < n; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + row[i - kBpp]);
    }
}

void UnfilterUp(uint8_t* row, const uint8_t* prev, size_t n) {
    for (size_t i = 0; i < n; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);
    }
}

template <uint32_t kBpp>
void UnfilterAverage(uint8_t* row, const uint8_t* prev, size_t n) {
    size_t first = n < kBpp ? n : kBpp;
    for (size_t i = 0; i < first; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + (prev[i] >> 1));
    }
    for (size_t i = kBpp; i < n; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + ((static_cast<uint32_t>(row[i - kBpp]) + prev[i]) >> 1));
    }
}

// Paeth predictor: the left byte when its distance is not above the other two,
// else the upper byte when not above the upper-left one, else the upper-left.
inline uint32_t Paeth(int32_t a, int32_t b, int32_t c) {
    int32_t pa = b - c;
    int32_t pb = a - c;
    int32_t pc = pa + pb;
    pa = pa < 0 ? -pa : pa;
    pb = pb < 0 ? -pb : pb;
    pc = pc < 0 ? -pc : pc;
    int32_t bc = pb <= pc ? b : c;
    int32_t best = pb <= pc ? pb : pc;
    return static_cast<uint32_t>(pa <= best ? a : bc);
}

template <uint32_t kBpp>
void UnfilterPaeth(uint8_t* row, const uint8_t* prev, size_t n) {
    size_t first = n < kBpp ? n : kBpp;
    // With no left neighbour the predictor is the upper byte.
    for (size_t i = 0; i < first; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + prev[i]);
    }
    for (size_t i = kBpp; i < n; ++i) {
        row[i] = static_cast<uint8_t>(row[i] + Paeth(row[i - kBpp], prev[i], prev[i - kBpp]));
    }
}

template <uint32_t kBpp>
void SetUnfilters(PngRowOps* ops) {
    ops->unfilter[0] = UnfilterNone;
    ops->unfilter[1] = UnfilterSub<kBpp>;
    ops->unfilter[2] = UnfilterUp;
    ops->unfilter[3] = UnfilterAverage<kBpp>;
    ops->unfilter[4] = UnfilterPaeth<kBpp>;
    for (PngUnfilterBgr& f : ops->unfilterBgr) {
        f = nullptr;
    }
}

// Greyscale and palette samples below 8 bits, most significant bits first.
template <uint32_t kDepth>
void StorePacked(const PngPixelRules&, const uint8_t* raw, uint32_t count, uint8_t* out, size_t step) {
    constexpr uint32_t kPerByte = 8 / kDepth;
    constexpr uint32_t kMask = (1u << kDepth) - 1;
    for (uint32_t i = 0; i < count; ++i, out += step) {
        uint32_t shift = 8 - kDepth - (i % kPerByte) * kDepth;
        *out = static_cast<uint8_t>((raw[i / kPerByte] >> shift) & kMask);
    }
}

// One byte per output pixel: 8-bit indices, or the high byte of 16-bit grey.
template <size_t kBytes>
void StoreIndex(const PngPixelRules&, const uint8_t* raw, uint32_t count, uint8_t* out, size_t step) {
    if (kBytes == 1 && step == 1) {
        std::memcpy(out, raw, count);
        return;
    }
    for (uint32_t i = 0; i < count; ++i, out += step) {
        *out = raw[i * kBytes];
    }
}

// Grey + alpha composited to a grey index; the background's red serves as grey.
template <size_t kBytes>
void StoreGreyAlpha(const PngPixelRules& r, const uint8_t* raw, uint32_t count, uint8_t* out, size_t step) {
    const uint8_t* bg = r.blend + size_t{r.background[2]} * 256;
    for (uint32_t i = 0; i < count; ++i, out += step, raw += 2 * kBytes) {
        uint32_t grey = raw[0];
        uint32_t a = raw[kBytes];
        *out = static_cast<uint8_t>(r.blend[a * 256 + grey] + bg[255 - a]);
    }
}

// Red-green-blue to blue-green-red, four pixels per step through 32-bit words
// (12 bytes in, 12 bytes out) on whole rows.
void SwapRgbRow(const uint8_t* raw, uint32_t count, uint8_t* out) {
    uint32_t i = 0;
    for (; i + 4 <= count; i += 4, raw += 12, out += 12) {
        uint32_t a, b, c;
        std::memcpy(&a, raw, 4);      // r0 g0 b0 r1
        std::memcpy(&b, raw + 4, 4);  // g1 b1 r2 g2
        std::memcpy(&c, raw + 8, 4);  // b2 r3 g3 b3
        uint32_t x = (a >> 16 & 0xFF) | (a & 0xFF00) | (a & 0xFF) << 16 | (b >> 8 & 0xFF) << 24;
        uint32_t y = (b & 0xFF) | (a >> 24) << 8 | (c & 0xFF) << 16 | (b >> 24) << 24;
        uint32_t z = (b >> 16 & 0xFF) | (c >> 24) << 8 | (c >> 16 & 0xFF) << 16 | (c >> 8 & 0xFF) << 24;
        std::memcpy(out, &x, 4);      // b0 g0 r0 b1
        std::memcpy(out + 4, &y, 4);  // g1 r1 b2 g2
        std::memcpy(out + 8, &z, 4);  // r2 b3 g3 r3
    }
    for (; i < count; ++i, raw += 3, out += 3) {
        out[0] = raw[2];
        out[1] = raw[1];
        out[2] = raw[0];
    }
}

template <size_t kBytes>
void StoreRgb(const PngPixelRules&, const uint8_t* raw, uint32_t count, uint8_t* out, size_t step) {
    if (kBytes == 1 && step == 3) {
        SwapRgbRow(raw, count, out);
        return;
    }
    for (uint32_t i = 0; i < count; ++i, out += step, raw += 3 * kBytes) {
        out[0] = raw[2 * kBytes];
        out[1] = raw[kBytes];
        out[2] = raw[0];
    }
}

// Truecolour with a tRNS key: pixels equal to the key become the background.
template <size_t kBytes>
void StoreRgbKeyed(const PngPixelRules& r, const uint8_t* raw, uint32_t count, uint8_t* out, size_t step) {
    for (uint32_t i = 0; i < count; ++i, out += step, raw += 3 * kBytes) {
        uint8_t b = raw[2 * kBytes];
        uint8_t g = raw[kBytes];
        uint8_t red = raw[0];
        bool keyed = b == r.key[0] && g == r.key[1] && red == r.key[2];
        out[0] = keyed ? r.background[0] : b;
        out[1] = keyed ? r.background[1] : g;
        out[2] = keyed ? r.background[2] : red;
    }
}

template <size_t kBytes>
void StoreRgba(const PngPixelRules& r, const uint8_t* raw, uint32_t count, uint8_t* out, size_t step) {
    const uint8_t* bgB = r.blend + size_t{r.background[0]} * 256;
    const uint8_t* bgG = r.blend + size_t{r.background[1]} * 256;
    const uint8_t* bgR = r.blend + size_t{r.background[2]} * 256;
    for (uint32_t i = 0; i < count; ++i, out += step, raw += 4 * kBytes) {
        uint32_t a = raw[3 * kBytes];
        if (a == 255) {
            out[0] = raw[2 * kBytes];
            out[1] = raw[kBytes];
            out[2] = raw[0];
            continue;
        }
        const uint8_t* ta = r.blend + size_t{a} * 256;
        uint32_t na = 255 - a;
        out[0] = static_cast<uint8_t>(ta[raw[2 * kBytes]] + bgB[na]);
        out[1] = static_cast<uint8_t>(ta[raw[kBytes]] + bgG[na]);
        out[2] = static_cast<uint8_t>(ta[raw[0]] + bgR[na]);
    }
}

}  // namespace

void SetScalarPngUnfilters(uint32_t bpp, PngRowOps* ops) {
    switch (bpp) {
        case 1:
            SetUnfilters<1>(ops);
            break;
        case 2:
            SetUnfilters<2>(ops);
            break;
        case 3:
            SetUnfilters<3>(ops);
            break;
        case 4:
            SetUnfilters<4>(ops);
            break;
        case 6:
            SetUnfilters<6>(ops);
            break;
        default:
            SetUnfilters<8>(ops);
            break;
    }
}

PngStoreRow ChoosePngStore(uint32_t colourType, uint32_t depth, bool rgbKey) {
    const bool wide = depth == 16;
    switch (colourType) {
        case kPngTypeGreyAlpha:
            return wide ? StoreGreyAlpha<2> : StoreGreyAlpha<1>;
        case kPngTypeRgb:
            if (rgbKey) {
                return wide ? StoreRgbKeyed<2> : StoreRgbKeyed<1>;
            }
            return wide ? StoreRgb<2> : StoreRgb<1>;
        case kPngTypeRgba:
            return wide ? StoreRgba<2> : StoreRgba<1>;
        default:
            switch (depth) {
                case 1:
                    return StorePacked<1>;
                case 2:
                    return StorePacked<2>;
                case 4:
                    return StorePacked<4>;
                case 8:
                    return StoreIndex<1>;
                default:
                    return StoreIndex<2>;
            }
    }
}
