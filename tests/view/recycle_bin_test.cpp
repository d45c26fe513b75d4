// Recycle-bin names: INFO2 records (level 1) and "$I" files (levels 2 and above),
// built byte by byte in the tests.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/book_fixture.h"
#include "view/recycle_bin.h"

namespace {

void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    for (size_t i = 0; i < 4; ++i) {
        b[at + i] = static_cast<uint8_t>(v >> (8 * i));
    }
}

void Put64(std::vector<uint8_t>& b, size_t at, uint64_t v) {
    Put32(b, at, static_cast<uint32_t>(v));
    Put32(b, at + 4, static_cast<uint32_t>(v >> 32));
}

void PutWide(std::vector<uint8_t>& b, size_t at, const std::u16string& s) {
    for (size_t i = 0; i < s.size(); ++i) {
        b[at + 2 * i] = static_cast<uint8_t>(s[i]);
        b[at + 2 * i + 1] = static_cast<uint8_t>(s[i] >> 8);
    }
}

struct Info2Spec {
    uint32_t record;
    uint32_t drive;
    uint64_t deleted;
    std::u16string path;
};

// An INFO2 file: 20-byte header (version 5, record size 800), then the records.
std::vector<uint8_t> MakeInfo2(const std::vector<Info2Spec>& records, size_t cutLast = 0) {
    std::vector<uint8_t> b(kInfo2HeaderSize + records.size() * kInfo2RecordSize, 0);
    Put32(b, 0, 5);
    Put32(b, 12, kInfo2RecordSize);
    for (size_t i = 0; i < records.size(); ++i) {
        size_t at = kInfo2HeaderSize + i * kInfo2RecordSize;
        std::string ansi = Narrow(records[i].path);
        for (size_t k = 0; k < ansi.size() && k < 259; ++k) {
            b[at + k] = static_cast<uint8_t>(ansi[k]);
        }
        Put32(b, at + 260, records[i].record);
        Put32(b, at + 264, records[i].drive);
        Put64(b, at + 268, records[i].deleted);
        Put32(b, at + 276, 4096);
        PutWide(b, at + 280, records[i].path);
    }
    b.resize(b.size() - cutLast);
    return b;
}

// A "$I" file of version 1 (fixed 544 bytes) or 2 (counted path).
std::vector<uint8_t> MakeRecycleInfo(int version,
                                     uint64_t deleted,
                                     const std::u16string& path,
                                     uint32_t unitsField = 0) {
    std::vector<uint8_t> b;
    if (version == 2) {
        b.assign(28 + 2 * (path.size() + 1), 0);
        Put32(b, 24, unitsField != 0 ? unitsField : static_cast<uint32_t>(path.size() + 1));
        PutWide(b, 28, path);
    } else {
        b.assign(kRecycleInfoV1Size, 0);
        PutWide(b, 24, path);
    }
    Put64(b, 0, static_cast<uint64_t>(version));
    Put64(b, 8, 12345);
    Put64(b, 16, deleted);
    return b;
}

struct Bin {
    TempFolder folder;
    PageList* list = nullptr;
    int32_t count = 0;

    ~Bin() { FreePageList(list); }
    // Entries as the shell-folder listing leaves them: location = full path,
    // name = the bin's own file name.
    void SetEntries(const std::vector<std::u16string>& binNames) {
        list = NewPageList(static_cast<int32_t>(binNames.size()));
        count = static_cast<int32_t>(binNames.size());
        for (size_t i = 0; i < binNames.size(); ++i) {
            list->entries[i].location.Assign(folder.Join(binNames[i]).c_str());
            list->entries[i].name.Assign(binNames[i].c_str());
            list->entries[i].modified = 1;
        }
    }
    std::u16string Name(int i) const { return list->entries[i].name.Text(); }
    std::u16string Location(int i) const { return list->entries[i].location.Text(); }
    uint64_t Modified(int i) const { return list->entries[i].modified; }
};

