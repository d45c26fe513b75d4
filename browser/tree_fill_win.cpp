// Filling the folder tree: inserting an item by the attribute rules, expanding
// an item by enumerating its folder, and sorting children.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <new>

#include "browser/tree_state.h"
#include "platform/owners_win.h"

namespace {

struct InsertPlan {
    bool shown = false;
    bool mayHaveChildren = false;
    uint32_t kind = kKindFolder;
};

InsertPlan PlanInsert(const ITEMIDLIST* id, SFGAOF attributes) {
    InsertPlan plan;
    const bool fileSystem = (attributes & SFGAO_FILESYSTEM) != 0;
    const bool folder = (attributes & SFGAO_FOLDER) != 0;
    const bool stream = (attributes & SFGAO_STREAM) != 0;
    if (!fileSystem) {
        plan.shown = folder;
        plan.mayHaveChildren = folder;
        plan.kind = kKindVirtual;
        return plan;
    }
    if (!folder || stream) {
        wchar_t path[MAX_PATH];
        if (!IdPath(id, path)) {
            return plan;
        }
        const uint32_t kind = ArchiveKindLocked(path);
        // A folder the shell reads as a stream counts only as a ZIP archive.
        plan.kind = kind;
        plan.shown = folder ? kind == kKindZip : kind != 0;
        return plan;
    }
    plan.shown = true;
    plan.mayHaveChildren = true;
    return plan;
}

// Siblings compare as the desktop compares their absolute ids, which comes down
// to their parent folder comparing their last elements (column 0); asking the
// parent directly spares a bind per comparison.
int CALLBACK CompareById(LPARAM a, LPARAM b, LPARAM folder) {
    const auto* na = reinterpret_cast<const TreeNode*>(a);
    const auto* nb = reinterpret_cast<const TreeNode*>(b);
    auto* parent = reinterpret_cast<IShellFolder*>(folder);
    if (na == nullptr || nb == nullptr || na->id == nullptr || nb->id == nullptr) {
        return 0;
    }
    const HRESULT hr = parent->CompareIDs(0, ILFindLastID(na->id), ILFindLastID(nb->id));
    return static_cast<short>(HRESULT_CODE(hr));
}

IShellFolder* BindFolder(const TreeNode* node) {
    IShellFolder* desktop = Tree().desktop;
    if (desktop == nullptr) {
        return nullptr;
    }
    if (node->type == kNodeDesktop) {
        desktop->AddRef();
        return desktop;
    }
    IShellFolder* folder = nullptr;
    if (node->id == nullptr || FAILED(desktop->BindToObject(node->id, nullptr, IID_IShellFolder,
                                                            reinterpret_cast<void**>(&folder)))) {
        return nullptr;
    }
    return folder;
}

bool Passes(EnumFilter filter, HTREEITEM parent, const ITEMIDLIST* absId, SFGAOF attributes) {
    switch (filter) {
        case EnumFilter::kHiddenOnly:
            return (attributes & SFGAO_HIDDEN) != 0;
        case EnumFilter::kFilesOnly:
            return (attributes & SFGAO_FOLDER) == 0 || (attributes & SFGAO_STREAM) != 0;
        case EnumFilter::kMissing:
            return !ChildWithId(parent, absId);
        default:
            return true;
    }
}

}  // namespace

void TreeItemIcons(NMTVDISPINFOW* info) {
    const auto* node = reinterpret_cast<const TreeNode*>(info->item.lParam);
    if (node == nullptr || node->id == nullptr ||
        (info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)) == 0) {
        return;
    }
    const UINT small = SHGFI_PIDL | SHGFI_SYSICONINDEX | SHGFI_SMALLICON;
    SHFILEINFOW file{};
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(node->id), 0, &file, sizeof file, small);
    info->item.iImage = file.iIcon;
    SHGetFileInfoW(reinterpret_cast<LPCWSTR>(node->id), 0, &file, sizeof file, small | SHGFI_OPENICON);
    info->item.iSelectedImage = file.iIcon;
    // Kept by the control: the shell is asked once per item.
    info->item.mask |= TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_DI_SETITEM;
}

bool IdPath(const ITEMIDLIST* id, wchar_t* out) {
    out[0] = 0;
    return id != nullptr && SHGetPathFromIDListW(id, out) && out[0] != 0;
}

