// The browser pane's own state and the entry points its window procedure
// (pane_win.cpp) shares with the splitter (pane_splitter_win.cpp) and the
// context menus and commands (pane_menu_win.cpp). User-interface thread only;
// the tree items are borrowed from the folder tree.
#pragma once

#include <windows.h>

#include <commctrl.h>

struct PaneState {
    HWND tabs = nullptr;
    bool overSplitter = false;
    HTREEITEM contextItem = nullptr;  // the item the tree's menu was opened on
    HTREEITEM openedItem = nullptr;   // the item whose folder is the open book
    bool programSelecting = false;    // the program itself changes the tree's selection
    // The splitter drag: the line's x, cursor-to-line offset, the client's
    // height, and the XOR drawing context on the client window with its old pen.
    bool dragging = false;
    int lineX = 0;
    int lineOffset = 0;
    int clientHeight = 0;
    HDC dragDc = nullptr;
    HPEN dragPen = nullptr;
    HGDIOBJ oldPen = nullptr;
};

extern PaneState gPane;

// The control identifier of the tab row.
constexpr int kIdPaneTabs = 1031;
// The splitter: the strip at the pane's right edge that the children leave free,
// and the range of the dragged line (the pane becomes line + 2 wide).
constexpr int kSplitterWidth = 4;
constexpr int kSplitterLineMin = 44;
constexpr int kSplitterLineMax = 400;

// Mouse messages of the pane's client area; true when handled.
bool SplitterMouse(HWND pane, UINT message, WPARAM wParam, LPARAM lParam);

// WM_CONTEXTMENU from the tree or the list.
void PaneContextMenu(HWND pane, HWND from, LPARAM lParam);
// WM_INITMENUPOPUP on the pane: the tree's and the list's item states.
void PaneMenuState(HMENU menu);
// The pane commands 7010 .. 7110.
void PaneCommand(int command);
// Clears the tree's selection as the program (no book is opened by it).
void ClearTreeSelection();
