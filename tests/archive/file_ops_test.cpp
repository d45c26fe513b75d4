// Target folders of an extraction: numbered names, archives that bring their own
// top folder, and member paths that would leave the target.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/file_ops.h"
#include "archive/zip_host.h"
#include "platform/dir.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/zip_builder.h"

namespace {

struct UniqueCase {
    const char* label;
    std::vector<std::string> folders;  // present before the call
    std::vector<std::string> files;
    bool ok;
    std::string made;  // the folder the call leaves in the path
};

const UniqueCase kUniqueCases[] = {
    {"free name", {}, {}, true, "Book"},
    {"taken once", {"Book"}, {}, true, "Book+1"},
    {"taken twice", {"Book", "Book+1"}, {}, true, "Book+2"},
    {"a gap is reused", {"Book", "Book+2"}, {}, true, "Book+1"},
    {"a file in the way", {}, {"Book"}, false, ""},
};

TEST(MakeUniqueFolder, NumbersATakenNameAndRefusesAFileInTheWay) {
    for (const UniqueCase& c : kUniqueCases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        for (const std::string& f : c.folders) {
            dir.Write(f + "/keep", "x");
        }
        for (const std::string& f : c.files) {
            dir.Write(f, "x");
        }
        StrBuf path;
        path.Assign(dir.Path("Book").c_str());
        ASSERT_EQ(MakeUniqueFolder(&path), c.ok);
        if (c.ok) {
            EXPECT_EQ(std::u16string(path.Text()), dir.Path(c.made));
            EXPECT_TRUE(std::filesystem::is_directory(NativePath(path.Text())));
        }
    }
}

TEST(MakeUniqueFolder, GivesUpPastTheLongestPath) {
    ScratchDir dir;
    StrBuf path;
    path.Assign((dir.Path() + u"\\" + std::u16string(kMaxJobPath, u'a')).c_str());
    EXPECT_FALSE(MakeUniqueFolder(&path));
}

MemberListPtr ListOf(const std::vector<std::pair<std::u16string, std::u16string>>& members) {
    MemberListPtr list(NewMemberList(static_cast<int32_t>(members.size())));
    for (const auto& [folder, name] : members) {
        ArchiveMember& m = list->members[list->count++];
        m.folder.Assign(folder.c_str());
        m.name.Assign(name.c_str());
    }
    return list;
}

struct TopCase {
    const char* label;
    std::vector<std::pair<std::u16string, std::u16string>> members;
    uint32_t answer;
};

const TopCase kTopCases[] = {
    {"all under Book", {{u"Book\\", u"a.jpg"}, {u"Book\\sub\\", u"b.jpg"}}, 5},
    {"other case counts", {{u"BOOK\\", u"a.jpg"}, {u"book\\", u""}}, 5},
    {"one member at the root", {{u"", u"a.jpg"}, {u"Book\\", u"b.jpg"}}, 0},
    {"a longer first folder", {{u"Book 2\\", u"a.jpg"}}, 0},
    {"a shorter first folder", {{u"Boo\\", u"a.jpg"}}, 0},
    {"no members", {}, 0},
};

TEST(HasOwnTopFolder, AnswersTheBaseLengthOnlyWhenEveryMemberIsUnderIt) {
    for (const TopCase& c : kTopCases) {
        SCOPED_TRACE(c.label);
        MemberListPtr list = ListOf(c.members);
        EXPECT_EQ(HasOwnTopFolder(list.get(), u"Book", 4), c.answer);
    }
}

struct InsideCase {
    const char16_t* path;
    bool inside;
};

const InsideCase kInsideCases[] = {
    {u"a.jpg", true},
    {u"sub\\a.jpg", true},
    {u".nomedia", true},
    {u"a..b\\c..", true},
    {u"..\\evil.txt", false},
    {u"../evil.txt", false},
    {u"sub\\..\\..\\evil.txt", false},
    {u"sub/../../evil.txt", false},
    {u"\\abs.txt", false},
    {u"/etc/passwd", false},
    {u"\\\\server\\share\\x", false},
    {u"//server/share/x", false},
    {u"C:\\x.txt", false},
    {u"C:x.txt", false},
    {u"a.txt:stream", false},
    {u"...\\x", false},
    {u".. \\x", false},
    {u"sub\\..", false},
};

TEST(IsInsidePath, RefusesEveryWayOutOfTheTarget) {
    for (const InsideCase& c : kInsideCases) {
        SCOPED_TRACE(Utf8(c.path, TextLength(c.path)));
        EXPECT_EQ(IsInsidePath(c.path, TextLength(c.path)), c.inside);
    }
}

TEST(WriteFileViaTemp, ReplacesTheFileAndSetsItsTime) {
    ScratchDir dir;
    dir.Write("out.bin", "old contents that are longer");
    const std::string bytes = "new";
    const uint64_t time = DosTimeToFiletime(0x5821, 0x6000);
    ASSERT_TRUE(WriteFileViaTemp(dir.Path("out.bin").c_str(), reinterpret_cast<const uint8_t*>(bytes.data()),
                                 bytes.size(), time, nullptr));
    EXPECT_EQ(dir.Read("out.bin"), "new");
    uint64_t got = 0;
    ASSERT_TRUE(GetPathTime(dir.Path("out.bin").c_str(), &got));
    EXPECT_EQ(got, time);
    EXPECT_FALSE(WriteFileViaTemp(dir.Path("missing/out.bin").c_str(),
                                  reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), 0, nullptr));
}

}  // namespace
