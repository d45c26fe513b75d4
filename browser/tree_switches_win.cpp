// The two switches of the folder tree (hidden items, archive leaves), the plug-in
// extension list, and the tidying and refreshing they share with the change
// handling.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include "browser/tree_state.h"

namespace {

bool ReportedHidden(const TreeNode* node) {
    IShellFolder* parent = nullptr;
    const ITEMIDLIST* last = nullptr;
    if (node->id == nullptr ||
        FAILED(SHBindToParent(node->id, IID_IShellFolder, reinterpret_cast<void**>(&parent), &last))) {
        return false;
    }
    SFGAOF attributes = SFGAO_HIDDEN;
    const bool hidden =
        SUCCEEDED(parent->GetAttributesOf(1, &last, &attributes)) && (attributes & SFGAO_HIDDEN) != 0;
    parent->Release();
    return hidden;
}

enum class Drop { kHidden, kArchives };

bool ShouldDrop(Drop what, const TreeNode* node) {
    if (node == nullptr || node->type != kNodeShell) {
        return false;
    }
    if (what == Drop::kArchives) {
        return node->kind >= kKindZip;
    }
    return node->kind != kKindVirtual && ReportedHidden(node);
}

// Deletes what the switch no longer shows at every expanded level, taking the
// button from parents left empty, and tidies every other visible item.
void DropVisible(Drop what) {
    FolderTree& t = Tree();
    CancelPendingChecks();
    HTREEITEM at = t.desktopItem != nullptr ? t.desktopItem : t.foldersRoot;
    while (at != nullptr) {
        if (ShouldDrop(what, NodeOf(at))) {
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

void RefreshTop(EnumFilter filter) {
    FolderTree& t = Tree();
    if (t.desktopItem != nullptr) {
        RefreshFrom(t.desktopItem, filter);
    }
    if (t.foldersRoot != nullptr) {
        RefreshFrom(t.foldersRoot, filter);
    }
}

}  // namespace

void TidyItem(HTREEITEM item) {
    const UINT state = ItemState(item);
    if ((state & TVIS_EXPANDEDONCE) != 0) {
        if ((state & TVIS_EXPANDED) == 0) {
            CollapseReset(item);
        }
    } else if (HasButton(item)) {
        PostChildCheck(item, false);
    }
}

void RefreshFrom(HTREEITEM item, EnumFilter filter) {
    FolderTree& t = Tree();
    if (!HasButton(item)) {
        PostChildCheck(item, true);
        return;
    }
    const UINT state = ItemState(item);
    if ((state & TVIS_EXPANDED) == 0) {
        if ((state & TVIS_EXPANDEDONCE) != 0) {
            CollapseReset(item);
        }
        return;
    }
    if (item != t.foldersRoot) {
        (void)EnumerateChildren(item, filter, nullptr);
    }
    for (HTREEITEM c = TreeView_GetChild(t.tree, item); c != nullptr;
         c = TreeView_GetNextSibling(t.tree, c)) {
        RefreshFrom(c, filter);
    }
}

void TreeShowHidden(bool on) {
    FolderTree& t = Tree();
    if (on) {
        t.hiddenFlag = kHiddenFlag;
        RefreshTop(EnumFilter::kHiddenOnly);
        return;
    }
    // The flag goes first, so that the checks the walk posts no longer count
    // hidden children.
    t.hiddenFlag = 0;
    DropVisible(Drop::kHidden);
}

void TreeShowFiles(bool on) {
    FolderTree& t = Tree();
    if (on) {
        t.archiveFlag = kArchiveFlag;
        RefreshTop(EnumFilter::kFilesOnly);
        return;
    }
    t.archiveFlag = 0;
    DropVisible(Drop::kArchives);
}

void TreeSetPluginExtensions(const TextList* list) {
    FolderTree& t = Tree();
    AcquireSRWLockExclusive(&t.rulesLock);
    t.pluginExtensions.Clear();
    for (uint32_t i = 0; list != nullptr && i < list->count; ++i) {
        (void)t.pluginExtensions.Append(list->items[i].Text(), list->items[i].length);
    }
    ReleaseSRWLockExclusive(&t.rulesLock);
    if (t.archiveFlag != 0 && t.tree != nullptr) {
        DropVisible(Drop::kArchives);
        RefreshTop(EnumFilter::kFilesOnly);
    }
}
