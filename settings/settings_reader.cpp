#include "settings/settings_reader.h"

#include "platform/heap.h"
#include "settings/byte_buf.h"

namespace {

bool FileReadAtOp(void* context, uint64_t offset, void* buffer, uint32_t n, uint32_t* got) {
    return FileReadAt(static_cast<FileSource*>(context)->file.get(), offset, buffer, n, got);
}

bool FileGetSizeOp(void* context, uint64_t* size) {
    return FileGetSize(static_cast<FileSource*>(context)->file.get(), size);
}

bool MemoryReadAtOp(void* context, uint64_t offset, void* buffer, uint32_t n, uint32_t* got) {
    const MemorySource* m = static_cast<const MemorySource*>(context);
    *got = 0;
    if (offset >= m->size) {
        return true;
    }
    uint64_t left = m->size - offset;
    uint32_t take = n <= left ? n : static_cast<uint32_t>(left);
    for (uint32_t i = 0; i < take; ++i) {
        static_cast<uint8_t*>(buffer)[i] = m->data[offset + i];
    }
    *got = take;
    return true;
}

bool MemoryGetSizeOp(void* context, uint64_t* size) {
    *size = static_cast<const MemorySource*>(context)->size;
    return true;
}

// Reads exactly n bytes at offset; a short read is a failure.
bool ReadExact(const SettingsSource& src, uint64_t offset, void* buffer, uint32_t n) {
    uint32_t got = 0;
    return src.readAt(src.context, offset, buffer, n, &got) && got == n;
}

// Reads the header and the capped index; sets read only when all of it arrived
// and the file size is one the format can address.
void ReadHeaderAndIndex(SettingsReader* r) {
    const SettingsSource& src = *r->source;
    uint8_t header[4];
    if (!ReadExact(src, 0, header, sizeof header)) {
        return;
    }
    uint32_t count = LoadU16(header);
    if (count > kSlotCount) {
        count = kSlotCount;
    }
    uint8_t raw[kSlotCount * 8];
    if (count > 0 && !ReadExact(src, 4, raw, count * 8)) {
        return;
    }
    uint64_t size = 0;
    if (!src.getSize(src.context, &size) || size == 0 || size >= (1ull << 32)) {
        return;
    }
    uint64_t head = 4 + 8ull * count;
    for (uint32_t i = 0; i < count; ++i) {
        r->index[i].a = LoadU32(raw + size_t{8} * i);
        r->index[i].b = LoadU32(raw + size_t{8} * i + 4);
    }
    r->entryCount = count;
    // The file may have shrunk between the reads; never let the size go negative.
    r->dataSize = size > head ? size - head : 0;
    r->read = true;
}

void ResetReader(SettingsReader* r) {
    r->file.file.reset();
    r->source = nullptr;
    r->read = false;
    r->entryCount = 0;
    r->dataSize = 0;
    for (SlotEntry& e : r->index) {
        e = SlotEntry{};
    }
}

bool AddToTextList(void* context, const char16_t* text, uint32_t length) {
    return static_cast<TextList*>(context)->Append(text, length);
}

bool AddToTreeFolders(void* context, const char16_t* text, uint32_t length) {
    return static_cast<TreeFolderList*>(context)->Append(text, length, 0);
}

// A text slot into *out; false (out untouched) when the slot holds no usable text.
// A slot whose bytes are present but do not arrive gives the empty text.
bool ReadText(const SettingsReader& r, uint32_t slot, StrBuf* out) {
    if (!r.read || slot >= r.entryCount || r.index[slot].a < 2 || r.index[slot].b > r.dataSize) {
        return false;
    }
    uint8_t* bytes = nullptr;
    uint32_t n = 0;
    out->Assign(u"");
    if (ReadSlotBytes(r, slot, &bytes, &n)) {
        AppPtr<uint8_t> owned(bytes);
        (void)TextFromBytes(bytes, n, out);
    }
    return true;
}

// A text-list slot: like text, and an empty value counts as absent.
bool ReadListBytes(const SettingsReader& r, uint32_t slot, AppPtr<uint8_t>* bytes, uint32_t* n) {
    if (!r.read || slot >= r.entryCount || r.index[slot].b == 0) {
        return false;
    }
    uint8_t* raw = nullptr;
    if (!ReadSlotBytes(r, slot, &raw, n)) {
        return false;
    }
    bytes->reset(raw);
    return true;
}

void ReadTreeFolders(const SettingsReader& r, Settings* s) {
    s->treeFolders.Clear();
    AppPtr<uint8_t> bytes;
    uint32_t n = 0;
    if (!ReadListBytes(r, kSlotTreeFolders, &bytes, &n)) {
        return;
    }
    (void)SplitTextList(bytes.get(), n, AddToTreeFolders, &s->treeFolders);
    // Expand flags, one byte per entry. A slot longer than the list's own bytes
    // cannot have been written for it and is ignored; a shorter one leaves the
    // remaining folders collapsed.
    AppPtr<uint8_t> expand;
    uint32_t m = 0;
    uint8_t* raw = nullptr;
    if (!ReadSlotBytes(r, kSlotTreeExpand, &raw, &m)) {
        return;
    }
    expand.reset(raw);
    if (m > n) {
        return;
    }
    for (uint32_t i = 0; i < m && i < s->treeFolders.count; ++i) {
        s->treeFolders.items[i].expand = expand.get()[i];
    }
}

// A key table stored as a value of no bytes, inside the data area: the user
// emptied it on purpose. (An absent slot, or bytes that hold no usable record,
// is a table that never was or was damaged.)
bool IsEmptiedKeyTable(const SettingsReader& r, const SlotEntry& e) {
    uint64_t head = 4 + 8ull * r.entryCount;
    return e.a >= 2 && e.b == 0 && e.a >= head && e.a - head <= r.dataSize;
}

// The stored key table. A record that cannot be one of the program's
// accelerators (damaged bytes, a command the program does not have) is dropped
// here, so it never reaches the accelerator table or the next save; when no
// record is left, the built-in keys apply instead of a table that does nothing.
void ReadKeyBindings(const SettingsReader& r, Settings* s, const SettingsPlatformOps& ops) {
    uint32_t kept = 0;
    bool emptied = false;
    if (r.read && kSlotKeyTable < r.entryCount) {
        const SlotEntry& e = r.index[kSlotKeyTable];
        uint32_t records = e.b / kAccelRecordBytes;
        emptied = IsEmptiedKeyTable(r, e);
        // A table longer than the file format's 42 records is not one this
        // program wrote: the built-in bindings are used instead.
        if (e.a >= 2 && e.b <= r.dataSize && records >= 1 && records <= kMaxAccelRecords) {
            uint8_t raw[kMaxAccelRecords * kAccelRecordBytes];
            if (ReadExact(*r.source, e.a, raw, records * kAccelRecordBytes)) {
                for (uint32_t i = 0; i < records; ++i) {
                    const uint8_t* p = raw + size_t{i} * kAccelRecordBytes;
                    AccelRecord record;
                    record.flags = p[0];
                    record.key = LoadU16(p + 2);
                    record.command = LoadU16(p + 4);
                    if (IsUsableAccelRecord(record, ops.isCommand)) {
                        s->keyTable[kept++] = record;
                    }
                }
            }
        }
    }
    if (kept > 0 || emptied) {
        s->keyTableCount = kept;
        KeyBindingsFromAccelTable(s->keyTable, kept, s->keyBindings);
        return;
    }
    SetDefaultKeyBindings(s->keyBindings);
    s->keyTableCount = AccelTableFromKeyBindings(s->keyBindings, s->keyTable);
}

void ReadInt(const SettingsReader& r, Settings* s, uint32_t slot) {
    int32_t v = 0;
    SettingsSetInt(s, slot, ReadSlotInt(r, slot, &v) ? v : SettingsIntDefault(slot));
}

// Every integer, bit and text row the table gives to this step of the load. A
// text that is absent or unreadable becomes empty.
void ReadRows(const SettingsReader& r, Settings* s, SlotLoad load) {
    uint32_t count = 0;
    const SettingsSlotRow* rows = SettingsSlotTable(&count);
    for (uint32_t i = 0; i < count; ++i) {
        const SettingsSlotRow& row = rows[i];
        if (row.load != load) {
            continue;
        }
        if (row.kind == SlotKind::kInt || row.kind == SlotKind::kBit) {
            ReadInt(r, s, row.slot);
        } else if (row.kind == SlotKind::kText) {
            StrBuf* text = row.text(s);
            if (!ReadText(r, row.slot, text)) {
                text->Assign(u"");
            }
        }
    }
}

void SetSpecialFolder(const SettingsPlatformOps& ops, SpecialFolder which, StrBuf* out) {
    out->Assign(u"");
    if (!ops.specialFolder(ops.context, which, out)) {
        out->Assign(u"");
    }
}

// A first start with a "plugins" folder beside the program (as the packages ship
// it) takes that folder as the plug-in folder; otherwise the setting stays empty.
void FirstStartPluginFolder(Settings* s, const SettingsPlatformOps& ops) {
    StrBuf program;
    if (s->pluginFolder.length > 0 || ops.programPath == nullptr || ops.folderExists == nullptr ||
        !ops.programPath(ops.context, &program)) {
        return;
    }
    const uint32_t folder = ContainingFolderLength(program.Text(), program.length);
    StrBuf plugins;
    plugins.JoinPath(program.Text(), folder, u"plugins", 7);
    if (plugins.length > 0 && ops.folderExists(ops.context, plugins.Text())) {
        s->pluginFolder.Assign(plugins.Text());
    }
}

// The lists of a first start: desktop, Documents and Pictures as favourites, and
// Pictures as the one registered tree folder. A folder the shell does not give
// stays empty.
void ApplyFirstStart(Settings* s, const SettingsPlatformOps& ops) {
    FirstStartPluginFolder(s, ops);
    for (StrBuf& f : s->favouriteFolders) {
        f.Assign(u"");
    }
    SetSpecialFolder(ops, SpecialFolder::kDesktop, &s->favouriteFolders[0]);
    SetSpecialFolder(ops, SpecialFolder::kDocuments, &s->favouriteFolders[1]);
    SetSpecialFolder(ops, SpecialFolder::kPictures, &s->favouriteFolders[2]);
    s->treeFolders.Clear();
    if (s->favouriteFolders[2].length > 0) {
        (void)s->treeFolders.Append(s->favouriteFolders[2].Text(), s->favouriteFolders[2].length, 0);
    }
}

}  // namespace

