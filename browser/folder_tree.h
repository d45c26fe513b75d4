// The folder tree: a tree-view control over the shell namespace with two top-level
// items (the desktop and the registered-folders root), archive files as leaves
// when they are switched on, and a child-check thread that decides off the
// user-interface thread which unexpanded items get an expand button.
//
// Call order (user-interface thread):
//   TreeInit() at program start, before any window;
//   TreeSetFolders / TreeShowHidden / TreeShowFiles / TreeSetRarAvailable /
//   TreeSetPluginExtensions to hand the tree its inputs;
//   TreeCreate(tree, ...) once the control exists: it subclasses the control,
//   fills the top level and registers for shell change notifications;
//   the control's parent forwards its WM_NOTIFY to TreeNotify;
//   TreeDestroy() at program end (after the window is gone, or before).
// The tree reads and changes the registered-folder list it is given (the
// settings own it). Every TreeNode lives on the tree's own heap, which goes at
// TreeDestroy. Failures degrade: an item that cannot be made is not shown.
#pragma once

#include <windows.h>

#include <commctrl.h>
#include <shtypes.h>

#include <cstdint>

struct TextList;
struct TreeFolderList;

// The shell's change notifications reach the tree control as this message.
constexpr UINT kShellChangeMessage = 0x83E8;  // WM_APP + 1000

// Node types of the tree's records.
enum TreeNodeType : uint32_t {
    kNodeFolderRoot = 0,  // the registered-folders root
    kNodeDesktop = 1,
    kNodeRegistered = 2,  // a registered folder, child of the root
    kNodeShell = 3,       // any other shell item
};

// Creates the node heap, the ready event and the child-check thread. False when
// the heap cannot be made; a thread that fails to start only means that no item
// gets its button decided (the tree still works).
bool TreeInit();
// Fills the top level of the control and registers for change notifications.
// Waits for the child-check thread to be ready only when it was started. False
// when the desktop cannot be reached (the control is left empty).
bool TreeCreate(HWND tree, const wchar_t* rootTitle, bool expandDesktop, bool expandFolders);
// Stops everything TreeInit and TreeCreate started. Safe to call twice.
void TreeDestroy();

// Inputs. The folder list is borrowed for the tree's life.
void TreeSetFolders(TreeFolderList* folders);
void TreeSetRarAvailable(bool available);
// Replaces the plug-in archive extensions (".xyz" each) with a copy of list;
// with archive leaves shown, archive nodes are made again under the new rules.
void TreeSetPluginExtensions(const TextList* list);
void TreeShowHidden(bool on);
void TreeShowFiles(bool on);

// The parent's WM_NOTIFY from the tree control: item expanding, item deleted,
// the icons of an item about to be drawn.
// Returns what the parent's procedure should return.
LRESULT TreeNotify(const NMHDR* header);

// Small operations of the pane, on a given item (the context item).
// Registers the item's folder (or archive) path; false when nothing was added.
bool TreeRegisterFolder(HTREEITEM item);
void TreeUnregisterFolder(HTREEITEM item, uint32_t entry);
// Item kind of the item, or 1 (virtual) when there is none.
uint32_t TreeContextKind(HTREEITEM item);
uint32_t TreeNodeTypeOf(HTREEITEM item);
// Index of the registered-folder entry the item shows, or -1.
int32_t TreeRegisteredFolderOf(HTREEITEM item);
// 1 when item is opened, 2 when it is one of opened's ancestors, else 0.
int TreeContextIsOpenedOrAbove(HTREEITEM item, HTREEITEM opened);
// The item's file-system path into out (MAX_PATH); false when it has none.
bool TreeItemPath(HTREEITEM item, wchar_t* out);
// The item's absolute identifier, owned by the tree (valid while the item is).
const ITEMIDLIST* TreeItemIdOf(HTREEITEM item);
// The shell's "explore" verb on the item; false when the shell refused it.
bool TreeExplore(HTREEITEM item);
HTREEITEM TreeDesktopItem();
HTREEITEM TreeFoldersRoot();

// The change handler of the tree's subclass (message kShellChangeMessage).
void OnShellChange(WPARAM wParam, LPARAM lParam);

// Waits (pumping this thread's messages) until the child checks queued so far
// have run and their answers were applied; false after timeoutMs.
bool TreeWaitChecks(DWORD timeoutMs);

// For tests: answers of the child check that came back for items deleted
// meanwhile, and the check thread's handle.
uint32_t TreeDroppedAnswers();
HANDLE TreeCheckThread();
