// Folder books through the book's steps of the open sequence, with a recording
// file list: classification, the start page, reopening, the published list,
// reloading after a change, and the quiet empty book for everything that cannot
// be read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/dir.h"
#include "platform/heap.h"
#include "tests/support/book_fixture.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

using Names = std::vector<std::u16string>;

std::string Join(const Names& v) {
    std::string s;
    for (const auto& x : v) {
        s += Narrow(x) + " ";
    }
    return s;
}

TEST(BookTest, ClassifyPath) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFolder(u"comics.zip"));  // a folder wins over its extension
    ASSERT_TRUE(dir.AddFile(u"a.jpg"));
    struct Case {
        std::u16string path;
        BookKind want;
        std::u16string wantPath;
        std::u16string wantSelect;
    };
    const Case kCases[] = {
        {dir.path(), kBookFolder, dir.path(), u""},
        {dir.Join(u"comics.zip"), kBookFolder, dir.Join(u"comics.zip"), u""},
        {dir.Join(u"b.ZIP"), kBookZip, dir.Join(u"b.ZIP"), u""},
        {dir.Join(u"b.cbz"), kBookZip, dir.Join(u"b.cbz"), u""},
        {dir.Join(u"b.rar"), kBookRar, dir.Join(u"b.rar"), u""},
        {dir.Join(u"b.CBR"), kBookRar, dir.Join(u"b.CBR"), u""},
        {dir.Join(u"b.lzh"), kBookPluginArchive, dir.Join(u"b.lzh"), u""},
        {dir.Join(u"a.jpg"), kBookFolder, dir.path(), u"a.jpg"},
        {dir.Join(u"gone.png"), kBookFolder, dir.path(), u"gone.png"},
        {dir.Join(u"b.7z"), kBookFolder, dir.path(), u"b.7z"},
        {u"\\p.jpg", kBookFolder, u"\\", u"p.jpg"},
        // "C:" alone would be the drive's current folder, not its root.
        {u"C:\\p.jpg", kBookFolder, u"C:\\", u"p.jpg"},
        {u"C:\\sub\\p.jpg", kBookFolder, u"C:\\sub", u"p.jpg"},
        {u"p.jpg", kBookFolder, u"p.jpg", u"p.jpg"},
    };
    FakeBook book;
    book.shell.archiveExtensions = {u".LZH"};
    for (const Case& c : kCases) {
        OpenTarget t;
        t.path.Assign(c.path.c_str());
        EXPECT_EQ(ClassifyPath(&book.state, &t), c.want) << Narrow(c.path);
        EXPECT_EQ(std::u16string(t.path.Text()), c.wantPath) << Narrow(c.path);
        EXPECT_EQ(std::u16string(t.selectName.Text()), c.wantSelect) << Narrow(c.path);
    }
}

// Opening a picture opens its folder at that picture, wherever it sorts.
TEST(BookTest, PictureOpensItsFolderAtThatPage) {
    TempFolder dir;
    for (const char16_t* n : {u"p10.jpg", u"p07.jpg", u"p2.jpg", u"P1.JPG", u"notes.txt"}) {
        ASSERT_TRUE(dir.AddFile(n));
    }
    FakeBook book;
    book.Open(dir.Join(u"p07.jpg"), 0);
    EXPECT_TRUE(book.state.book.isOpen);
    EXPECT_EQ(book.state.book.kind, kBookFolder);
    EXPECT_EQ(std::u16string(book.state.book.path.Text()), dir.path());
    EXPECT_EQ(book.Names(), (Names{u"P1.JPG", u"p2.jpg", u"p07.jpg", u"p10.jpg"})) << Join(book.Names());
    EXPECT_EQ(book.start, 2);
    EXPECT_EQ(book.CurrentName(), u"p07.jpg");
    EXPECT_TRUE(IsReopenable(&book.state)) << "a folder with pages enters the history";
}

