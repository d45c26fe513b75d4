// Reads the TIFF header and the first directory. Offsets and counts from the file
// are 32-bit values checked against the input size in 64-bit arithmetic before any
// byte is read.
#include "decode/tiff_ifd.h"

namespace {

constexpr uint32_t kTagImageWidth = 256;
constexpr uint32_t kTagImageLength = 257;
constexpr uint32_t kTagBitsPerSample = 258;
constexpr uint32_t kTagCompression = 259;
constexpr uint32_t kTagPhotometric = 262;
constexpr uint32_t kTagStripOffsets = 273;
constexpr uint32_t kTagSamplesPerPixel = 277;
constexpr uint32_t kTagStripByteCounts = 279;
constexpr uint32_t kTagXResolution = 282;
constexpr uint32_t kTagYResolution = 283;
constexpr uint32_t kTagPlanarConfiguration = 284;
constexpr uint32_t kTagResolutionUnit = 296;
constexpr uint32_t kTagColorMap = 320;

constexpr uint32_t kTypeShort = 3;
constexpr uint32_t kTypeLong = 4;

constexpr uint32_t kMaxStrips = uint32_t{1} << 30;
constexpr uint32_t kMaxDimension = uint32_t{1} << 31;

struct DirectoryReader {
    const uint8_t* data;
    uint64_t size;
    bool bigEndian;
    TiffDirectory* dir;
    DecodeStatus status;
};

// One 12-byte entry; `value` points at its 4-byte value field.
struct Entry {
    uint32_t tag;
    uint32_t type;
    uint32_t count;
    const uint8_t* value;
};

bool Fail(DirectoryReader* r, DecodeStatus code) {
    if (r->status == kDecodeOk) {
        r->status = code;
    }
    return false;
}

bool ReadDimension(DirectoryReader* r, const Entry& e, uint32_t* out) {
    uint32_t v;
    if (e.type == kTypeShort) {
        v = TiffRead16(e.value, r->bigEndian);
    } else if (e.type == kTypeLong) {
        v = TiffRead32(e.value, r->bigEndian);
    } else {
        return Fail(r, kTiffBadData);
    }
    if (v == 0) {
        return Fail(r, kTiffBadData);
    }
    if (v >= kMaxDimension) {
        return Fail(r, kDecodeBadHeader);
    }
    *out = v;
    return true;
}

bool ReadBitsPerSample(DirectoryReader* r, const Entry& e) {
    TiffDirectory* dir = r->dir;
    dir->bitsPerSampleCount = e.count;
    if (e.count == 1) {
        dir->bitsPerSample = TiffRead16(e.value, r->bigEndian);
    } else if (e.count == 3) {
        uint32_t offset = TiffRead32(e.value, r->bigEndian);
        if (!TiffInside(r->size, offset, 6)) {
            return Fail(r, kTiffBadData);
        }
        const uint8_t* p = r->data + offset;
        uint32_t red = TiffRead16(p, r->bigEndian);
        if (TiffRead16(p + 2, r->bigEndian) != red || TiffRead16(p + 4, r->bigEndian) != red ||
            (red != 8 && red != 16)) {
            return Fail(r, kDecodeBadHeader);
        }
        dir->bitsPerSample = red;
    }
    return true;
}

// A strip table of SHORT or LONG values. Values that fit in the entry's four
// bytes (one LONG, one or two SHORTs) are stored in the entry itself; larger
// arrays lie at the offset the entry holds.
bool ReadStripTable(DirectoryReader* r, const Entry& e, VmBlock* table, uint32_t* count) {
    if (table->get() != nullptr) {
        return Fail(r, kTiffBadData);
    }
    if (e.type != kTypeShort && e.type != kTypeLong) {
        return Fail(r, kTiffBadData);
    }
    if (e.count == 0) {
        return Fail(r, kTiffBadData);
    }
    if (e.count >= kMaxStrips) {
        return Fail(r, kDecodeBadHeader);
    }
    const uint64_t elementSize = e.type == kTypeShort ? 2 : 4;
    const uint64_t bytes = uint64_t{e.count} * elementSize;
    const uint8_t* src = e.value;
    if (bytes > 4) {
        uint32_t offset = TiffRead32(e.value, r->bigEndian);
        if (!TiffInside(r->size, offset, bytes)) {
            return Fail(r, kTiffBadData);
        }
        src = r->data + offset;
    }
    table->reset(VmAlloc(static_cast<size_t>(uint64_t{e.count} * 4 + 4)));
    if (table->get() == nullptr) {
        return Fail(r, kDecodeNoMemory);
    }
    uint32_t* out = reinterpret_cast<uint32_t*>(table->get());
    for (uint32_t i = 0; i < e.count; i++) {
        out[i] = elementSize == 2 ? TiffRead16(src + size_t{i} * 2, r->bigEndian)
                                  : TiffRead32(src + size_t{i} * 4, r->bigEndian);
    }
    *count = e.count;
    return true;
}

bool ReadEntry(DirectoryReader* r, const Entry& e, uint32_t* offsetCount, uint32_t* byteCountCount) {
    TiffDirectory* dir = r->dir;
    switch (e.tag) {
        case kTagImageWidth:
            return ReadDimension(r, e, &dir->width);
        case kTagImageLength:
            return ReadDimension(r, e, &dir->length);
        case kTagBitsPerSample:
            return ReadBitsPerSample(r, e);
        case kTagCompression:
            dir->compression = TiffRead16(e.value, r->bigEndian);
            if (dir->compression != 1) {
                return Fail(r, kDecodeBadHeader);
            }
            return true;
        case kTagPhotometric:
            dir->photometric = TiffRead16(e.value, r->bigEndian);
            return true;
        case kTagStripOffsets:
            return ReadStripTable(r, e, &dir->stripOffsets, offsetCount);
        case kTagStripByteCounts:
            return ReadStripTable(r, e, &dir->stripByteCounts, byteCountCount);
        case kTagSamplesPerPixel:
            dir->samplesPerPixel = TiffRead16(e.value, r->bigEndian);
            return true;
        case kTagXResolution:
            dir->xResolutionOffset = TiffRead32(e.value, r->bigEndian);
            return true;
        case kTagYResolution:
            dir->yResolutionOffset = TiffRead32(e.value, r->bigEndian);
            return true;
        case kTagPlanarConfiguration:
            dir->planarConfiguration = TiffRead16(e.value, r->bigEndian);
            return true;
        case kTagResolutionUnit:
            dir->resolutionUnit = TiffRead16(e.value, r->bigEndian);
            return true;
        case kTagColorMap:
            dir->colorMapOffset = TiffRead32(e.value, r->bigEndian);
            return true;
        default:
            return true;
    }
}

}  // namespace

