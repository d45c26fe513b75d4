// Following the shell's change notifications: one recursive registration below
// the desktop, delivered to the tree control as kShellChangeMessage, and the
// adding, removing and refreshing of items they call for.
//
// Under Wine 8 the shell raises these only for SHChangeNotify calls made in this
// same process, delivered at once inside the call: a folder made or removed by
// this or any other process raises nothing, nor does another process's
// SHChangeNotify, whatever the sources asked for. Windows also reports the
// file system's own changes. The tests make each change and then say so.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include "app/text.h"
#include "browser/tree_state.h"
#include "platform/owners_win.h"

namespace {

constexpr LONG kEventMask = SHCNE_RENAMEITEM | SHCNE_CREATE | SHCNE_DELETE | SHCNE_MKDIR | SHCNE_RMDIR |
                            SHCNE_DRIVEREMOVED | SHCNE_DRIVEADD | SHCNE_UPDATEDIR | SHCNE_RENAMEFOLDER;
static_assert(kEventMask == 0x0002119F);
constexpr int kSources = SHCNRF_ShellLevel | SHCNRF_NewDelivery;

bool SameId(const TreeNode* node, const ITEMIDLIST* id) {
    return node != nullptr && node->id != nullptr && ILIsEqual(node->id, id);
}

bool IsArchiveFile(const ITEMIDLIST* id) {
    wchar_t path[MAX_PATH];
    return IdPath(id, path) && ArchiveKindLocked(path) != 0;
}

void RemoveItem(const ITEMIDLIST* id) {
    FolderTree& t = Tree();
    HTREEITEM at = t.desktopItem != nullptr ? t.desktopItem : t.foldersRoot;
    while (at != nullptr) {
        const TreeNode* node = NodeOf(at);
        if (node != nullptr && node->type > kNodeDesktop && SameId(node, id)) {
            // The walk goes on after the item's whole subtree, which goes with it.
            HTREEITEM next = NextVisibleAfterSubtree(at);
            HTREEITEM parent = TreeView_GetParent(t.tree, at);
            TreeView_DeleteItem(t.tree, at);
            if (parent != nullptr && TreeView_GetChild(t.tree, parent) == nullptr) {
                RemoveButton(parent);
            }
            at = next;
            continue;
        }
        TidyItem(at);
        at = TreeView_GetNextVisible(t.tree, at);
    }
}

void ReinsertRegistered(const ITEMIDLIST* id) {
    FolderTree& t = Tree();
    wchar_t path[MAX_PATH];
    if (t.folders == nullptr || t.foldersRoot == nullptr || !IdPath(id, path)) {
        return;
    }
    const auto* p = reinterpret_cast<const char16_t*>(path);
    const uint32_t n = TextLength(p);
    for (uint32_t i = 0; i < t.folders->count; ++i) {
        const StrBuf& entry = t.folders->items[i].path;
        if (!EqualsNoCaseN(entry.Text(), entry.length, p, n)) {
            continue;
        }
        for (HTREEITEM c = TreeView_GetChild(t.tree, t.foldersRoot); c != nullptr;
             c = TreeView_GetNextSibling(t.tree, c)) {
            const TreeNode* node = NodeOf(c);
            if (node != nullptr && node->folder == static_cast<int32_t>(i)) {
                return;
            }
        }
        if (TreeView_GetChild(t.tree, t.foldersRoot) != nullptr) {
            if (InsertRegisteredFolder(i) != nullptr) {
                SortFoldersRoot();
            }
        } else {
            RemoveButton(t.foldersRoot);
            SetButton(t.foldersRoot, true);
            ExpandFoldersRoot();
        }
        return;
    }
}

// What a change below a shown folder does to it: an expanded one gets the new
// children (only the one named, or every one missing), a collapsed one that was
// filled before is emptied for the next expansion, one without a button is
// checked again.
void UpdateShownFolder(HTREEITEM item, const ITEMIDLIST* onlyId) {
    const UINT state = ItemState(item);
    if (!HasButton(item)) {
        PostChildCheck(item, true);
    } else if ((state & TVIS_EXPANDED) != 0) {
        if (onlyId == nullptr) {
            (void)EnumerateChildren(item, EnumFilter::kMissing, nullptr);
        } else if (!ChildWithId(item, onlyId)) {
            (void)EnumerateChildren(item, EnumFilter::kAll, onlyId);
        }
    } else if ((state & TVIS_EXPANDEDONCE) != 0) {
        CollapseReset(item);
    }
}

void ForEachShown(const ITEMIDLIST* id, const ITEMIDLIST* onlyId) {
    FolderTree& t = Tree();
    for (HTREEITEM at = t.desktopItem != nullptr ? t.desktopItem : t.foldersRoot; at != nullptr;) {
        HTREEITEM next = TreeView_GetNextVisible(t.tree, at);
        if (SameId(NodeOf(at), id)) {
            UpdateShownFolder(at, onlyId);
            // A collapse with reset dropped what followed inside the item.
            next = TreeView_GetNextVisible(t.tree, at);
        }
        at = next;
    }
}

void AddItem(const ITEMIDLIST* id) {
    PidlOwner parent(ILClone(id));
    if (!parent.valid()) {
        return;
    }
    ILRemoveLastID(parent.get());
    ForEachShown(parent.get(), id);
    ReinsertRegistered(id);
}

void Dispatch(LONG event, const ITEMIDLIST* first, const ITEMIDLIST* second) {
    const bool archives = Tree().archiveFlag != 0;
    switch (event) {
        case SHCNE_RENAMEITEM:
            if (archives && first != nullptr && IsArchiveFile(first)) {
                RemoveItem(first);
            }
            if (archives && second != nullptr && IsArchiveFile(second)) {
                AddItem(second);
            }
            break;
        case SHCNE_CREATE:
            if (archives && first != nullptr && IsArchiveFile(first)) {
                AddItem(first);
            }
            break;
        case SHCNE_DELETE:
            if (archives && first != nullptr && IsArchiveFile(first)) {
                RemoveItem(first);
            }
            break;
        case SHCNE_MKDIR:
        case SHCNE_DRIVEADD:
            if (first != nullptr) {
                AddItem(first);
            }
            break;
        case SHCNE_RMDIR:
        case SHCNE_DRIVEREMOVED:
            if (first != nullptr) {
                RemoveItem(first);
            }
            break;
        case SHCNE_UPDATEDIR:
            if (first != nullptr) {
                ForEachShown(first, nullptr);
            }
            break;
        case SHCNE_RENAMEFOLDER:
            if (first != nullptr) {
                RemoveItem(first);
            }
            if (second != nullptr) {
                AddItem(second);
            }
            break;
        default:
            break;
    }
}

}  // namespace

void RegisterShellChanges() {
    FolderTree& t = Tree();
    if (t.changeId != 0 || t.tree == nullptr) {
        return;
    }
    SHChangeNotifyEntry entry{t.desktopNode.id, TRUE};
    t.changeId = SHChangeNotifyRegister(t.tree, kSources, kEventMask, kShellChangeMessage, 1, &entry);
}

void DeregisterShellChanges() {
    FolderTree& t = Tree();
    if (t.changeId != 0) {
        SHChangeNotifyDeregister(t.changeId);
        t.changeId = 0;
    }
}

void OnShellChange(WPARAM wParam, LPARAM lParam) {
    ITEMIDLIST** ids = nullptr;
    LONG event = 0;
    HANDLE lock =
        SHChangeNotification_Lock(reinterpret_cast<HANDLE>(wParam), static_cast<DWORD>(lParam), &ids, &event);
    if (lock == nullptr) {
        return;
    }
    if (ids != nullptr && Tree().tree != nullptr) {
        Dispatch(event & ~SHCNE_INTERRUPT, ids[0], ids[1]);
    }
    SHChangeNotification_Unlock(lock);
}
