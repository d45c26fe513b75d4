// Member lists and path splitting, shared by every archive reader.
#include <gtest/gtest.h>

#include "archive/archive_member.h"
#include "platform/heap.h"
#include "tests/support/zip_builder.h"

namespace {

struct SplitCase {
    const char* label;
    const char16_t* path;
    const char16_t* name;
    const char16_t* folder;
};

const SplitCase kSplitCases[] = {
    {"nested file", u"dir/sub/p01.jpg", u"p01.jpg", u"dir\\sub\\"},
    {"folder entry", u"dir/sub/", u"", u"dir\\sub\\"},
    {"root file", u"p01.jpg", u"p01.jpg", u""},
    {"empty path", u"", u"", u""},
    {"backslash path", u"a\\b.png", u"b.png", u"a\\"},
    {"mixed separators", u"a/b\\c/d.gif", u"d.gif", u"a\\b\\c\\"},
    {"leading slash", u"/x.jpg", u"x.jpg", u"\\"},
    {"doubled slash", u"a//b", u"b", u"a\\\\"},
};

TEST(SplitMemberPath, SplitsNameFromFolder) {
    for (const SplitCase& c : kSplitCases) {
        ArchiveMember m;
        m.folder.Assign(c.path);
        ASSERT_TRUE(SplitMemberPath(&m)) << c.label;
        EXPECT_EQ(std::u16string(m.name.Text()), c.name) << c.label;
        EXPECT_EQ(std::u16string(m.folder.Text()), c.folder) << c.label;
        EXPECT_EQ(m.name.length, std::char_traits<char16_t>::length(c.name)) << c.label;
        EXPECT_EQ(m.folder.length, std::char_traits<char16_t>::length(c.folder)) << c.label;
    }
}

TEST(SplitMemberPath, FolderKeepsZeroFillAfterCut) {
    // Later writers into the folder buffer rely on zeros past the terminator.
    ArchiveMember m;
    m.folder.Assign(u"abc/defghij");
    ASSERT_TRUE(SplitMemberPath(&m));
    for (uint32_t i = m.folder.length; i < m.folder.capacity / 2; ++i) {
        ASSERT_EQ(m.folder.buffer[i], 0) << "unit " << i;
    }
}

TEST(MemberList, NewListHasEmptyMembers) {
    MemberListPtr list(NewMemberList(3));
    ASSERT_NE(list.get(), nullptr);
    EXPECT_EQ(list->capacity, 3);
    EXPECT_EQ(list->count, 0);
    EXPECT_EQ(list->archiveTime, 0u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list->members[i].name.length, 0u);
        EXPECT_EQ(list->members[i].locator, 0u);
    }
    // Filled members release their strings with the list (leaks show under ASan).
    list->members[0].name.Assign(u"a.jpg");
    list->members[2].folder.Assign(u"dir\\");
}

TEST(MemberList, ZeroAndNegativeCapacity) {
    MemberListPtr empty(NewMemberList(0));
    ASSERT_NE(empty.get(), nullptr);
    EXPECT_EQ(empty->members, nullptr);
    EXPECT_EQ(NewMemberList(-1), nullptr);
}

TEST(MemberList, HeapRefusalGivesNothing) {
    for (int failAt = 0; failAt < 2; ++failAt) {
        AppHeapFailAfter(failAt);
        ArchiveMemberList* list = NewMemberList(4);
        AppHeapFailAfter(-1);
        EXPECT_EQ(list, nullptr) << "failing allocation " << failAt;
        FreeMemberList(list);
    }
}

}  // namespace
