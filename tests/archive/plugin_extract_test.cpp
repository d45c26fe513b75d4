// Extraction through a fake archive plug-in: members land below the target
// folder, and a member path that climbs out of it is never written.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/plugin_extract.h"
#include "tests/support/fake_plugins.h"
#include "tests/support/scratch_dir.h"

namespace {

FakePlugin ArchivePlugin(const std::vector<std::pair<std::string, std::string>>& members) {
    FakePlugin p;
    p.file = u"arc.sph";
    p.kind = "00AM";
    for (const auto& [path, name] : members) {
        std::vector<uint8_t> r = MakeMemberRecord(path, name, 40, 5, 0);
        p.archiveInfo.insert(p.archiveInfo.end(), r.begin(), r.end());
    }
    p.member = {'b', 'y', 't', 'e', 's'};
    p.patterns = {"*.far"};
    p.descriptions = {"Fake archive"};
    return p;
}

// A file the fake plug-in takes: it begins with "FAKE".
std::vector<uint8_t> Accepted() {
    std::vector<uint8_t> bytes(3000, 0x11);
    std::memcpy(bytes.data(), "FAKE", 4);
    return bytes;
}

TEST(PluginExtractAll, WritesMembersAndSkipsPathsOutOfTheTarget) {
    const struct {
        const char* label;
        std::vector<std::pair<std::string, std::string>> members;
        bool ok;
        std::vector<std::string> files;  // below the target folder
        uint32_t unsafe;
    } kCases[] = {
        {"loose and nested members", {{"", "a.jpg"}, {"sub\\", "b.jpg"}}, true, {"a.jpg", "sub/b.jpg"}, 0},
        {"climbing members are skipped", {{"..\\..\\", "evil.jpg"}, {"", "ok.jpg"}}, true, {"ok.jpg"}, 1},
        {"nothing but climbing members fails", {{"..\\", "evil.jpg"}, {"C:\\", "x.jpg"}}, false, {}, 2},
    };
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.label);
        FakePluginHost host({ArchivePlugin(c.members)});
        const std::u16string path = host.WriteFile("Book.far", Accepted());
        ScratchDir dir;
        FileJob job;
        job.source.Assign(path.c_str());
        job.destination.Assign(dir.Path().c_str());
        EXPECT_EQ(PluginExtractAll(&job), c.ok);
        EXPECT_EQ(job.unsafeMembers, c.unsafe);
        std::vector<std::string> got;
        for (const std::string& rel : dir.List()) {
            if (!std::filesystem::is_directory(dir.native() / rel)) {
                got.push_back(rel.substr(rel.find('/') + 1));
            }
        }
        EXPECT_EQ(got, c.files);
        EXPECT_TRUE(host.AllReleased());
    }
}

}  // namespace
