// ArchiveMember and ArchiveMemberList: every archive reader's listing (ZIP, RAR,
// plug-ins), from which the book builds its page list and the extraction job
// walks the archive.
//
// NewMemberList(capacity) makes a list with that many empty members and count 0;
// FreeMemberList releases each member's strings (last first), the array, then the
// record. Every receiver of a list releases it with FreeMemberList.
#pragma once

#include <cstdint>

#include "app/str_buf.h"

struct ArchiveMember {
    StrBuf name;        // last path component; empty for a folder entry
    StrBuf folder;      // folder inside the archive with '\' separators and a trailing '\'; empty at the root
    uint32_t locator;   // how the owning reader finds the member again
    uint32_t size;      // uncompressed size in bytes
    uint64_t modified;  // FILETIME (UTC)
};

struct ArchiveMemberList {
    ArchiveMember* members;
    int32_t capacity;
    int32_t count;
    uint64_t archiveTime;  // FILETIME of the archive file
};

[[nodiscard]] ArchiveMemberList* NewMemberList(int32_t capacity);
void FreeMemberList(ArchiveMemberList* list);

// Splits a member path held in member->folder: '/' becomes '\'; a text that is
// empty or ends in '\' stays as the folder with an empty name; otherwise the part
// after the last '\' becomes the name and the folder keeps the rest including it.
void SplitMemberPath(ArchiveMember* member);