TEST(BookTest, FolderListing) {
    TempFolder dir;
    struct File {
        std::u16string name;
        size_t bytes;
    };
    const File kFiles[] = {
        {u"x.jpeg", 1},     {u"y.jpe", 1024}, {u"z.TIFF", 1025}, {u"w.tif", 0},  {u"a.bmp", 3000},
        {u"b.gif", 10},     {u"c.png", 10},   {u"d.jpg", 10},    {u"e.psd", 10}, {u"f.txt", 10},
        {u"g.jpg.txt", 10}, {u"noext", 10},   {u".jpg", 5},
    };
    for (const File& f : kFiles) {
        ASSERT_TRUE(dir.AddFile(f.name, f.bytes));
    }
    ASSERT_TRUE(dir.AddFolder(u"sub.jpg"));
    ASSERT_TRUE(dir.AddFile(u"sub.jpg\\inner.jpg"));
    FakeBook book;
    book.shell.imageExtensions = {u".PSD"};
    book.Open(dir.path());
    // Each picture once under its own extension, plug-in pictures too; folders,
    // other files and what lies in subfolders are not pages.
    EXPECT_EQ(book.Names(), (Names{u".jpg", u"a.bmp", u"b.gif", u"c.png", u"d.jpg", u"e.psd", u"w.tif",
                                   u"x.jpeg", u"y.jpe", u"z.TIFF"}))
        << Join(book.Names());
    uint32_t kib[10] = {1, 3, 1, 1, 1, 1, 0, 1, 1, 2};
    for (int32_t i = 0; i < book.state.pageCount; ++i) {
        const PageEntry& e = book.state.pages->entries[i];
        EXPECT_EQ(e.size, kib[i]) << Narrow(e.name.Text());
        EXPECT_NE(e.modified, 0u) << Narrow(e.name.Text());
        EXPECT_EQ(e.location.length, 0u) << Narrow(e.name.Text());
        EXPECT_EQ(e.locator, 0u) << Narrow(e.name.Text());
    }
    StrBuf page;
    ASSERT_TRUE(PageFilePath(&book.state, 1, &page));
    EXPECT_EQ(std::u16string(page.Text()), dir.Join(u"a.bmp"));
    EXPECT_EQ(GetPathKind(page.Text()), PathKind::kFile);
    EXPECT_FALSE(PageFilePath(&book.state, book.state.pageCount, &page));
}

// The file list is emptied, then gets one row per page and the widest name; the
// icon is asked once per run of equal extensions. The title is the book's path.
TEST(BookTest, PublishedList) {
    TempFolder dir;
    for (const char16_t* n : {u"1.jpg", u"2.JPG", u"3.png", u"4.jpg", u"5-long-name.jpg"}) {
        ASSERT_TRUE(dir.AddFile(n));
    }
    FakeBook book;
    book.Open(dir.path());
    // The rows are bracketed, so that the list can hold its redraws meanwhile.
    const std::vector<std::string> want = {
        "clear",   "begin 5",   "icon .jpg", "row 0 4", "row 1 4",         "icon .png",
        "row 2 4", "icon .jpg", "row 3 4",   "row 4 4", "columnWidth 105", "end",
    };
    std::vector<std::string> got;
    for (const std::string& line : book.shell.log) {
        for (const char* p : {"clear", "begin ", "icon ", "row ", "columnWidth ", "end"}) {
            if (line.rfind(p, 0) == 0) {
                got.push_back(line);
            }
        }
    }
    EXPECT_EQ(got, want);
    EXPECT_EQ(std::u16string(BookTitle(&book.state)), dir.path());
}

// Opening the book that is open keeps it and only moves to the start asked for.
TEST(BookTest, ReopeningTheOpenBookMovesOnly) {
    TempFolder dir;
    for (const char16_t* n : {u"a1.jpg", u"a2.jpg", u"a3.jpg"}) {
        ASSERT_TRUE(dir.AddFile(n));
    }
    FakeBook book;
    book.Open(dir.path(), 0);
    EXPECT_TRUE(book.newBook);
    book.Open(dir.Join(u"a3.jpg"), 0);
    EXPECT_FALSE(book.newBook) << "the book was not reset";
    EXPECT_EQ(book.CurrentName(), u"a3.jpg");
    book.Open(dir.path(), 1);
    EXPECT_FALSE(book.newBook);
    EXPECT_EQ(book.start, 1);
}