TEST(RecycleBinTest, Info2NamesByDriveAndRecordNumber) {
    Bin bin;
    ASSERT_TRUE(bin.folder.AddBytes(u"INFO2", MakeInfo2({
                                                  {1, 2, 111, u"C:\\Comics\\page07.jpg"},
                                                  {12, 3, 222, u"D:\\Scans\\cover.PNG"},
                                                  {1, 3, 333, u"D:\\other\\one.gif"},
                                                  {5, 40, 444, u"Q:\\bad drive.jpg"},
                                              })));
    bin.SetEntries({u"Dc1.jpg", u"DD12.png", u"Dc3.jpg", u"Dd1.gif"});
    RecycleBinNames(bin.list->entries, bin.count, 1);
    struct Want {
        std::u16string name;
        uint64_t modified;
    };
    const Want kWant[] = {{u"page07.jpg", 111}, {u"cover.PNG", 222}, {u"Dc3.jpg", 1}, {u"one.gif", 333}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bin.Name(i), kWant[i].name) << "entry " << i;
        EXPECT_EQ(bin.Modified(i), kWant[i].modified) << "entry " << i;
    }
}

// A record is matched against the bin's own file name, not a name already
// rewritten by an earlier record: "Dc1.jpg" renamed to "Dc2.jpg" must not be
// renamed again by record 2.
TEST(RecycleBinTest, Info2RenamesDoNotChain) {
    Bin bin;
    ASSERT_TRUE(bin.folder.AddBytes(u"INFO2", MakeInfo2({
                                                  {1, 2, 10, u"C:\\a\\Dc2.jpg"},
                                                  {2, 2, 20, u"C:\\a\\second.jpg"},
                                              })));
    bin.SetEntries({u"Dc1.jpg", u"Dc2.jpg"});
    RecycleBinNames(bin.list->entries, bin.count, 1);
    EXPECT_EQ(bin.Name(0), u"Dc2.jpg");
    EXPECT_EQ(bin.Modified(0), 10u);
    EXPECT_EQ(bin.Name(1), u"second.jpg");
}

TEST(RecycleBinTest, Info2FaultsLeaveNames) {
    struct Case {
        const char* what;
        bool write;
        size_t cutLast;
        bool wantRenamed;
    };
    static const Case kCases[] = {
        {"no INFO2", false, 0, false},
        {"last record cut short", true, 1, false},
        {"whole records", true, 0, true},
    };
    for (const Case& c : kCases) {
        Bin bin;
        if (c.write) {
            ASSERT_TRUE(
                bin.folder.AddBytes(u"INFO2", MakeInfo2({{7, 2, 9, u"C:\\x\\seven.jpg"}}, c.cutLast)));
        }
        bin.SetEntries({u"Dc7.jpg"});
        RecycleBinNames(bin.list->entries, bin.count, 1);
        EXPECT_EQ(bin.Name(0), c.wantRenamed ? u"seven.jpg" : u"Dc7.jpg") << c.what;
    }
}

