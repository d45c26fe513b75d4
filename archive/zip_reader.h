// The ZIP reader: lists an archive's members and reads one member into a fresh
// virtual-memory block. Stored (0) and deflated (8) members only; no ZIP64, no
// encryption, multi-disk fields ignored.
//
// Every call works on a file the caller opened (read access) and closes, through
// positioned reads; the reader keeps no state between calls and each call starts
// again from the end record, so calls on separate handles may run on any threads.
// Failures return 0 / null after releasing whatever the call allocated.
#pragma once

#include <cstdint>

#include "archive/archive_member.h"
#include "platform/file.h"

struct ZipEnd {
    uint32_t entries;          // 0 when the file has no readable end record
    uint32_t directoryOffset;  // offset of the central directory
};

// Finds the end-of-central-directory record: first the last 22 bytes, then a
// backward search through a trailing comment of up to 65,535 bytes.
ZipEnd ZipFindEnd(FileId file);

// Lists the stored and deflated members in archive order (locator = local-header
// offset, name and folder split from the path, size, UTC time). Null when there
// is no end record, a header or name cannot be read, the heap refuses, or no
// member qualifies. The caller frees the list with FreeMemberList.
[[nodiscard]] ArchiveMemberList* ZipListMembers(FileId file);

// On entry *locator is the member's local-header offset; on success returns a new
// block (VmAlloc, size + 4 bytes, the 4 after the data zero) and sets *locator to
// the member's size. modified (optional) receives the local header's time as UTC
// FILETIME. Members with a data descriptor take CRC and sizes from the central
// directory. Null (locator untouched) when the header is unreadable, the method
// is neither 0 nor 8, the data is cut short or corrupt, the stream yields fewer
// bytes than the size, or the CRC differs. Sizes that the file cannot
// hold (data past its end, more than deflate's 1032:1 expansion) are refused
// before any block is allocated. The caller frees the block with VmFree.
[[nodiscard]] uint8_t* ZipReadMember(FileId file, uint32_t* locator, uint64_t* modified);