TEST(BookTest, StartIndexIsClampedAndNamesMatchWithoutCase) {
    TempFolder dir;
    for (const char16_t* n : {u"a.jpg", u"b.jpg", u"c.jpg"}) {
        ASSERT_TRUE(dir.AddFile(n));
    }
    struct Case {
        const char* what;
        std::u16string select;
        int32_t start;
        int32_t want;
    };
    const Case kCases[] = {
        {"past the end", u"", 99, 2},
        {"negative", u"", -4, 0},
        {"in range", u"", 1, 1},
        {"name, other case", u"B.JPG", 0, 1},
        {"unknown name takes the index", u"zz.jpg", 2, 2},
        {"prefix is no match", u"b.jp", 0, 0},
    };
    FakeBook book;
    book.Open(dir.path());
    for (const Case& c : kCases) {
        OpenTarget t;
        t.selectName.Assign(c.select.c_str());
        book.Reopen(&t, c.start);
        EXPECT_EQ(book.start, c.want) << c.what;
    }
}

// A changed folder reloads on activation at the page that was shown; an
// unchanged one does not reload at all.
TEST(BookTest, ChangedFolderReloadsAtTheSamePage) {
    TempFolder dir;
    for (const char16_t* n : {u"p1.jpg", u"p2.jpg", u"p3.jpg", u"p4.jpg"}) {
        ASSERT_TRUE(dir.AddFile(n));
    }
    FakeBook book;
    book.Open(dir.Join(u"p3.jpg"));
    ASSERT_EQ(book.start, 2);

    WatchFolder(&book.state);
    book.shell.Clear();
    EXPECT_FALSE(book.Reload()) << "nothing changed, nothing reloaded";
    EXPECT_TRUE(book.shell.log.empty());

    WatchFolder(&book.state);
    ASSERT_TRUE(dir.AddFile(u"p0.jpg"));
    ASSERT_TRUE(dir.AddFile(u"p2a.jpg"));
    EXPECT_TRUE(book.Reload());
    EXPECT_EQ(book.Names(), (Names{u"p0.jpg", u"p1.jpg", u"p2.jpg", u"p2a.jpg", u"p3.jpg", u"p4.jpg"}));
    EXPECT_EQ(book.CurrentName(), u"p3.jpg");
    EXPECT_EQ(book.start, 4);

    // A grown file is a change too; the shown page was deleted: back to the first.
    WatchFolder(&book.state);
    ASSERT_TRUE(dir.AddFile(u"p1.jpg", 5000));
    ASSERT_TRUE(dir.Remove(u"p3.jpg"));
    EXPECT_TRUE(book.Reload());
    EXPECT_EQ(book.state.pageCount, 5);
    EXPECT_EQ(book.start, 0);
}

// Without a watch (the program never went to the background) nothing reloads;
// a folder that vanished always does, and gives an empty book.
TEST(BookTest, VanishedFolderEmptiesTheBook) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFile(u"book\\1.jpg"));
    FakeBook book;
    book.Open(dir.Join(u"book"));
    ASSERT_EQ(book.state.pageCount, 1);
    EXPECT_FALSE(CheckChanged(&book.state));
    ASSERT_TRUE(dir.Remove(u"book"));
    book.shell.Clear();
    EXPECT_TRUE(book.Reload());
    EXPECT_EQ(book.state.pages, nullptr);
    EXPECT_EQ(book.state.pageCount, 0);
    EXPECT_EQ(book.start, 0);
    EXPECT_EQ(book.shell.Calls("clear").size(), 1u) << "the old rows go";
    EXPECT_EQ(book.shell.Calls("row ").size(), 0u);
}

// Nothing that cannot be read is an error: the book is open and empty, no row is
// published, the count is 0 and the book cannot be named again later.
TEST(BookTest, UnreadableOrEmptyGivesAnEmptyBook) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFolder(u"empty"));
    ASSERT_TRUE(dir.AddFile(u"others\\a.txt"));
    ASSERT_TRUE(dir.AddFolder(u"others\\sub.jpg"));
    ASSERT_TRUE(dir.AddFile(u"locked\\1.jpg"));
    bool lockable = false;
#ifndef _WIN32
    std::error_code ec;
    std::filesystem::permissions(dir.Native(u"locked"), std::filesystem::perms::none, ec);
    lockable = !ec && geteuid() != 0;
