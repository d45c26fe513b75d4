// Whole-archive RAR extraction over the stand-in library: which folder the
// library is told to write into, and when the job stops.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "archive/rar_extract.h"
#include "archive/rar_library.h"
#include "tests/support/fake_rar.h"
#include "tests/support/scratch_dir.h"

namespace {

FakeRarArchive Archive(std::initializer_list<const char16_t*> names) {
    FakeRarArchive a;
    for (const char16_t* n : names) {
        FakeRarMember m;
        m.name = n;
        m.data = "bytes";
        a.members.push_back(m);
    }
    return a;
}

struct RarCase {
    const char* label;
    FakeRarArchive archive;
    std::vector<std::string> before;  // folders present in out/ before the job
    int cancelAfter;                  // polls until the cancel; 0 never
    bool ok;
    std::string target;  // below the scratch folder
    size_t extracts;
};

class RarExtractTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FakeRarReset();
        RarSetEntryPointsOverride(&FakeRarEntryPoints());
    }
    void TearDown() override {
        RarSetEntryPointsOverride(nullptr);
        EXPECT_EQ(FakeRar().opens, FakeRar().closes) << "every open archive closed";
    }
};

TEST_F(RarExtractTest, ChoosesTheTargetFolderAndStopsOnCancel) {
    const RarCase cases[] = {
        {"loose members: a base-name folder", Archive({u"a.jpg", u"sub\\b.jpg"}), {}, 0, true, "out/book", 2},
        {"own top folder: the destination itself",
         Archive({u"book\\a.jpg", u"BOOK\\b.jpg"}),
         {},
         0,
         true,
         "out",
         2},
        {"base name taken: numbered",
         Archive({u"book\\a.jpg"}),
         {"book", "book+1"},
         0,
         true,
         "out/book+2",
         1},
        {"cancel after the first member",
         Archive({u"a.jpg", u"b.jpg", u"c.jpg"}),
         {},
         1,
         true,
         "out/book",
         1},
    };
    for (const RarCase& c : cases) {
        SCOPED_TRACE(c.label);
        FakeRarReset();
        ScratchDir dir;
        dir.Write("out/.keep", "");
        for (const std::string& f : c.before) {
            dir.Write("out/" + f + "/.keep", "");
        }
        const std::u16string source = dir.Path("book.rar");
        FakeRar().archives[source] = c.archive;
        int polls = c.cancelAfter;
        JobOps ops{};
        ops.ctx = &polls;
        ops.cancelled = [](void* ctx) { return --*static_cast<int*>(ctx) == 0; };
        FileJob job;
        job.ops = &ops;
        job.source.Assign(source.c_str());
        job.destination.Assign(dir.Path("out").c_str());
        RarContext context;
        EXPECT_EQ(RarExtractAll(&context, &job), c.ok);
        EXPECT_EQ(std::u16string(job.destination.Text()), dir.Path(c.target));
        EXPECT_EQ(FakeRar().extractedInto, std::vector<std::u16string>(c.extracts, dir.Path(c.target)));
        EXPECT_TRUE(std::filesystem::is_directory(NativePath(job.destination.Text())));
    }
}

TEST_F(RarExtractTest, AMissingArchiveOrAFileInTheWayFails) {
    ScratchDir dir;
    dir.Write("out/book", "a file");
    FileJob job;
    job.source.Assign(dir.Path("missing.rar").c_str());
    job.destination.Assign(dir.Path("out").c_str());
    RarContext context;
    EXPECT_FALSE(RarExtractAll(&context, &job));
    FakeRar().archives[dir.Path("book.rar")] = Archive({u"a.jpg"});
    job.source.Assign(dir.Path("book.rar").c_str());
    EXPECT_FALSE(RarExtractAll(&context, &job));
    EXPECT_TRUE(FakeRar().extractedInto.empty());
    EXPECT_EQ(dir.Read("out/book"), "a file");
}

}  // namespace
