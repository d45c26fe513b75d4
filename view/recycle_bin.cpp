#include "view/recycle_bin.h"

#include "app/text.h"
#include "platform/file.h"
#include "platform/heap.h"

namespace {
constexpr uint32_t kRecycleInfoV2Header = 28;
// A version-2 path is at most the longest path the system accepts.
constexpr uint32_t kRecycleInfoMaxUnits = 32768;

uint32_t Read32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint64_t Read64(const uint8_t* p) {
    return static_cast<uint64_t>(Read32(p)) | static_cast<uint64_t>(Read32(p + 4)) << 32;
}

char16_t Unit(const uint8_t* p, uint32_t i) {
    return static_cast<char16_t>(p[size_t{2} * i] | p[size_t{2} * i + 1] << 8);
}

// The bin's own name of the entry: the file-name part of its location.
const char16_t* BinFileName(const PageEntry& e, uint32_t* n) {
    const char16_t* text = e.location.Text();
    uint32_t start = e.location.length;
    while (start > 0 && text[start - 1] != u'\\') {
        --start;
    }
    *n = e.location.length - start;
    return text + start;
}

uint32_t AppendUnsigned(char16_t* out, uint32_t value) {
    char16_t digits[10];
    uint32_t count = 0;
    do {
        digits[count++] = static_cast<char16_t>(u'0' + value % 10);
        value /= 10;
    } while (value != 0);
    uint32_t at = 0;
    while (count > 0) {
        out[at++] = digits[--count];
    }
    return at;
}

void NamesFromInfo2(PageEntry* entries, int32_t count) {
    // INFO2 lies in the folder of the bin files.
    StrBuf indexPath;
    indexPath.AssignPathPart(kPathFolder, entries[0].location.Text(), entries[0].location.length);
    if (indexPath.length == 0 || indexPath.AppendPathComponent(u"INFO2", 5) == nullptr) {
        return;
    }
    FileHandle file(FileOpenRead(indexPath.Text()));
    uint64_t size = 0;
    if (!file.valid() || !FileGetSize(file.get(), &size) || size == 0 || size > UINT32_MAX) {
        return;
    }
    uint8_t record[kInfo2RecordSize];
    for (uint64_t offset = kInfo2HeaderSize;; offset += kInfo2RecordSize) {
        uint32_t got = 0;
        if (!FileReadAt(file.get(), offset, record, kInfo2RecordSize, &got)) {
            return;
        }
        Info2Record r{};
        if (!ParseInfo2Record(record, got, &r)) {
            return;
        }
        if (r.drive > 25) {
            continue;
        }
        char16_t key[16];
        key[0] = u'D';
        key[1] = static_cast<char16_t>(u'a' + r.drive);
        uint32_t keyLength = 2 + AppendUnsigned(key + 2, r.recordNumber);
        for (int32_t i = 0; i < count; ++i) {
            uint32_t n = 0;
            const char16_t* binName = BinFileName(entries[i], &n);
            if (EqualsNoCaseN(binName, ExtensionStart(binName, n), key, keyLength) &&
                AssignDeletedName(&entries[i].name, r.widePath, kRecyclePathUnits)) {
                entries[i].modified = r.deleted;
            }
        }
    }
}

void NameFromRecycleInfo(PageEntry* e) {
    uint32_t n = 0;
    const char16_t* binName = BinFileName(*e, &n);
    if (n < 2) {
        return;
    }
    // "$R..." becomes "$I..." for the open and is put back afterwards.
    auto at = static_cast<uint32_t>(binName - e->location.Text()) + 1;
    char16_t saved = e->location.buffer[at];
    e->location.buffer[at] = u'I';
    FileHandle file(FileOpenRead(e->location.Text()));
    e->location.buffer[at] = saved;
    uint64_t size = 0;
    if (!file.valid() || !FileGetSize(file.get(), &size)) {
        return;
    }
    uint64_t want = kRecycleInfoV2Header + 2ull * kRecycleInfoMaxUnits;
    if (size < want) {
        want = size;
    }
    if (want < kRecycleInfoV2Header) {
        return;
    }
    AppPtr<uint8_t> bytes(static_cast<uint8_t*>(AppAlloc(want)));
    uint32_t got = 0;
    if (bytes.get() == nullptr ||
        !FileReadAt(file.get(), 0, bytes.get(), static_cast<uint32_t>(want), &got)) {
        return;
    }
    RecycleInfo info{};
    if (ParseRecycleInfo(bytes.get(), got, &info) &&
        AssignDeletedName(&e->name, info.widePath, info.pathUnits)) {
        e->modified = info.deleted;
    }
}
}  // namespace

bool ParseInfo2Record(const uint8_t* bytes, uint32_t n, Info2Record* out) {
    if (bytes == nullptr || n < kInfo2RecordSize) {
        return false;
    }
    out->recordNumber = Read32(bytes + 260);
    out->drive = Read32(bytes + 264);
    out->deleted = Read64(bytes + 268);
    out->widePath = bytes + 280;
    return true;
}

bool ParseRecycleInfo(const uint8_t* bytes, uint32_t n, RecycleInfo* out) {
    if (bytes == nullptr || n < kRecycleInfoV2Header) {
        return false;
    }
    uint64_t version = Read64(bytes);
    out->deleted = Read64(bytes + 16);
    if (version == 2) {
        // Version 2 (later systems) counts its path instead of padding it to 260.
        uint32_t units = Read32(bytes + 24);
        if (units == 0 || units > kRecycleInfoMaxUnits || units > (n - kRecycleInfoV2Header) / 2) {
            return false;
        }
        out->widePath = bytes + kRecycleInfoV2Header;
        out->pathUnits = units;
        return true;
    }
    if (n < kRecycleInfoV1Size) {
        return false;
    }
    out->widePath = bytes + 24;
    out->pathUnits = kRecyclePathUnits;
    return true;
}

bool AssignDeletedName(StrBuf* out, const uint8_t* widePath, uint32_t maxUnits) {
    uint32_t end = 0;
    while (end < maxUnits && Unit(widePath, end) != 0) {
        ++end;
    }
    uint32_t start = end;
    while (start > 0 && Unit(widePath, start - 1) != u'\\') {
        --start;
    }
    if (start == end) {
        return false;
    }
    StrBuf name;
    for (uint32_t i = start; i < end; ++i) {
        if (name.AppendChar(Unit(widePath, i)) == nullptr) {
            return false;
        }
    }
    *out = static_cast<StrBuf&&>(name);
    return true;
}

void RecycleBinNames(PageEntry* entries, int32_t count, int osLevel) {
    if (entries == nullptr || count < 1 || osLevel < 1) {
        return;
    }
    if (osLevel == 1) {
        NamesFromInfo2(entries, count);
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        NameFromRecycleInfo(&entries[i]);
    }
}
