#include "decode/jpeg_exif.h"

namespace {

constexpr uint32_t kTagOrientation = 0x0112;
constexpr uint64_t kEntrySize = 12;

// Bounded reader over outside bytes: a read that does not fit clears ok and
// yields 0, and every later read fails too.
struct ByteCursor {
    const uint8_t* data;
    uint64_t size;
    uint64_t pos;
    bool ok;
};

bool Fits(const ByteCursor& c, uint64_t n) {
    return c.ok && c.pos <= c.size && n <= c.size - c.pos;
}

void Seek(ByteCursor* c, uint64_t pos) {
    if (pos > c->size) {
        c->ok = false;
        return;
    }
    c->pos = pos;
}

uint32_t ReadU16(ByteCursor* c, bool bigEndian) {
    if (!Fits(*c, 2)) {
        c->ok = false;
        return 0;
    }
    const uint8_t* p = c->data + c->pos;
    c->pos += 2;
    return bigEndian ? (uint32_t{p[0]} << 8) | p[1] : (uint32_t{p[1]} << 8) | p[0];
}

uint32_t ReadU32(ByteCursor* c, bool bigEndian) {
    if (!Fits(*c, 4)) {
        c->ok = false;
        return 0;
    }
    const uint8_t* p = c->data + c->pos;
    c->pos += 4;
    if (bigEndian) {
        return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
    }
    return (uint32_t{p[3]} << 24) | (uint32_t{p[2]} << 16) | (uint32_t{p[1]} << 8) | p[0];
}

// Only the rotations are applied to a page; mirrored or unknown values leave it
// as stored.
int32_t RotationOnly(uint32_t value) {
    return (value == 3 || value == 6 || value == 8) ? static_cast<int32_t>(value) : 1;
}

bool IsExifHeader(const uint8_t* p, uint64_t n) {
    return n >= 6 && p[0] == 'E' && p[1] == 'x' && p[2] == 'i' && p[3] == 'f' && p[4] == 0 && p[5] == 0;
}

}  // namespace

int32_t ExifOrientationFromTiff(const uint8_t* tiff, size_t size) {
    ByteCursor c{tiff, size, 0, true};
    if (size < 8) {
        return 1;
    }
    // "II" is little-endian; anything else is read as big-endian ("MM").
    bool bigEndian = !(tiff[0] == 0x49 && tiff[1] == 0x49);
    Seek(&c, 4);
    uint64_t directory = ReadU32(&c, bigEndian);
    Seek(&c, directory);
    uint32_t count = ReadU16(&c, bigEndian);
    if (!c.ok) {
        return 1;
    }
    for (uint32_t i = 0; i < count && Fits(c, kEntrySize); ++i) {
        uint64_t entry = c.pos;
        uint32_t tag = ReadU16(&c, bigEndian);
        if (tag == kTagOrientation) {
            // Type (2 bytes) and count (4 bytes) precede the value field, whose
            // first two bytes hold a SHORT value.
            Seek(&c, entry + 8);
            return RotationOnly(ReadU16(&c, bigEndian));
        }
        Seek(&c, entry + kEntrySize);
    }
    return 1;
}

int32_t JpegScanOrientation(const uint8_t* data, size_t size) {
    ByteCursor c{data, size, 0, true};
    int32_t orientation = 1;
    for (;;) {
        while (c.pos < c.size && data[c.pos] != 0xFF) {
            ++c.pos;
        }
        while (c.pos < c.size && data[c.pos] == 0xFF) {
            ++c.pos;
        }
        if (c.pos >= c.size) {
            return orientation;
        }
        uint8_t marker = data[c.pos++];
        if (marker == 0xD8) {
            continue;
        }
        if (marker == 0xD9 || marker == 0xDA) {
            return orientation;
        }
        // Every other marker before the first scan carries a length that counts
        // its own two bytes.
        uint64_t segment = c.pos;
        uint64_t length = ReadU16(&c, true);
        if (!c.ok || length < 2 || length > c.size - segment) {
            return orientation;
        }
        if (marker == 0xE1) {
            const uint8_t* payload = data + segment + 2;
            uint64_t payloadSize = length - 2;
            if (IsExifHeader(payload, payloadSize)) {
                orientation = ExifOrientationFromTiff(payload + 6, static_cast<size_t>(payloadSize - 6));
            }
        }
        c.pos = segment + length;
    }
}
