// Finding the end record and listing members.
#include <gtest/gtest.h>

#include "archive/zip_host.h"
#include "archive/zip_reader.h"
#include "platform/heap.h"
#include "tests/support/zip_builder.h"

namespace {

std::string Path(const ArchiveMember& m) {
    return Utf8(m.folder.Text(), m.folder.length) + "|" + Utf8(m.name.Text(), m.name.length);
}

std::vector<ZipEntrySpec> TwoPages() {
    ZipEntrySpec a;
    a.name = "p01.jpg";
    a.data = std::string(3000, 'a');
    ZipEntrySpec b;
    b.name = "p02.jpg";
    b.data = "stored bytes";
    b.method = 0;
    return {a, b};
}

struct EndCase {
    const char* label;
    size_t commentLength;
    int commentLengthField;  // -1: the true length
    bool found;
};

// 65,557 bytes before the end is the farthest a record can start and be found.
const EndCase kEndCases[] = {
    {"no comment: first probe", 0, -1, true},
    {"1-byte comment", 1, -1, true},
    {"short archive with comment", 1000, -1, true},
    {"65,535-byte comment", 65535, -1, true},
    {"record one byte too far from the end", 65536, 65535, false},
    {"record far from the end", 200000, 0, false},
};

TEST(ZipFindEnd, SearchesBackThroughTheComment) {
    for (const EndCase& c : kEndCases) {
        ZipImage zip = MakeZip(TwoPages(), std::string(c.commentLength, 'c'), c.commentLengthField);
        OpenedZip f(zip.bytes);
        ZipEnd end = ZipFindEnd(f.id());
        if (!c.found) {
            EXPECT_EQ(end.entries, 0u) << c.label;
            EXPECT_EQ(ZipListMembers(f.id()), nullptr) << c.label;
            continue;
        }
        EXPECT_EQ(end.entries, 2u) << c.label;
        EXPECT_EQ(end.directoryOffset, zip.directoryOffset) << c.label;
        MemberListPtr list(ZipListMembers(f.id()));
        ASSERT_NE(list.get(), nullptr) << c.label;
        EXPECT_EQ(list->count, 2) << c.label;
    }
}

TEST(ZipFindEnd, NearestSignatureInCommentWins) {
    // A comment that holds the signature after the real record: the later, false
    // record is taken and its directory offset leads nowhere.
    std::string comment = "note ";
    comment += std::string("PK\x05\x06", 4) + std::string(18, '\x7f') + " end";
    ZipImage zip = MakeZip(TwoPages(), comment);
    OpenedZip f(zip.bytes);
    ZipEnd end = ZipFindEnd(f.id());
    EXPECT_EQ(end.entries, 0x7f7fu);
    EXPECT_EQ(ZipListMembers(f.id()), nullptr);
}

TEST(ZipFindEnd, TinyAndForeignFiles) {
    const struct {
        const char* label;
        std::string bytes;
    } kCases[] = {
        {"empty file", ""},
        {"shorter than a record", "PK\x05\x06"},
        {"bare record, no entries", std::string("PK\x05\x06", 4) + std::string(18, '\0')},
        {"text file", std::string(70000, 't')},
    };
    for (const auto& c : kCases) {
        TempFile t(c.bytes);
        FileHandle h(FileOpenRead(t.path()));
        ASSERT_TRUE(h.valid()) << c.label;
        EXPECT_EQ(ZipFindEnd(h.get()).entries, 0u) << c.label;
        EXPECT_EQ(ZipListMembers(h.get()), nullptr) << c.label;
    }
}

TEST(ZipListMembers, ListsPathsSizesAndLocators) {
    std::vector<ZipEntrySpec> entries(5);
    entries[0].name = "dir/sub/";
    entries[0].method = 0;
    entries[1].name = "dir/sub/p01.jpg";
    entries[1].data = std::string(10000, 'x');
    entries[2].name = "p02.jpg";
    entries[2].data = "abc";
    entries[2].method = 0;
    entries[2].extra = std::string("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);
    entries[2].comment = "a member comment";
    entries[3].name = "a\\b.png";
    entries[3].flags = 8;
    entries[3].data = "descriptor";
    entries[4].name = "last.gif";
    entries[4].data.assign(1, 'z');
    ZipImage zip = MakeZip(entries);
    OpenedZip f(zip.bytes);
    MemberListPtr list(ZipListMembers(f.id()));
    ASSERT_NE(list.get(), nullptr);
    ASSERT_EQ(list->count, 5);
    const char* kPaths[] = {"dir\\sub\\|", "dir\\sub\\|p01.jpg", "|p02.jpg", "a\\|b.png", "|last.gif"};
    for (int i = 0; i < 5; ++i) {
        const ArchiveMember& m = list->members[i];
        EXPECT_EQ(Path(m), kPaths[i]) << "member " << i;
        EXPECT_EQ(m.locator, zip.locators[static_cast<size_t>(i)]) << "member " << i;
        EXPECT_EQ(m.size, entries[static_cast<size_t>(i)].data.size()) << "member " << i;
    }
    EXPECT_EQ(list->archiveTime, 0u);
}

TEST(ZipListMembers, ForeignMethodsAreLeftOut) {
    std::vector<ZipEntrySpec> entries = TwoPages();
    ZipEntrySpec bzip2;
    bzip2.name = "bz.jpg";
    bzip2.method = 12;
    bzip2.data = "BZh91AY&SY";
    ZipEntrySpec lzma = bzip2;
    lzma.name = "lzma.jpg";
    lzma.method = 14;
    entries.insert(entries.begin() + 1, bzip2);
    entries.push_back(lzma);
    ZipImage zip = MakeZip(entries);
    OpenedZip f(zip.bytes);
    MemberListPtr list(ZipListMembers(f.id()));
    ASSERT_NE(list.get(), nullptr);
    ASSERT_EQ(list->count, 2);
    EXPECT_EQ(list->capacity, 4);
    EXPECT_EQ(Path(list->members[0]), "|p01.jpg");
    EXPECT_EQ(Path(list->members[1]), "|p02.jpg");

    ZipImage foreignOnly = MakeZip({bzip2, lzma});
    OpenedZip g(foreignOnly.bytes);
    EXPECT_EQ(ZipListMembers(g.id()), nullptr);
}

TEST(ZipListMembers, NameEncoding) {
    const std::string kBytes = "\xC3\xBC/\xE6\x97\xA5.jpg";  // "ü/日.jpg" in UTF-8
    std::vector<ZipEntrySpec> entries(3);
    entries[0].name = kBytes;
    entries[0].flags = 0x0800;
    entries[1].name = kBytes;
    entries[2].name = "bad\xFF\xFE.jpg";
    entries[2].flags = 0x0800;
    ZipImage zip = MakeZip(entries);
    OpenedZip f(zip.bytes);
    MemberListPtr list(ZipListMembers(f.id()));
    ASSERT_NE(list.get(), nullptr);
    ASSERT_EQ(list->count, 3);
    EXPECT_EQ(std::u16string(list->members[0].folder.Text()), u"\u00FC\\");
    EXPECT_EQ(std::u16string(list->members[0].name.Text()), u"\u65E5.jpg");
    // Without the flag the same bytes are not taken as UTF-8: one unit per byte
    // in code page 437 (natively), the system's ANSI code page on Windows.
    EXPECT_NE(std::u16string(list->members[1].name.Text()), u"\u65E5.jpg");
#ifndef _WIN32
    EXPECT_EQ(std::u16string(list->members[1].folder.Text()), u"\u251C\u255D\\");
    EXPECT_EQ(std::u16string(list->members[1].name.Text()), u"\u00B5\u00F9\u00D1.jpg");
#endif
    // Malformed UTF-8 is replaced, not refused.
    EXPECT_NE(std::u16string(list->members[2].name.Text()).find(u'\uFFFD'), std::u16string::npos);
}

TEST(ZipListMembers, LongNamesAreCutAndLaterHeadersStillRead) {
    std::vector<ZipEntrySpec> entries(3);
    entries[0].name = "dir/" + std::string(296, 'n');
    entries[0].comment = std::string(40, 'c');
    entries[1].name = std::string(300, 'm');
    entries[2].name = "after.jpg";
    entries[2].data = "ok";
    ZipImage zip = MakeZip(entries);
    OpenedZip f(zip.bytes);
    MemberListPtr list(ZipListMembers(f.id()));
    ASSERT_NE(list.get(), nullptr);
    ASSERT_EQ(list->count, 3);
    EXPECT_EQ(Path(list->members[0]), "dir\\|" + std::string(255, 'n'));
    EXPECT_EQ(Path(list->members[1]), "|" + std::string(259, 'm'));
    EXPECT_EQ(Path(list->members[2]), "|after.jpg");
    EXPECT_EQ(list->members[2].locator, zip.locators[2]);
}

TEST(ZipListMembers, BrokenDirectoriesFailWhole) {
    ZipImage good = MakeZip(TwoPages());
    struct Case {
        const char* label;
        size_t at;  // byte to overwrite (SIZE_MAX: truncate the directory instead)
        uint8_t value;
    };
    const Case kCases[] = {
        {"bad second signature", good.directoryOffset + 46 + 7, 0x00},
        {"first signature", good.directoryOffset, 'X'},
        {"directory offset past the end", good.endOffset + 19, 0x7F},
        {"entry count beyond the directory", good.endOffset + 8, 0x03},
    };
    for (const Case& c : kCases) {
        std::vector<uint8_t> bytes = good.bytes;
        bytes[c.at] = c.value;
        OpenedZip f(bytes);
        EXPECT_EQ(ZipListMembers(f.id()), nullptr) << c.label;
    }
}

TEST(ZipListMembers, HeapRefusalAnywhereGivesNothing) {
    ZipImage zip = MakeZip(TwoPages());
    OpenedZip f(zip.bytes);
    bool listed = false;
    for (int failAt = 0; failAt < 64 && !listed; ++failAt) {
        AppHeapFailAfter(failAt);
        ArchiveMemberList* list = ZipListMembers(f.id());
        AppHeapFailAfter(-1);
        if (list != nullptr) {
            EXPECT_EQ(list->count, 2) << "failing allocation " << failAt;
            listed = true;
        }
        FreeMemberList(list);
    }
    EXPECT_TRUE(listed);
}

struct TimeCase {
    const char* label;
    uint16_t date;
    uint16_t time;
    uint64_t filetime;  // taken as UTC
};

const TimeCase kTimeCases[] = {
    {"DOS epoch", 0x0021, 0x0000, 119600064000000000ull},
    {"leap day, last second", (44 << 9) | (2 << 5) | 29, (23 << 11) | (59 << 5) | 29, 133537247980000000ull},
    {"last DOS year", (127 << 9) | (12 << 5) | 31, (23 << 11) | (59 << 5) | 29, 159992927980000000ull},
    {"month 0", 0x0001, 0, 0},
    {"day 0", 0x0020, 0, 0},
    {"30 February", (44 << 9) | (2 << 5) | 30, 0, 0},
    {"hour 24", 0x0021, 24 << 11, 0},
    {"minute 60", 0x0021, 60 << 5, 0},
};

TEST(DosTimeToFiletime, LocalTimeToUtc) {
    for (const TimeCase& c : kTimeCases) {
        uint64_t got = DosTimeToFiletime(c.date, c.time);
#ifdef _WIN32
        // The local zone is the host's: any offset within a day's width.
        constexpr uint64_t kDay = 864000000000ull;
        if (c.filetime == 0) {
            EXPECT_EQ(got, 0u) << c.label;
        } else {
            EXPECT_LT(got > c.filetime ? got - c.filetime : c.filetime - got, kDay) << c.label;
        }
#else
        EXPECT_EQ(got, c.filetime) << c.label;
#endif
    }
}

}  // namespace
