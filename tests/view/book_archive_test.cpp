// Archive books: ZIP through the own reader, RAR and plug-in archives through
// the shell's listing operations (a fake here), the start member, and reloads
// when the archive file changed or vanished.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/book_fixture.h"
#include "tests/support/zip_builder.h"

namespace {

using Names = std::vector<std::u16string>;

Names Paths(const FakeBook& book) {
    Names out;
    for (int32_t i = 0; i < book.state.pageCount; ++i) {
        const PageEntry& e = book.state.pages->entries[i];
        out.push_back(std::u16string(e.location.Text()) + std::u16string(e.name.Text()));
    }
    return out;
}

std::string Join(const Names& v) {
    std::string s;
    for (const auto& x : v) {
        s += Narrow(x) + " ";
    }
    return s;
}

ZipImage ComicZip() {
    std::vector<ZipEntrySpec> entries(6);
    // Locator 0 means "no start member", so the member at offset 0 is no page.
    const char* names[] = {"readme.txt", "ch10/01.jpg", "ch2/", "ch2/01.jpg", "a.jpg", "ch2/02.PNG"};
    for (size_t i = 0; i < entries.size(); ++i) {
        entries[i].name = names[i];
        entries[i].data = std::string(100 + i, 'x');
        entries[i].method = 0;
    }
    return MakeZip(entries);
}

TEST(BookArchiveTest, ZipBookThroughTheOwnReader) {
    TempFolder dir;
    ZipImage zip = ComicZip();
    ASSERT_TRUE(dir.AddBytes(u"comic.cbz", zip.bytes));
    FakeBook book;
    book.Open(dir.Join(u"comic.cbz"));
    ASSERT_EQ(book.state.book.kind, kBookZip);
    EXPECT_EQ(Paths(book), (Names{u"a.jpg", u"ch2\\01.jpg", u"ch2\\02.PNG", u"ch10\\01.jpg"}))
        << Join(Paths(book));
    EXPECT_NE(book.state.book.archiveTime, 0u);
    // Locators are the local-header offsets, sizes the member sizes.
    EXPECT_EQ(book.state.pages->entries[0].locator, zip.locators[4]);
    EXPECT_EQ(book.state.pages->entries[0].size, 104u);
    EXPECT_EQ(book.state.pages->entries[3].locator, zip.locators[1]);
    StrBuf path;
    EXPECT_FALSE(PageFilePath(&book.state, 0, &path)) << "archive pages go by locator";
}

TEST(BookArchiveTest, StartMember) {
    TempFolder dir;
    ZipImage zip = ComicZip();
    ASSERT_TRUE(dir.AddBytes(u"comic.zip", zip.bytes));
    struct Case {
        const char* what;
        uint32_t locator;
        std::u16string select;
        int32_t start;
        std::u16string want;
    };
    const Case kCases[] = {
        {"by locator", zip.locators[1], u"", 0, u"ch10\\01.jpg"},
        {"unknown locator takes the index", 7, u"", 1, u"ch2\\01.jpg"},
        {"name wins over locator", zip.locators[1], u"02.png", 0, u"ch2\\02.PNG"},
        {"index alone", 0, u"", 3, u"ch10\\01.jpg"},
    };
    for (const Case& c : kCases) {
        FakeBook book;
        OpenTarget t;
        t.path.Assign(dir.Join(u"comic.zip").c_str());
        (void)SetBook(&book.state, &t, c.locator);
        t.selectName.Assign(c.select.c_str());
        book.Reopen(&t, c.start);
        ASSERT_GT(book.state.pageCount, 0) << c.what;
        const PageEntry& e = book.state.pages->entries[book.start];
        EXPECT_EQ(std::u16string(e.location.Text()) + e.name.Text(), c.want) << c.what;
    }
}

// Root entries first, then by folder and name in natural order, from a listing
// the RAR reader would give.
TEST(BookArchiveTest, RarBookFromTheShellsListing) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFile(u"c.cbr", 10));
    FakeBook book;
    book.shell.rarMembers = {u"ch10\\01.jpg", u"ch2\\10.jpg", u"ch2\\9.jpg",
                             u"z.jpg",        u"a.jpg",       u"ch2\\x.txt"};
    book.Open(dir.Join(u"c.cbr"));
    EXPECT_EQ(book.state.book.kind, kBookRar);
    EXPECT_EQ(Paths(book), (Names{u"a.jpg", u"z.jpg", u"ch2\\9.jpg", u"ch2\\10.jpg", u"ch10\\01.jpg"}))
        << Join(Paths(book));
    EXPECT_EQ(book.state.book.archiveTime, 777u);
    EXPECT_EQ(book.shell.Calls("listPlugin").size(), 0u);
}

