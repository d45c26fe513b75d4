// The folder tree's life: its state and node heap, start and teardown, the top
// level, the control's subclass and the parent's notifications.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <new>

#include "browser/tree_state.h"
#include "platform/owners_win.h"

namespace {

FolderTree gTree;

constexpr UINT_PTR kTreeSubclassId = 0x7452;

LRESULT CALLBACK TreeSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case kCheckAnswerMessage:
            ApplyCheckAnswer(wParam, reinterpret_cast<TreeNode*>(lParam));
            return 0;
        case kShellChangeMessage:
            OnShellChange(wParam, lParam);
            return 0;
        case WM_DESTROY:
            // The registration names this window; the items go with it.
            DeregisterShellChanges();
            CancelPendingChecks();
            break;
        case WM_NCDESTROY:
            RemoveWindowSubclass(window, TreeSubclass, kTreeSubclassId);
            if (gTree.tree == window) {
                gTree.tree = nullptr;
                gTree.desktopItem = nullptr;
                gTree.foldersRoot = nullptr;
            }
            break;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

int SmallIconOf(const ITEMIDLIST* id, UINT extra, HIMAGELIST* list, wchar_t* name) {
    SHFILEINFOW info{};
    const UINT flags = SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON | extra;
    const DWORD_PTR r = SHGetFileInfoW(reinterpret_cast<LPCWSTR>(id), 0, &info, sizeof info, flags);
    if (list != nullptr) {
        *list = reinterpret_cast<HIMAGELIST>(r);
    }
    if (name != nullptr) {
        lstrcpynW(name, info.szDisplayName, MAX_PATH);
    }
    return info.iIcon;
}

HTREEITEM InsertTopItem(const wchar_t* text, int icon, int selected, TreeNode* node) {
    TVINSERTSTRUCTW ins{};
    ins.hParent = TVI_ROOT;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_CHILDREN;
    ins.item.pszText = const_cast<wchar_t*>(text);
    ins.item.iImage = icon;
    ins.item.iSelectedImage = selected;
    ins.item.lParam = reinterpret_cast<LPARAM>(node);
    ins.item.cChildren = 1;
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(gTree.tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    node->item = item;
    return item;
}

}  // namespace

FolderTree& Tree() {
    return gTree;
}

void* NodeHeapAlloc(size_t bytes) {
    return gTree.nodeHeap != nullptr ? HeapAlloc(gTree.nodeHeap, HEAP_ZERO_MEMORY, bytes) : nullptr;
}

void NodeHeapFree(void* p) {
    if (p != nullptr && gTree.nodeHeap != nullptr) {
        HeapFree(gTree.nodeHeap, 0, p);
    }
}

TreeNode* NewNode() {
    void* p = NodeHeapAlloc(sizeof(TreeNode));
    return p != nullptr ? new (p) TreeNode() : nullptr;
}

void ReleaseNode(TreeNode* node) {
    if (node != nullptr && node != &gTree.desktopNode && node != &gTree.rootNode &&
        InterlockedDecrement(&node->refs) == 0) {
        NodeHeapFree(node);
    }
}

TreeNode* NodeOf(HTREEITEM item) {
    if (item == nullptr || gTree.tree == nullptr) {
        return nullptr;
    }
    TVITEMW tv{};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    if (!SendMessageW(gTree.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv))) {
        return nullptr;
    }
    return reinterpret_cast<TreeNode*>(tv.lParam);
}

UINT ItemState(HTREEITEM item) {
    return static_cast<UINT>(SendMessageW(gTree.tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                          TVIS_EXPANDED | TVIS_EXPANDEDONCE));
}

bool HasButton(HTREEITEM item) {
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = item;
    return SendMessageW(gTree.tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv)) && tv.cChildren != 0;
}

