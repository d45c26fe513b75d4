// Windows only: shell-folder books through the shell's folder interface, the
// recycle-bin identifier, and folder listing where the file system keeps 8.3
// aliases (a ".jpe" alias must not make a ".jpeg" file a second page).
#include <shlobj.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dir.h"
#include "tests/support/book_fixture.h"

namespace {

struct Com {
    Com() { ok = SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)); }
    ~Com() {
        if (ok) {
            CoUninitialize();
        }
    }
    bool ok;
};

ShellItemId* ParseName(const std::u16string& path) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(
            SHParseDisplayName(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr, &pidl, 0, nullptr))) {
        return nullptr;
    }
    return reinterpret_cast<ShellItemId*>(pidl);
}

bool SameText(const std::u16string& a, const std::u16string& b) {
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.c_str()), static_cast<int>(a.size()),
                                reinterpret_cast<const wchar_t*>(b.c_str()), static_cast<int>(b.size()),
                                TRUE) == CSTR_EQUAL;
}

TEST(ShellFolderTest, ListsPicturesWithTheirParsingPaths) {
    Com com;
    TempFolder dir;
    for (const char16_t* n : {u"p10.jpg", u"p2.png", u"P1.JPG", u"notes.txt", u"x.jpeg"}) {
        ASSERT_TRUE(dir.AddFile(n));
    }
    ASSERT_TRUE(dir.AddFolder(u"sub.jpg"));
    ShellItemId* id = ParseName(dir.path());
    ASSERT_NE(id, nullptr);
    FakeBook book;
    ASSERT_TRUE(SetBookFromTree(&book.state, kBookShellFolder, dir.path().c_str(), id));
    ReleaseItemId(id);  // the book keeps its own copy
    EXPECT_FALSE(book.state.book.isRecycleBin);
    book.Reopen(nullptr, 0);
    std::vector<std::u16string> want = {u"P1.JPG", u"p2.png", u"p10.jpg", u"x.jpeg"};
    ASSERT_EQ(book.Names(), want);
    for (int32_t i = 0; i < book.state.pageCount; ++i) {
        const PageEntry& e = book.state.pages->entries[i];
        std::u16string location(e.location.Text(), e.location.length);
        EXPECT_TRUE(SameText(location.substr(location.rfind(u'\\') + 1), want[i])) << Narrow(location);
        EXPECT_EQ(GetPathKind(e.location.Text()), PathKind::kFile) << Narrow(location);
        EXPECT_EQ(e.size, 0u);
        StrBuf path;
        ASSERT_TRUE(PageFilePath(&book.state, i, &path));
        EXPECT_EQ(std::u16string(path.Text()), location);
    }
    EXPECT_FALSE(IsReopenable(&book.state)) << "shell folders make no history entry";
    // A shell folder starts at the index it is given, whatever name is asked for.
    OpenTarget target;
    target.selectName.Assign(u"p10.jpg");
    EXPECT_EQ(ChooseStartPage(&book.state, &target, 1), 1);
    EXPECT_FALSE(CheckChanged(&book.state));
}

TEST(ShellFolderTest, RecycleBinIsRecognised) {
    Com com;
    PIDLIST_ABSOLUTE bin = nullptr;
    ASSERT_TRUE(SUCCEEDED(SHGetSpecialFolderLocation(nullptr, CSIDL_BITBUCKET, &bin)));
    auto* binId = reinterpret_cast<ShellItemId*>(bin);
    EXPECT_TRUE(IsRecycleBinItemId(binId));
    TempFolder dir;
    ShellItemId* other = ParseName(dir.path());
    ASSERT_NE(other, nullptr);
    EXPECT_FALSE(IsRecycleBinItemId(other));
    EXPECT_FALSE(IsRecycleBinItemId(nullptr));

    FakeBook book;
    ASSERT_TRUE(SetBookFromTree(&book.state, kBookShellFolder, u"Recycle Bin", binId));
    EXPECT_TRUE(book.state.book.isRecycleBin);
    book.Reopen(nullptr, 0);  // whatever the bin holds: no crash, no message
    EXPECT_EQ(book.state.pages == nullptr, book.state.pageCount == 0);
    // Naming another book releases the bin's identifier and flag.
    ASSERT_TRUE(SetBookFromTree(&book.state, kBookShellFolder, dir.path().c_str(), other));
    EXPECT_FALSE(book.state.book.isRecycleBin);
    ReleaseItemId(other);
    ReleaseItemId(binId);
}

// Where the file system keeps 8.3 aliases, "long picture name.jpeg" also has an
// alias ending in ".JPE"; it is still one page, listed under ".jpeg".
TEST(ShellFolderTest, ShortNamesMakeNoSecondPage) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFile(u"long picture name.jpeg"));
    ASSERT_TRUE(dir.AddFile(u"another long one.tiff"));
    ASSERT_TRUE(dir.AddFile(u"s.jpe"));
    DirReader reader;
    ASSERT_TRUE(reader.Open(dir.path().c_str()));
    DirEntry e{};
    int aliases = 0;
    while (reader.Next(&e)) {
        aliases += e.shortNameLength > 0 ? 1 : 0;
    }
    RecordProperty("entriesWithAlias", aliases);
    // How a search by pattern would see the folder: "*.jpe" also matches an alias.
    WIN32_FIND_DATAW found;
    std::u16string pattern = dir.path() + u"\\*.jpe";
    HANDLE h = FindFirstFileW(reinterpret_cast<const wchar_t*>(pattern.c_str()), &found);
    int jpeMatches = 0;
    if (h != INVALID_HANDLE_VALUE) {
        do {
            ++jpeMatches;
        } while (FindNextFileW(h, &found));
        FindClose(h);
    }
    RecordProperty("jpePatternMatches", jpeMatches);
    FakeBook book;
    book.Open(dir.path());
    EXPECT_EQ(book.Names(),
              (std::vector<std::u16string>{u"another long one.tiff", u"long picture name.jpeg", u"s.jpe"}))
        << aliases << " entries with an 8.3 alias";
}

}  // namespace
