#include "archive/plugin_results.h"

#include <cstring>

#include "archive/archive_member.h"
#include "archive/susie_abi.h"
#include "platform/vm.h"

namespace {

constexpr size_t kInfoHeaderSize = 40;
constexpr size_t kPaletteBytes = 256 * sizeof(RgbQuad);
constexpr uint64_t kFourGiB = uint64_t{1} << 32;
constexpr uint64_t kUnixEpochSeconds = 11644473600ull;  // 1601-01-01 to 1970-01-01
constexpr uint64_t kTicksPerSecond = 10000000ull;

uint64_t Le64(const uint8_t* p) {
    uint64_t v;
    std::memcpy(&v, p, 8);
    return v;
}

// Bytes per source row at the plug-in's bit count (rows padded to 4 bytes).
uint64_t SourceStride(int64_t width, uint32_t bitCount) {
    return ((static_cast<uint64_t>(width) * bitCount + 31) / 32) * 4;
}

// 1 and 4 bits: each pixel becomes one byte holding its palette index, most
// significant bits first.
void ExpandRows(const uint8_t* src, uint64_t srcStride, uint32_t bitCount, DecodedImage* image) {
    const auto width = static_cast<uint32_t>(image->header.width);
    const auto height = static_cast<uint32_t>(image->header.height);
    const uint32_t dstStride = RowStride(width, 8);
    const uint32_t perByte = 8 / bitCount;
    const uint32_t mask = (1u << bitCount) - 1;
    for (uint32_t y = 0; y < height; ++y) {
        const uint8_t* row = src + y * srcStride;
        uint8_t* out = image->pixels + size_t{y} * dstStride;
        for (uint32_t x = 0; x < width; ++x) {
            const uint32_t shift = 8 - bitCount * (x % perByte + 1);
            out[x] = static_cast<uint8_t>((row[x / perByte] >> shift) & mask);
        }
    }
}

bool ConvertText(AnsiToWide convert, const uint8_t* field, StrBuf* out) {
    const auto* text = reinterpret_cast<const char*>(field);
    size_t n = 0;
    while (n < kSusieMemberTextBytes && text[n] != 0) {
        ++n;
    }
    return convert(text, n, out);
}

}  // namespace

bool ConvertPluginPicture(const uint8_t* info,
                          size_t infoSize,
                          const uint8_t* bits,
                          size_t bitsSize,
                          int32_t depth,
                          DecodedImage* image) {
    if (info == nullptr || bits == nullptr || infoSize < kInfoHeaderSize || bitsSize == 0 ||
        bitsSize >= kFourGiB) {
        return false;
    }
    BitmapInfoHeader h;
    std::memcpy(&h, info, kInfoHeaderSize);
    // V4 and V5 headers are longer; the colour table follows the header's own
    // size, and a block shorter than that size is not a BITMAPINFO.
    if (h.size < kInfoHeaderSize || h.size > infoSize || h.compression != 0 || h.width <= 0 ||
        h.height <= 0) {
        return false;
    }
    const uint32_t bitCount = h.bitCount;
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 24) {
        return false;
    }
    const uint64_t srcStride = SourceStride(h.width, bitCount);
    const uint64_t needed = srcStride * static_cast<uint64_t>(h.height);  // < 2^31 * 2^31 * 4 bytes
    if (bitCount < 8 && bitsSize < needed) {
        return false;
    }
    const int outBits = bitCount == 24 ? 24 : 8;
    // Every byte of the pixels is written below (a short block's rest cleared).
    if (!AllocateWrittenPixels(image, h.width, h.height, outBits)) {
        return false;
    }
    image->header.xPelsPerMeter = h.xPelsPerMeter;
    image->header.yPelsPerMeter = h.yPelsPerMeter;
    if (bitCount != 24) {
        image->header.clrUsed = h.clrUsed <= 256 ? h.clrUsed : 0;
    }
    const size_t paletteBytes = infoSize - h.size < kPaletteBytes ? infoSize - h.size : kPaletteBytes;
    std::memset(image->palette, 0, sizeof image->palette);
    std::memcpy(image->palette, info + h.size, paletteBytes - paletteBytes % sizeof(RgbQuad));
    image->sourceBits = depth != 0 ? depth : static_cast<int32_t>(bitCount);
    image->sourceFormat = kFormatUnknown;
    if (bitCount < 8) {
        ExpandRows(bits, srcStride, bitCount, image);
    } else {
        // Same stride on both sides; a short block leaves the rest zero.
        const size_t copied = static_cast<size_t>(bitsSize < needed ? bitsSize : needed);
        std::memcpy(image->pixels, bits, copied);
        std::memset(image->pixels + copied, 0, static_cast<size_t>(needed) - copied);
    }
    return true;
}

ArchiveMemberList* ParseArchiveInfo(const uint8_t* block,
                                    size_t size,
                                    uint64_t archiveTime,
                                    AnsiToWide convert) {
    if (block == nullptr || size < kSusieMemberSize || size >= kFourGiB) {
        return nullptr;
    }
    const auto records = static_cast<int32_t>(size / kSusieMemberSize);
    MemberListPtr list(NewMemberList(records));
    if (list.get() == nullptr) {
        return nullptr;
    }
    list->archiveTime = archiveTime;
    for (int32_t i = 0; i < records; ++i) {
        const uint8_t* r = block + size_t(i) * kSusieMemberSize;
        if (r[kSusieMemberMethod] == 0) {
            break;
        }
        ArchiveMember& m = list->members[i];
        if (!ConvertText(convert, r + kSusieMemberPath, &m.folder) ||
            !ConvertText(convert, r + kSusieMemberName, &m.name)) {
            return nullptr;
        }
        m.locator = static_cast<uint32_t>(Le64(r + kSusieMemberPosition));
        m.size = static_cast<uint32_t>(Le64(r + kSusieMemberSizeField));
        m.modified = SusieTimeToFileTime(Le64(r + kSusieMemberTime));
        list->count = i + 1;
    }
    return list.release();
}

uint64_t SusieTimeToFileTime(uint64_t stamp) {
    const auto seconds = static_cast<int64_t>(static_cast<int32_t>(static_cast<uint32_t>(stamp)));
    return static_cast<uint64_t>(seconds + static_cast<int64_t>(kUnixEpochSeconds)) * kTicksPerSecond;
}

uint8_t* CopyMemberBytes(const uint8_t* data, size_t size, uint32_t* locator) {
    if (data == nullptr || size == 0 || size >= kFourGiB) {
        return nullptr;
    }
    auto* block = static_cast<uint8_t*>(VmAlloc(size + 4));
    if (block == nullptr) {
        return nullptr;
    }
    std::memcpy(block, data, size);
    *locator = static_cast<uint32_t>(size);
    return block;
}
