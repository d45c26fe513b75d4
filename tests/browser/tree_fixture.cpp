#include "tests/browser/tree_fixture.h"

#include <objbase.h>
#include <shellapi.h>

#include "browser/folder_tree.h"

namespace {

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NOTIFY) {
        return TreeNotify(reinterpret_cast<const NMHDR*>(lParam));
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void RemoveTree(const std::wstring& path) {
    std::wstring from = path + L'\0';
    SHFILEOPSTRUCTW op{};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_NOCONFIRMATION | FOF_NOERRORUI | FOF_SILENT;
    SHFileOperationW(&op);
}

}  // namespace

std::string Narrow(const std::wstring& s) {
    return std::string(s.begin(), s.end());
}

void TreeTest::SetUp() {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    static int serial = 0;
    base_ = std::wstring(temp) + L"pwtree" + std::to_wstring(GetCurrentProcessId()) + L"_" +
            std::to_wstring(++serial);
    RemoveTree(base_);
    ASSERT_TRUE(CreateDirectoryW(base_.c_str(), nullptr));
    // The shell hands back the long, canonical form of the path.
    wchar_t full[MAX_PATH];
    GetLongPathNameW(base_.c_str(), full, MAX_PATH);
    base_ = full;
    ASSERT_TRUE(folders_.Append(reinterpret_cast<const char16_t*>(base_.c_str()),
                                static_cast<uint32_t>(base_.size()), 0));
}

void TreeTest::TearDown() {
    if (parent_ != nullptr) {
        DestroyWindow(parent_);
    }
    TreeDestroy();
    RemoveTree(base_);
}

void TreeTest::MakeTree(bool archives, bool hidden) {
    ASSERT_TRUE(TreeInit());
    WNDCLASSW wc{};
    wc.lpfnWndProc = ParentProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"pw_tree_test_parent";
    RegisterClassW(&wc);
    parent_ = CreateWindowExW(0, wc.lpszClassName, L"tree", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 500,
                              nullptr, nullptr, wc.hInstance, nullptr);
    ASSERT_NE(parent_, nullptr);
    tree_ = CreateWindowExW(
        WS_EX_CLIENTEDGE, WC_TREEVIEWW, nullptr,
        WS_CHILD | WS_VISIBLE | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT | TVS_SHOWSELALWAYS, 0, 0,
        280, 460, parent_, reinterpret_cast<HMENU>(1032), wc.hInstance, nullptr);
    ASSERT_NE(tree_, nullptr);
    TreeSetFolders(&folders_);
    TreeSetRarAvailable(false);
    TreeSetPluginExtensions(nullptr);
    TreeShowFiles(archives);
    TreeShowHidden(hidden);
    ASSERT_TRUE(TreeCreate(tree_, L"Folders", false, true));
    Settle();
}

std::wstring TreeTest::Make(const std::wstring& relative, DWORD attributes) {
    std::wstring path = Path(relative);
    if (!path.empty() && path.back() == L'\\') {
        path.pop_back();
        EXPECT_TRUE(CreateDirectoryW(path.c_str(), nullptr)) << Narrow(path);
    } else {
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE) << Narrow(path);
        CloseHandle(h);
    }
    if (attributes != 0) {
        SetFileAttributesW(path.c_str(), attributes);
    }
    return path;
}

HTREEITEM TreeTest::BaseItem() const {
    return TreeView_GetChild(tree_, TreeFoldersRoot());
}

HTREEITEM TreeTest::Child(HTREEITEM parent, const std::wstring& text) const {
    for (HTREEITEM c = TreeView_GetChild(tree_, parent); c != nullptr;
         c = TreeView_GetNextSibling(tree_, c)) {
        wchar_t buf[MAX_PATH] = L"";
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = c;
        tv.pszText = buf;
        tv.cchTextMax = MAX_PATH;
        TreeView_GetItem(tree_, &tv);
        if (text == buf) {
            return c;
        }
    }
    return nullptr;
}

std::vector<std::wstring> TreeTest::Children(HTREEITEM parent) const {
    std::vector<std::wstring> names;
    for (HTREEITEM c = TreeView_GetChild(tree_, parent); c != nullptr;
         c = TreeView_GetNextSibling(tree_, c)) {
        wchar_t buf[MAX_PATH] = L"";
        TVITEMW tv{};
        tv.mask = TVIF_TEXT | TVIF_HANDLE;
        tv.hItem = c;
        tv.pszText = buf;
        tv.cchTextMax = MAX_PATH;
        TreeView_GetItem(tree_, &tv);
        names.emplace_back(buf);
    }
    return names;
}

bool TreeTest::Button(HTREEITEM item) const {
    TVITEMW tv{};
    tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = item;
    return TreeView_GetItem(tree_, &tv) && tv.cChildren != 0;
}

void TreeTest::Expand(HTREEITEM item) const {
    TreeView_Expand(tree_, item, TVE_EXPAND);
    Settle();
}

void TreeTest::Settle() const {
    ASSERT_TRUE(TreeWaitChecks(10000));
}
