#include "ui/pane.h"

#include <commctrl.h>

#include "archive/plugin_host.h"
#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "platform/lock.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/mouse_win.h"
#include "ui/pane_state.h"
#include "ui/rar_shell.h"
#include "ui/reader.h"
#include "view/commands.h"
#include "view/navigate.h"

namespace {

void StartHover(HWND control, int target) {
    if (gApp.hoverTarget == target) {
        return;
    }
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control, 0};
    TrackMouseEvent(&track);
    SetFocus(control);
    gApp.acceleratorsSuspended = true;
    gApp.hoverTarget = target;
}

void EndHover() {
    gApp.hoverTarget = kHoverNone;
    gApp.acceleratorsSuspended = false;
    if (gApp.appActive) {
        SetFocus(gApp.mainWindow);
    }
}

LRESULT CALLBACK
HoverSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    const bool isTree = id == static_cast<UINT_PTR>(kIdFolderTree);
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(gApp.arrowCursor);
            return TRUE;
        case WM_MOUSEMOVE:
            if (isTree) {
                if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && gApp.appActive) {
                    StartHover(window, kHoverTree);
                    // Over the tree the full-screen bar and the pane's auto-hide give way.
                    if (gApp.fullScreen && gApp.barShown && gSettings.fullScreenBarAutoHide) {
                        ShowWindow(gApp.bar, SW_HIDE);
                        gApp.barShown = false;
                    }
                    if (gApp.paneTimerRunning) {
                        KillTimer(gApp.mainWindow, kPaneTimer);
                        gApp.paneTimerRunning = false;
                    }
                }
            } else if (gApp.appActive) {
                StartHover(window, kHoverList);
            }
            break;
        case WM_MOUSELEAVE:
            EndHover();
            break;
        default:
            break;
    }
    // Everything else, the tree's change notifications among it, goes on to the
    // folder tree's own subclass (OnShellChange) and the control's procedure.
    return DefSubclassProc(window, message, wParam, lParam);
}

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

HMENU ChildId(int id) {
    return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id));
}

