// Reading the settings file: the header and the index are read once, each byte
// value on demand from its recorded offset; the data area is never read whole.
//
// Call order at start: SettingsReaderOpenFile; SettingsReadLanguage (then the
// language library is loaded); SettingsReadMain; SettingsReadWindow when the main
// window is placed; SettingsReaderClose once the window is shown (or let the
// reader go out of scope). SettingsRead does all of it in one call.
//
// Which slot goes to which field, with its default and clamp, is the slot
// table's (settings_slots.h).
//
// Any bytes give a consistent record: a file that is missing, short or damaged
// counts as not read and every field takes its default; a value whose recorded
// range does not fit is treated as absent. Key records that cannot be the
// program's accelerators are dropped, and a key table with none left gives the
// built-in keys. Nothing is read outside the file.
#pragma once

#include <cstdint>

#include "platform/file.h"
#include "settings/settings.h"
#include "settings/settings_ops.h"

// Where the bytes come from: the settings file, or memory (fuzzing, tests).
struct SettingsSource {
    void* context = nullptr;
    // Reads up to n bytes at offset; *got is the count read (short at the end).
    bool (*readAt)(void* context, uint64_t offset, void* buffer, uint32_t n, uint32_t* got) = nullptr;
    bool (*getSize)(void* context, uint64_t* size) = nullptr;
};

// A file source over an open file, and a memory source over a caller's block.
// Their source points back at them: they stay where they were opened.
struct FileSource {
    FileHandle file;
    SettingsSource source;

    FileSource() = default;
    FileSource(const FileSource&) = delete;
    FileSource& operator=(const FileSource&) = delete;
};
struct MemorySource {
    const uint8_t* data = nullptr;
    uint64_t size = 0;
    SettingsSource source;

    MemorySource() = default;
    MemorySource(const MemorySource&) = delete;
    MemorySource& operator=(const MemorySource&) = delete;
};
[[nodiscard]] bool OpenFileSource(FileSource* f, const char16_t* path);
void OpenMemorySource(MemorySource* m, const uint8_t* data, uint64_t size);

// One index entry: a = 0 absent, a = 1 integer b, a >= 2 b bytes at offset a.
struct SlotEntry {
    uint32_t a = 0;
    uint32_t b = 0;
};

struct SettingsReader {
    FileSource file;
    MemorySource memory;
    const SettingsSource* source = nullptr;
    bool read = false;        // the header and index arrived and the size is sane
    uint32_t entryCount = 0;  // capped at kSlotCount
    uint64_t dataSize = 0;    // file size less the header and the capped index
    SlotEntry index[kSlotCount];

    SettingsReader() = default;
    SettingsReader(const SettingsReader&) = delete;
    SettingsReader& operator=(const SettingsReader&) = delete;
};

// Opens and reads the header and index. A file that cannot be opened or is not
// sane leaves the reader "not read"; the record then gets defaults. Returns read.
[[nodiscard]] bool SettingsReaderOpenFile(SettingsReader* r, const char16_t* path);
[[nodiscard]] bool SettingsReaderOpenMemory(SettingsReader* r, const uint8_t* data, uint64_t size);
void SettingsReaderClose(SettingsReader* r);

// The stored integer of a slot; false when the slot holds none.
[[nodiscard]] bool ReadSlotInt(const SettingsReader& r, uint32_t slot, int32_t* value);
// The stored bytes of a slot into a fresh heap block (*bytes null when n is 0);
// false when the slot holds no bytes, their length passes the data size, the
// read comes up short or the heap refuses.
[[nodiscard]] bool ReadSlotBytes(const SettingsReader& r, uint32_t slot, uint8_t** bytes, uint32_t* n);

// Slot 0, right after locating (the language library needs it).
void SettingsReadLanguage(const SettingsReader& r, Settings* s);
// Everything else but the window fields, in the load order; runs the blend-table
// hook of ops first. The first-start lists apply when the file was not read.
void SettingsReadMain(const SettingsReader& r, Settings* s, const SettingsPlatformOps& ops);
// Slots 1..6, read when the main window is placed.
void SettingsReadWindow(const SettingsReader& r, Settings* s);

// The whole load in one call (after SettingsReset). Returns whether the file was read.
[[nodiscard]] bool SettingsRead(const char16_t* path, Settings* s, const SettingsPlatformOps& ops);
// The same over bytes in memory.
[[nodiscard]] bool SettingsReadMemory(const uint8_t* data,
                                      uint64_t size,
                                      Settings* s,
                                      const SettingsPlatformOps& ops);

// Turns UTF-16LE bytes into text: n / 2 characters. The text ends at its first 0
// character, as every user of a path reads it. False when the heap refuses.
[[nodiscard]] bool TextFromBytes(const uint8_t* bytes, uint32_t n, StrBuf* out);

// Splits a text list at each 0 character. A trailing 0 ends the last entry; an
// empty string between two 0 characters is an entry of its own. Calls add for
// each entry in order and stops early (returning false) when add does.
[[nodiscard]] bool SplitTextList(const uint8_t* bytes,
                                 uint32_t n,
                                 bool (*add)(void* context, const char16_t* text, uint32_t length),
                                 void* context);
