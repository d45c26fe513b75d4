// ZIP structures as in PKWARE's APPNOTE.TXT (sections 4.3.7, 4.3.12, 4.3.16);
// all integers little-endian, every field read byte by byte.
#include "archive/zip_reader.h"

#include "archive/file_reader.h"
#include "archive/zip_host.h"
#include "decode/deflate_owner.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {
constexpr uint32_t kEndSignature = 0x06054B50;
constexpr uint32_t kCentralSignature = 0x02014B50;
constexpr uint32_t kLocalSignature = 0x04034B50;
constexpr uint32_t kEndSize = 22;
constexpr uint32_t kCentralSize = 46;
constexpr uint32_t kLocalSize = 30;

// The end-record search window: from 65,557 bytes before the end of the file
// (22 + the longest comment) to 19 bytes before it, so the last 4 bytes examined
// are a signature followed by at least a 1-byte comment's record. The 0-byte
// comment case is the first probe's.
constexpr uint32_t kSearchBack = kEndSize + 65535;
constexpr uint32_t kSearchStopBeforeEnd = 19;
constexpr uint32_t kSearchSize = kSearchBack - kSearchStopBeforeEnd;

constexpr uint16_t kFlagDataDescriptor = 0x0008;
constexpr uint16_t kFlagUtf8 = 0x0800;
constexpr uint16_t kMethodStored = 0;
constexpr uint16_t kMethodDeflate = 8;

// Names are read up to this many bytes (a path of MAX_PATH - 1 units).
constexpr uint32_t kMaxNameBytes = 259;
constexpr uint32_t kNameUnits = kMaxNameBytes + 1;

// One buffer-full of central directory: about a thousand typical headers.
constexpr uint32_t kDirectoryBuffer = 64 * 1024;
// A member read fetches the local header with its name and extra field, plus the
// start of the data, in one read.
constexpr uint32_t kLocalBuffer = 1024;

// Deflate cannot expand input more than 1032-fold (a 258-byte match coded in two
// bits), so a larger claimed size is a lie and not worth allocating for.
constexpr uint64_t kMaxInflateRatio = 1032;

ZipEnd ParseEnd(const uint8_t* record) {
    return ZipEnd{Le16(record + 8), Le32(record + 16)};
}

struct CentralSizes {
    uint32_t crc;
    uint32_t compressed;
    uint32_t uncompressed;
};

// Walks the central directory for the header whose local-header offset is
// `locator`; stops at the first short read or bad signature.
bool FindCentralSizes(FileId file, uint32_t locator, CentralSizes* out) {
    ZipEnd end = ZipFindEnd(file);
    if (end.entries == 0) {
        return false;
    }
    AppPtr<uint8_t> buffer(static_cast<uint8_t*>(AppAlloc(kDirectoryBuffer)));
    if (buffer.get() == nullptr) {
        return false;
    }
    FileReader r;
    ReaderInit(&r, file, buffer.get(), kDirectoryBuffer);
    ReaderSeek(&r, end.directoryOffset);
    uint8_t h[kCentralSize];
    for (uint32_t i = 0; i < end.entries; ++i) {
        if (!ReaderRead(&r, h, kCentralSize) || Le32(h) != kCentralSignature) {
            return false;
        }
        if (Le32(h + 42) == locator) {
            *out = CentralSizes{Le32(h + 16), Le32(h + 20), Le32(h + 24)};
            return true;
        }
        ReaderSkip(&r, uint64_t{Le16(h + 28)} + Le16(h + 30) + Le16(h + 32));
    }
    return false;
}

// One raw inflate call over whole buffers. The stream must fill the output
// exactly: a stream that ends early would leave zero bytes behind that a CRC
// may not catch (data ending in zeros), so it fails here instead, as does one
// that holds more than the claimed size.
bool InflateRaw(const uint8_t* in, uint32_t inSize, uint8_t* out, uint32_t outSize) {
    DeflateDecompressor d = NewDeflateDecompressor();
    if (d == nullptr) {
        return false;
    }
    return libdeflate_deflate_decompress(d.get(), in, inSize, out, outSize, nullptr) == LIBDEFLATE_SUCCESS;
}
// ZipFindEnd, also giving the file size.
ZipEnd FindEndRecord(FileId file, uint64_t* fileSizeOut) {
    uint64_t fileSize = 0;
    if (!FileGetSize(file, &fileSize) || fileSize < kEndSize) {
        return ZipEnd{0, 0};
    }
    *fileSizeOut = fileSize;
    uint8_t record[kEndSize];
    uint32_t got = 0;
    if (FileReadAt(file, fileSize - kEndSize, record, kEndSize, &got) && got == kEndSize &&
        Le32(record) == kEndSignature) {
        return ParseEnd(record);
    }
    // Only the bytes read are scanned, so the buffer needs no zero fill.
    AppPtr<uint8_t> tail(static_cast<uint8_t*>(AppAlloc(kSearchSize)));
    if (tail.get() == nullptr) {
        return ZipEnd{0, 0};
    }
    uint64_t windowStart = fileSize > kSearchBack ? fileSize - kSearchBack : 0;
    auto windowSize = static_cast<uint32_t>(fileSize - kSearchStopBeforeEnd - windowStart);
    if (!FileReadAt(file, windowStart, tail.get(), windowSize, &got) || got < 4) {
        return ZipEnd{0, 0};
    }
    // Backwards: the record nearest the end wins.
    const uint8_t* t = tail.get();
    for (uint32_t i = got - 3; i-- > 0;) {
        if (t[i] == 0x50 && t[i + 1] == 0x4B && t[i + 2] == 0x05 && t[i + 3] == 0x06) {
            if (!FileReadAt(file, windowStart + i, record, kEndSize, &got) || got != kEndSize) {
                return ZipEnd{0, 0};
            }
            return ParseEnd(record);
        }
    }
    return ZipEnd{0, 0};
}

}  // namespace