#endif
    struct Case {
        const char* what;
        std::u16string path;
        std::u16string wantPath;
        bool skip;
    };
    const Case kCases[] = {
        {"empty folder", dir.Join(u"empty"), dir.Join(u"empty"), false},
        {"no pictures", dir.Join(u"others"), dir.Join(u"others"), false},
        {"missing folder", dir.Join(u"gone\\"), u"", false},
        {"missing picture in a missing folder", dir.Join(u"gone\\p.jpg"), u"", false},
        {"missing archive", dir.Join(u"gone.cbz"), u"", false},
        {"unreadable folder", dir.Join(u"locked"), dir.Join(u"locked"), !lockable},
    };
    for (const Case& c : kCases) {
        if (c.skip) {
            continue;
        }
        FakeBook book;
        book.Open(c.path, 3);
        EXPECT_TRUE(book.state.book.isOpen) << c.what;
        EXPECT_EQ(std::u16string(book.state.book.path.Text()), c.wantPath) << c.what;
        EXPECT_EQ(book.state.pages, nullptr) << c.what;
        EXPECT_EQ(book.state.pageCount, 0) << c.what;
        EXPECT_EQ(book.start, 0) << c.what;
        EXPECT_EQ(book.shell.Calls("row ").size(), 0u) << c.what;
        EXPECT_EQ(book.shell.Calls("columnWidth").size(), 0u) << c.what;
        EXPECT_FALSE(IsReopenable(&book.state)) << c.what;
        EXPECT_EQ(std::u16string(BookTitle(&book.state)), c.wantPath) << c.what;
        // An empty book stays empty on activation, without reloading each time.
        WatchFolder(&book.state);
        EXPECT_FALSE(book.Reload()) << c.what;
    }
}

TEST(BookTest, TitleBeforeAnyBook) {
    FakeBook book;
    BuildPageList(&book.state);
    EXPECT_EQ(std::u16string(BookTitle(&book.state)), u"Pagewick");
    EXPECT_EQ(book.state.pageCount, 0);
    EXPECT_EQ(ChooseStartPage(&book.state, nullptr, 5), 0);
}

// The tree names books directly; a path that is gone is refused and the old
// book stays.
TEST(BookTest, SetBookFromTree) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFile(u"a\\1.jpg"));
    FakeBook book;
    EXPECT_TRUE(SetBookFromTree(&book.state, kBookFolder, dir.Join(u"a").c_str(), nullptr));
    book.Reopen(nullptr, 0);
    EXPECT_EQ(book.state.pageCount, 1);
    EXPECT_FALSE(SetBookFromTree(&book.state, kBookFolder, dir.Join(u"b").c_str(), nullptr));
    EXPECT_EQ(std::u16string(book.state.book.path.Text()), dir.Join(u"a"));
    // A shell folder is always taken; it is never reported changed and makes no
    // history entry (natively it lists nothing).
    EXPECT_TRUE(SetBookFromTree(&book.state, kBookShellFolder, u"Recycle Bin", nullptr));
    EXPECT_EQ(book.state.book.kind, kBookShellFolder);
    EXPECT_FALSE(book.state.book.isRecycleBin);
    book.Reopen(nullptr, 0);
    EXPECT_FALSE(IsReopenable(&book.state));
    EXPECT_FALSE(CheckChanged(&book.state));
}

// Every allocation failing in turn while a folder is opened: an empty or whole
// book, never a crash or a half list.
TEST(BookTest, AllocationFailuresGiveAnEmptyBook) {
    TempFolder dir;
    for (int i = 0; i < 70; ++i) {
        std::u16string name = u"p";
        name.push_back(static_cast<char16_t>(u'0' + i % 10));
        name.push_back(static_cast<char16_t>(u'a' + i / 10));
        name.append(u".jpg");
        ASSERT_TRUE(dir.AddFile(name));
    }
    for (int64_t n = 0; n < 200; ++n) {
        FakeBook book;
        OpenTarget t;
        t.path.Assign(dir.path().c_str());
        (void)SetBook(&book.state, &t, 0);
        AppHeapFailAfter(n);
        book.Reopen(&t, 0);
        AppHeapFailAfter(-1);
        EXPECT_TRUE(book.state.pageCount == 0 || book.state.pageCount == 70) << "failure after " << n;
        EXPECT_EQ(book.state.pages == nullptr, book.state.pageCount == 0) << "failure after " << n;
    }
}

}  // namespace
