// The browser pane's window ("Pagewick_lbase_class"): a row of two tabs over the
// folder tree and the file list, which lie in the same place, and a splitter at
// its right edge that sets paneWidth. The pane builds its children when it is
// created (the tree gets its inputs and is filled then), lays them out on every
// size, and carries the tree's and the list's notifications, context menus and
// commands 7010 .. 7110.
//
// The hover subclasses of the tree and the list: while the cursor is over either
// control the control has the focus and the accelerators rest; when it leaves,
// the main window gets the keys back. User-interface thread only.
#pragma once

#include <windows.h>

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Installs the hover subclasses (identifiers 1032 and 1033) on the pane's folder
// tree and file list, and keeps the handles in gApp.
void SubclassPaneControls(HWND folderTree, HWND fileList);
void RemovePaneSubclasses();
// The bar comes back in full screen when the cursor touches the top of the pane.
void ShowBarIfHidden();
// After a language switch: the tab texts, the registered-folders root's label,
// and the file list's font and column width.
void PaneRetext();
// A book named from elsewhere replaced the one the tree opened.
void PaneForgetOpenedItem();
