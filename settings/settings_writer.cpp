#include "settings/settings_writer.h"

#include "platform/heap.h"

namespace {

constexpr uint16_t kFormatTag = 0x05BF;
constexpr uint32_t kIndexEnd = 4 + 8 * kSlotCount;  // 836: where the data area starts

// The old file as the writer sees it: its index (at most 104 entries, the rest
// zero) and its data area, when it could be read.
struct OldFile {
    SlotEntry index[kSlotCount];
    AppPtr<uint8_t> data;
    uint64_t dataStart = 0;
    uint64_t dataSize = 0;
};

bool ReadExact(const SettingsSource& src, uint64_t offset, void* buffer, uint32_t n) {
    uint32_t got = 0;
    return src.readAt(src.context, offset, buffer, n, &got) && got == n;
}

// Reads what the new file carries over. False only when the old file's size
// cannot be established: then nothing may be saved.
bool ReadOldFile(const SettingsSource& src, OldFile* old) {
    uint8_t header[4];
    if (!ReadExact(src, 0, header, sizeof header)) {
        return true;
    }
    uint32_t count = LoadU16(header);
    uint32_t capped = count < kSlotCount ? count : kSlotCount;
    uint8_t raw[kSlotCount * 8];
    if (capped > 0 && !ReadExact(src, 4, raw, capped * 8)) {
        return true;
    }
    for (uint32_t i = 0; i < capped; ++i) {
        old->index[i].a = LoadU32(raw + size_t{8} * i);
        old->index[i].b = LoadU32(raw + size_t{8} * i + 4);
    }
    uint64_t size = 0;
    if (!src.getSize(src.context, &size) || size >= (1ull << 32)) {
        return false;
    }
    // The data area begins after the whole old index, entries past 104 included.
    old->dataStart = 4 + 8ull * count;
    if (size <= old->dataStart) {
        return true;
    }
    uint64_t n = size - old->dataStart;
    AppPtr<uint8_t> block(static_cast<uint8_t*>(AppAlloc(static_cast<size_t>(n))));
    if (block.get() != nullptr && ReadExact(src, old->dataStart, block.get(), static_cast<uint32_t>(n))) {
        old->data = static_cast<AppPtr<uint8_t>&&>(block);
        old->dataSize = n;
    }
    return true;
}

// The file being built: the new index and the content with the data area.
struct NewFile {
    ByteBuf bytes;
    SlotEntry index[kSlotCount];
    bool replaced[kSlotCount] = {};
};

void PutInt(NewFile* f, uint32_t slot, int32_t value) {
    f->index[slot] = SlotEntry{1, static_cast<uint32_t>(value)};
    f->replaced[slot] = true;
}

// Records the bytes appended since `start` as the slot's value; nothing appended
// makes the slot absent.
void EndValue(NewFile* f, uint32_t slot, uint32_t start) {
    f->replaced[slot] = true;
    if (!f->bytes.ok || f->bytes.size == start) {
        f->index[slot] = SlotEntry{};
        return;
    }
    f->index[slot] = SlotEntry{start, f->bytes.size - start};
}

void AppendText(ByteBuf* out, const char16_t* text, uint32_t n) {
    if (!out->Grow(2ull * n)) {
        return;
    }
    for (uint32_t i = 0; i < n; ++i) {
        out->data[out->size++] = static_cast<uint8_t>(text[i]);
        out->data[out->size++] = static_cast<uint8_t>(text[i] >> 8);
    }
}

void PutText(NewFile* f, uint32_t slot, const StrBuf& text) {
    uint32_t start = f->bytes.size;
    AppendText(&f->bytes, text.Text(), text.length);
    EndValue(f, slot, start);
}

// The registered tree folders: every non-empty path with its terminator, and one
// expand byte for each path written, so that the flags stay with their folders.
void PutTreeFolderPaths(NewFile* f, const TreeFolderList& list) {
    uint32_t start = f->bytes.size;
    for (uint32_t i = 0; i < list.count; ++i) {
        const StrBuf& p = list.items[i].path;
        if (p.length > 0) {
            AppendText(&f->bytes, p.Text(), p.length);
            f->bytes.AppendU16(0);
        }
    }
    EndValue(f, kSlotTreeFolders, start);
}

void PutTreeFolderExpand(NewFile* f, const TreeFolderList& list) {
    uint32_t start = f->bytes.size;
    for (uint32_t i = 0; i < list.count; ++i) {
        if (list.items[i].path.length > 0) {
            f->bytes.AppendByte(list.items[i].expand);
        }
    }
    EndValue(f, kSlotTreeExpand, start);
}

// Disabled plug-in names, kept only while the plug-in file still exists.
void PutDisabledPlugins(NewFile* f, const Settings& s, const SettingsPlatformOps& ops) {
    uint32_t start = f->bytes.size;
    StrBuf joined;
    for (uint32_t i = 0; i < s.disabledPlugins.count; ++i) {
        const StrBuf& name = s.disabledPlugins.items[i];
        if (name.length == 0) {
            continue;
        }
        joined.Assign(s.pluginFolder.Text());
        joined.AppendPathComponent(name.Text(), name.length);
        if (ops.fileExists(ops.context, joined.Text())) {
            AppendText(&f->bytes, name.Text(), name.length);
            f->bytes.AppendU16(0);
        }
    }
    EndValue(f, kSlotDisabledPlugins, start);
}

// The accelerator records. A table without records is stored as a value of no
// bytes at the end of the data so far, not as an absent slot: the reader tells
// a table the user emptied from one that is missing or damaged by it.
void PutKeyTable(NewFile* f, const Settings& s) {
    uint32_t start = f->bytes.size;
    uint32_t count = s.keyTableCount < kMaxAccelRecords ? s.keyTableCount : kMaxAccelRecords;
    for (uint32_t i = 0; i < count; ++i) {
        f->bytes.AppendByte(s.keyTable[i].flags);
        f->bytes.AppendByte(0);
        f->bytes.AppendU16(s.keyTable[i].key);
        f->bytes.AppendU16(s.keyTable[i].command);
    }
    EndValue(f, kSlotKeyTable, start);
    if (count == 0 && f->bytes.ok) {
        f->index[kSlotKeyTable] = SlotEntry{start, 0};
    }
}

void PutSlot(NewFile* f, const SettingsSlotRow& row, const Settings& s, const SettingsPlatformOps& ops) {
    switch (row.kind) {
        case SlotKind::kInt:
        case SlotKind::kBit:
            PutInt(f, row.slot, SettingsGetInt(s, row.slot));
            break;
        case SlotKind::kText:
            PutText(f, row.slot, *SettingsText(s, row.slot));
            break;
        case SlotKind::kTextList:
            if (row.slot == kSlotTreeFolders) {
                PutTreeFolderPaths(f, s.treeFolders);
            } else {
                PutDisabledPlugins(f, s, ops);
            }
            break;
        case SlotKind::kExpandBytes:
            PutTreeFolderExpand(f, s.treeFolders);
            break;
        case SlotKind::kKeyRecords:
            PutKeyTable(f, s);
            break;
        case SlotKind::kUnused:
            break;  // carried over below
    }
}

// Byte values of slots this program did not write move to the new data area.
// A recorded range outside the old data area cannot be carried and becomes
// absent rather than pointing at unrelated bytes of the new file.
void CarryOver(NewFile* f, const OldFile& old) {
    for (uint32_t slot = 0; slot < kSlotCount; ++slot) {
        const SlotEntry& e = old.index[slot];
        if (f->replaced[slot] || e.a == 1) {
            continue;
        }
        if (e.a == 0) {
            f->index[slot] = SlotEntry{};  // absent entries carry no length
            continue;
        }
        bool inside = old.data.get() != nullptr && e.a >= old.dataStart &&
                      e.a - old.dataStart <= old.dataSize && e.b <= old.dataSize - (e.a - old.dataStart);
        if (!inside) {
            f->index[slot] = SlotEntry{};
            continue;
        }
        uint32_t start = f->bytes.size;
        f->bytes.Append(old.data.get() + (e.a - old.dataStart), e.b);
        f->index[slot] = f->bytes.ok ? SlotEntry{start, e.b} : SlotEntry{};
    }
}

}  // namespace

