// Names that pictures had before they were deleted, read from the recycle bin's
// index files, so that a recycle-bin book shows "page07.jpg" rather than the
// bin's own "Dc12.jpg" or "$R8QZ1KD.jpg".
//
// Two index formats, chosen by the operating-system level:
// - level 1: one file "INFO2" in the bin folder: a 20-byte header, then records
//   of 800 bytes (ANSI path 260 bytes, record number, drive number, deletion
//   time, size, UTF-16 path 260 units). The bin file of record n on drive d is
//   named "D", the drive letter, n, and the original extension.
// - level 2 and above: one "$I" file beside each "$R" file: version (64-bit),
//   size (64-bit), deletion time at 16, then the path: version 1 holds 260 units
//   at 24; version 2 holds a 32-bit unit count at 24 and the units from 28.
//
// RecycleBinNames works on entries whose location is the bin file's full path
// (as the shell folder listing leaves them) and rewrites name and modified. An
// index that cannot be opened or read leaves the entries as they are. All input
// bytes are read through bounds-checked parsers; nothing here allocates more
// than one index file's worth.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "view/page_list.h"

constexpr uint32_t kInfo2HeaderSize = 20;
constexpr uint32_t kInfo2RecordSize = 800;
constexpr uint32_t kRecycleInfoV1Size = 544;
constexpr uint32_t kRecyclePathUnits = 260;

struct Info2Record {
    uint32_t recordNumber;
    uint32_t drive;  // 0 = A
    uint64_t deleted;
    const uint8_t* widePath;  // kRecyclePathUnits UTF-16LE units, zero-terminated unless full
};

// Parses one 800-byte INFO2 record; false when n is short.
[[nodiscard]] bool ParseInfo2Record(const uint8_t* bytes, uint32_t n, Info2Record* out);

struct RecycleInfo {
    uint64_t deleted;
    const uint8_t* widePath;  // UTF-16LE units
    uint32_t pathUnits;       // at most this many; the path ends earlier at a zero
};

// Parses a "$I" file's bytes; false when they are shorter than the version needs.
[[nodiscard]] bool ParseRecycleInfo(const uint8_t* bytes, uint32_t n, RecycleInfo* out);

// Stores the file-name part (after the last '\') of a UTF-16LE path of at most
// maxUnits units into out. False, with out untouched, when that part is empty.
[[nodiscard]] bool AssignDeletedName(StrBuf* out, const uint8_t* widePath, uint32_t maxUnits);

void RecycleBinNames(PageEntry* entries, int32_t count, int osLevel);