DecodeStatus TiffReadDirectory(const uint8_t* data, uint64_t size, TiffDirectory* dir) {
    DirectoryReader r = {data, size, false, dir, kDecodeOk};
    if (size < 8) {
        Fail(&r, kTiffBadData);
        return r.status;
    }
    if (data[0] == 0x49 && data[1] == 0x49) {
        r.bigEndian = false;
    } else if (data[0] == 0x4D && data[1] == 0x4D) {
        r.bigEndian = true;
    } else {
        Fail(&r, kTiffBadData);
        return r.status;
    }
    dir->bigEndian = r.bigEndian;
    if (TiffRead16(data + 2, r.bigEndian) != 42) {
        Fail(&r, kTiffBadData);
        return r.status;
    }

    const uint64_t ifd = TiffRead32(data + 4, r.bigEndian);
    if (!TiffInside(size, ifd, 2)) {
        Fail(&r, kTiffBadData);
        return r.status;
    }
    const uint32_t entryCount = TiffRead16(data + ifd, r.bigEndian);
    if (!TiffInside(size, ifd + 2, uint64_t{entryCount} * 12)) {
        Fail(&r, kTiffBadData);
        return r.status;
    }

    uint32_t offsetCount = 0;
    uint32_t byteCountCount = 0;
    for (uint32_t i = 0; i < entryCount; i++) {
        const uint8_t* p = data + ifd + 2 + uint64_t{i} * 12;
        Entry e = {TiffRead16(p, r.bigEndian), TiffRead16(p + 2, r.bigEndian), TiffRead32(p + 4, r.bigEndian),
                   p + 8};
        if (!ReadEntry(&r, e, &offsetCount, &byteCountCount)) {
            return r.status;
        }
    }

    if (dir->width == 0 || dir->length == 0) {
        Fail(&r, kDecodeBadHeader);
    } else if (dir->stripOffsets.get() == nullptr || dir->stripByteCounts.get() == nullptr ||
               offsetCount != byteCountCount) {
        Fail(&r, kTiffBadData);
    } else {
        dir->stripCount = offsetCount;
    }
    return r.status;
}