void SetButton(HTREEITEM item, bool on) {
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = item;
    tv.cChildren = on ? 1 : 0;
    SendMessageW(gTree.tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

void RemoveButton(HTREEITEM item) {
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN | TVIF_STATE | TVIF_HANDLE;
    tv.hItem = item;
    tv.cChildren = 0;
    tv.state = 0;
    tv.stateMask = TVIS_EXPANDED | TVIS_EXPANDEDONCE;
    SendMessageW(gTree.tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
}

void CollapseReset(HTREEITEM item) {
    SendMessageW(gTree.tree, TVM_EXPAND, TVE_COLLAPSE | TVE_COLLAPSERESET, reinterpret_cast<LPARAM>(item));
}

HTREEITEM NextVisibleAfterSubtree(HTREEITEM item) {
    for (HTREEITEM at = item; at != nullptr; at = TreeView_GetParent(gTree.tree, at)) {
        HTREEITEM next = TreeView_GetNextSibling(gTree.tree, at);
        if (next != nullptr) {
            return next;
        }
    }
    return nullptr;
}

bool TreeInit() {
    if (gTree.nodeHeap == nullptr) {
        gTree.nodeHeap = HeapCreate(0, 0x8000, 0);
        gTree.nodeHeapOwned = gTree.nodeHeap != nullptr;
    }
    if (gTree.nodeHeap == nullptr) {
        return false;
    }
    if (gTree.thread == nullptr) {
        (void)StartCheckThread();
    }
    return true;
}

bool TreeCreate(HWND tree, const wchar_t* rootTitle, bool expandDesktop, bool expandFolders) {
    if (gTree.ready != nullptr) {
        // Only a started thread ever sets the event; without one nothing waits.
        if (gTree.thread != nullptr) {
            WaitForSingleObject(gTree.ready, INFINITE);
        }
        CloseHandle(gTree.ready);
        gTree.ready = nullptr;
    }
    gTree.tree = tree;
    SetWindowSubclass(tree, TreeSubclass, kTreeSubclassId, 0);
    if (gTree.desktop == nullptr && FAILED(SHGetDesktopFolder(&gTree.desktop))) {
        gTree.desktop = nullptr;
        return false;
    }
    PidlOwner desktopId;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_DESKTOP, desktopId.out()))) {
        return false;
    }
    HIMAGELIST images = nullptr;
    wchar_t name[MAX_PATH] = L"";
    const int icon = SmallIconOf(desktopId.get(), SHGFI_DISPLAYNAME, &images, name);
    const int openIcon = SmallIconOf(desktopId.get(), SHGFI_OPENICON, nullptr, nullptr);
    if (images != nullptr) {
        SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(images));
    }
    gTree.desktopNode = TreeNode();
    gTree.desktopNode.type = kNodeDesktop;
    gTree.desktopNode.id = desktopId.release();
    gTree.desktopItem = InsertTopItem(name, icon, openIcon, &gTree.desktopNode);
    if (expandDesktop && gTree.desktopItem != nullptr) {
        TreeView_Expand(tree, gTree.desktopItem, TVE_EXPAND);
    }
    PidlOwner favourites;
    int favIcon = 0;
    if (SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_FAVORITES, favourites.out()))) {
        favIcon = SmallIconOf(favourites.get(), 0, nullptr, nullptr);
    }
    gTree.rootNode = TreeNode();
    gTree.rootNode.type = kNodeFolderRoot;
    gTree.rootNode.kind = kKindVirtual;
    gTree.foldersRoot =
        InsertTopItem(rootTitle != nullptr ? rootTitle : L"", favIcon, favIcon, &gTree.rootNode);
    if (expandFolders && gTree.foldersRoot != nullptr) {
        ExpandFoldersRoot();
        for (uint32_t i = 0; gTree.folders != nullptr && i < gTree.folders->count; ++i) {
            if (gTree.folders->items[i].expand == 0) {
                continue;
            }
            for (HTREEITEM c = TreeView_GetChild(tree, gTree.foldersRoot); c != nullptr;
                 c = TreeView_GetNextSibling(tree, c)) {
                TreeNode* node = NodeOf(c);
                if (node != nullptr && node->folder == static_cast<int32_t>(i)) {
                    // The control expands only an item with a button, and the
                    // child check has not given one yet; an expansion that finds
                    // nothing takes it away again.
                    SetButton(c, true);
                    TreeView_Expand(tree, c, TVE_EXPAND);
                }
            }
        }
    }
    RegisterShellChanges();
    return true;
}

