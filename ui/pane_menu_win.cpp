// The folder tree's and the file list's context menus (popups 3 and 4), their
// item states, and the commands they send to the pane.
#include <windows.h>
#include <windowsx.h>

#include <commctrl.h>
#include <shellapi.h>

#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "platform/lock.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/dispatch.h"
#include "ui/menus.h"
#include "ui/pane_state.h"
#include "ui/reader.h"
#include "view/navigate.h"
#include "view/page_cache.h"
#include "view/page_remove.h"

namespace {

constexpr int kFileManagerError = 30003;

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

void Check(HMENU menu, UINT command, bool on) {
    CheckMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void Enable(HMENU menu, UINT command, bool on) {
    EnableMenuItem(menu, command, MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
}

// The file manager opened on the folder of path with path selected; false when
// it cannot be started.
bool RevealInFileManager(const char16_t* path, uint32_t n) {
    StrBuf parameters;
    parameters.Assign(u"/e,/select,\"");
    if (!parameters.Append(path, n) || !parameters.Append(u"\"", 1)) {
        return false;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpFile = L"explorer.exe";
    info.lpParameters = Wide(parameters.Text());
    info.nShow = SW_SHOWNORMAL;
    return ShellExecuteExW(&info) != FALSE;
}

void TrackPopup(HWND pane, int popup, int x, int y) {
    HMENU menu = MenuPopupAt(popup);
    if (menu != nullptr) {
        TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RIGHTBUTTON | TPM_NOANIMATION, x, y, 0, pane,
                       nullptr);
    }
}

void TreeMenu(HWND pane, LPARAM lParam) {
    HWND tree = gApp.folderTree;
    HTREEITEM item = nullptr;
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) {
        item = TreeView_GetSelection(tree);
        RECT r{};
        if (item == nullptr || !TreeView_GetItemRect(tree, item, &r, TRUE)) {
            return;
        }
        at = POINT{r.left, r.top};
        ClientToScreen(tree, &at);
    } else {
        TVHITTESTINFO hit{};
        hit.pt = at;
        ScreenToClient(tree, &hit.pt);
        item = TreeView_HitTest(tree, &hit);
        if (item == nullptr || (hit.flags & TVHT_ONITEM) == 0) {
            return;
        }
    }
    TreeView_SelectDropTarget(tree, item);
    gPane.contextItem = item;
    TrackPopup(pane, kPopupTree, at.x, at.y);
    TreeView_SelectDropTarget(tree, nullptr);
}

void ListMenu(HWND pane, LPARAM lParam) {
    HWND list = gApp.fileList;
    POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    if (lParam == -1) {
        const int row = ListView_GetNextItem(list, -1, LVNI_SELECTED);
        RECT r{};
        if (row < 0 || !ListView_GetItemRect(list, row, &r, LVIR_BOUNDS)) {
            return;
        }
        at = POINT{r.left, r.top};
        ClientToScreen(list, &at);
    } else {
        LVHITTESTINFO hit{};
        hit.pt = at;
        ScreenToClient(list, &hit.pt);
        if (ListView_HitTest(list, &hit) < 0) {
            return;
        }
    }
    TrackPopup(pane, kPopupList, at.x, at.y);
}

void TreeMenuState(HMENU menu) {
    HTREEITEM item = gPane.contextItem;
    const uint32_t kind = TreeContextKind(item);
    const uint32_t type = TreeNodeTypeOf(item);
    const bool registered = type == kNodeRegistered;
    const bool virtualKind = kind == 1;
    Enable(menu, 7010, !virtualKind && !registered);
    Enable(menu, 7011, !virtualKind && registered);
    const int32_t entry = TreeRegisteredFolderOf(item);
    bool expandable = true;
    bool expanded = false;
    if (type == kNodeDesktop) {
        expanded = gSettings.treeExpandDesktop;
    } else if (type == kNodeFolderRoot) {
        expanded = gSettings.treeExpandFolders;
    } else if (registered && entry >= 0 && static_cast<uint32_t>(entry) < gSettings.treeFolders.count) {
        expanded = gSettings.treeFolders.items[entry].expand != 0;
    } else {
        expandable = false;
    }
    Enable(menu, 7025, expandable);
    Check(menu, 7025, expanded);
    // The archive and pack jobs stay greyed until the pane can start file jobs.
    Enable(menu, 7050, false);
    Enable(menu, 7060, false);
    Enable(menu, 7061, false);
    Enable(menu, 7030, type != kNodeFolderRoot);
    Check(menu, 7020, gSettings.treeHiddenMode == 0);
    Check(menu, 7040, gSettings.treeShowFiles);
}

void FlipExpandFlag(HTREEITEM item) {
    const uint32_t type = TreeNodeTypeOf(item);
    if (type == kNodeDesktop) {
        gSettings.treeExpandDesktop = !gSettings.treeExpandDesktop;
    } else if (type == kNodeFolderRoot) {
        gSettings.treeExpandFolders = !gSettings.treeExpandFolders;
    } else {
        const int32_t entry = TreeRegisteredFolderOf(item);
        if (entry >= 0 && static_cast<uint32_t>(entry) < gSettings.treeFolders.count) {
            uint8_t& expand = gSettings.treeFolders.items[entry].expand;
            expand = expand != 0 ? 0 : 1;
        }
    }
}

void Unregister(HTREEITEM item) {
    const int32_t entry = TreeRegisteredFolderOf(item);
    if (entry < 0) {
        return;
    }
    // Asked before the item goes with its registration.
    const bool opened = TreeContextIsOpenedOrAbove(item, gPane.openedItem) != 0;
    TreeUnregisterFolder(item, static_cast<uint32_t>(entry));
    if (opened) {
        ClearTreeSelection();
        gPane.openedItem = nullptr;
    }
}

void ExploreItem(HTREEITEM item) {
    const uint32_t kind = TreeContextKind(item);
    if (TreeNodeTypeOf(item) == kNodeFolderRoot) {
        return;
    }
    // Folders are explored; a compressed folder the shell cannot explore is
    // shown selected in its parent like any archive.
    if (kind <= 2 && TreeExplore(item)) {
        return;
    }
    if (kind <= 1) {
        ShowErrorBox(gApp.mainWindow, kFileManagerError);
        return;
    }
    wchar_t path[MAX_PATH + 1] = L"";
    const auto* text = reinterpret_cast<const char16_t*>(path);
    if (!TreeItemPath(item, path) || !RevealInFileManager(text, TextLength(text))) {
        ShowErrorBox(gApp.mainWindow, kFileManagerError);
    }
}

void TreeCommand(int command, HTREEITEM item) {
    switch (command) {
        case 7010:
            if (TreeNodeTypeOf(item) != kNodeRegistered) {
                (void)TreeRegisterFolder(item);
            }
            break;
        case 7011:
            Unregister(item);
            break;
        case 7020:
            gSettings.treeHiddenMode = gSettings.treeHiddenMode == 0 ? 2 : 0;
            TreeShowHidden(gSettings.treeHiddenMode == 0);
            break;
        case 7025:
            FlipExpandFlag(item);
            break;
        case 7030:
            ExploreItem(item);
            break;
        case 7040:
            gSettings.treeShowFiles = !gSettings.treeShowFiles;
            TreeShowFiles(gSettings.treeShowFiles);
            break;
        default:
            break;  // the job commands start nothing yet
    }
}

void SetSliderRange(int32_t pageCount) {
    if (gApp.pageSlider != nullptr) {
        SendMessageW(gApp.pageSlider, TBM_SETRANGEMIN, FALSE, pageCount == 0 ? 0 : 1);
        SendMessageW(gApp.pageSlider, TBM_SETRANGEMAX, TRUE, pageCount);
    }
}

// The current page's file to the recycle bin, then the next page is shown.
void DeleteCurrentPage() {
    if (!PageDeleteAllowed(&gBook)) {
        return;
    }
    const int32_t index = gView.currentIndex;
    StrBuf path;
    if (!PageFilePath(&gBook, index, &path)) {
        return;
    }
    if (GetFileAttributesW(Wide(path.Text())) != INVALID_FILE_ATTRIBUTES) {
        // The shell's list of paths ends with a second terminator.
        if (path.AppendChar(0) == nullptr) {
            return;
        }
        SHFILEOPSTRUCTW op{};
        op.hwnd = gApp.mainWindow;
        op.wFunc = FO_DELETE;
        op.pFrom = Wide(path.Text());
        op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_NO_CONNECTED_ELEMENTS | FOF_WANTNUKEWARNING;
        if (SHFileOperationW(&op) != 0 || op.fAnyOperationsAborted) {
            return;
        }
    }
    if (gBook.pageCount < 2) {
        // The only page is gone: the book is listed again, now without pages.
        OpenBook(nullptr, 0);
        return;
    }
    int32_t next = 0;
    {
        // The loader reads the page list and the read-ahead state.
        AppLockGuard lock;
        next = RemovePageEntry(&gBook, index);
        ResetReadAhead(&gView);
    }
    if (next < 0) {
        return;
    }
    FileListDeleteRow(gApp.fileList, index);
    SetSliderRange(gBook.pageCount);
    BeginOpen(&gView);
    ShowForward(&gView, next, true);
    AfterShow(&gView);
    EndOpen(&gView);
}

void CopyPageName() {
    StrBuf text;
    if (!PageCopyText(&gBook, gView.currentIndex, &text) || !OpenClipboard(gApp.mainWindow)) {
        return;
    }
    EmptyClipboard();
    const size_t bytes = (static_cast<size_t>(text.length) + 1) * sizeof(wchar_t);
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, bytes);
    if (block != nullptr) {
        void* data = GlobalLock(block);
        if (data == nullptr) {
            GlobalFree(block);
        } else {
            CopyMemory(data, text.Text(), bytes);
            GlobalUnlock(block);
            if (SetClipboardData(CF_UNICODETEXT, block) == nullptr) {
                GlobalFree(block);
            }
        }
    }
    CloseClipboard();
}

void RevealCurrentPage() {
    StrBuf path;
    if (PageRevealAllowed(&gBook) && PageFilePath(&gBook, gView.currentIndex, &path)) {
        (void)RevealInFileManager(path.Text(), path.length);
    }
}

}  // namespace

