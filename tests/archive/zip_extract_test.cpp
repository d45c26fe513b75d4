// The ZIP extraction job body over archives built byte by byte: where members
// land, which are skipped, and what a cancel keeps.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/zip_extract.h"
#include "archive/zip_host.h"
#include "platform/dir.h"
#include "tests/support/scratch_dir.h"
#include "tests/support/zip_builder.h"

namespace {

ZipEntrySpec Member(const std::string& name, const std::string& data, uint16_t method = 8) {
    ZipEntrySpec e;
    e.name = name;
    e.data = data;
    e.method = method;
    return e;
}

ZipEntrySpec BadCrc(const std::string& name) {
    ZipEntrySpec e = Member(name, "payload");
    e.overrideCrc = true;
    e.crc = 0x12345678;
    return e;
}

// Writes Book.zip into dir/in and extracts it into dir/out.
bool Extract(const ScratchDir& dir, const std::vector<ZipEntrySpec>& entries, FileJob* job) {
    ZipImage zip = MakeZip(entries);
    dir.Write("in/Book.zip", std::string(zip.bytes.begin(), zip.bytes.end()));
    dir.Write("out/.keep", "");
    job->source.Assign(dir.Path("in/Book.zip").c_str());
    job->destination.Assign(dir.Path("out").c_str());
    return ZipExtractAll(job);
}

struct ExtractCase {
    const char* label;
    std::vector<ZipEntrySpec> entries;
    std::vector<std::string> files;  // below out/, with their contents after '='
    uint32_t unsafe;
};

const ExtractCase kExtractCases[] = {
    {"own top folder is not doubled",
     {Member("Book/a.jpg", "A"), Member("Book/sub/b.jpg", "B", 0)},
     {"Book/a.jpg=A", "Book/sub/b.jpg=B"},
     0},
    {"top folder in another case", {Member("BOOK/a.jpg", "A"), Member("BOOK/", "", 0)}, {"Book/a.jpg=A"}, 0},
    {"loose members go under the base",
     {Member("a.jpg", "A"), Member("x/b.jpg", "B")},
     {"Book/a.jpg=A", "Book/x/b.jpg=B"},
     0},
    {"one root member keeps the nested top folder",
     {Member("a.jpg", "A"), Member("Book/b.jpg", "B")},
     {"Book/Book/b.jpg=B", "Book/a.jpg=A"},
     0},
    {"the later of two same names wins",
     {Member("a.jpg", "first"), Member("a.jpg", "second")},
     {"Book/a.jpg=second"},
     0},
    {"a member failing its CRC is skipped",
     {BadCrc("bad.jpg"), Member("good.jpg", "G")},
     {"Book/good.jpg=G"},
     0},
    {"paths out of the target are skipped and counted",
     {Member("../evil1.txt", "E"), Member("/abs.txt", "E"), Member("C:/drive.txt", "E"),
      Member("\\\\srv\\share\\unc.txt", "E"), Member("a/../../evil2.txt", "E"), Member("..\\evil3.txt", "E"),
      Member("ok.txt", "K")},
     {"Book/ok.txt=K"},
     6},
};

TEST(ZipExtractAll, PlacesSkipsAndReplacesMembers) {
    for (const ExtractCase& c : kExtractCases) {
        SCOPED_TRACE(c.label);
        ScratchDir dir;
        FileJob job;
        ASSERT_TRUE(Extract(dir, c.entries, &job));
        EXPECT_EQ(std::u16string(job.destination.Text()), dir.Path("out/Book"));
        EXPECT_EQ(job.unsafeMembers, c.unsafe);
        std::vector<std::string> got;
        for (const std::string& rel : dir.List()) {
            if (rel.rfind("out/Book/", 0) == 0 && !std::filesystem::is_directory(dir.native() / rel)) {
                got.push_back(rel.substr(4) + "=" + dir.Read(rel));
            }
        }
        EXPECT_EQ(got, c.files);
        // Nothing escaped next to the target or above the scratch folder.
        for (const std::string& rel : dir.List()) {
            EXPECT_EQ(rel.find("evil"), std::string::npos) << rel;
        }
        EXPECT_FALSE(std::filesystem::exists(dir.native().parent_path() / "evil1.txt"));
    }
}

TEST(ZipExtractAll, ExtractedFilesCarryTheMemberTime) {
    ScratchDir dir;
    ZipEntrySpec e = Member("a.jpg", "A");
    e.dosDate = 0x4B2F;  // 2017-09-15
    e.dosTime = 0x7A4F;  // 15:18:30
    FileJob job;
    ASSERT_TRUE(Extract(dir, {e}, &job));
    uint64_t time = 0;
    ASSERT_TRUE(GetPathTime(dir.Path("out/Book/a.jpg").c_str(), &time));
    EXPECT_EQ(time, DosTimeToFiletime(0x4B2F, 0x7A4F));
}

TEST(ZipExtractAll, ASecondRunGetsANumberedFolderAndAFileInTheWayFails) {
    ScratchDir dir;
    FileJob first;
    ASSERT_TRUE(Extract(dir, {Member("a.jpg", "A")}, &first));
    FileJob second;
    ASSERT_TRUE(Extract(dir, {Member("a.jpg", "A")}, &second));
    EXPECT_EQ(std::u16string(second.destination.Text()), dir.Path("out/Book+1"));
    EXPECT_EQ(dir.Read("out/Book+1/a.jpg"), "A");

    ScratchDir blocked;
    blocked.Write("out/Book", "a file, not a folder");
    FileJob third;
    EXPECT_FALSE(Extract(blocked, {Member("a.jpg", "A")}, &third));
    EXPECT_EQ(blocked.Read("out/Book"), "a file, not a folder");
}

TEST(ZipExtractAll, UnreadableArchivesFailAndCancelKeepsWhatWasWritten) {
    ScratchDir dir;
    dir.Write("in/Book.zip", "not an archive at all");
    FileJob job;
    job.source.Assign(dir.Path("in/Book.zip").c_str());
    job.destination.Assign(dir.Path().c_str());
    EXPECT_FALSE(ZipExtractAll(&job));
    job.source.Assign(dir.Path("in/missing.zip").c_str());
    EXPECT_FALSE(ZipExtractAll(&job));

    struct Poll {
        int steps = 0;
        int polls = 0;
        bool opened = false;
        bool closed = false;
    } poll;
    JobOps ops{};
    ops.ctx = &poll;
    ops.open = [](void* c) { static_cast<Poll*>(c)->opened = true; };
    ops.step = [](void* c) { ++static_cast<Poll*>(c)->steps; };
    ops.cancelled = [](void* c) { return ++static_cast<Poll*>(c)->polls == 1; };
    ops.close = [](void* c) { static_cast<Poll*>(c)->closed = true; };
    FileJob cancelled;
    cancelled.ops = &ops;
    ASSERT_TRUE(Extract(dir, {Member("a.jpg", "A"), Member("b.jpg", "B")}, &cancelled));
    EXPECT_TRUE(dir.Exists("out/Book/a.jpg"));
    EXPECT_FALSE(dir.Exists("out/Book/b.jpg"));
    EXPECT_EQ(poll.polls, 1);
    EXPECT_EQ(poll.steps, 2);
    EXPECT_TRUE(poll.opened && poll.closed);
}

}  // namespace
