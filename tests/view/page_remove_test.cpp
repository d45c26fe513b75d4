// The file list's page commands in book terms: removing the current entry
// (later pages move down, the last page wraps to the first, the only page is
// refused), which book kinds allow deleting and revealing a page, and the text
// copied for a page name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "view/book.h"
#include "view/page_remove.h"

namespace {

struct ListedBook {
    BookState state;

    ListedBook(BookKind kind,
               const std::vector<std::u16string>& names,
               const std::u16string& location = u"") {
        state.book.isOpen = true;
        state.book.kind = kind;
        state.book.path.Assign(u"C:\\book");
        if (names.empty()) {
            return;
        }
        state.pages = NewPageList(static_cast<int32_t>(names.size()));
        for (size_t i = 0; i < names.size(); ++i) {
            PageEntry& e = state.pages->entries[i];
            e.name.Assign(names[i].c_str());
            e.location.Assign(location.c_str());
            e.locator = static_cast<uint32_t>(i + 1);
            e.size = static_cast<uint32_t>(10 * (i + 1));
            e.modified = 1000 + i;
        }
        state.pageCount = static_cast<int32_t>(names.size());
    }
    ~ListedBook() { FreePageList(state.pages); }
    ListedBook(const ListedBook&) = delete;
    ListedBook& operator=(const ListedBook&) = delete;

    std::vector<std::u16string> Names() const {
        std::vector<std::u16string> out;
        out.reserve(static_cast<size_t>(state.pageCount));
        for (int32_t i = 0; i < state.pageCount; ++i) {
            out.emplace_back(state.pages->entries[i].name.Text());
        }
        return out;
    }
};

TEST(PageRemoveTest, RemovingAnEntryMovesTheLaterOnesDown) {
    struct Case {
        const char* what;
        std::vector<std::u16string> pages;
        int32_t index;
        int32_t wantCurrent;
        std::vector<std::u16string> wantNames;
    };
    const Case kCases[] = {
        {"first of three", {u"a", u"b", u"c"}, 0, 0, {u"b", u"c"}},
        {"middle of three", {u"a", u"b", u"c"}, 1, 1, {u"a", u"c"}},
        {"last of three wraps to the first", {u"a", u"b", u"c"}, 2, 0, {u"a", u"b"}},
        {"last of two", {u"a", u"b"}, 1, 0, {u"a"}},
        {"the only page is refused", {u"a"}, 0, -1, {u"a"}},
        {"index past the end", {u"a", u"b"}, 2, -1, {u"a", u"b"}},
        {"negative index", {u"a", u"b"}, -1, -1, {u"a", u"b"}},
        {"no list", {}, 0, -1, {}},
    };
    for (const Case& c : kCases) {
        ListedBook book(kBookFolder, c.pages);
        EXPECT_EQ(RemovePageEntry(&book.state, c.index), c.wantCurrent) << c.what;
        EXPECT_EQ(book.Names(), c.wantNames) << c.what;
    }
}

TEST(PageRemoveTest, EveryFieldMovesWithItsEntryAndTheFreedSlotIsEmpty) {
    ListedBook book(kBookZip, {u"a", u"b", u"c"}, u"ch1\\");
    ASSERT_EQ(RemovePageEntry(&book.state, 0), 0);
    const PageEntry& moved = book.state.pages->entries[1];
    EXPECT_EQ(std::u16string(moved.name.Text()), u"c");
    EXPECT_EQ(std::u16string(moved.location.Text()), u"ch1\\");
    EXPECT_EQ(moved.locator, 3u);
    EXPECT_EQ(moved.size, 30u);
    EXPECT_EQ(moved.modified, 1002u);
    const PageEntry& freed = book.state.pages->entries[2];
    EXPECT_EQ(freed.name.length, 0u);
    EXPECT_EQ(freed.location.length, 0u);
    // Removing down to one page, then the list is released without a double free.
    ASSERT_EQ(RemovePageEntry(&book.state, 1), 0);
    EXPECT_EQ(book.Names(), std::vector<std::u16string>{u"b"});
}

TEST(PageRemoveTest, BookKindsDecideDeleteAndReveal) {
    struct Case {
        const char* what;
        BookKind kind;
        bool recycleBin;
        bool open;
        bool pages;
        bool wantDelete;
        bool wantReveal;
    };
    const Case kCases[] = {
        {"folder", kBookFolder, false, true, true, true, true},
        {"shell folder", kBookShellFolder, false, true, true, true, false},
        {"recycle bin", kBookShellFolder, true, true, true, false, false},
        {"zip", kBookZip, false, true, true, false, false},
        {"rar", kBookRar, false, true, true, false, false},
        {"plug-in archive", kBookPluginArchive, false, true, true, false, false},
        {"empty folder", kBookFolder, false, true, false, false, false},
        {"no book chosen", kBookFolder, false, false, true, false, true},
    };
    for (const Case& c : kCases) {
        ListedBook book(c.kind,
                        c.pages ? std::vector<std::u16string>{u"p.jpg"} : std::vector<std::u16string>{});
        book.state.book.isRecycleBin = c.recycleBin;
        book.state.book.isOpen = c.open;
        EXPECT_EQ(PageDeleteAllowed(&book.state), c.wantDelete) << c.what;
        EXPECT_EQ(PageRevealAllowed(&book.state), c.wantReveal) << c.what;
    }
}

TEST(PageRemoveTest, CopiedTextJoinsTheArchiveFolderAndTheName) {
    struct Case {
        const char* what;
        BookKind kind;
        std::u16string location;
        int32_t index;
        bool wantOk;
        std::u16string want;
    };
    const Case kCases[] = {
        {"folder: the name alone", kBookFolder, u"", 1, true, u"p2.jpg"},
        {"shell folder: the name alone", kBookShellFolder, u"C:\\x\\p2.jpg", 1, true, u"p2.jpg"},
        {"zip: folder and name joined", kBookZip, u"ch 1\\", 1, true, u"ch 1\\p2.jpg"},
        {"rar at the root", kBookRar, u"", 0, true, u"p1.jpg"},
        {"plug-in archive", kBookPluginArchive, u"a\\b\\", 0, true, u"a\\b\\p1.jpg"},
        {"index outside", kBookZip, u"x\\", 2, false, u""},
    };
    for (const Case& c : kCases) {
        ListedBook book(c.kind, {u"p1.jpg", u"p2.jpg"}, c.location);
        StrBuf text;
        EXPECT_EQ(PageCopyText(&book.state, c.index, &text), c.wantOk) << c.what;
        EXPECT_EQ(std::u16string(text.Text()), c.want) << c.what;
    }
}

}  // namespace
