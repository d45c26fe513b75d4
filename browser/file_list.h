// The file list: the second tab of the browser pane, a report-view list with one
// owner-drawn row per page of the open book. A row holds only the page's small
// icon index (its item data); its name is drawn from the page list, so the rows
// must go before the list they refer to (ClearFileList under AppLock).
//
// Call order (user-interface thread): FileListCreate once, by the pane, then
// FileListOpsFor to publish books through view/file_list_rows.h; the pane routes
// the list's draw-item messages to DrawFileListRow and calls RetextFileList after
// a language change. The control and the system image list it shows are
// borrowed (the list is made with shared image lists).
#pragma once

#include <windows.h>

#include <cstdint>

#include "view/file_list_rows.h"

struct BookState;

constexpr int kFileListId = 1033;

// What the row drawing needs of the view: the current page and whether the page
// after it is shown beside it.
struct FileListMarks {
    int32_t current;
    bool secondShown;
};

// The list control at (x, y), w × h, hidden, with its single column, the system
// small-icon list and font; null when it cannot be made.
HWND FileListCreate(HWND pane, int x, int y, int w, int h, HFONT font);
// Publishing operations over the list created last (context: the control).
[[nodiscard]] FileListOps FileListOpsFor(HWND list);

// Owner draw of row dis->itemID; rows past the page count are not drawn.
void DrawFileListRow(const DRAWITEMSTRUCT* dis, const BookState* book, FileListMarks marks);
// Row height: the interface font's height or the small icon's, whichever is larger.
void MeasureFileListRow(MEASUREITEMSTRUCT* mis, HFONT font);
// The font again, and the column as wide as the widest location plus name.
void RetextFileList(HWND list, HFONT font, const BookState* book);

// The view's side: select and focus a row, redraw one, scroll one into view.
void FileListSelect(HWND list, int32_t row);
void FileListRedraw(HWND list, int32_t row);
void FileListScrollTo(HWND list, int32_t row);
// Removes one row after its page left the page list.
void FileListDeleteRow(HWND list, int32_t row);
