// The WebP picture plug-in: a 64-bit Susie picture plug-in over libwebp's
// decoder. Lossy and lossless pictures come back as 24-bit rows, bottom-up;
// a picture with alpha is composited over black, as the program's PNG decoder
// does without a background chunk. Animated files are refused.
#include <cstdlib>
#include <cstring>

#include "archive/susie_abi.h"
#include "plugins/plugin_export.h"
#include "webp/decode.h"

namespace {

const char* const kInfo[] = {"00IN", "Pagewick WebP picture plug-in", "*.webp", "WebP pictures"};
constexpr uint64_t kMaxSource = uint64_t{1} << 31;  // larger files are not pictures we read
constexpr uint32_t kProbeBytes = 4096;              // enough for the headers GetPictureInfo needs

// a * c / 255, rounded the way the program's blend table rounds; filled at the
// first picture with alpha after the library is loaded.
uint8_t gBlend[256 * 256];
bool gBlendReady = false;

void FillBlend() {
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t c = 0; c < 256; ++c) {
            uint32_t v;
            if (a == 0 || c == 0) {
                v = 0;
            } else if (a == 255 || c == 255) {
                v = a == 255 ? c : a;
            } else {
                const uint32_t lo = a < c ? a : c;
                const uint32_t hi = a < c ? c : a;
                v = (hi * (lo * 65536u / 255u) + 32768u) >> 16;
            }
            gBlend[a * 256 + c] = static_cast<uint8_t>(v);
        }
    }
    gBlendReady = true;
}

// The encoded bytes: the caller's block for a memory source, otherwise the file
// from the offset on (at most limit bytes) in a buffer of ours.
struct Source {
    const uint8_t* data = nullptr;
    size_t size = 0;
    uint8_t* owned = nullptr;
    Source() = default;
    Source(const Source&) = delete;
    Source& operator=(const Source&) = delete;
    ~Source() { std::free(owned); }
};

bool OpenSource(const char* source, intptr_t length, unsigned flag, uint64_t limit, Source* out) {
    if (source == nullptr || length < 0) {
        return false;
    }
    if ((flag & 7) == kSusieSourceMemory) {
        out->data = reinterpret_cast<const uint8_t*>(source);
        out->size = static_cast<size_t>(length);
        return true;
    }
    PluginFile file(source);
    const uint64_t size = file.size();
    const auto offset = static_cast<uint64_t>(length);
    if (!file.valid() || offset >= size || size - offset > kMaxSource) {
        return false;
    }
    const uint64_t n = size - offset < limit ? size - offset : limit;
    out->owned = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(n)));
    if (out->owned == nullptr || !file.ReadAt(offset, out->owned, static_cast<uint32_t>(n))) {
        return false;
    }
    out->data = out->owned;
    out->size = static_cast<size_t>(n);
    return true;
}

// Alpha rows (BGRA, bottom-up, width * 4 bytes apart) composited in place into
// 24-bit rows stride bytes apart: every write lands at or before what is still
// to be read. The padding bytes become zero.
void CompositeInPlace(uint8_t* rows, uint32_t width, uint32_t height, size_t stride) {
    if (!gBlendReady) {
        FillBlend();
    }
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* in = rows + size_t{y} * width * 4;
        uint8_t* out = rows + y * stride;
        for (uint32_t x = 0; x < width; ++x, in += 4, out += 3) {
            const uint8_t* t = gBlend + size_t{in[3]} * 256;
            const uint8_t b = t[in[0]];
            const uint8_t g = t[in[1]];
            const uint8_t r = t[in[2]];
            out[0] = b;
            out[1] = g;
            out[2] = r;
        }
        for (size_t pad = size_t{width} * 3; pad < stride; ++pad) {
            rows[y * stride + pad] = 0;
        }
    }
}

// Zeroes the bytes after each row's pixels.
void ZeroPadding(uint8_t* rows, uint32_t width, uint32_t height, size_t stride) {
    if (stride == size_t{width} * 3) {
        return;
    }
    for (uint32_t y = 0; y < height; ++y) {
        std::memset(rows + y * stride + size_t{width} * 3, 0, stride - size_t{width} * 3);
    }
}

