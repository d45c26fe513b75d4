#include "tools/pwinspect/bmp_dump.h"

#include <cstdio>

#include "platform/utf.h"

namespace {

FILE* OpenForWriting(const char16_t* path) {
#ifdef _WIN32
    return _wfopen(reinterpret_cast<const wchar_t*>(path), L"wb");
#else
    char native[4096];
    size_t n = Utf16ToUtf8(path, Utf16Length(path), native, sizeof native);
    if (n + 1 > sizeof native) {
        return nullptr;
    }
    for (size_t i = 0; i < n; ++i) {
        if (native[i] == '\\') {
            native[i] = '/';
        }
    }
    return std::fopen(native, "wb");
#endif
}

void PutLe16(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, v);
    PutLe16(p + 2, v >> 16);
}

}  // namespace

bool WriteBmpDump(const char16_t* path,
                  const BitmapInfoHeader& h,
                  const RgbQuad* palette,
                  const uint8_t* pixels) {
    const uint64_t stride = RowStride(h.width, h.bitCount);
    const uint64_t pixelBytes = stride * static_cast<uint64_t>(h.height);
    const uint32_t paletteBytes = h.bitCount == 8 ? 1024 : 0;
    const uint64_t offset = 14 + 40 + paletteBytes;
    uint8_t head[54] = {'B', 'M'};
    PutLe32(head + 2, static_cast<uint32_t>(offset + pixelBytes));
    PutLe32(head + 10, static_cast<uint32_t>(offset));
    uint8_t* info = head + 14;
    PutLe32(info, h.size);
    PutLe32(info + 4, static_cast<uint32_t>(h.width));
    PutLe32(info + 8, static_cast<uint32_t>(h.height));
    PutLe16(info + 12, h.planes);
    PutLe16(info + 14, h.bitCount);
    PutLe32(info + 16, h.compression);
    PutLe32(info + 20, h.sizeImage);
    PutLe32(info + 24, static_cast<uint32_t>(h.xPelsPerMeter));
    PutLe32(info + 28, static_cast<uint32_t>(h.yPelsPerMeter));
    PutLe32(info + 32, h.clrUsed);
    PutLe32(info + 36, h.clrImportant);
    FILE* out = OpenForWriting(path);
    if (out == nullptr) {
        return false;
    }
    bool ok = std::fwrite(head, 1, sizeof head, out) == sizeof head;
    for (uint32_t i = 0; ok && i < paletteBytes / 4; ++i) {
        const RgbQuad& e = palette[i];
        uint8_t q[4] = {e.blue, e.green, e.red, e.reserved};
        ok = std::fwrite(q, 1, 4, out) == 4;
    }
    ok = ok && std::fwrite(pixels, 1, static_cast<size_t>(pixelBytes), out) == pixelBytes;
    return std::fclose(out) == 0 && ok;
}
