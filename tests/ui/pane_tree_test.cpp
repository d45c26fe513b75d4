// The folder tree hosted by the real browser pane: the pane forwards the tree's
// notifications, and the shell's change message passes the pane's hover subclass
// on to the tree's own.
#include <windows.h>

#include <commctrl.h>
#include <shlobj.h>

#include "browser/folder_tree.h"
#include "settings/settings.h"
#include "tests/ui/shell_fixture.h"
#include "ui/app_state.h"
#include "ui/pane.h"

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