bool OpenFileSource(FileSource* f, const char16_t* path) {
    f->file.reset(FileOpenRead(path));
    f->source.context = f;
    f->source.readAt = FileReadAtOp;
    f->source.getSize = FileGetSizeOp;
    return f->file.valid();
}

void OpenMemorySource(MemorySource* m, const uint8_t* data, uint64_t size) {
    m->data = data;
    m->size = size;
    m->source.context = m;
    m->source.readAt = MemoryReadAtOp;
    m->source.getSize = MemoryGetSizeOp;
}

bool SettingsReaderOpenFile(SettingsReader* r, const char16_t* path) {
    ResetReader(r);
    if (OpenFileSource(&r->file, path)) {
        r->source = &r->file.source;
        ReadHeaderAndIndex(r);
    }
    return r->read;
}

bool SettingsReaderOpenMemory(SettingsReader* r, const uint8_t* data, uint64_t size) {
    ResetReader(r);
    OpenMemorySource(&r->memory, data, size);
    r->source = &r->memory.source;
    ReadHeaderAndIndex(r);
    return r->read;
}

void SettingsReaderClose(SettingsReader* r) {
    ResetReader(r);
}

bool ReadSlotInt(const SettingsReader& r, uint32_t slot, int32_t* value) {
    if (!r.read || slot >= r.entryCount || r.index[slot].a != 1) {
        return false;
    }
    *value = static_cast<int32_t>(r.index[slot].b);
    return true;
}

