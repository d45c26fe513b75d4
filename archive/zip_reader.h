// The ZIP reader: lists an archive's members and reads one member into a fresh
// virtual-memory block. Positioned reads on a file the caller opened and closes;
// no state is kept between calls.
#pragma once

#include <cstdint>

#include "archive/archive_member.h"
#include "platform/file.h"

struct ZipEnd {
    uint32_t entries;          // 0 when the file has no readable end record
    uint32_t directoryOffset;  // offset of the central directory
};

ZipEnd ZipFindEnd(FileId file);
[[nodiscard]] ArchiveMemberList* ZipListMembers(FileId file);
// On entry *locator is the member's local-header offset; on success returns a new
// block (VmAlloc, size + 4 bytes, the 4 after the data zero) and sets *locator to
// the member's size. modified (optional) receives the local header's time as UTC
// FILETIME. The caller frees the block with VmFree.
[[nodiscard]] uint8_t* ZipReadMember(FileId file, uint32_t* locator, uint64_t* modified);