int Decode(const Source& src, HLOCAL* infoOut, HLOCAL* bitsOut) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config) ||
        WebPGetFeatures(src.data, src.size, &config.input) != VP8_STATUS_OK) {
        return kSusieUnknownFormat;
    }
    if (config.input.has_animation) {
        return kSusieUnknownFormat;
    }
    const auto width = static_cast<uint32_t>(config.input.width);
    const auto height = static_cast<uint32_t>(config.input.height);
    const bool alpha = config.input.has_alpha != 0;
    const size_t stride = (size_t{width} * 3 + 3) & ~size_t{3};
    const size_t bytes = stride * height;
    // With alpha the decoder writes 4 bytes a pixel into the same block, which
    // is then composited down to 3 in place.
    const size_t decoded = alpha ? size_t{width} * 4 * height : bytes;
    HLOCAL bits = LocalAlloc(LMEM_FIXED, decoded > bytes ? decoded : bytes);
    HLOCAL info = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER));
    if (bits == nullptr || info == nullptr) {
        LocalFree(bits);
        LocalFree(info);
        return kSusieNoMemory;
    }
    // Bottom-up rows straight from the decoder.
    config.options.flip = 1;
    config.output.is_external_memory = 1;
    config.output.colorspace = alpha ? MODE_BGRA : MODE_BGR;
    config.output.u.RGBA.rgba = static_cast<uint8_t*>(bits);
    config.output.u.RGBA.stride = static_cast<int>(alpha ? size_t{width} * 4 : stride);
    config.output.u.RGBA.size = decoded;
    const VP8StatusCode status = WebPDecode(src.data, src.size, &config);
    WebPFreeDecBuffer(&config.output);
    if (status != VP8_STATUS_OK) {
        LocalFree(bits);
        LocalFree(info);
        return kSusieBadData;
    }
    if (alpha) {
        CompositeInPlace(static_cast<uint8_t*>(bits), width, height, stride);
    } else {
        ZeroPadding(static_cast<uint8_t*>(bits), width, height, stride);
    }
    BITMAPINFOHEADER h{};
    h.biSize = sizeof h;
    h.biWidth = static_cast<LONG>(width);
    h.biHeight = static_cast<LONG>(height);
    h.biPlanes = 1;
    h.biBitCount = 24;
    h.biCompression = BI_RGB;
    h.biSizeImage = static_cast<DWORD>(bytes);
    std::memcpy(info, &h, sizeof h);
    *infoOut = info;
    *bitsOut = bits;
    return kSusieOk;
}

}  // namespace

PW_SUSIE_EXPORT int GetPluginInfo(int infoNo, char* buffer, int length) {
    if (infoNo < 0 || infoNo >= static_cast<int>(sizeof kInfo / sizeof kInfo[0])) {
        return 0;
    }
    return CopyInfoText(kInfo[infoNo], buffer, length);
}

PW_SUSIE_EXPORT int IsSupported(const char* /*fileName*/, void* header) {
    const auto* h = static_cast<const uint8_t*>(header);
    return h != nullptr && std::memcmp(h, "RIFF", 4) == 0 && std::memcmp(h + 8, "WEBP", 4) == 0 ? 1 : 0;
}

PW_SUSIE_EXPORT int GetPictureInfo(const char* source, intptr_t length, unsigned flag, void* info) {
    Source src;
    if (info == nullptr || !OpenSource(source, length, flag, kProbeBytes, &src)) {
        return kSusieReadError;
    }
    WebPBitstreamFeatures f;
    if (WebPGetFeatures(src.data, src.size, &f) != VP8_STATUS_OK) {
        return kSusieUnknownFormat;
    }
    auto* p = static_cast<uint8_t*>(info);
    std::memset(p, 0, kSusiePictureInfoSize);
    const int16_t depth = f.has_alpha ? 32 : 24;
    std::memcpy(p + kSusiePictureInfoWidth, &f.width, 4);
    std::memcpy(p + kSusiePictureInfoHeight, &f.height, 4);
    std::memcpy(p + kSusiePictureInfoDepth, &depth, 2);
    return kSusieOk;
}

PW_SUSIE_EXPORT int GetPicture(const char* source,
                               intptr_t length,
                               unsigned flag,
                               HLOCAL* bitmapInfo,
                               HLOCAL* bits,
                               SusieProgress progress,
                               intptr_t userData) {
    if (bitmapInfo == nullptr || bits == nullptr) {
        return kSusieInternalError;
    }
    *bitmapInfo = nullptr;
    *bits = nullptr;
    Source src;
    if (!OpenSource(source, length, flag, kMaxSource, &src)) {
        return kSusieReadError;
    }
    if (progress != nullptr && progress(0, 1, userData) != 0) {
        return kSusieAborted;
    }
    return Decode(src, bitmapInfo, bits);
}