SaveResult BuildSettingsFile(const SettingsSource* oldSource,
                             const Settings& s,
                             const SettingsPlatformOps& ops,
                             ByteBuf* out) {
    OldFile old;
    if (oldSource != nullptr && !ReadOldFile(*oldSource, &old)) {
        return SaveResult::kOldFileUnreadable;
    }
    NewFile f;
    // Integers of unknown slots keep their entries from the old index.
    for (uint32_t i = 0; i < kSlotCount; ++i) {
        f.index[i] = old.index[i];
    }
    f.bytes.AppendU16(static_cast<uint16_t>(kSlotCount));
    f.bytes.AppendU16(kFormatTag);
    for (uint32_t i = 0; i < kSlotCount * 8; ++i) {
        f.bytes.AppendByte(0);
    }
    if (f.bytes.ok && f.bytes.size != kIndexEnd) {
        return SaveResult::kOutOfMemory;
    }
    // The table's order is the write order: byte values land in it one after another.
    uint32_t rowCount = 0;
    const SettingsSlotRow* rows = SettingsSlotTable(&rowCount);
    for (uint32_t i = 0; i < rowCount; ++i) {
        PutSlot(&f, rows[i], s, ops);
    }
    CarryOver(&f, old);
    for (uint32_t i = 0; i < kSlotCount; ++i) {
        f.bytes.PutU32(4 + 8 * i, f.index[i].a);
        f.bytes.PutU32(8 + 8 * i, f.index[i].b);
    }
    if (!f.bytes.ok) {
        return f.bytes.tooLarge ? SaveResult::kTooLarge : SaveResult::kOutOfMemory;
    }
    out->Take(&f.bytes);
    return SaveResult::kSaved;
}

SaveResult SettingsWrite(const char16_t* path,
                         const Settings& s,
                         const SettingsPlatformOps& ops,
                         const SettingsFileOps& files) {
    ByteBuf content;
    {
        // The old file is closed again before it is replaced: an open handle
        // would keep the replacement from happening on Windows.
        FileSource old;
        bool exists = OpenFileSource(&old, path);
        if (!exists && (ops.fileExists(ops.context, path) || ops.folderExists(ops.context, path))) {
            return SaveResult::kOldFileUnreadable;
        }
        SaveResult built = BuildSettingsFile(exists ? &old.source : nullptr, s, ops, &content);
        if (built != SaveResult::kSaved) {
            return built;
        }
    }
    TempFile temp;
    if (!files.openTemp(files.context, &temp, path)) {
        files.discard(files.context, &temp);
        return SaveResult::kWriteFailed;
    }
    if (!files.write(files.context, &temp, content.data, content.size) ||
        !files.close(files.context, &temp) || !files.replace(files.context, &temp, path)) {
        files.discard(files.context, &temp);
        return SaveResult::kWriteFailed;
    }
    return SaveResult::kSaved;
}
