// Page list records: which names are pages, archive page selection, sorting in
// both orders (stable, complete, safe under memory failure), growth.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "platform/heap.h"
#include "tests/support/book_fixture.h"
#include "view/natural_sort.h"
#include "view/page_list.h"

namespace {

struct Entry {
    std::u16string location;
    std::u16string name;
};

// A list holding the given entries, locator = input position.
PageList* MakeList(const std::vector<Entry>& in) {
    PageList* list = NewPageList(static_cast<int32_t>(in.size()));
    for (size_t i = 0; list != nullptr && i < in.size(); ++i) {
        list->entries[i].location.Assign(in[i].location.c_str());
        list->entries[i].name.Assign(in[i].name.c_str());
        list->entries[i].locator = static_cast<uint32_t>(i);
    }
    return list;
}

std::vector<std::u16string> Paths(const PageList* list, int32_t count) {
    std::vector<std::u16string> out;
    for (int32_t i = 0; i < count; ++i) {
        const PageEntry& e = list->entries[i];
        out.push_back(std::u16string(e.location.Text(), e.location.length) +
                      std::u16string(e.name.Text(), e.name.length));
    }
    return out;
}

std::string Join(const std::vector<std::u16string>& v) {
    std::string s;
    for (const auto& x : v) {
        s += Narrow(x) + " | ";
    }
    return s;
}

TEST(PageListTest, PageNames) {
    static const char16_t* const kPsd[] = {u".psd", u".PI"};
    struct Case {
        const char16_t* name;
        bool plugins;
        bool want;
    };
    static const Case kCases[] = {
        {u"a.jpg", false, true}, {u"A.JPG", false, true},      {u"x.jpeg", false, true},
        {u"x.jpe", false, true}, {u"x.TIFF", false, true},     {u"x.tif", false, true},
        {u"x.bmp", false, true}, {u"x.gif", false, true},      {u"x.png", false, true},
        {u".jpg", false, true},  {u"a.jpg.txt", false, false}, {u"jpg", false, false},
        {u"a.jp", false, false}, {u"a.jpgx", false, false},    {u"a.psd", false, false},
        {u"a.psd", true, true},  {u"a.PSD", true, true},       {u"a.ps", true, false},
        {u"a.pi", true, true},   {u"a.psd.zip", true, false},  {u"", true, false},
    };
    for (const Case& c : kCases) {
        ExtensionSet plugins{c.plugins ? kPsd : nullptr, c.plugins ? 2u : 0u};
        EXPECT_EQ(
            IsPageName(c.name, static_cast<uint32_t>(std::char_traits<char16_t>::length(c.name)), plugins),
            c.want)
            << Narrow(c.name) << (c.plugins ? " with plug-ins" : "");
    }
}

TEST(PageListTest, SizeInKiB) {
    struct Case {
        uint64_t bytes;
        uint32_t want;
    };
    static const Case kCases[] = {
        {0, 0},
        {1, 1},
        {1023, 1},
        {1024, 1},
        {1025, 2},
        {0xFFFFFFFFull, 4194304},
        {0x100000000ull, 4194304},
        {0x100000001ull, 4194305},
        {~0ull, UINT32_MAX},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(SizeInKiB(c.bytes), c.want) << c.bytes << " bytes";
    }
}

TEST(PageListTest, SortOrders) {
    struct Case {
        const char* what;
        bool archive;
        std::vector<Entry> in;
        std::vector<std::u16string> want;
    };
    const Case kCases[] = {
        {"folder: numbers by value, case ignored",
         false,
         {{u"", u"p2.jpg"}, {u"", u"p10.jpg"}, {u"", u"P1.JPG"}},
         {u"P1.JPG", u"p2.jpg", u"p10.jpg"}},
        {"archive: root first, then folders in natural order",
         true,
         {{u"ch10\\", u"01.jpg"}, {u"ch2\\", u"01.jpg"}, {u"", u"a.jpg"}},
         {u"a.jpg", u"ch2\\01.jpg", u"ch10\\01.jpg"}},
        {"archive: names within a folder, root names among themselves",
         true,
         {{u"ch2\\", u"10.jpg"},
          {u"", u"z.jpg"},
          {u"ch2\\", u"2.jpg"},
          {u"", u"b10.jpg"},
          {u"", u"b9.jpg"},
          {u"ch2\\", u"1.jpg"}},
         {u"b9.jpg", u"b10.jpg", u"z.jpg", u"ch2\\1.jpg", u"ch2\\2.jpg", u"ch2\\10.jpg"}},
        {"archive: nested folders compare as whole locations",
         true,
         {{u"v1\\ch10\\", u"1.jpg"}, {u"v10\\", u"1.jpg"}, {u"v1\\ch9\\", u"1.jpg"}, {u"v2\\", u"1.jpg"}},
         {u"v1\\ch9\\1.jpg", u"v1\\ch10\\1.jpg", u"v2\\1.jpg", u"v10\\1.jpg"}},
        {"folder order ignores locations",
         false,
         {{u"z\\", u"1.jpg"}, {u"", u"2.jpg"}},
         {u"z\\1.jpg", u"2.jpg"}},
    };
    for (const Case& c : kCases) {
        PageList* list = MakeList(c.in);
        ASSERT_NE(list, nullptr) << c.what;
        auto n = static_cast<int32_t>(c.in.size());
        SortPages(list->entries, n, c.archive);
        EXPECT_EQ(Paths(list, n), c.want) << c.what << ": got " << Join(Paths(list, n));
        FreePageList(list);
    }
}

// Names that compare equal keep the order they were listed in.
TEST(PageListTest, SortIsStable) {
    std::vector<Entry> in = {{u"", u"1.jpg"},   {u"", u"01.jpg"}, {u"", u"0.jpg"},
                             {u"", u"001.jpg"}, {u"", u"A.jpg"},  {u"", u"a.jpg"}};
    PageList* list = MakeList(in);
    ASSERT_NE(list, nullptr);
    SortPages(list->entries, 6, false);
    std::vector<uint32_t> locators(6);
    for (size_t i = 0; i < locators.size(); ++i) {
        locators[i] = list->entries[i].locator;
    }
    EXPECT_EQ(locators, (std::vector<uint32_t>{2, 0, 1, 3, 4, 5}));
    FreePageList(list);
}

// Many names in random order: the result is ordered, and every entry is still
// there exactly once with its own strings (the permutation moved whole entries).
TEST(PageListTest, SortLargeShuffledList) {
    std::mt19937 rng(12345);
    std::vector<Entry> in;
    for (int i = 0; i < 3000; ++i) {
        std::u16string folder;
        if (rng() % 3 != 0) {
            folder = u"ch";
            folder.push_back(static_cast<char16_t>(u'0' + rng() % 10));
            folder.push_back(u'\\');
        }
        std::u16string name = u"p";
        int digits = 1 + static_cast<int>(rng() % 4);
        for (int d = 0; d < digits; ++d) {
            name += static_cast<char16_t>(u'0' + rng() % 10);
        }
        name += (rng() % 2) ? u".jpg" : u".PNG";
        in.push_back({folder, name});
    }
    for (bool archive : {false, true}) {
        PageList* list = MakeList(in);
        ASSERT_NE(list, nullptr);
        auto n = static_cast<int32_t>(in.size());
        SortPages(list->entries, n, archive);
        std::vector<bool> seen(in.size(), false);
        for (int32_t i = 0; i < n; ++i) {
            const PageEntry& e = list->entries[i];
            ASSERT_LT(e.locator, in.size());
            EXPECT_FALSE(seen[e.locator]) << "entry listed twice at " << i;
            seen[e.locator] = true;
            EXPECT_EQ(std::u16string(e.name.Text(), e.name.length), in[e.locator].name)
                << "strings moved apart at " << i;
            if (i == 0) {
                continue;
            }
            const PageEntry& p = list->entries[i - 1];
            int c;
            if (archive && (p.location.length == 0) != (e.location.length == 0)) {
                c = p.location.length == 0 ? -1 : 1;
            } else {
                c = archive ? LogicalCompare(p.location.Text(), e.location.Text()) : 0;
                if (c == 0) {
                    c = LogicalCompare(p.name.Text(), e.name.Text());
                }
            }
            EXPECT_LE(c, 0) << (archive ? "archive" : "folder") << " order broken at " << i;
        }
        FreePageList(list);
    }
}

// Listings that arrive in order (as NTFS returns padded names) or reversed.
TEST(PageListTest, SortOrderedAndReversedInput) {
    for (bool reversed : {false, true}) {
        std::vector<Entry> in;
        for (int i = 1; i <= 777; ++i) {
            int k = reversed ? 778 - i : i;
            std::u16string name = u"p";
            for (char c : std::to_string(k)) {
                name.push_back(static_cast<char16_t>(c));
            }
            in.push_back({u"", name});
        }
        PageList* list = MakeList(in);
        ASSERT_NE(list, nullptr);
        SortPages(list->entries, 777, false);
        for (int i = 0; i < 777; ++i) {
            std::u16string want = u"p";
            for (char c : std::to_string(i + 1)) {
                want.push_back(static_cast<char16_t>(c));
            }
            ASSERT_EQ(std::u16string(list->entries[i].name.Text()), want)
                << (reversed ? "reversed" : "ordered");
        }
        FreePageList(list);
    }
}

// Without memory for the sort's index arrays the list is still sorted (in place).
TEST(PageListTest, SortWithoutMemoryStillSorts) {
    std::vector<Entry> in;
    for (int i = 40; i > 0; --i) {
        std::u16string name = u"p";
        name.push_back(static_cast<char16_t>(u'a' + i % 26));
        name.push_back(static_cast<char16_t>(u'0' + i % 10));
        name.append(u".jpg");
        in.push_back({u"", name});
    }
    PageList* list = MakeList(in);
    ASSERT_NE(list, nullptr);
    AppHeapFailAfter(0);
    SortPages(list->entries, static_cast<int32_t>(in.size()), false);
    AppHeapFailAfter(-1);
    for (size_t i = 1; i < in.size(); ++i) {
        EXPECT_LE(LogicalCompare(list->entries[i - 1].name.Text(), list->entries[i].name.Text()), 0)
            << "at " << i;
    }
    FreePageList(list);
}

TEST(PageListTest, SelectArchivePages) {
    static const char16_t* const kPlugins[] = {u".psd"};
    struct Case {
        const char* what;
        std::vector<std::u16string> members;
        int32_t capacity;
        bool plugins;
        std::vector<std::u16string> want;
    };
    const Case kCases[] = {
        {"pictures in archive order, others and folders left out",
         {u"readme.txt", u"ch1\\", u"ch1\\b.JPG", u"a.png", u"ch1\\c.jpeg", u"x.jpg.bak"},
         6,
         false,
         {u"ch1\\b.JPG", u"a.png", u"ch1\\c.jpeg"}},
        {"plug-in pictures after the built-in ones",
         {u"1.psd", u"2.jpg", u"3.PSD", u"4.gif"},
         4,
         true,
         {u"2.jpg", u"4.gif", u"1.psd", u"3.PSD"}},
        {"plug-in extensions ignored when no plug-in declares them",
         {u"1.psd", u"2.jpg"},
         2,
         false,
         {u"2.jpg"}},
        {"stops when the page list is full", {u"1.jpg", u"2.jpg", u"3.psd"}, 2, true, {u"1.jpg", u"2.jpg"}},
    };
    for (const Case& c : kCases) {
        ArchiveMemberList* members = MakeMemberList(c.members, 42);
        PageList* list = NewPageList(c.capacity);
        ASSERT_TRUE(members != nullptr && list != nullptr) << c.what;
        ExtensionSet plugins{c.plugins ? kPlugins : nullptr, c.plugins ? 1u : 0u};
        int32_t n = SelectArchivePages(members, list, plugins);
        EXPECT_EQ(Paths(list, n), c.want) << c.what << ": got " << Join(Paths(list, n));
        for (int32_t i = 0; i < n; ++i) {
            // Locators, sizes and times travel with their member.
            uint32_t k = list->entries[i].locator - 100;
            EXPECT_EQ(list->entries[i].size, 1000 + k) << c.what;
            EXPECT_EQ(list->entries[i].modified, 5000 + k) << c.what;
        }
        FreeMemberList(members);
        FreePageList(list);
    }
}

TEST(PageListTest, BuilderGrowsAndStaysFailed) {
    PageListBuilder b{nullptr, 0, false};
    for (int i = 0; i < 1000; ++i) {
        PageEntry* e = AppendPage(&b);
        ASSERT_NE(e, nullptr) << "append " << i;
        e->name.Assign(u"page.jpg");
        e->locator = static_cast<uint32_t>(i);
    }
    ASSERT_EQ(b.count, 1000);
    for (int i = 0; i < 1000; ++i) {
        ASSERT_EQ(b.list->entries[i].locator, static_cast<uint32_t>(i));
        ASSERT_EQ(Narrow(b.list->entries[i].name.Text()), "page.jpg");
    }
    // Run up to the next growth, then let the heap refuse it.
    while (b.count < b.list->capacity) {
        ASSERT_NE(AppendPage(&b), nullptr);
    }
    AppHeapFailAfter(0);
    EXPECT_EQ(AppendPage(&b), nullptr);
    AppHeapFailAfter(-1);
    EXPECT_TRUE(b.failed);
    EXPECT_EQ(AppendPage(&b), nullptr) << "a failed builder stays failed";
    FreePageList(b.list);

    EXPECT_EQ(NewPageList(0), nullptr);
    EXPECT_EQ(NewPageList(-5), nullptr);
    FreePageList(nullptr);
}

}  // namespace