bool ReadSlotBytes(const SettingsReader& r, uint32_t slot, uint8_t** bytes, uint32_t* n) {
    *bytes = nullptr;
    *n = 0;
    if (!r.read || slot >= r.entryCount) {
        return false;
    }
    const SlotEntry& e = r.index[slot];
    if (e.a < 2 || e.b > r.dataSize) {
        return false;
    }
    if (e.b == 0) {
        return true;
    }
    AppPtr<uint8_t> block(static_cast<uint8_t*>(AppAlloc(e.b)));
    if (block.get() == nullptr || !ReadExact(*r.source, e.a, block.get(), e.b)) {
        return false;
    }
    *bytes = block.release();
    *n = e.b;
    return true;
}

bool TextFromBytes(const uint8_t* bytes, uint32_t n, StrBuf* out) {
    uint32_t chars = n / 2;
    uint32_t len = 0;
    while (len < chars && LoadU16(bytes + size_t{2} * len) != 0) {
        ++len;
    }
    if (out->ResetReserve(len) == nullptr) {
        out->Assign(u"");
        return false;
    }
    for (uint32_t i = 0; i < len; ++i) {
        out->buffer[i] = static_cast<char16_t>(LoadU16(bytes + size_t{2} * i));
    }
    out->buffer[len] = 0;
    out->length = len;
    return true;
}

