// The folder tree's private state and the calls its files share. Only browser/
// includes this header.
//
// Threads: the user-interface thread owns the control, every node's fields but
// refs, and the state below except what the child-check thread reads: the
// check window, the cancel generation and (under rulesLock) the archive rules.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include "browser/archive_kind.h"
#include "browser/folder_tree.h"
#include "settings/settings.h"

// The record behind every tree item (the item's lParam), on the node heap. The
// item holds one reference; every queued child check holds one more, so an
// answer that comes back after the item was deleted still finds its node, sees
// it dead and is dropped, and never reaches an item made later at the same
// address.
struct TreeNode {
    uint32_t type = kNodeShell;
    uint32_t kind = kKindFolder;
    ITEMIDLIST* id = nullptr;  // absolute; owned (shell allocator)
    int32_t folder = -1;       // registered-folder entry for type 2
    HTREEITEM item = nullptr;
    volatile LONG refs = 1;
    bool dead = false;
};

// A child-check request on its way to the check thread (node heap). It owns
// its id clone and one reference to its node.
struct CheckRequest {
    uint32_t type = 0;
    uint32_t kind = 0;
    ITEMIDLIST* id = nullptr;
    bool addButton = false;
    uint32_t enumFlags = 0;   // the tree's hidden and archive flags when posted
    bool hasFolders = false;  // for the root: the registered list was not empty
    TreeNode* node = nullptr;
    LONG generation = 0;           // FolderTree::cancelGeneration when made
    CheckRequest* next = nullptr;  // the rest of a batch
};

constexpr uint32_t kHiddenFlag = 0x80;   // SHCONTF_INCLUDEHIDDEN
constexpr uint32_t kArchiveFlag = 0x40;  // SHCONTF_NONFOLDERS
// lParam the first request; a batch is chained through CheckRequest::next.
constexpr UINT kCheckMessage = WM_APP;
// lParam an event that the check thread sets once the requests before it ran.
constexpr UINT kBarrierMessage = WM_APP + 2;
// Posted by the check thread to the tree control: wParam 1 add the button, 0
// remove it; lParam the node.
constexpr UINT kCheckAnswerMessage = WM_APP + 1001;

struct FolderTree {
    HANDLE nodeHeap = nullptr;
    bool nodeHeapOwned = false;
    HANDLE thread = nullptr;
    HANDLE ready = nullptr;
    HWND checkWindow = nullptr;
    HWND tree = nullptr;
    // Raised by each cancel (user-interface thread); a request made under an
    // older value is released unanswered.
    volatile LONG cancelGeneration = 0;
    uint32_t hiddenFlag = 0;
    uint32_t archiveFlag = 0;
    SRWLOCK rulesLock = SRWLOCK_INIT;
    bool rarAvailable = false;
    TextList pluginExtensions;
    IShellFolder* desktop = nullptr;
    HTREEITEM desktopItem = nullptr;
    HTREEITEM foldersRoot = nullptr;
    TreeNode desktopNode;
    TreeNode rootNode;
    ULONG changeId = 0;
    TreeFolderList* folders = nullptr;
    volatile LONG droppedAnswers = 0;
    // Requests made while filling a folder go to the thread as one message.
    uint32_t batchDepth = 0;
    CheckRequest* batchFirst = nullptr;
    CheckRequest** batchTail = &batchFirst;
};

FolderTree& Tree();

// Node heap.
TreeNode* NewNode();
void ReleaseNode(TreeNode* node);
void* NodeHeapAlloc(size_t bytes);
void NodeHeapFree(void* p);

// Tree-control helpers.
TreeNode* NodeOf(HTREEITEM item);
UINT ItemState(HTREEITEM item);
bool HasButton(HTREEITEM item);
void SetButton(HTREEITEM item, bool on);
// Takes the button and the expanded and expanded-once states away.
void RemoveButton(HTREEITEM item);
void CollapseReset(HTREEITEM item);
// The item after item and its subtree in visible order.
HTREEITEM NextVisibleAfterSubtree(HTREEITEM item);

// Child checks (tree_check_win.cpp).
bool StartCheckThread();
void StopCheckThread();
void PostChildCheck(HTREEITEM item, bool addButton);
// Between these, child checks are collected and posted as one batch at the end.
void BeginCheckBatch();
void EndCheckBatch();
void CancelPendingChecks();
void ApplyCheckAnswer(WPARAM addButton, TreeNode* node);
uint32_t ArchiveKindLocked(const wchar_t* name);

// Filling (tree_fill_win.cpp).
constexpr SFGAOF kInsertAttributes =
    SFGAO_FILESYSTEM | SFGAO_FOLDER | SFGAO_STREAM | SFGAO_SHARE | SFGAO_GHOSTED | SFGAO_HIDDEN;
// An item to insert: its absolute id (TreeInsert takes ownership), and its parent
// folder with its relative id, which name it.
struct ItemSource {
    ITEMIDLIST* absId;
    IShellFolder* parent;
    const ITEMIDLIST* child;
};
HTREEITEM TreeInsert(HTREEITEM parent, const ItemSource& source, SFGAOF attributes, int32_t folder);
// Fills a never-expanded item; false when nothing was inserted (the button is
// then gone and the expansion should be refused).
bool TreeExpand(HTREEITEM item);
// Which children an enumeration inserts: all, or only the new ones a refresh of a
// switch adds, or only those not yet under the parent.
enum class EnumFilter { kAll, kHiddenOnly, kFilesOnly, kMissing };
// Enumerates the item's folder and inserts the children the filter passes, then
// sorts when any was inserted. Returns the number inserted; -1 when the folder
// cannot be enumerated.
int EnumerateChildren(HTREEITEM item, EnumFilter filter, const ITEMIDLIST* onlyId);
void SortChildren(HTREEITEM parent);
// Answers the control's request for an item's icons (TVN_GETDISPINFO).
void TreeItemIcons(NMTVDISPINFOW* info);
bool ChildWithId(HTREEITEM parent, const ITEMIDLIST* id);
// File-system path of an id into out (MAX_PATH); false when it has none.
bool IdPath(const ITEMIDLIST* id, wchar_t* out);
bool PathExistsW(const wchar_t* path);
bool IsDriveRoot(const wchar_t* path);

// Registered folders (tree_folders_win.cpp).
void ExpandFoldersRoot();
// Inserts every registered folder that exists; returns how many.
int InsertAllRegistered();
HTREEITEM InsertRegisteredFolder(uint32_t entry);
void SortFoldersRoot();

// Switches (tree_switches_win.cpp).
void TidyItem(HTREEITEM item);
void RefreshFrom(HTREEITEM item, EnumFilter filter);

// Change notifications (shell_change_win.cpp).
void RegisterShellChanges();
void DeregisterShellChanges();