void SetTabText(int index, uint32_t stringId) {
    StrBuf text;
    LanguageString(stringId, &text);
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(Wide(text.Text()));
    SendMessageW(gPane.tabs, TCM_SETITEMW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

// Sizes the tab row to width and returns its height: the top of its display
// area, so that only the row of tabs shows.
int LayoutTabs(int width) {
    if (gPane.tabs == nullptr) {
        return 0;
    }
    RECT r{0, 0, width, 400};
    TabCtrl_AdjustRect(gPane.tabs, FALSE, &r);
    const int t = r.top > 0 ? r.top : 0;
    SetWindowPos(gPane.tabs, nullptr, 0, 2, width, t, SWP_NOZORDER | SWP_NOACTIVATE);
    return t;
}

// The tree's inputs from the settings, the archive plug-ins and the RAR library;
// the plug-in host and the library's state are read under the lock.
void HandTreeItsInputs() {
    TreeSetFolders(&gSettings.treeFolders);
    TreeShowHidden(gSettings.treeHiddenMode == 0);
    TreeShowFiles(gSettings.treeShowFiles);
    PluginTextList extensions;
    bool rar = false;
    {
        AppLockGuard lock;
        PluginExtensions(kPluginArchive, false, &extensions);
        rar = RarOffered();
    }
    TextList list;
    for (uint32_t i = 0; i < extensions.count; ++i) {
        // An extension the heap refuses is only not shown as an archive.
        (void)list.Append(extensions.items[i].Text(), extensions.items[i].length);
    }
    TreeSetPluginExtensions(&list);
    TreeSetRarAvailable(rar);
}

void CreateChildren(HWND pane, const CREATESTRUCTW* cs) {
    const int width = (cs->cx > kSplitterWidth ? cs->cx : kSplitterWidth) - kSplitterWidth;
    const int height = cs->cy;
    const auto font = reinterpret_cast<WPARAM>(gApp.interfaceFont.get());
    gPane.tabs =
        CreateWindowExW(0, WC_TABCONTROLW, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | TCS_FOCUSNEVER,
                        0, 2, width, 24, pane, ChildId(kIdPaneTabs), gApp.instance, nullptr);
    if (gPane.tabs != nullptr) {
        SendMessageW(gPane.tabs, WM_SETFONT, font, FALSE);
        TCITEMW item{};
        item.mask = TCIF_TEXT;
        item.pszText = const_cast<wchar_t*>(L"");
        TabCtrl_InsertItem(gPane.tabs, 0, &item);
        TabCtrl_InsertItem(gPane.tabs, 1, &item);
        SetTabText(0, 20530);
        SetTabText(1, 20531);
    }
    const int t = LayoutTabs(width);
    const DWORD treeStyle =
        WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS;
    HWND tree = CreateWindowExW(WS_EX_STATICEDGE, WC_TREEVIEWW, nullptr, treeStyle, 0, t + 2, width, height,
                                pane, ChildId(kIdFolderTree), gApp.instance, nullptr);
    HWND list = FileListCreate(pane, 0, t + 2, width, height, gApp.interfaceFont.get());
    SubclassPaneControls(tree, list);
    gFileListOps = FileListOpsFor(list);
    if (tree != nullptr) {
        HandTreeItsInputs();
        StrBuf root;
        LanguageString(20520, &root);
        // A desktop that cannot be reached leaves the tree empty; the pane still works.
        (void)TreeCreate(tree, Wide(root.Text()), gSettings.treeExpandDesktop, gSettings.treeExpandFolders);
    }
}

void Layout(int width, int height) {
    gSettings.paneWidth = width;
    const int inner = (width > kSplitterWidth ? width : kSplitterWidth) - kSplitterWidth;
    const int t = LayoutTabs(inner);
    const int below = height - t - 2 > 0 ? height - t - 2 : 0;
    const HWND children[] = {gApp.folderTree, gApp.fileList};
    for (HWND child : children) {
        if (child != nullptr) {
            SetWindowPos(child, nullptr, 0, t + 2, inner, below, SWP_NOZORDER | SWP_NOACTIVATE);
        }
    }
}

void Paint(HWND pane) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(pane, &ps);
    RECT r{};
    GetClientRect(pane, &r);
    RECT face = r;
    face.right = r.right > 0 ? r.right - 1 : 0;
    FillRect(dc, &face, GetSysColorBrush(COLOR_BTNFACE));
    RECT edge = r;
    edge.left = face.right;
    FillRect(dc, &edge, GetSysColorBrush(COLOR_BTNSHADOW));
    EndPaint(pane, &ps);
}

void ShowTab(int tab) {
    if (gApp.folderTree != nullptr) {
        ShowWindow(gApp.folderTree, tab == 0 ? SW_SHOW : SW_HIDE);
    }
    if (gApp.fileList != nullptr) {
        ShowWindow(gApp.fileList, tab == 1 ? SW_SHOW : SW_HIDE);
    }
}

// The tree's item as the book: a file-system item by its path, a virtual shell
// folder by its display text and identifier. The registered-folders root and an
// item whose path cannot be read open nothing.
void OpenTreeItem(HTREEITEM item) {
    if (item == nullptr || TreeNodeTypeOf(item) == kNodeFolderRoot) {
        return;
    }
    const uint32_t kind = TreeContextKind(item);
    wchar_t path[MAX_PATH + 1] = L"";
    const ITEMIDLIST* id = nullptr;
    BookKind bookKind = kBookFolder;
    if (kind == 1) {
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = item;
        tv.pszText = path;
        tv.cchTextMax = MAX_PATH;
        if (!TreeView_GetItem(gApp.folderTree, &tv)) {
            return;
        }
        id = TreeItemIdOf(item);
        bookKind = kBookShellFolder;
        if (id == nullptr) {
            return;
        }
    } else {
        if (!TreeItemPath(item, path)) {
            return;
        }
        bookKind = kind == 0 ? kBookFolder : static_cast<BookKind>(kind);
    }
    const auto* text = reinterpret_cast<const char16_t*>(path);
    if (!SetBookFromTree(&gBook, bookKind, text, reinterpret_cast<const ShellItemId*>(id))) {
        return;
    }
    OpenBook(nullptr, 0);
    gPane.openedItem = item;
}

LRESULT TreeNotification(const NMHDR* header) {
    switch (header->code) {
        case TVN_SELCHANGEDW: {
            const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(header);
            if (!gPane.programSelecting) {
                OpenTreeItem(nm->itemNew.hItem);
            }
            if (nm->itemNew.hItem != nullptr) {
                TreeView_EnsureVisible(gApp.folderTree, nm->itemNew.hItem);
            }
            return 0;
        }
        case TVN_SELCHANGINGW: {
            // Only the user, or the program clearing it, moves the selection.
            const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(header);
            const bool byUser = nm->action == TVC_BYMOUSE || nm->action == TVC_BYKEYBOARD;
            return !byUser && !gPane.programSelecting ? TRUE : FALSE;
        }
        default:
            return TreeNotify(header);
    }
}

LRESULT Notification(HWND pane, WPARAM wParam, LPARAM lParam) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    if (header == nullptr) {
        return 0;
    }
    switch (header->idFrom) {
        case kIdPaneTabs:
            if (header->code == TCN_SELCHANGE) {
                ShowTab(TabCtrl_GetCurSel(gPane.tabs));
            }
            return 0;
        case kIdFolderTree:
            return TreeNotification(header);
        case kIdFileList:
            if (header->code == LVN_ITEMCHANGED) {
                const auto* nm = reinterpret_cast<const NMLISTVIEW*>(header);
                const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
                if ((nm->uChanged & LVIF_STATE) != 0 && (nm->uNewState & both) == both && nm->iItem >= 0 &&
                    nm->iItem < gBook.pageCount && nm->iItem != gView.currentIndex) {
                    Navigate(&gView, CMD_GOTO_PAGE, nm->iItem);
                }
            }
            return 0;
        default:
            return DefWindowProcW(pane, WM_NOTIFY, wParam, lParam);
    }
}

}  // namespace