bool PathExistsW(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

bool IsDriveRoot(const wchar_t* path) {
    return path[0] != 0 && path[1] == L':' && path[2] == L'\\' && path[3] == 0;
}

HTREEITEM TreeInsert(HTREEITEM parent, const ItemSource& source, SFGAOF attributes, int32_t folder) {
    ITEMIDLIST* absId = source.absId;
    PidlOwner id(absId);
    const InsertPlan plan = PlanInsert(absId, attributes);
    if (!plan.shown) {
        return nullptr;
    }
    TreeNode* node = NewNode();
    if (node == nullptr) {
        return nullptr;
    }
    node->type = folder >= 0 ? kNodeRegistered : kNodeShell;
    node->kind = plan.kind;
    node->folder = folder;
    node->id = id.release();

    // Icons are asked for when the control first draws the item (TreeItemIcons):
    // asking the shell for thousands of them at once would hold the thread.
    wchar_t name[MAX_PATH] = L"";
    STRRET ret{};
    if (FAILED(source.parent->GetDisplayNameOf(source.child, SHGDN_INFOLDER, &ret)) ||
        FAILED(StrRetToBufW(&ret, source.child, name, MAX_PATH))) {
        name[0] = 0;
    }

    TVINSERTSTRUCTW ins{};
    ins.hParent = parent;
    ins.hInsertAfter = TVI_LAST;
    ins.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM | TVIF_STATE;
    ins.item.pszText = name;
    ins.item.iImage = I_IMAGECALLBACK;
    ins.item.iSelectedImage = I_IMAGECALLBACK;
    ins.item.lParam = reinterpret_cast<LPARAM>(node);
    if ((attributes & SFGAO_SHARE) != 0) {
        ins.item.state |= INDEXTOOVERLAYMASK(1);
        ins.item.stateMask |= TVIS_OVERLAYMASK;
    }
    if ((attributes & SFGAO_GHOSTED) != 0) {
        ins.item.state |= TVIS_CUT;
        ins.item.stateMask |= TVIS_CUT;
    }
    auto item = reinterpret_cast<HTREEITEM>(
        SendMessageW(Tree().tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&ins)));
    if (item == nullptr) {
        CoTaskMemFree(node->id);
        NodeHeapFree(node);
        return nullptr;
    }
    node->item = item;
    if (plan.mayHaveChildren) {
        PostChildCheck(item, true);
    }
    return item;
}

int EnumerateChildren(HTREEITEM item, EnumFilter filter, const ITEMIDLIST* onlyId) {
    TreeNode* node = NodeOf(item);
    if (node == nullptr) {
        return -1;
    }
    IShellFolder* folder = BindFolder(node);
    if (folder == nullptr) {
        return -1;
    }
    FolderTree& t = Tree();
    int inserted = 0;
    IEnumIDList* list = nullptr;
    // The control recomputes its layout at each insertion unless told to wait.
    SendMessageW(t.tree, WM_SETREDRAW, FALSE, 0);
    BeginCheckBatch();
    const SHCONTF flags = SHCONTF_FOLDERS | t.hiddenFlag | t.archiveFlag;
    if (folder->EnumObjects(t.tree, flags, &list) == S_OK && list != nullptr) {
        ITEMIDLIST* child = nullptr;
        while (list->Next(1, &child, nullptr) == S_OK) {
            PidlOwner owned(child);
            PidlOwner absId(ILCombine(node->id, child));
            if (!absId.valid() || (onlyId != nullptr && !ILIsEqual(absId.get(), onlyId))) {
                continue;
            }
            SFGAOF attributes = kInsertAttributes;
            const ITEMIDLIST* one = child;
            if (FAILED(folder->GetAttributesOf(1, &one, &attributes)) ||
                !Passes(filter, item, absId.get(), attributes)) {
                continue;
            }
            if (TreeInsert(item, ItemSource{absId.release(), folder, child}, attributes, -1) != nullptr) {
                ++inserted;
            }
        }
        list->Release();
    } else {
        inserted = -1;
    }
    folder->Release();
    if (inserted > 0) {
        SortChildren(item);
    }
    EndCheckBatch();
    SendMessageW(t.tree, WM_SETREDRAW, TRUE, 0);
    if (inserted > 0) {
        InvalidateRect(t.tree, nullptr, FALSE);
    }
    return inserted;
}

void SortChildren(HTREEITEM parent) {
    if (parent == Tree().foldersRoot) {
        SortFoldersRoot();
        return;
    }
    const TreeNode* node = NodeOf(parent);
    IShellFolder* folder = node != nullptr ? BindFolder(node) : nullptr;
    if (folder == nullptr) {
        return;
    }
    TVSORTCB sort{parent, CompareById, reinterpret_cast<LPARAM>(folder)};
    SendMessageW(Tree().tree, TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
    folder->Release();
}

bool ChildWithId(HTREEITEM parent, const ITEMIDLIST* id) {
    HWND tree = Tree().tree;
    for (HTREEITEM c = TreeView_GetChild(tree, parent); c != nullptr; c = TreeView_GetNextSibling(tree, c)) {
        const TreeNode* node = NodeOf(c);
        if (node != nullptr && node->id != nullptr && ILIsEqual(node->id, id)) {
            return true;
        }
    }
    return false;
}

bool TreeExpand(HTREEITEM item) {
    if ((ItemState(item) & TVIS_EXPANDEDONCE) != 0) {
        return true;
    }
    const TreeNode* node = NodeOf(item);
    if (node == nullptr) {
        return false;
    }
    int inserted = 0;
    if (node->type == kNodeFolderRoot) {
        inserted = InsertAllRegistered();
    } else {
        wchar_t path[MAX_PATH];
        if (node->kind == kKindVirtual || node->type == kNodeDesktop ||
            (IdPath(node->id, path) && PathExistsW(path))) {
            inserted = EnumerateChildren(item, EnumFilter::kAll, nullptr);
        }
    }
    if (inserted > 0) {
        return true;
    }
    // Nothing to show (a folder deleted meanwhile, or one of files only): the
    // button goes, and the expansion is refused.
    RemoveButton(item);
    return false;
}