TEST(RecycleBinTest, InfoFilesOfBothVersions) {
    Bin bin;
    ASSERT_TRUE(
        bin.folder.AddBytes(u"$IAB12CD.jpg", MakeRecycleInfo(1, 1001, u"C:\\Comics\\vol1\\p001.jpg")));
    ASSERT_TRUE(
        bin.folder.AddBytes(u"$IQW3.png", MakeRecycleInfo(2, 1002, u"E:\\long folder name\\p002.png")));
    // $R4 has no $I file, $R5's is cut short, $R6's counts more units than it holds,
    // $R7's path ends in a separator.
    std::vector<uint8_t> cut = MakeRecycleInfo(1, 1005, u"C:\\cut.jpg");
    cut.resize(kRecycleInfoV1Size - 1);
    ASSERT_TRUE(bin.folder.AddBytes(u"$I5.jpg", cut));
    ASSERT_TRUE(bin.folder.AddBytes(u"$I6.jpg", MakeRecycleInfo(2, 1006, u"C:\\six.jpg", 4000)));
    ASSERT_TRUE(bin.folder.AddBytes(u"$I7.jpg", MakeRecycleInfo(1, 1007, u"C:\\folder\\")));
    bin.SetEntries({u"$RAB12CD.jpg", u"$RQW3.png", u"$R4.jpg", u"$R5.jpg", u"$R6.jpg", u"$R7.jpg"});
    RecycleBinNames(bin.list->entries, bin.count, 3);
    struct Want {
        std::u16string name;
        uint64_t modified;
    };
    const Want kWant[] = {{u"p001.jpg", 1001}, {u"p002.png", 1002}, {u"$R4.jpg", 1},
                          {u"$R5.jpg", 1},     {u"$R6.jpg", 1},     {u"$R7.jpg", 1}};
    const std::u16string kBinNames[] = {u"$RAB12CD.jpg", u"$RQW3.png", u"$R4.jpg",
                                        u"$R5.jpg",      u"$R6.jpg",   u"$R7.jpg"};
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(bin.Name(i), kWant[i].name) << "entry " << i;
        EXPECT_EQ(bin.Modified(i), kWant[i].modified) << "entry " << i;
        EXPECT_EQ(bin.Location(i), bin.folder.Join(kBinNames[i])) << "location restored, entry " << i;
    }
}

TEST(RecycleBinTest, ParseRecycleInfoBounds) {
    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        bool want;
        uint32_t units;
    };
    std::vector<uint8_t> v2 = MakeRecycleInfo(2, 5, u"C:\\a.jpg");
    std::vector<uint8_t> v2zero = v2;
    Put32(v2zero, 24, 0);
    std::vector<uint8_t> v1 = MakeRecycleInfo(1, 5, u"C:\\a.jpg");
    const Case kCases[] = {
        {"empty", {}, false, 0},
        {"header only", std::vector<uint8_t>(27, 0), false, 0},
        {"version 2", v2, true, 9},
        {"version 2 without units", v2zero, false, 0},
        {"version 2 one unit short", std::vector<uint8_t>(v2.begin(), v2.end() - 1), false, 0},
        {"version 1", v1, true, kRecyclePathUnits},
        {"version 1 short", std::vector<uint8_t>(v1.begin(), v1.begin() + 543), false, 0},
    };
    for (const Case& c : kCases) {
        RecycleInfo info{};
        bool ok = ParseRecycleInfo(c.bytes.empty() ? nullptr : c.bytes.data(),
                                   static_cast<uint32_t>(c.bytes.size()), &info);
        EXPECT_EQ(ok, c.want) << c.what;
        if (ok) {
            EXPECT_EQ(info.pathUnits, c.units) << c.what;
            EXPECT_EQ(info.deleted, 5u) << c.what;
        }
    }
    std::vector<uint8_t> record(kInfo2RecordSize - 1, 0);
    Info2Record r{};
    EXPECT_FALSE(ParseInfo2Record(record.data(), static_cast<uint32_t>(record.size()), &r));
}

// A path that fills all 260 units without a terminator is taken whole, and the
// read never leaves the 260 units.
TEST(RecycleBinTest, DeletedNameOfAFullPath) {
    std::u16string path = u"C:\\" + std::u16string(kRecyclePathUnits - 3 - 5, u'd') + u"\\x.jpg";
    path.resize(kRecyclePathUnits);
    std::vector<uint8_t> bytes(size_t{2} * kRecyclePathUnits, 0);
    PutWide(bytes, 0, path);
    StrBuf name;
    ASSERT_TRUE(AssignDeletedName(&name, bytes.data(), kRecyclePathUnits));
    EXPECT_EQ(std::u16string(name.Text()), path.substr(path.rfind(u'\\') + 1));
}

}  // namespace
