// Modal dialogs from the language library's templates. The program has no
// dialog layouts of its own: ShowDialog takes template templateId from the loaded
// language library, runs a copy of it at 9 points, and gives the dialog to this
// program's module, so proc and every window class are the program's.
#pragma once

#include <windows.h>

#include "app/str_buf.h"

// The dialog's result (EndDialog's value). 0 when the template is missing,
// damaged or lacks the set-font style, or the dialog cannot be made: nothing is
// shown then.
INT_PTR ShowDialog(HWND owner, int templateId, DLGPROC proc, LPARAM param);

// The same dialog made modeless (hidden until shown, unless the template is
// visible); the caller runs its loop and destroys it. Null when nothing is made.
HWND CreateLanguageDialog(HWND owner, int templateId, DLGPROC proc, LPARAM param);

// Reads the text of a dialog control into out (its whole length); returns the
// characters read, 0 for an empty control or one that is not there.
uint32_t AssignFromDialogItem(HWND dialog, int controlId, StrBuf* out);
