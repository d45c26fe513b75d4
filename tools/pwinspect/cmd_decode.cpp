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
#include "tools/pwinspect/bmp_dump.h"
#include "tools/pwinspect/commands.h"

namespace {

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
    if (dump != nullptr && !WriteBmpDump(dump, image->header, image->palette, image->pixels)) {
        std::fputs("pwinspect decode: cannot write the dump\n", stderr);
        return 1;
    }
    return 0;
}
