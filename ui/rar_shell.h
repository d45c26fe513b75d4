// RAR books in the shell: the password prompt and plug-in folder lent to the RAR
// reader, and the book's RAR listing.
//
// A RAR listing may show the password dialog, and AppLock is never held across
// a dialog, so the open sequence lists the book first (RarPrelistBook, owner the
// main window) and the book's listRar entry, called under the lock, takes that
// list. All on the user-interface thread.
#pragma once

#include "view/book.h"

// At start, after the settings are read and before the loader starts.
void RarShellInit();
void RarShellFillBookOps(BookOps* ops);
// Lists book's archive if it is a RAR book; otherwise drops any earlier list.
void RarPrelistBook(const BookState* book);
// Releases a list the book did not take.
void RarDropPrelisted();
// The RAR library is present in one of its places (the open dialog's filter).
[[nodiscard]] bool RarOffered();
