// pwinspect decode FILE [--memory] [--dump OUT.bmp]: decodes a picture through the
// reader's own entry points (OpenImageFile, or OpenImageMemory over a VmAlloc copy
// of the file with --memory) and prints one JSON line; --dump writes the decoded
// record as a BMP file: file header, the 40-byte header as decoded, the 256-entry
// palette for 8-bit pictures, then the pixel block as is.
#include <cstdio>
#include <cstring>
#include <string_view>

#include "decode/blend_table.h"
#include "decode/open_image.h"
#include "platform/file.h"
#include "platform/utf.h"
#include "platform/vm.h"
#include "tools/pwinspect/commands.h"

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

bool WriteDump(const char16_t* path, const DecodedImage& image) {
    const BitmapInfoHeader& h = image.header;
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
        const RgbQuad& e = image.palette[i];
        uint8_t q[4] = {e.blue, e.green, e.red, e.reserved};
        ok = std::fwrite(q, 1, 4, out) == 4;
    }
    ok = ok && std::fwrite(image.pixels, 1, static_cast<size_t>(pixelBytes), out) == pixelBytes;
    return std::fclose(out) == 0 && ok;
}

// The whole file in a fresh VmAlloc block (4 spare bytes), as an archive reader
// hands over a member; null when it cannot be read.
uint8_t* ReadIntoBlock(const char16_t* path, size_t* size) {
    FileHandle file(FileOpenRead(path));
    uint64_t n = 0;
    if (!file.valid() || !FileGetSize(file.get(), &n) || n > UINT32_MAX) {
        return nullptr;
    }
    VmBlock block(VmAlloc(static_cast<size_t>(n) + 4));
    uint32_t got = 0;
    if (block.get() == nullptr || !FileReadAt(file.get(), 0, block.get(), static_cast<uint32_t>(n), &got) ||
        got != n) {
        return nullptr;
    }
    *size = static_cast<size_t>(n);
    return block.release();
}

// The member name the fallback would see: the file name after the last separator.
const char16_t* BaseName(const char16_t* path) {
    const char16_t* base = path;
    for (const char16_t* p = path; *p != 0; ++p) {
        if (*p == u'\\') {
            base = p + 1;
        }
    }
    return base;
}

}  // namespace

int CmdDecode(int argc, char16_t** argv) {
    const char16_t* path = nullptr;
    const char16_t* dump = nullptr;
    bool memory = false;
    for (int i = 0; i < argc; ++i) {
        std::u16string_view arg(argv[i]);
        if (arg == u"--memory") {
            memory = true;
        } else if (arg == u"--dump" && i + 1 < argc) {
            dump = argv[++i];
        } else if (path == nullptr && !arg.starts_with(u"--")) {
            path = argv[i];
        } else {
            std::fputs("usage: pwinspect decode FILE [--memory] [--dump OUT.bmp]\n", stderr);
            return 2;
        }
    }
    if (path == nullptr) {
        std::fputs("usage: pwinspect decode FILE [--memory] [--dump OUT.bmp]\n", stderr);
        return 2;
    }
    FillBlendTable();
    int32_t orientation = 1;
    DecodedImagePtr image;
    if (memory) {
        size_t size = 0;
        uint8_t* block = ReadIntoBlock(path, &size);
        if (block != nullptr) {
            image.reset(OpenImageMemory(BaseName(path), block, size, &orientation));
        }
    } else {
        image.reset(OpenImageFile(path, &orientation));
    }
    if (!image) {
        std::puts("{\"ok\":false}");
        return 1;
    }
    const BitmapInfoHeader& h = image->header;
    std::printf(
        "{\"ok\":true,\"format\":%d,\"width\":%d,\"height\":%d,\"bitCount\":%u,\"sourceBits\":%d,"
        "\"orientation\":%d}\n",
        image->sourceFormat, h.width, h.height, static_cast<unsigned>(h.bitCount), image->sourceBits,
        orientation);
    if (dump != nullptr && !WriteDump(dump, *image.get())) {
        std::fputs("pwinspect decode: cannot write the dump\n", stderr);
        return 1;
    }
    return 0;
}
