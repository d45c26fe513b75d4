#include "fuzz/settings/settings_fuzz_body.h"

#include <cstring>

#include "settings/settings_dump.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"

namespace {

// Every folder and file exists and every special folder is known, so that the
// writer's filters keep everything and a second save must repeat the first.
bool Yes(void*, const char16_t*) {
    return true;
}
bool Special(void*, SpecialFolder, StrBuf* out) {
    out->Assign(u"C:\\Special");
    return true;
}

SettingsPlatformOps FuzzOps() {
    SettingsPlatformOps ops;
    ops.fileExists = Yes;
    ops.folderExists = Yes;
    ops.createFolder = Yes;
    ops.specialFolder = Special;
    return ops;
}

bool RecordIsConsistent(const Settings& s, const SettingsPlatformOps& ops) {
    if (s.bookmarkCount > kBookmarkCount || s.historyCount > kHistoryCount ||
        s.keyTableCount > kMaxAccelRecords) {
        return false;
    }
    // Damaged key records never reach the accelerator table.
    for (uint32_t i = 0; i < s.keyTableCount; ++i) {
        if (!IsUsableAccelRecord(s.keyTable[i], ops.isCommand)) {
            return false;
        }
    }
    for (uint32_t i = 0; i < kBookmarkCount; ++i) {
        if ((i < s.bookmarkCount) != (s.bookmarks[i].path.length > 0)) {
            return false;
        }
    }
    for (uint32_t i = 0; i < kHistoryCount; ++i) {
        if ((i < s.historyCount) != (s.history[i].length > 0)) {
            return false;
        }
    }
    bool clamped = (s.stretchMode == 3 || s.stretchMode == 4) && s.backgroundColour >= 0 &&
                   s.backgroundColour <= 4 && s.paneMode >= 0 && s.paneMode <= 2 &&
                   (s.windowShowState == 1 || s.windowShowState == 3);
    return clamped;
}

// A file this program wrote: 104 entries, the format tag, every byte value
// inside the data area.
bool FileIsWellFormed(const ByteBuf& f) {
    if (f.size < 836 || LoadU16(f.data) != kSlotCount || LoadU16(f.data + 2) != 0x05BF) {
        return false;
    }
    for (uint32_t i = 0; i < kSlotCount; ++i) {
        uint32_t a = LoadU32(f.data + 4 + size_t{8} * i);
        uint32_t b = LoadU32(f.data + 8 + size_t{8} * i);
        if (a == 0 && b != 0) {
            return false;
        }
        if (a >= 2 && (a < 836 || a > f.size || b > f.size - a)) {
            return false;
        }
    }
    return true;
}

}  // namespace

bool SettingsFuzzOne(const uint8_t* data, size_t size) {
    SettingsPlatformOps ops = FuzzOps();
    Settings s;
    (void)SettingsReadMemory(data, size, &s, ops);
    if (!RecordIsConsistent(s, ops)) {
        return false;
    }

    SettingsReader reader;
    (void)SettingsReaderOpenMemory(&reader, data, size);
    ByteBuf dump;
    DumpSettings(reader, &dump);

    // Save over the input as the old file, read the result back and save again:
    // the second file must equal the first.
    MemorySource old;
    OpenMemorySource(&old, data, size);
    ByteBuf first;
    SaveResult r = BuildSettingsFile(&old.source, s, ops, &first);
    if (r != SaveResult::kSaved) {
        return r == SaveResult::kOutOfMemory;
    }
    if (!FileIsWellFormed(first)) {
        return false;
    }
    Settings back;
    if (!SettingsReadMemory(first.data, first.size, &back, ops) || !RecordIsConsistent(back, ops)) {
        return false;
    }
    MemorySource again;
    OpenMemorySource(&again, first.data, first.size);
    ByteBuf second;
    if (BuildSettingsFile(&again.source, back, ops, &second) != SaveResult::kSaved) {
        return false;
    }
    return second.size == first.size && std::memcmp(second.data, first.data, first.size) == 0;
}
