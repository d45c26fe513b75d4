// The file list's page commands, in the terms of the open book: which book kinds
// let a page's file be deleted or shown in the file manager, the text copied for
// a page's name, and the removal of one entry from the page list once its file
// is gone. The shell does the deleting, the clipboard and the windows; nothing
// here touches the file system. User-interface thread only; the caller holds
// AppLock while it removes an entry, because the loader reads the list.
#pragma once

#include <cstdint>

#include "app/str_buf.h"

struct BookState;

// A page's file can go to the recycle bin: a book is open with pages, it is a
// folder or a shell folder, and it is not the recycle bin itself.
[[nodiscard]] bool PageDeleteAllowed(const BookState* book);
// A page can be shown selected in the file manager: a folder book with pages.
[[nodiscard]] bool PageRevealAllowed(const BookState* book);

// The text copied for page index: its name, preceded directly by its folder
// inside the archive for archive books. False (out empty) for an index outside
// the list.
[[nodiscard]] bool PageCopyText(const BookState* book, int32_t index, StrBuf* out);

// Removes entry index from a list of more than one page: every later entry moves
// down by one and the count drops. Returns the page that becomes current: the
// same index, or 0 when the removed entry was the last. Returns -1, with the
// list untouched, when index is outside the list or it is the only page (the
// book is then listed again instead).
[[nodiscard]] int32_t RemovePageEntry(BookState* book, int32_t index);