void PaneContextMenu(HWND pane, HWND from, LPARAM lParam) {
    if (from != nullptr && from == gApp.folderTree) {
        TreeMenu(pane, lParam);
    } else if (from != nullptr && from == gApp.fileList) {
        ListMenu(pane, lParam);
    }
}

void PaneMenuState(HMENU menu) {
    if (menu != nullptr && menu == MenuPopupAt(kPopupTree)) {
        TreeMenuState(menu);
    } else if (menu != nullptr && menu == MenuPopupAt(kPopupList)) {
        Enable(menu, 7100, PageDeleteAllowed(&gBook));
        Enable(menu, 7101, true);
        Enable(menu, 7110, PageRevealAllowed(&gBook));
    }
}

void PaneCommand(int command) {
    switch (command) {
        case 7100:
            DeleteCurrentPage();
            return;
        case 7101:
            CopyPageName();
            return;
        case 7110:
            RevealCurrentPage();
            return;
        default:
            break;
    }
    HTREEITEM item = gPane.contextItem;
    gPane.contextItem = nullptr;
    if (item != nullptr) {
        TreeCommand(command, item);
    }
}

void ClearTreeSelection() {
    if (gApp.folderTree == nullptr) {
        return;
    }
    gPane.programSelecting = true;
    TreeView_SelectItem(gApp.folderTree, nullptr);
    gPane.programSelecting = false;
}
