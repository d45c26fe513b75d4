// The registered folders under the tree's second root, and the small questions
// the pane asks about an item.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <utility>

#include "app/text.h"
#include "browser/tree_state.h"
#include "platform/owners_win.h"

namespace {

int CALLBACK CompareRegistered(LPARAM a, LPARAM b, LPARAM) {
    const auto* na = reinterpret_cast<const TreeNode*>(a);
    const auto* nb = reinterpret_cast<const TreeNode*>(b);
    if (na == nullptr || nb == nullptr) {
        return 0;
    }
    if (na->kind != nb->kind) {
        return na->kind < nb->kind ? -1 : 1;
    }
    wchar_t ta[MAX_PATH] = L"";
    wchar_t tb[MAX_PATH] = L"";
    TVITEMW tv{};
    tv.mask = TVIF_TEXT | TVIF_HANDLE;
    tv.cchTextMax = MAX_PATH;
    tv.hItem = na->item;
    tv.pszText = ta;
    SendMessageW(Tree().tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    tv.hItem = nb->item;
    tv.pszText = tb;
    SendMessageW(Tree().tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&tv));
    return StrCmpLogicalW(ta, tb);
}

const char16_t* U(const wchar_t* text) {
    return reinterpret_cast<const char16_t*>(text);
}

void RemoveEntry(TreeFolderList* list, uint32_t entry) {
    for (uint32_t j = entry; j + 1 < list->count; ++j) {
        list->items[j].path = std::move(list->items[j + 1].path);
        list->items[j].expand = list->items[j + 1].expand;
    }
    list->items[list->count - 1].path.Release();
    --list->count;
}

}  // namespace

void ExpandFoldersRoot() {
    FolderTree& t = Tree();
    if (t.foldersRoot != nullptr) {
        TreeView_Expand(t.tree, t.foldersRoot, TVE_EXPAND);
    }
}

HTREEITEM InsertRegisteredFolder(uint32_t entry) {
    FolderTree& t = Tree();
    if (t.folders == nullptr || entry >= t.folders->count || t.foldersRoot == nullptr) {
        return nullptr;
    }
    PidlOwner id(ILCreateFromPathW(reinterpret_cast<const wchar_t*>(t.folders->items[entry].path.Text())));
    if (!id.valid()) {
        return nullptr;
    }
    IShellFolder* parent = nullptr;
    const ITEMIDLIST* last = nullptr;
    if (FAILED(SHBindToParent(id.get(), IID_IShellFolder, reinterpret_cast<void**>(&parent), &last))) {
        return nullptr;
    }
    SFGAOF attributes = kInsertAttributes;
    HTREEITEM item = nullptr;
    if (SUCCEEDED(parent->GetAttributesOf(1, &last, &attributes))) {
        item = TreeInsert(t.foldersRoot, ItemSource{id.release(), parent, last}, attributes,
                          static_cast<int32_t>(entry));
    }
    parent->Release();
    return item;
}

int InsertAllRegistered() {
    FolderTree& t = Tree();
    int inserted = 0;
    for (uint32_t i = 0; t.folders != nullptr && i < t.folders->count; ++i) {
        const auto* path = reinterpret_cast<const wchar_t*>(t.folders->items[i].path.Text());
        if ((PathExistsW(path) || IsDriveRoot(path)) && InsertRegisteredFolder(i) != nullptr) {
            ++inserted;
        }
    }
    if (inserted > 0) {
        SortFoldersRoot();
    }
    return inserted;
}

void SortFoldersRoot() {
    TVSORTCB sort{Tree().foldersRoot, CompareRegistered, 0};
    SendMessageW(Tree().tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
}

bool TreeRegisterFolder(HTREEITEM item) {
    FolderTree& t = Tree();
    const TreeNode* node = NodeOf(item);
    wchar_t path[MAX_PATH];
    if (node == nullptr || node->type == kNodeRegistered || node->kind == kKindVirtual ||
        t.folders == nullptr || t.foldersRoot == nullptr || !IdPath(node->id, path)) {
        return false;
    }
    ExpandFoldersRoot();
    const uint32_t n = static_cast<uint32_t>(lstrlenW(path));
    for (uint32_t i = 0; i < t.folders->count; ++i) {
        const StrBuf& p = t.folders->items[i].path;
        if (EqualsNoCaseN(p.Text(), p.length, U(path), n)) {
            return false;
        }
    }
    if (!t.folders->Append(U(path), n, 0)) {
        return false;
    }
    if (TreeView_GetChild(t.tree, t.foldersRoot) != nullptr) {
        if (InsertRegisteredFolder(t.folders->count - 1) == nullptr) {
            RemoveEntry(t.folders, t.folders->count - 1);
            return false;
        }
        SortFoldersRoot();
        return true;
    }
    RemoveButton(t.foldersRoot);
    SetButton(t.foldersRoot, true);
    ExpandFoldersRoot();
    return true;
}

void TreeUnregisterFolder(HTREEITEM item, uint32_t entry) {
    FolderTree& t = Tree();
    if (t.folders == nullptr || entry >= t.folders->count) {
        return;
    }
    RemoveEntry(t.folders, entry);
    for (HTREEITEM c = TreeView_GetChild(t.tree, t.foldersRoot); c != nullptr;
         c = TreeView_GetNextSibling(t.tree, c)) {
        TreeNode* node = NodeOf(c);
        if (node != nullptr && node->folder > static_cast<int32_t>(entry)) {
            --node->folder;
        } else if (node != nullptr && node->folder == static_cast<int32_t>(entry) && c != item) {
            node->folder = -1;
        }
    }
    if (item != nullptr) {
        TreeView_DeleteItem(t.tree, item);
    }
    if (t.foldersRoot != nullptr && TreeView_GetChild(t.tree, t.foldersRoot) == nullptr) {
        RemoveButton(t.foldersRoot);
    }
}

uint32_t TreeContextKind(HTREEITEM item) {
    const TreeNode* node = NodeOf(item);
    return node != nullptr ? node->kind : kKindVirtual;
}

uint32_t TreeNodeTypeOf(HTREEITEM item) {
    const TreeNode* node = NodeOf(item);
    return node != nullptr ? node->type : kNodeShell;
}

int32_t TreeRegisteredFolderOf(HTREEITEM item) {
    const TreeNode* node = NodeOf(item);
    return node != nullptr && node->type == kNodeRegistered ? node->folder : -1;
}

int TreeContextIsOpenedOrAbove(HTREEITEM item, HTREEITEM opened) {
    if (item == nullptr || opened == nullptr) {
        return 0;
    }
    if (item == opened) {
        return 1;
    }
    for (HTREEITEM p = TreeView_GetParent(Tree().tree, opened); p != nullptr;
         p = TreeView_GetParent(Tree().tree, p)) {
        if (p == item) {
            return 2;
        }
    }
    return 0;
}

bool TreeItemPath(HTREEITEM item, wchar_t* out) {
    const TreeNode* node = NodeOf(item);
    out[0] = 0;
    return node != nullptr && node->type != kNodeFolderRoot && IdPath(node->id, out);
}

const ITEMIDLIST* TreeItemIdOf(HTREEITEM item) {
    const TreeNode* node = NodeOf(item);
    return node != nullptr ? node->id : nullptr;
}

bool TreeExplore(HTREEITEM item) {
    const TreeNode* node = NodeOf(item);
    if (node == nullptr || node->type == kNodeFolderRoot || node->id == nullptr) {
        return false;
    }
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_IDLIST | SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"explore";
    info.lpIDList = node->id;
    info.nShow = SW_SHOW;
    return ShellExecuteExW(&info) != FALSE;
}