PaneState gPane;

void ShowBarIfHidden() {
    if (!gApp.barShown && gApp.bar != nullptr) {
        ShowWindow(gApp.bar, SW_SHOW);
        gApp.barShown = true;
        SetCursorShown(true);
    }
}

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            gApp.pane = window;
            CreateChildren(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
            return 0;
        case WM_SIZE:
            Layout(LOWORD(lParam), HIWORD(lParam));
            return 0;
        case WM_PAINT:
            Paint(window);
            return 0;
        case WM_SETCURSOR:
            if (gPane.overSplitter && reinterpret_cast<HWND>(wParam) == window) {
                SetCursor(gApp.splitterCursor);
                return TRUE;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_MOUSEMOVE:
        case WM_LBUTTONDOWN:
        case WM_LBUTTONUP:
        case WM_CAPTURECHANGED:
            SplitterMouse(window, message, wParam, lParam);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            SetFocus(gApp.mainWindow);
            return DefWindowProcW(window, message, wParam, lParam);
        case WM_MOUSELEAVE:
            gApp.hoverTarget = kHoverNone;
            gPane.overSplitter = false;
            return 0;
        case WM_DRAWITEM: {
            const auto* dis = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (dis->CtlType == ODT_LISTVIEW) {
                const bool second = gView.endIndex - gView.currentIndex == 2;
                DrawFileListRow(dis, &gBook, FileListMarks{gView.currentIndex, second});
                return TRUE;
            }
            return DrawMenuItem(dis) ? TRUE : FALSE;
        }
        case WM_MEASUREITEM: {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            if (mis->CtlType == ODT_LISTVIEW) {
                MeasureFileListRow(mis, gApp.interfaceFont.get());
                return TRUE;
            }
            return MeasureMenuItem(mis) ? TRUE : FALSE;
        }
        case WM_NOTIFY:
            return Notification(window, wParam, lParam);
        case WM_CONTEXTMENU:
            PaneContextMenu(window, reinterpret_cast<HWND>(wParam), lParam);
            return 0;
        case WM_INITMENUPOPUP:
            UpdateMenuState(reinterpret_cast<HMENU>(wParam), false);
            PaneMenuState(reinterpret_cast<HMENU>(wParam));
            return 0;
        case WM_COMMAND: {
            const int command = LOWORD(wParam);
            if (command >= kPaneCommandFirst && command <= kPaneCommandLast) {
                PaneCommand(command);
                return 0;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_DESTROY:
            gFileListOps = FileListOps{};
            gPane = PaneState{};
            gApp.pane = nullptr;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void PaneRetext() {
    if (gPane.tabs != nullptr) {
        SendMessageW(gPane.tabs, WM_SETFONT, reinterpret_cast<WPARAM>(gApp.interfaceFont.get()), TRUE);
        SetTabText(0, 20530);
        SetTabText(1, 20531);
        RECT r{};
        if (gApp.pane != nullptr && GetClientRect(gApp.pane, &r)) {
            Layout(r.right, r.bottom);
        }
    }
    HTREEITEM root = TreeFoldersRoot();
    if (root != nullptr && gApp.folderTree != nullptr) {
        StrBuf text;
        LanguageString(20520, &text);
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = root;
        tv.pszText = const_cast<wchar_t*>(Wide(text.Text()));
        TreeView_SetItem(gApp.folderTree, &tv);
    }
    RetextFileList(gApp.fileList, gApp.interfaceFont.get(), &gBook);
}

void PaneForgetOpenedItem() {
    gPane.openedItem = nullptr;
}

void SubclassPaneControls(HWND folderTree, HWND fileList) {
    gApp.folderTree = folderTree;
    gApp.fileList = fileList;
    if (folderTree != nullptr) {
        SetWindowSubclass(folderTree, HoverSubclass, kIdFolderTree, 0);
    }
    if (fileList != nullptr) {
        SetWindowSubclass(fileList, HoverSubclass, kIdFileList, 0);
    }
}

void RemovePaneSubclasses() {
    if (gApp.fileList != nullptr) {
        RemoveWindowSubclass(gApp.fileList, HoverSubclass, kIdFileList);
    }
    if (gApp.folderTree != nullptr) {
        RemoveWindowSubclass(gApp.folderTree, HoverSubclass, kIdFolderTree);
    }
}
