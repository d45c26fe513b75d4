#include "decode/open_image.h"

#include <atomic>

#include "app/text.h"
#include "decode/bmp.h"
#include "decode/gif.h"
#include "decode/jpeg.h"
#include "decode/png.h"
#include "decode/tiff.h"
#include "platform/file.h"
#include "platform/vm.h"

namespace {

std::atomic<const ImageFallbackOps*> gFallback{nullptr};

struct ExtensionEntry {
    const char16_t* extension;
    ImageFormat format;
};

// Compared in this order; the first match wins.
const ExtensionEntry kExtensions[] = {
    {u".jpg", kFormatJpeg}, {u".png", kFormatPng},   {u".gif", kFormatGif},  {u".bmp", kFormatBmp},
    {u".tif", kFormatTiff}, {u".tiff", kFormatTiff}, {u".jpe", kFormatJpeg}, {u".jpeg", kFormatJpeg},
};

const uint8_t kPngSignature[8] = {0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A};

uint32_t TextLength(const char16_t* s) {
    uint32_t n = 0;
    while (s[n] != 0) {
        ++n;
    }
    return n;
}

}  // namespace

void SetImageFallbackOps(const ImageFallbackOps* ops) {
    gFallback.store(ops, std::memory_order_release);
}

ImageFormat SniffImageMemory(const uint8_t* b) {
    if (b[0] == 0x42 && b[1] == 0x4D) {
        return kFormatBmp;
    }
    bool png = true;
    for (int i = 0; i < 8; ++i) {
        png = png && b[i] == kPngSignature[i];
    }
    if (png) {
        return kFormatPng;
    }
    if (b[0] == 0xFF && b[1] == 0xD8) {
        return kFormatJpeg;
    }
    if ((b[0] == 0x49 && b[1] == 0x49 && b[2] == 0x2A) || (b[0] == 0x4D && b[1] == 0x4D && b[3] == 0x2A)) {
        return kFormatTiff;
    }
    if (b[0] == 0x47 && b[1] == 0x49 && b[2] == 0x46) {
        return kFormatGif;
    }
    return kFormatUnknown;
}

ImageFormat SniffImageFile(const char16_t* path) {
    FileHandle file(FileOpenRead(path));
    if (!file.valid()) {
        return kFormatUnopenable;
    }
    uint8_t head[8];
    uint32_t got = 0;
    if (!FileReadAt(file.get(), 0, head, sizeof head, &got) || got != sizeof head) {
        return kFormatUnopenable;
    }
    return SniffImageMemory(head);
}

ImageFormat ImageFormatFromExtension(const char16_t* name) {
    if (name == nullptr) {
        return kFormatUnknown;
    }
    uint32_t n = TextLength(name);
    uint32_t i = n;
    while (i > 0) {
        --i;
        if (name[i] == u'\\') {
            return kFormatUnknown;
        }
        if (name[i] == u'.') {
            for (const ExtensionEntry& e : kExtensions) {
                if (EqualsNoCaseN(name + i, n - i, e.extension, TextLength(e.extension))) {
                    return e.format;
                }
            }
            return kFormatUnknown;
        }
    }
    return kFormatUnknown;
}

DecodedImage* OpenImageFile(const char16_t* path, int32_t* orientation) {
    DecodedImage* image = nullptr;
    switch (SniffImageFile(path)) {
        case kFormatBmp:
            image = BmpDecodeFile(path);
            break;
        case kFormatPng:
            image = PngDecodeFile(path);
            break;
        case kFormatJpeg:
            image = JpegDecodeFile(path, orientation);
            break;
        case kFormatTiff:
            image = TiffDecodeFile(path);
            break;
        case kFormatGif:
            image = GifDecodeFile(path);
            break;
        default:
            break;
    }
    if (image != nullptr) {
        return image;
    }
    const ImageFallbackOps* ops = gFallback.load(std::memory_order_acquire);
    if (ops != nullptr && ops->openFile != nullptr) {
        return ops->openFile(path);
    }
    return nullptr;
}

DecodedImage* OpenImageMemory(const char16_t* name, uint8_t* block, size_t size, int32_t* orientation) {
    VmBlock owned(block);
    const uint8_t* data = owned.get();
    DecodedImage* image = nullptr;
    ImageFormat format = data == nullptr || size < 8 ? kFormatUnopenable : SniffImageMemory(data);
    switch (format) {
        case kFormatBmp:
            image = BmpDecodeMemory(data, size);
            break;
        case kFormatPng:
            image = PngDecodeMemory(data, size);
            break;
        case kFormatJpeg:
            image = JpegDecodeMemory(data, size, orientation);
            break;
        case kFormatTiff:
            image = TiffDecodeMemory(data, size);
            break;
        case kFormatGif:
            image = GifDecodeMemory(data, size);
            break;
        default:
            break;
    }
    if (image == nullptr && data != nullptr) {
        const ImageFallbackOps* ops = gFallback.load(std::memory_order_acquire);
        if (ops != nullptr && ops->openMemory != nullptr) {
            image = ops->openMemory(name, data, size);
        }
    }
    return image;
}
