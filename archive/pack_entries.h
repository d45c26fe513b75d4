// The entries of a folder about to be packed: its files and subfolders in the
// order they are written, each with its ZIP name (UTF-8, '/'-separated, folder
// names ending in '/'). Folders whose name begins with "." are left out with
// everything in them; files beginning with "." are kept.
#pragma once

#include <cstdint>

#include "app/str_buf.h"

// Longest name, in UTF-8 bytes without a terminator, that an entry may have.
constexpr uint32_t kMaxPackName = 259;

struct PackEntry {
    PackEntry* next;
    StrBuf fullPath;      // a folder's ends in '\'
    uint8_t central[46];  // the central directory header, filled once the entry is written
    char name[kMaxPackName + 1];
    uint32_t nameLength;
    bool nameTooLong;     // the UTF-8 name passes kMaxPackName: it is never cut
    uint32_t attributes;  // 0x20 file, 0x10 folder
};

struct PackList {
    PackEntry* first = nullptr;
    PackEntry* last = nullptr;
    uint32_t count = 0;

    PackList() = default;
    PackList(const PackList&) = delete;
    PackList& operator=(const PackList&) = delete;
    ~PackList();
};

// Lists folder breadth first: the source's files, then for each subfolder in
// breadth-first order its folder entry and its files, each folder's items in the
// platform's enumeration order. The source itself gets no entry. Returns the
// count; 0 when the folder is empty or missing or the heap refuses (the list is
// then empty).
uint32_t CollectPackEntries(const char16_t* folder, PackList* list);
