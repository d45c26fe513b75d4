// TIFF decoder: checks the directory's layout against what the row conversion
// understands, gathers the strips in table order into one block, and converts
// the rows bottom-up into 8-bit indexed or 24-bit blue-green-red pixels.
#include "decode/tiff.h"

#include <cmath>
#include <cstring>

#include "decode/channel_order.h"
#include "decode/entry_steps.h"
#include "decode/tiff_ifd.h"
#include "platform/vm.h"

namespace {

enum class Photometric : uint32_t {
    kWhiteIsZero = 0,
    kBlackIsZero = 1,
    kRgb = 2,
    kPalette = 3,
};

// What the row conversion reads: source bits per pixel (1, 4, 8, 24 or 48) and
// the byte count of one source row.
struct Layout {
    uint32_t pixelBits;
    uint32_t outputBits;  // 8 or 24
    uint64_t sourceRowBytes;
};

// The layouts the conversion understands. Anything else would be read as the
// wrong layout (extra samples, separate planes, other depths), so it is refused.
bool ChooseLayout(const TiffDirectory& dir, Layout* layout) {
    const uint32_t bits = dir.bitsPerSample;
    const uint32_t photometric = dir.photometric;
    // Without a SamplesPerPixel tag the count of BitsPerSample values tells.
    uint32_t samples = dir.samplesPerPixel;
    if (samples == 0) {
        samples = dir.bitsPerSampleCount > 0 ? dir.bitsPerSampleCount : 1;
    }
    if (samples > 1 && dir.planarConfiguration != 1) {
        return false;
    }
    const uint64_t width = dir.width;
    if (photometric == static_cast<uint32_t>(Photometric::kRgb)) {
        if (dir.bitsPerSampleCount != 3 || samples != 3 || (bits != 8 && bits != 16)) {
            return false;
        }
        *layout = {bits * 3, 24, width * 3 * (bits / 8)};
        return true;
    }
    bool grey = photometric == static_cast<uint32_t>(Photometric::kWhiteIsZero) ||
                photometric == static_cast<uint32_t>(Photometric::kBlackIsZero);
    bool palette = photometric == static_cast<uint32_t>(Photometric::kPalette) && dir.colorMapOffset != 0;
    if (!grey && !palette) {
        return false;
    }
    if (samples != 1 || (bits != 1 && bits != 4 && bits != 8)) {
        return false;
    }
    *layout = {bits, 8, (width * bits + 7) / 8};
    return true;
}

// Gathers the strips in table order into one run of bytes. Only the first
// `limit` bytes can ever be read by the rows, so the run holds no more than that,
// but every strip is still checked against the input. Strips that already follow
// one another in the file (as most writers store them) are that run as they lie;
// only scattered strips are copied into `block`.
DecodeStatus GatherStrips(const uint8_t* data,
                          uint64_t size,
                          const TiffDirectory& dir,
                          uint64_t limit,
                          VmBlock* block,
                          const uint8_t** run,
                          uint64_t* runBytes) {
    const uint32_t* offsets = reinterpret_cast<const uint32_t*>(dir.stripOffsets.get());
    const uint32_t* counts = reinterpret_cast<const uint32_t*>(dir.stripByteCounts.get());
    uint64_t total = 0;
    bool adjacent = true;
    for (uint32_t i = 0; i < dir.stripCount; i++) {
        total += counts[i];
        if (i > 0 && uint64_t{offsets[i]} != uint64_t{offsets[i - 1]} + counts[i - 1]) {
            adjacent = false;
        }
    }
    if (total >= (uint64_t{1} << 32)) {
        return kDecodeBadHeader;
    }
    const uint64_t capacity = total < limit ? total : limit;
    if (adjacent) {
        for (uint32_t i = 0; i < dir.stripCount; i++) {
            if (!TiffInside(size, offsets[i], counts[i])) {
                return kDecodeShortInput;
            }
        }
        *run = data + offsets[0];
        *runBytes = capacity;
        return kDecodeOk;
    }
    block->reset(VmAlloc(static_cast<size_t>(capacity + 4)));
    if (block->get() == nullptr) {
        return kDecodeNoMemory;
    }
    uint64_t n = 0;
    for (uint32_t i = 0; i < dir.stripCount; i++) {
        if (!TiffInside(size, offsets[i], counts[i])) {
            return kDecodeShortInput;
        }
        uint64_t take = capacity - n < counts[i] ? capacity - n : counts[i];
        std::memcpy(block->get() + n, data + offsets[i], static_cast<size_t>(take));
        n += take;
    }
    *run = block->get();
    *runBytes = n;
    return kDecodeOk;
}

// Palette of a grey or palette image with 2^bits entries.
DecodeStatus BuildPalette(const uint8_t* data, uint64_t size, const TiffDirectory& dir, DecodedImage* image) {
    const uint32_t entries = uint32_t{1} << dir.bitsPerSample;
    if (dir.photometric == static_cast<uint32_t>(Photometric::kPalette)) {
        // All reds, then all greens, then all blues, 16 bits each; the high byte counts.
        if (!TiffInside(size, dir.colorMapOffset, uint64_t{entries} * 6)) {
            return kDecodeShortInput;
        }
        const uint8_t* map = data + dir.colorMapOffset;
        const uint32_t high = dir.bigEndian ? 0 : 1;
        for (uint32_t i = 0; i < entries; i++) {
            image->palette[i].red = map[i * 2 + high];
            image->palette[i].green = map[(entries + i) * 2 + high];
            image->palette[i].blue = map[(entries * 2 + i) * 2 + high];
        }
        return kDecodeOk;
    }
    const uint32_t step = 255 / (entries - 1);
    const bool whiteIsZero = dir.photometric == static_cast<uint32_t>(Photometric::kWhiteIsZero);
    for (uint32_t i = 0; i < entries; i++) {
        uint8_t v = static_cast<uint8_t>(whiteIsZero ? 255 - i * step : i * step);
        image->palette[i].red = v;
        image->palette[i].green = v;
        image->palette[i].blue = v;
    }
    return kDecodeOk;
}

void ConvertRow(const uint8_t* src, uint8_t* dst, uint32_t width, uint32_t pixelBits, bool bigEndian) {
    switch (pixelBits) {
        case 1: {
            uint32_t x = 0;
            for (; x + 8 <= width; x += 8) {
                uint8_t b = src[x >> 3];
                for (uint32_t k = 0; k < 8; k++) {
                    dst[x + k] = static_cast<uint8_t>((b >> (7 - k)) & 1);
                }
            }
            for (; x < width; x++) {
                dst[x] = static_cast<uint8_t>((src[x >> 3] >> (7 - (x & 7))) & 1);
            }
            break;
        }
        case 4: {
            uint32_t x = 0;
            for (; x + 2 <= width; x += 2) {
                uint8_t b = src[x >> 1];
                dst[x] = static_cast<uint8_t>(b >> 4);
                dst[x + 1] = static_cast<uint8_t>(b & 15);
            }
            if (x < width) {
                dst[x] = static_cast<uint8_t>(src[x >> 1] >> 4);
            }
            break;
        }
        case 8:
            std::memcpy(dst, src, width);
            break;
        case 24:
            RgbToBgrRow(src, dst, width);
            break;
        default:  // 48: the high byte of each 16-bit sample
            Rgb48ToBgrRow(src, dst, width, bigEndian);
            break;
    }
}

// Pixels per metre from a rational at `offset` in the unit; 0 when the rational
// is missing, has a zero denominator, or the result does not fit.
bool ReadRational(const uint8_t* data, uint64_t size, uint32_t offset, bool bigEndian, double* value) {
    if (!TiffInside(size, offset, 8)) {
        return false;
    }
    uint32_t numerator = TiffRead32(data + offset, bigEndian);
    uint32_t denominator = TiffRead32(data + offset + 4, bigEndian);
    if (denominator == 0) {
        return false;
    }
    *value = static_cast<double>(numerator) / denominator;
    return true;
}

int32_t PixelsPerMetre(double value, uint32_t unit) {
    double perMetre = unit == 2 ? std::floor(value / 0.0254 + 0.5) : std::floor(value * 100 + 0.5);
    return perMetre <= INT32_MAX ? static_cast<int32_t>(perMetre) : 0;
}

void SetResolution(const uint8_t* data, uint64_t size, const TiffDirectory& dir, DecodedImage* image) {
    if (dir.xResolutionOffset == 0 || dir.yResolutionOffset == 0 ||
        (dir.resolutionUnit != 2 && dir.resolutionUnit != 3)) {
        return;
    }
    double x = 0;
    double y = 0;
    if (!ReadRational(data, size, dir.xResolutionOffset, dir.bigEndian, &x) ||
        !ReadRational(data, size, dir.yResolutionOffset, dir.bigEndian, &y)) {
        return;
    }
    image->header.xPelsPerMeter = PixelsPerMetre(x, dir.resolutionUnit);
    image->header.yPelsPerMeter = PixelsPerMetre(y, dir.resolutionUnit);
}

DecodeStatus Decode(const uint8_t* data, uint64_t size, DecodedImage* image) {
    TiffDirectory dir;
    DecodeStatus status = TiffReadDirectory(data, size, &dir);
    if (status != kDecodeOk) {
        return status;
    }
    Layout layout;
    if (!ChooseLayout(dir, &layout)) {
        return kDecodeBadHeader;
    }

    VmBlock strips;
    const uint8_t* run = nullptr;
    uint64_t gathered = 0;
    status = GatherStrips(data, size, dir, layout.sourceRowBytes * dir.length, &strips, &run, &gathered);
    dir.stripOffsets.reset();
    if (status != kDecodeOk) {
        return status;
    }
    if (!AllocatePixels(image, dir.width, dir.length, static_cast<int>(layout.outputBits), &status)) {
        return status;
    }
    if (layout.outputBits == 8) {
        status = BuildPalette(data, size, dir, image);
        if (status != kDecodeOk) {
            VmFree(image->pixels);
            image->pixels = nullptr;
            return status;
        }
    }

    // Rows the gathered strips do not cover in full stay zero.
    const uint32_t stride = RowStride(dir.width, static_cast<int>(layout.outputBits));
    uint64_t rows = gathered / layout.sourceRowBytes;
    if (rows > dir.length) {
        rows = dir.length;
    }
    for (uint64_t y = 0; y < rows; y++) {
        ConvertRow(run + y * layout.sourceRowBytes, image->pixels + (dir.length - 1 - y) * stride, dir.width,
                   layout.pixelBits, dir.bigEndian);
    }
    SetResolution(data, size, dir, image);
    image->sourceFormat = kFormatTiff;
    image->sourceBits =
        static_cast<int32_t>(layout.outputBits == 24 ? dir.bitsPerSample * 3 : dir.bitsPerSample);
    return kDecodeOk;
}

DecodeStatus TiffBody(MappedInput* input, DecodedImage* image, const void*) {
    return TiffDecodeInput(input, image);
}

}  // namespace

DecodeStatus TiffDecodeInput(MappedInput* input, DecodedImage* image) {
    return Decode(input->start, static_cast<uint64_t>(input->end - input->start), image);
}

DecodedImage* TiffDecodeFile(const char16_t* path) {
    return DecodeFromFile(path, TiffBody, nullptr, nullptr);
}

DecodedImage* TiffDecodeMemory(const uint8_t* data, size_t size) {
    return DecodeFromMemory(data, size, TiffBody, nullptr, nullptr);
}
