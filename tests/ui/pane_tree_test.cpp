// The folder tree hosted by the real browser pane: the pane forwards the tree's
// notifications, and the shell's change message passes the pane's hover subclass
// on to the tree's own; unregistering the open folder leaves the book open.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include "browser/folder_tree.h"
#include "settings/settings.h"
#include "tests/support/book_builder.h"
#include "tests/ui/process_harness.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/pane.h"
#include "ui/pane_state.h"
#include "ui/reader.h"

namespace {

using PaneTreeTest = ShellTest;

std::vector<std::wstring> ChildTexts(HWND tree, HTREEITEM parent) {
    std::vector<std::wstring> names;
    for (HTREEITEM c = TreeView_GetChild(tree, parent); c != nullptr; c = TreeView_GetNextSibling(tree, c)) {
        wchar_t buf[MAX_PATH] = L"";
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = c;
        tv.pszText = buf;
        tv.cchTextMax = MAX_PATH;
        TreeView_GetItem(tree, &tv);
        names.emplace_back(buf);
    }
    return names;
}

TEST_F(PaneTreeTest, TreeInThePaneExpandsAndFollowsChanges) {
    ASSERT_NE(gApp.pane, nullptr);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = std::wstring(temp) + L"pwpanetree" + std::to_wstring(GetCurrentProcessId());
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    wchar_t full[MAX_PATH];
    GetLongPathNameW(base.c_str(), full, MAX_PATH);
    base = full;
    ASSERT_TRUE(CreateDirectoryW((base + L"\\a").c_str(), nullptr));
    TreeFolderList folders;
    ASSERT_TRUE(folders.Append(reinterpret_cast<const char16_t*>(base.c_str()),
                               static_cast<uint32_t>(base.size()), 1));

    // The pane's own tree is built again over the test's registered folder.
    HWND tree = gApp.folderTree;
    ASSERT_NE(tree, nullptr);
    TreeDestroy();
    ASSERT_TRUE(TreeInit());
    TreeSetFolders(&folders);
    ASSERT_TRUE(TreeCreate(tree, L"Folders", false, true));
    ASSERT_TRUE(TreeWaitChecks(10000));
    // The registered folder's expand byte expanded it through the pane.
    HTREEITEM item = TreeView_GetChild(tree, TreeFoldersRoot());
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(ChildTexts(tree, item), std::vector<std::wstring>{L"a"});
    ASSERT_TRUE(CreateDirectoryW((base + L"\\b").c_str(), nullptr));
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW | SHCNF_FLUSH, (base + L"\\b").c_str(), nullptr);
    ASSERT_TRUE(TreeWaitChecks(10000));
    EXPECT_EQ(ChildTexts(tree, item), (std::vector<std::wstring>{L"a", L"b"}));

    TreeDestroy();
    TreeSetFolders(&gSettings.treeFolders);
    ASSERT_TRUE(TreeInit());
    RemoveDirectoryW((base + L"\\b").c_str());
    RemoveDirectoryW((base + L"\\a").c_str());
    RemoveDirectoryW(base.c_str());
}

}  // namespace

namespace {

TEST_F(PaneTreeTest, UnregisteringTheOpenFolderClearsTheSelectionAndKeepsTheBook) {
    ScratchFolder scratch;
    const std::wstring base = scratch.path();
    PageSpec page;
    page.name = "p1.bmp";
    ASSERT_TRUE(WriteFolderBook(base, {page}));
    TreeFolderList folders;
    ASSERT_TRUE(folders.Append(reinterpret_cast<const char16_t*>(base.c_str()),
                               static_cast<uint32_t>(base.size()), 0));
    HWND tree = gApp.folderTree;
    ASSERT_NE(tree, nullptr);
    ShowWindow(gApp.pane, SW_SHOW);
    ShowWindow(tree, SW_SHOW);
    TreeDestroy();
    ASSERT_TRUE(TreeInit());
    TreeSetFolders(&folders);
    ASSERT_TRUE(TreeCreate(tree, L"Folders", false, true));
    HTREEITEM item = TreeView_GetChild(tree, TreeFoldersRoot());
    ASSERT_NE(item, nullptr);

    // The registered folder chosen by keyboard, down from its root, opens as the book.
    gPane.programSelecting = true;
    TreeView_SelectItem(tree, TreeFoldersRoot());
    gPane.programSelecting = false;
    ASSERT_EQ(gBook.pageCount, 0);
    SendMessageW(tree, WM_KEYDOWN, VK_DOWN, 0);
    SendMessageW(tree, WM_KEYUP, VK_DOWN, 0);
    PumpMessages();
    ASSERT_EQ(TreeView_GetSelection(tree), item);
    ASSERT_EQ(gBook.pageCount, 1);

    gPane.contextItem = item;
    SendMessageW(gApp.pane, WM_COMMAND, 7011, 0);
    PumpMessages();
    EXPECT_EQ(folders.count, 0u);
    EXPECT_EQ(TreeView_GetSelection(tree), nullptr);
    EXPECT_EQ(gPane.openedItem, nullptr);
    EXPECT_TRUE(gBook.book.isOpen);
    EXPECT_EQ(gBook.pageCount, 1);

    TreeDestroy();
    TreeSetFolders(&gSettings.treeFolders);
    ASSERT_TRUE(TreeInit());
}

}  // namespace
