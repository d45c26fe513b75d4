// The page list of the open book: one array of PageEntry records on the
// application heap, filled by the listing of a folder, a shell folder or an
// archive, then sorted in natural order.
//
// Ownership: a PageList owns its entry array and every entry owns its two
// strings; FreePageList releases them all. A PageListBuilder appends entries and
// grows the array geometrically, so a folder is listed in one pass; once growing
// fails the builder stays failed and the caller treats the book as empty.
//
// Call order when a book is listed: NewPageList (or a builder over one) → append
// entries → SortPages → the list is handed to the book. Nothing here touches a
// window; the shell's open sequence publishes the list (file_list_rows.h).
#pragma once

#include <cstdint>

#include "app/str_buf.h"

struct ArchiveMemberList;

// One page; the same fields as an archive member, so members move over as they are.
struct PageEntry {
    StrBuf name;        // shown and sorted on; for the recycle bin the name before deletion
    StrBuf location;    // folder: empty; shell folder: the item's parsing path;
                        // archive: the member's folder inside the archive (empty at the root)
    uint32_t locator;   // archive member locator, else 0
    uint32_t size;      // folder: KiB, rounded up; archive: bytes; shell folder: 0
    uint64_t modified;  // FILETIME: last write, member time, or deletion time
};

struct PageList {
    PageEntry* entries;
    int32_t capacity;
};

// A list with capacity empty entries, or null when capacity < 1 or the heap refuses.
[[nodiscard]] PageList* NewPageList(int32_t capacity);
// Releases every entry's strings, the array and the record. Null is allowed.
void FreePageList(PageList* list);

struct PageListBuilder {
    PageList* list;  // null until the first append
    int32_t count;
    bool failed;  // an allocation failed; the list must not be used
};

// The next empty entry, growing the list as needed; null (and failed) when the
// heap refuses or the count would pass INT32_MAX.
[[nodiscard]] PageEntry* AppendPage(PageListBuilder* builder);

// The extensions an outside decoder (image plug-ins) or archive reader declares,
// each of the form ".ext".
struct ExtensionSet {
    const char16_t* const* items;
    uint32_t count;
};

// True when the name's extension (from its last '.', none after a '\') is a
// picture extension of the built-in decoders or one of pluginExts, any letter
// case. Only the whole extension counts: "x.jpeg" is a ".jpeg" name, never a
// ".jpe" one, whatever alias the file system keeps for it.
[[nodiscard]] bool IsPageName(const char16_t* name, uint32_t n, ExtensionSet pluginExts);
// True when the name's extension equals one of the set (EqualsNoCase, same length).
[[nodiscard]] bool HasExtensionIn(const char16_t* name, uint32_t n, ExtensionSet set);

// KiB shown for a folder entry: the size rounded up to whole KiB, capped at
// UINT32_MAX (the full 64-bit size counts, so a 4 GiB file is not shown as 0).
uint32_t SizeInKiB(uint64_t bytes);

// Moves the picture members of an archive listing into list: first, in archive
// order, every member whose name classifies as a built-in format, then every
// member whose extension is an image plug-in's. Folder entries (empty names) are
// never taken. Returns the number of entries filled (at most list->capacity);
// the member list is left with the taken members' strings emptied.
int32_t SelectArchivePages(ArchiveMemberList* members, PageList* list, ExtensionSet imagePluginExts);

// Sorts entries[0..count). Folder order: by name in logical order. Archive order:
// entries at the root (empty location) first; then by location, and within one
// location by name, both in logical order. Stable: equal entries keep their
// listing order. Never reads outside the array, even if the comparison is not
// a consistent order.
void SortPages(PageEntry* entries, int32_t count, bool archiveOrder);