bool SplitTextList(const uint8_t* bytes,
                   uint32_t n,
                   bool (*add)(void* context, const char16_t* text, uint32_t length),
                   void* context) {
    uint32_t chars = n / 2;
    if (chars == 0) {
        return true;
    }
    AppPtr<char16_t> text(AppAllocArrayZero<char16_t>(chars));
    if (text.get() == nullptr) {
        return false;
    }
    for (uint32_t i = 0; i < chars; ++i) {
        text.get()[i] = static_cast<char16_t>(LoadU16(bytes + size_t{2} * i));
    }
    uint32_t start = 0;
    for (uint32_t i = 0; i < chars; ++i) {
        if (text.get()[i] == 0) {
            if (!add(context, text.get() + start, i - start)) {
                return false;
            }
            start = i + 1;
        }
    }
    // A last string without its terminator still counts.
    if (start < chars) {
        return add(context, text.get() + start, chars - start);
    }
    return true;
}

void SettingsReadLanguage(const SettingsReader& r, Settings* s) {
    ReadRows(r, s, SlotLoad::kFirst);
}

void SettingsReadMain(const SettingsReader& r, Settings* s, const SettingsPlatformOps& ops) {
    if (ops.fillBlendTable != nullptr) {
        ops.fillBlendTable();
    }
    // Integers, bits and plain texts, then the values that need a step of their own.
    ReadRows(r, s, SlotLoad::kMain);
    s->disabledPlugins.Clear();
    AppPtr<uint8_t> bytes;
    uint32_t n = 0;
    if (ReadListBytes(r, kSlotDisabledPlugins, &bytes, &n)) {
        (void)SplitTextList(bytes.get(), n, AddToTextList, &s->disabledPlugins);
    }
    // The open dialog starts in an existing folder: anything else becomes the
    // Documents folder.
    if (!ReadText(r, kSlotOpenDialogFolder, &s->openDialogFolder) || s->openDialogFolder.length == 0 ||
        !ops.folderExists(ops.context, s->openDialogFolder.Text())) {
        SetSpecialFolder(ops, SpecialFolder::kDocuments, &s->openDialogFolder);
    }

    if (r.read) {
        ReadTreeFolders(r, s);
        for (uint32_t i = 0; i < kFavouriteCount; ++i) {
            if (!ReadText(r, kSlotFavourites + i, &s->favouriteFolders[i])) {
                s->favouriteFolders[i].Assign(u"");
            }
        }
    } else {
        ApplyFirstStart(s, ops);
    }

    ReadKeyBindings(r, s, ops);

    // Bookmarks and history end at the first empty path; later slots are ignored.
    s->bookmarkCount = 0;
    bool more = true;
    for (uint32_t i = 0; i < kBookmarkCount; ++i) {
        Bookmark& b = s->bookmarks[i];
        b.path.Assign(u"");
        b.page = 0;
        if (more && ReadText(r, BookmarkPathSlot(i), &b.path) && b.path.length > 0) {
            ReadInt(r, s, BookmarkPageSlot(i));
            ++s->bookmarkCount;
        } else {
            b.path.Assign(u"");
            more = false;
        }
    }
    s->historyCount = 0;
    more = true;
    for (uint32_t i = 0; i < kHistoryCount; ++i) {
        StrBuf& h = s->history[i];
        h.Assign(u"");
        if (more && ReadText(r, kSlotHistory + i, &h) && h.length > 0) {
            ++s->historyCount;
        } else {
            h.Assign(u"");
            more = false;
        }
    }
}

void SettingsReadWindow(const SettingsReader& r, Settings* s) {
    ReadRows(r, s, SlotLoad::kWindow);
}

namespace {
bool ReadAll(SettingsReader* r, Settings* s, const SettingsPlatformOps& ops) {
    SettingsReadLanguage(*r, s);
    SettingsReadMain(*r, s, ops);
    SettingsReadWindow(*r, s);
    bool read = r->read;
    SettingsReaderClose(r);
    return read;
}
}  // namespace

bool SettingsRead(const char16_t* path, Settings* s, const SettingsPlatformOps& ops) {
    SettingsReader reader;
    (void)SettingsReaderOpenFile(&reader, path);  // a file not read still gives the defaults
    return ReadAll(&reader, s, ops);
}

bool SettingsReadMemory(const uint8_t* data, uint64_t size, Settings* s, const SettingsPlatformOps& ops) {
    SettingsReader reader;
    (void)SettingsReaderOpenMemory(&reader, data, size);
    return ReadAll(&reader, s, ops);
}
