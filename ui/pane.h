// The browser pane's window ("Pagewick_lbase_class") as the window tree holds it,
// and the hover subclasses of its folder tree and file list: while the cursor is
// over either control the control has the focus and the accelerators rest; when
// it leaves, the main window gets the keys back. The pane's tabs, tree and list
// are created by the browser pane itself.
#pragma once

#include <windows.h>

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Installs the hover subclasses (identifiers 1032 and 1033) on the pane's folder
// tree and file list, and keeps the handles in gApp.
void SubclassPaneControls(HWND folderTree, HWND fileList);
void RemovePaneSubclasses();
// The bar comes back in full screen when the cursor touches the top of the pane.
void ShowBarIfHidden();
