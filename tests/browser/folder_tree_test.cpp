// The folder tree against real folders: which items get a button, the registered
// folders, the two switches, the shell's change notifications (delivered under
// Wine only for SHChangeNotify calls, which the tests make after each change)
// and the dropping of child-check answers for deleted items.
#include <windows.h>

#include <shlobj.h>

#include "browser/archive_kind.h"
#include "browser/folder_tree.h"
#include "tests/browser/tree_fixture.h"

namespace {

using Names = std::vector<std::wstring>;

TEST(ArchiveKindTest, ByExtensionAndRules) {
    TextList plugins;
    ASSERT_TRUE(plugins.Append(u".xyz", 4));
    struct Case {
        const char* label;
        const char16_t* name;
        bool rar;
        uint32_t kind;
    };
    static const Case kCases[] = {
        {"zip", u"C:\\a\\b.zip", false, kKindZip},
        {"zip upper case", u"B.ZIP", false, kKindZip},
        {"rar without library", u"b.rar", false, 0},
        {"rar with library", u"b.RaR", true, kKindRar},
        {"plug-in extension", u"b.XYZ", false, kKindPlugin},
        {"cbz is not a tree archive", u"b.cbz", true, 0},
        {"cbr is not a tree archive", u"b.cbr", true, 0},
        {"dot in folder only", u"c:\\x.zip\\b", false, 0},
        {"no extension", u"zip", false, 0},
        {"longer extension", u"b.zipx", false, 0},
    };
    for (const Case& c : kCases) {
        ArchiveKindRules rules{c.rar, &plugins};
        uint32_t n = 0;
        while (c.name[n] != 0) {
            ++n;
        }
        EXPECT_EQ(ArchiveKindOfFile(c.name, n, rules), c.kind) << c.label;
    }
}

class FolderTreeTest : public TreeTest {
  protected:
    HTREEITEM Item(HTREEITEM parent, const std::wstring& name) const {
        for (const std::wstring& text : Children(parent)) {
            if (text == name || text.rfind(name + L".", 0) == 0) {
                return Child(parent, text);
            }
        }
        return nullptr;
    }
    void Notify(LONG event, const std::wstring& a, const std::wstring& b = L"") {
        SHChangeNotify(event, SHCNF_PATHW | SHCNF_FLUSH, a.c_str(), b.empty() ? nullptr : b.c_str());
        Settle();
    }
};

TEST_F(FolderTreeTest, ButtonsFollowWhatAFolderHolds) {
    Make(L"txt\\");
    Make(L"txt\\a.txt");
    Make(L"txt\\b.txt");
    Make(L"zip\\");
    Make(L"zip\\one.zip");
    Make(L"sub\\");
    Make(L"sub\\inner\\");
    Make(L"empty\\");
    Make(L"rar\\");
    Make(L"rar\\x.rar");
    Make(L"plug\\");
    Make(L"plug\\x.xyz");
    struct Case {
        const wchar_t* folder;
        bool withoutArchives;
        bool withArchives;
    };
    static const Case kCases[] = {
        {L"txt", false, false},   {L"zip", false, true},  {L"sub", true, true},
        {L"empty", false, false}, {L"rar", false, false}, {L"plug", false, true},
    };
    TextList plugins;
    ASSERT_TRUE(plugins.Append(u".xyz", 4));
    for (bool archives : {false, true}) {
        MakeTree(archives);
        TreeSetPluginExtensions(&plugins);
        ASSERT_TRUE(Button(BaseItem()));
        Expand(BaseItem());
        ASSERT_EQ(Children(BaseItem()).size(), 6u);
        for (const Case& c : kCases) {
            HTREEITEM item = Item(BaseItem(), c.folder);
            ASSERT_NE(item, nullptr) << Narrow(c.folder);
            EXPECT_EQ(Button(item), archives ? c.withArchives : c.withoutArchives)
                << Narrow(c.folder) << (archives ? " with" : " without") << " archive leaves";
        }
        DestroyWindow(parent_);
        parent_ = nullptr;
        TreeDestroy();
    }
}

TEST_F(FolderTreeTest, ArchiveLeavesComeAndGoWithTheSwitch) {
    Make(L"a\\");
    Make(L"one.zip");
    Make(L"note.txt");
    MakeTree(true);
    Expand(BaseItem());
    EXPECT_EQ(Children(BaseItem()).size(), 2u);
    // A registered archive is a registered folder and stays when leaves go.
    ASSERT_TRUE(TreeRegisterFolder(Item(BaseItem(), L"one")));
    ASSERT_EQ(folders_.count, 2u);
    TreeShowFiles(false);
    Settle();
    EXPECT_EQ(Children(BaseItem()), Names{L"a"});
    EXPECT_EQ(Children(TreeFoldersRoot()).size(), 2u);
    TreeShowFiles(true);
    Settle();
    EXPECT_EQ(Children(BaseItem()).size(), 2u);
    // A new plug-in extension list rebuilds the archive leaves under its rules.
    Make(L"comic.xyz");
    TextList plugins;
    ASSERT_TRUE(plugins.Append(u".XYZ", 4));
    TreeSetPluginExtensions(&plugins);
    Settle();
    EXPECT_EQ(Children(BaseItem()).size(), 3u);
    TreeSetPluginExtensions(nullptr);
    Settle();
    EXPECT_EQ(Children(BaseItem()).size(), 2u);
}

TEST_F(FolderTreeTest, RegisteredFoldersKeepOneEntryPerPathAndTheRootLosesItsButton) {
    Make(L"sub\\");
    Make(L"sub\\x\\");
    // The same folder already listed in other letter case.
    std::wstring upper = Path(L"SUB");
    ASSERT_TRUE(folders_.Append(reinterpret_cast<const char16_t*>(upper.c_str()),
                                static_cast<uint32_t>(upper.size()), 0));
    MakeTree(false);
    HTREEITEM root = TreeFoldersRoot();
    ASSERT_EQ(Children(root).size(), 2u);
    Expand(BaseItem());
    EXPECT_FALSE(TreeRegisterFolder(Item(BaseItem(), L"sub")));
    EXPECT_EQ(folders_.count, 2u);
    // Registered folders sort by name; unregister both, last one last.
    for (uint32_t left = 2; left > 0; --left) {
        HTREEITEM first = TreeView_GetChild(tree_, root);
        const int32_t entry = TreeRegisteredFolderOf(first);
        ASSERT_GE(entry, 0);
        TreeUnregisterFolder(first, static_cast<uint32_t>(entry));
        EXPECT_EQ(folders_.count, left - 1);
    }
    EXPECT_EQ(TreeView_GetChild(tree_, root), nullptr);
    EXPECT_FALSE(Button(root));
}

TEST_F(FolderTreeTest, HiddenFoldersGoAtEveryExpandedLevel) {
    Make(L"h1\\", FILE_ATTRIBUTE_HIDDEN);
    Make(L"v\\");
    Make(L"v\\h2\\", FILE_ATTRIBUTE_HIDDEN);
    Make(L"v\\ok\\");
    Make(L"only\\");
    Make(L"only\\h3\\", FILE_ATTRIBUTE_HIDDEN);
    MakeTree(false, true);
    Expand(BaseItem());
    ASSERT_EQ(Children(BaseItem()), (Names{L"h1", L"only", L"v"}));
    Expand(Item(BaseItem(), L"v"));
    Expand(Item(BaseItem(), L"only"));
    ASSERT_EQ(Children(Item(BaseItem(), L"v")), (Names{L"h2", L"ok"}));
    TreeShowHidden(false);
    Settle();
    EXPECT_EQ(Children(BaseItem()), (Names{L"only", L"v"}));
    EXPECT_EQ(Children(Item(BaseItem(), L"v")), Names{L"ok"});
    // A folder left without children loses its button.
    EXPECT_FALSE(Button(Item(BaseItem(), L"only")));
    TreeShowHidden(true);
    Settle();
    EXPECT_EQ(Children(BaseItem()), (Names{L"h1", L"only", L"v"}));
}

TEST_F(FolderTreeTest, ChangesAddRemoveAndResort) {
    Make(L"a\\");
    Make(L"c\\");
    Make(L"only\\");
    Make(L"only\\one\\");
    Make(L"bare\\");
    MakeTree(false);
    Expand(BaseItem());
    Expand(Item(BaseItem(), L"only"));
    EXPECT_FALSE(Button(Item(BaseItem(), L"bare")));

    struct Step {
        const char* label;
        LONG event;
        const wchar_t* from;
        const wchar_t* to;
        Names expect;
    };
    const Step kSteps[] = {
        {"created folder in sorted place", SHCNE_MKDIR, L"b", nullptr, {L"a", L"b", L"bare", L"c", L"only"}},
        {"rename re-sorts", SHCNE_RENAMEFOLDER, L"a", L"d", {L"b", L"bare", L"c", L"d", L"only"}},
        {"removed folder", SHCNE_RMDIR, L"c", nullptr, {L"b", L"bare", L"d", L"only"}},
    };
    for (const Step& s : kSteps) {
        if (s.event == SHCNE_MKDIR) {
            Make(std::wstring(s.from) + L"\\");
            Notify(s.event, Path(s.from));
        } else if (s.event == SHCNE_RENAMEFOLDER) {
            ASSERT_TRUE(MoveFileW(Path(s.from).c_str(), Path(s.to).c_str()));
            Notify(s.event, Path(s.from), Path(s.to));
        } else {
            ASSERT_TRUE(RemoveDirectoryW(Path(s.from).c_str()));
            Notify(s.event, Path(s.from));
        }
        EXPECT_EQ(Children(BaseItem()), s.expect) << s.label;
    }
    // The last subfolder of an expanded folder goes, and the button with it.
    ASSERT_TRUE(RemoveDirectoryW(Path(L"only\\one").c_str()));
    Notify(SHCNE_RMDIR, Path(L"only\\one"));
    EXPECT_TRUE(Children(Item(BaseItem(), L"only")).empty());
    EXPECT_FALSE(Button(Item(BaseItem(), L"only")));
    // A folder made inside one without a button gives it one.
    Make(L"bare\\new\\");
    Notify(SHCNE_MKDIR, Path(L"bare\\new"));
    EXPECT_TRUE(Button(Item(BaseItem(), L"bare")));
    // Gone before anyone said so: the expansion finds nothing and the button goes.
    ASSERT_TRUE(RemoveDirectoryW(Path(L"bare\\new").c_str()));
    ASSERT_TRUE(RemoveDirectoryW(Path(L"bare").c_str()));
    Expand(Item(BaseItem(), L"bare"));
    EXPECT_TRUE(Children(Item(BaseItem(), L"bare")).empty());
    EXPECT_FALSE(Button(Item(BaseItem(), L"bare")));
}

TEST_F(FolderTreeTest, ArchiveFilesFollowChangesOnlyWithLeavesShown) {
    Make(L"a\\");
    for (bool archives : {false, true}) {
        MakeTree(archives);
        Expand(BaseItem());
        Make(L"new.zip");
        Notify(SHCNE_CREATE, Path(L"new.zip"));
        EXPECT_EQ(Children(BaseItem()).size(), archives ? 2u : 1u) << archives;
        DeleteFileW(Path(L"new.zip").c_str());
        Notify(SHCNE_DELETE, Path(L"new.zip"));
        EXPECT_EQ(Children(BaseItem()).size(), 1u) << archives;
        DestroyWindow(parent_);
        parent_ = nullptr;
        TreeDestroy();
    }
}

TEST_F(FolderTreeTest, AnswerForADeletedItemIsDropped) {
    Make(L"x\\");
    Make(L"x\\sub\\");
    Make(L"x\\sub\\inner\\");
    Make(L"x\\txt\\");
    MakeTree(false);
    Expand(BaseItem());
    HTREEITEM x = Item(BaseItem(), L"x");
    const uint32_t dropped = TreeDroppedAnswers();
    // Hold the check thread while the requests queue and their items go.
    ASSERT_NE(SuspendThread(TreeCheckThread()), static_cast<DWORD>(-1));
    TreeView_Expand(tree_, x, TVE_EXPAND);
    HTREEITEM sub = Item(x, L"sub");
    ASSERT_NE(sub, nullptr);
    TreeView_DeleteItem(tree_, sub);
    // A new item in the same place; the stale answer must not reach it.
    Make(L"x\\late\\");
    SHChangeNotify(SHCNE_MKDIR, SHCNF_PATHW | SHCNF_FLUSH, Path(L"x\\late").c_str(), nullptr);
    ResumeThread(TreeCheckThread());
    Settle();
    EXPECT_EQ(TreeDroppedAnswers(), dropped + 1);
    EXPECT_FALSE(Button(Item(x, L"late")));
    EXPECT_FALSE(Button(Item(x, L"txt")));
}

TEST_F(FolderTreeTest, UnreachableFolderGetsAButtonUntilExpanded) {
    Make(L"gone\\");
    MakeTree(false);
    // The folder vanishes between its insertion and its check, as a network
    // path that stops answering would.
    ASSERT_NE(SuspendThread(TreeCheckThread()), static_cast<DWORD>(-1));
    TreeView_Expand(tree_, BaseItem(), TVE_EXPAND);
    ASSERT_TRUE(RemoveDirectoryW(Path(L"gone").c_str()));
    ResumeThread(TreeCheckThread());
    Settle();
    HTREEITEM gone = Item(BaseItem(), L"gone");
    ASSERT_NE(gone, nullptr);
    EXPECT_TRUE(Button(gone));
    Expand(gone);
    EXPECT_FALSE(Button(gone));
    EXPECT_TRUE(Children(gone).empty());
}

TEST_F(FolderTreeTest, InsertedItemsTakeTheirKindAndTypeFromTheRules) {
    Make(L"dir\\");
    Make(L"one.zip");
    Make(L"two.rar");
    Make(L"three.xyz");
    Make(L"note.txt");
    TextList plugins;
    ASSERT_TRUE(plugins.Append(u".xyz", 4));
    MakeTree(true);
    TreeSetRarAvailable(true);
    TreeSetPluginExtensions(&plugins);
    Expand(BaseItem());
    struct Case {
        const wchar_t* name;
        uint32_t kind;
    };
    static const Case kCases[] = {
        {L"dir", kKindFolder}, {L"one", kKindZip}, {L"two", kKindRar}, {L"three", kKindPlugin}};
    EXPECT_EQ(Children(BaseItem()).size(), 4u) << "the text file is not shown";
    for (const Case& c : kCases) {
        HTREEITEM item = Item(BaseItem(), c.name);
        ASSERT_NE(item, nullptr) << Narrow(c.name);
        EXPECT_EQ(TreeContextKind(item), c.kind) << Narrow(c.name);
        EXPECT_EQ(TreeNodeTypeOf(item), static_cast<uint32_t>(kNodeShell)) << Narrow(c.name);
        EXPECT_EQ(TreeRegisteredFolderOf(item), -1) << Narrow(c.name);
    }
    EXPECT_EQ(TreeNodeTypeOf(TreeDesktopItem()), static_cast<uint32_t>(kNodeDesktop));
    EXPECT_EQ(TreeNodeTypeOf(TreeFoldersRoot()), static_cast<uint32_t>(kNodeFolderRoot));
    EXPECT_EQ(TreeContextKind(TreeFoldersRoot()), static_cast<uint32_t>(kKindVirtual));
    EXPECT_EQ(TreeRegisteredFolderOf(BaseItem()), 0);
    // A registered folder is not registered again; the opened item and its
    // ancestors answer 1 and 2.
    EXPECT_FALSE(TreeRegisterFolder(BaseItem()));
    HTREEITEM dir = Item(BaseItem(), L"dir");
    EXPECT_EQ(TreeContextIsOpenedOrAbove(dir, dir), 1);
    EXPECT_EQ(TreeContextIsOpenedOrAbove(BaseItem(), dir), 2);
    EXPECT_EQ(TreeContextIsOpenedOrAbove(dir, BaseItem()), 0);
    wchar_t path[MAX_PATH];
    ASSERT_TRUE(TreeItemPath(dir, path));
    EXPECT_EQ(std::wstring(path), Path(L"dir"));
    EXPECT_FALSE(TreeItemPath(TreeFoldersRoot(), path));
}

}  // namespace