TEST(BookArchiveTest, PluginFallbacks) {
    TempFolder dir;
    ASSERT_TRUE(dir.AddFile(u"not really.zip", 50));
    ASSERT_TRUE(dir.AddFile(u"b.lzh", 50));
    ASSERT_TRUE(dir.AddFile(u"c.rar", 50));
    struct Case {
        const char* what;
        std::u16string file;
        bool pluginLists;
        BookKind wantKind;
        int32_t wantPages;
    };
    const Case kCases[] = {
        {"zip the own reader cannot list goes to the plug-ins", u"not really.zip", true, kBookPluginArchive,
         2},
        {"plug-in archive by extension", u"b.lzh", true, kBookPluginArchive, 2},
        {"rar without a RAR reader goes to the plug-ins", u"c.rar", true, kBookPluginArchive, 2},
        {"nobody lists it: empty book, kind kept", u"not really.zip", false, kBookZip, 0},
    };
    for (const Case& c : kCases) {
        FakeBook book;
        book.shell.archiveExtensions = {u".lzh"};
        if (c.pluginLists) {
            book.shell.pluginMembers = {u"2.jpg", u"1.jpg"};
        }
        book.Open(dir.Join(c.file));
        EXPECT_EQ(book.state.book.kind, c.wantKind) << c.what;
        EXPECT_EQ(book.state.pageCount, c.wantPages) << c.what;
        EXPECT_EQ(book.shell.Calls("listPlugin").size(), 1u) << c.what;
    }
}

TEST(BookArchiveTest, ChangedArchiveReloadsVanishedArchiveEmpties) {
    TempFolder dir;
    ZipImage zip = ComicZip();
    ASSERT_TRUE(dir.AddBytes(u"comic.cbz", zip.bytes));
    FakeBook book;
    book.Open(dir.Join(u"comic.cbz"), 2);
    ASSERT_EQ(book.CurrentName(), u"02.PNG");
    book.shell.Clear();
    EXPECT_FALSE(book.Reload()) << "same time, no reload";
    EXPECT_TRUE(book.shell.log.empty());

    // Rewritten with one page fewer before the shown one: same page, new index.
    std::vector<ZipEntrySpec> fewer(2);
    fewer[0].name = "ch2/02.PNG";
    fewer[0].data = "y";
    fewer[1].name = "ch10/01.jpg";
    fewer[1].data = "z";
    ASSERT_TRUE(dir.AddBytes(u"comic.cbz", MakeZip(fewer).bytes));
    ASSERT_TRUE(dir.Touch(u"comic.cbz", 10));
    EXPECT_TRUE(book.Reload());
    EXPECT_EQ(book.state.pageCount, 2);
    EXPECT_EQ(book.start, 0);
    EXPECT_EQ(book.CurrentName(), u"02.PNG");

    ASSERT_TRUE(dir.Remove(u"comic.cbz"));
    EXPECT_TRUE(book.Reload());
    EXPECT_EQ(book.state.pages, nullptr);
    EXPECT_EQ(book.state.pageCount, 0);
    EXPECT_EQ(book.state.book.archiveTime, 0u);
    EXPECT_FALSE(IsReopenable(&book.state));
}

}  // namespace
