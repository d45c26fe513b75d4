#include "decode/image_probe.h"

#include "decode/decoded_image.h"
#include "decode/jpeg_exif.h"
#include "decode/open_image.h"
#include "decode/tiff_ifd.h"
#include "platform/file.h"

namespace {

uint32_t Le16(const uint8_t* p) {
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8);
}
uint32_t Be16(const uint8_t* p) {
    return (uint32_t{p[0]} << 8) | p[1];
}
uint32_t Le32(const uint8_t* p) {
    return Le16(p) | (Le16(p + 2) << 16);
}
uint32_t Be32(const uint8_t* p) {
    return (Be16(p) << 16) | Be16(p + 2);
}

bool Set(uint32_t width, uint32_t height, PictureProbe* out) {
    if (width == 0 || height == 0) {
        return false;
    }
    out->width = width;
    out->height = height;
    return true;
}

// BITMAPFILEHEADER, then the information header's 32-bit signed sizes, read as
// the decoder reads them whatever the header's kind (it refuses a top-down
// picture, so a negative height is no picture here either).
bool ProbeBmp(const uint8_t* p, size_t size, PictureProbe* out) {
    if (size < 26) {
        return false;
    }
    const auto width = static_cast<int32_t>(Le32(p + 18));
    const auto height = static_cast<int32_t>(Le32(p + 22));
    return width > 0 && height > 0 && Set(static_cast<uint32_t>(width), static_cast<uint32_t>(height), out);
}

// The signature, then the IHDR chunk: length, type, width, height.
bool ProbePng(const uint8_t* p, size_t size, PictureProbe* out) {
    if (size < 24 || p[12] != 'I' || p[13] != 'H' || p[14] != 'D' || p[15] != 'R') {
        return false;
    }
    const uint32_t width = Be32(p + 16);
    const uint32_t height = Be32(p + 20);
    return width <= INT32_MAX && height <= INT32_MAX && Set(width, height, out);
}

// The logical screen descriptor, which the decoder's picture covers.
bool ProbeGif(const uint8_t* p, size_t size, PictureProbe* out) {
    return size >= 10 && Set(Le16(p + 6), Le16(p + 8), out);
}

bool IsStartOfFrame(uint8_t marker) {
    return marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
}

// Marker segments from the start of image to the first frame header; its height
// and width, sides swapped when the EXIF orientation turns the page a quarter.
bool ProbeJpeg(const uint8_t* p, size_t size, PictureProbe* out) {
    size_t i = 2;
    while (i + 1 < size) {
        if (p[i] != 0xFF) {
            return false;
        }
        const uint8_t marker = p[i + 1];
        if (marker == 0xFF) {
            ++i;  // fill byte
            continue;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            i += 2;  // no length
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA || i + 4 > size) {
            return false;  // no frame before the scan
        }
        const size_t length = Be16(p + i + 2);
        if (length < 2 || length > size - i - 2) {
            return false;
        }
        if (IsStartOfFrame(marker)) {
            if (length < 7) {
                return false;
            }
            const uint32_t height = Be16(p + i + 5);
            const uint32_t width = Be16(p + i + 7);
            const int32_t orientation = JpegScanOrientation(p, size);
            const bool quarter = orientation == 6 || orientation == 8;
            return quarter ? Set(height, width, out) : Set(width, height, out);
        }
        i += 2 + length;
    }
    return false;
}

bool ProbeTiff(const uint8_t* p, size_t size, PictureProbe* out) {
    TiffDirectory dir;
    return TiffReadDirectory(p, size, &dir) == kDecodeOk && dir.width <= INT32_MAX &&
           dir.length <= INT32_MAX && Set(dir.width, dir.length, out);
}

}  // namespace

bool ProbeImageMemory(const uint8_t* data, size_t size, PictureProbe* out) {
    if (data == nullptr || size < 8) {
        return false;
    }
    switch (SniffImageMemory(data)) {
        case kFormatBmp:
            return ProbeBmp(data, size, out);
        case kFormatPng:
            return ProbePng(data, size, out);
        case kFormatGif:
            return ProbeGif(data, size, out);
        case kFormatJpeg:
            return ProbeJpeg(data, size, out);
        case kFormatTiff:
            return ProbeTiff(data, size, out);
        default:
            return false;
    }
}

bool ProbeImageFile(const char16_t* path, PictureProbe* out) {
    MappedFile file;
    return file.Open(path) && ProbeImageMemory(file.data(), static_cast<size_t>(file.size()), out);
}