ZipEnd ZipFindEnd(FileId file) {
    uint64_t fileSize = 0;
    return FindEndRecord(file, &fileSize);
}

ArchiveMemberList* ZipListMembers(FileId file) {
    uint64_t fileSize = 0;
    ZipEnd end = FindEndRecord(file, &fileSize);
    // Every announced header needs its 46 bytes before the end of the file; a
    // count that cannot fit would fail at a short read anyway, after allocating
    // a list for up to 65,535 members.
    if (end.entries == 0 || end.directoryOffset > fileSize ||
        uint64_t{end.entries} * kCentralSize > fileSize - end.directoryOffset) {
        return nullptr;
    }
    MemberListPtr list(NewMemberList(static_cast<int32_t>(end.entries)));
    AppPtr<uint8_t> buffer(static_cast<uint8_t*>(AppAlloc(kDirectoryBuffer)));
    if (list.get() == nullptr || buffer.get() == nullptr) {
        return nullptr;
    }
    FileReader r;
    ReaderInit(&r, file, buffer.get(), kDirectoryBuffer);
    ReaderSeek(&r, end.directoryOffset);
    uint8_t h[kCentralSize];
    uint8_t nameBytes[kMaxNameBytes];
    char16_t wide[kNameUnits];
    int32_t filled = 0;
    for (uint32_t i = 0; i < end.entries; ++i) {
        if (!ReaderRead(&r, h, kCentralSize) || Le32(h) != kCentralSignature) {
            return nullptr;
        }
        uint16_t flags = Le16(h + 8);
        uint16_t method = Le16(h + 10);
        uint32_t nameLength = Le16(h + 28);
        uint64_t rest = uint64_t{Le16(h + 30)} + Le16(h + 32);
        if (method != kMethodStored && method != kMethodDeflate) {
            ReaderSkip(&r, nameLength + rest);
            continue;
        }
        uint32_t take = nameLength < kMaxNameBytes ? nameLength : kMaxNameBytes;
        if (!ReaderRead(&r, nameBytes, take)) {
            return nullptr;
        }
        ArchiveMember& m = list->members[filled];
        m.locator = Le32(h + 42);
        m.size = Le32(h + 24);
        m.modified = DosTimeToFiletime(Le16(h + 14), Le16(h + 12));
        uint32_t units = ZipNameToUtf16(nameBytes, take, (flags & kFlagUtf8) != 0, wide, kNameUnits);
        if (!m.folder.Append(wide, units) || !SplitMemberPath(&m)) {
            return nullptr;
        }
        ++filled;
        ReaderSkip(&r, (nameLength - take) + rest);
    }
    if (filled == 0) {
        return nullptr;
    }
    list->count = filled;
    return list.release();
}

uint8_t* ZipReadMember(FileId file, uint32_t* locator, uint64_t* modified) {
    uint8_t head[kLocalBuffer];
    FileReader r;
    ReaderInit(&r, file, head, kLocalBuffer);
    ReaderSeek(&r, *locator);
    uint8_t h[kLocalSize];
    if (!ReaderRead(&r, h, kLocalSize) || Le32(h) != kLocalSignature) {
        return nullptr;
    }
    uint16_t flags = Le16(h + 6);
    uint16_t method = Le16(h + 8);
    CentralSizes sizes{Le32(h + 14), Le32(h + 18), Le32(h + 22)};
    if (modified != nullptr) {
        *modified = DosTimeToFiletime(Le16(h + 12), Le16(h + 10));
    }
    ReaderSkip(&r, uint64_t{Le16(h + 26)} + Le16(h + 28));
    if (method != kMethodStored && method != kMethodDeflate) {
        return nullptr;
    }
    if ((flags & kFlagDataDescriptor) != 0 && !FindCentralSizes(file, *locator, &sizes)) {
        return nullptr;
    }
    // The data must lie inside the file and be able to yield the claimed size;
    // otherwise no block is worth allocating.
    uint64_t fileSize = 0;
    uint64_t dataBytes = method == kMethodStored ? sizes.uncompressed : sizes.compressed;
    if (!FileGetSize(file, &fileSize) || r.pos > fileSize || dataBytes > fileSize - r.pos ||
        (method == kMethodDeflate && sizes.uncompressed > kMaxInflateRatio * sizes.compressed)) {
        return nullptr;
    }
    VmBlock out(VmAlloc(uint64_t{sizes.uncompressed} + 4));
    if (out.get() == nullptr) {
        return nullptr;
    }
    if (method == kMethodStored) {
        if (!ReaderRead(&r, out.get(), sizes.uncompressed)) {
            return nullptr;
        }
    } else {
        // The compressed bytes never leave the reader, so they go to the heap,
        // whose memory is reused from one read to the next, rather than to fresh
        // pages that each cost a fault when first written.
        AppPtr<uint8_t> in(static_cast<uint8_t*>(AppAlloc(uint64_t{sizes.compressed} + 4)));
        if (in.get() == nullptr || !ReaderRead(&r, in.get(), sizes.compressed) ||
            !InflateRaw(in.get(), sizes.compressed, out.get(), sizes.uncompressed)) {
            return nullptr;
        }
    }
    if (libdeflate_crc32(0, out.get(), sizes.uncompressed) != sizes.crc) {
        return nullptr;
    }
    *locator = sizes.uncompressed;
    return out.release();
}