void TreeDestroy() {
    CancelPendingChecks();
    if (gTree.tree != nullptr && IsWindow(gTree.tree)) {
        // Answers still queued for the control find no subclass, so no node.
        TreeView_DeleteAllItems(gTree.tree);
        RemoveWindowSubclass(gTree.tree, TreeSubclass, kTreeSubclassId);
    }
    gTree.tree = nullptr;
    gTree.desktopItem = nullptr;
    gTree.foldersRoot = nullptr;
    DeregisterShellChanges();
    {
        AcquireSRWLockExclusive(&gTree.rulesLock);
        gTree.pluginExtensions.Clear();
        ReleaseSRWLockExclusive(&gTree.rulesLock);
    }
    StopCheckThread();
    if (gTree.desktop != nullptr) {
        gTree.desktop->Release();
        gTree.desktop = nullptr;
    }
    if (gTree.desktopNode.id != nullptr) {
        CoTaskMemFree(gTree.desktopNode.id);
        gTree.desktopNode.id = nullptr;
    }
    if (gTree.ready != nullptr) {
        CloseHandle(gTree.ready);
        gTree.ready = nullptr;
    }
    if (gTree.nodeHeapOwned && gTree.nodeHeap != nullptr) {
        HeapDestroy(gTree.nodeHeap);
    }
    gTree.nodeHeap = nullptr;
    gTree.nodeHeapOwned = false;
}

void TreeSetFolders(TreeFolderList* folders) {
    gTree.folders = folders;
}

void TreeSetRarAvailable(bool available) {
    AcquireSRWLockExclusive(&gTree.rulesLock);
    gTree.rarAvailable = available;
    ReleaseSRWLockExclusive(&gTree.rulesLock);
}

LRESULT TreeNotify(const NMHDR* header) {
    if (header == nullptr || header->hwndFrom != gTree.tree || gTree.tree == nullptr) {
        return 0;
    }
    if (header->code == TVN_ITEMEXPANDINGW) {
        const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(header);
        if ((nm->action & TVE_EXPAND) != 0 && !TreeExpand(nm->itemNew.hItem)) {
            return TRUE;
        }
    } else if (header->code == TVN_GETDISPINFOW) {
        TreeItemIcons(reinterpret_cast<NMTVDISPINFOW*>(const_cast<NMHDR*>(header)));
    } else if (header->code == TVN_DELETEITEMW) {
        const auto* nm = reinterpret_cast<const NMTREEVIEWW*>(header);
        auto* node = reinterpret_cast<TreeNode*>(nm->itemOld.lParam);
        if (node == &gTree.desktopNode) {
            gTree.desktopItem = nullptr;
            gTree.desktopNode.item = nullptr;
        } else if (node == &gTree.rootNode) {
            gTree.foldersRoot = nullptr;
            gTree.rootNode.item = nullptr;
        } else if (node != nullptr) {
            // The item's id goes now; the record waits for its queued checks.
            CoTaskMemFree(node->id);
            node->id = nullptr;
            node->item = nullptr;
            node->dead = true;
            ReleaseNode(node);
        }
    }
    return 0;
}

HTREEITEM TreeDesktopItem() {
    return gTree.desktopItem;
}

HTREEITEM TreeFoldersRoot() {
    return gTree.foldersRoot;
}

uint32_t TreeDroppedAnswers() {
    return static_cast<uint32_t>(gTree.droppedAnswers);
}

HANDLE TreeCheckThread() {
    return gTree.thread;
}
