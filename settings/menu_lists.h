// The lists the menus show, kept in Settings: the history of books (newest
// first, at most ten, no two naming the same path in any letter case), the
// bookmarks (at most twenty, appended), and the texts their menu items carry.
// Portable: the menus (ui/menus_win.cpp) call these and then re-insert items.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "settings/settings.h"

// What a computed menu item names.
enum MenuEntryKind : int { kEntryHistory = -1, kEntryFavourite = -2, kEntryBookmark = -3 };

// The item text of an entry: a history entry's or bookmark's last two path
// components (the whole path when it has fewer), a favourite's last component,
// and for a bookmark " - " and the page index + 1.
void MenuEntryText(int kind, const char16_t* path, int32_t page, StrBuf* out);

// Puts path first in the history: an entry of the same path (same length,
// equal without case) moves up, otherwise the oldest drops when all ten are in
// use. False (history unchanged) for an empty path or when the heap refuses.
[[nodiscard]] bool HistoryAdd(Settings* s, const char16_t* path);
void HistoryClear(Settings* s);

// Whether a bookmark may be added now: a book that is not a shell folder, a
// page shown, and room in the list.
[[nodiscard]] bool BookmarkAllowed(bool shellFolder, bool pageShown, uint32_t bookmarkCount);
// Appends a bookmark; its index, or -1 when the list is full or the heap refuses.
int32_t BookmarkAdd(Settings* s, const char16_t* path, int32_t page);
