// TAR walking: ustar prefixes, GNU and pax long names, base-256 sizes, members
// that run past the file, end blocks.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugins/tar/tar_index.h"
#include "tests/support/tar_builder.h"

namespace {

using Bytes = TarBytes;

bool Read(void* ctx, uint64_t offset, void* buffer, uint32_t n) {
    const auto* bytes = static_cast<const Bytes*>(ctx);
    if (offset > bytes->size() || bytes->size() - offset < n) {
        return false;
    }
    std::memcpy(buffer, bytes->data() + offset, n);
    return true;
}

struct Found {
    std::vector<std::string> names;
    std::vector<TarMember> members;
};

bool Collect(void* ctx, const TarMember& m) {
    static_cast<Found*>(ctx)->names.emplace_back(m.name);
    static_cast<Found*>(ctx)->members.push_back(m);
    return true;
}

TEST(TarWalk, Archives) {
    const std::string longName = std::string(150, 'd') + "/page.png";
    const Bytes end(1024, 0);
    Bytes truncated = TarJoin({TarEntry("a.png", "AAAA"), TarEntry("b.png", std::string(2000, 'b'))});
    truncated.resize(512 + 512 + 512 + 1000);
    const struct {
        const char* label;
        Bytes tar;
        bool ok;
        std::vector<std::string> names;
    } kCases[] = {
        {"plain with folder",
         TarJoin({TarEntry("sub/", "", '5'), TarEntry("sub/p1.png", "xyz"), end}),
         true,
         {"sub/p1.png"}},
        {"ustar prefix", TarJoin({TarEntry("p.png", "1", '0', "deep/er"), end}), true, {"deep/er/p.png"}},
        {"GNU long name",
         TarJoin({TarEntry("././@LongLink", longName + '\0', 'L'), TarEntry("trunc", "x"), end}),
         true,
         {longName}},
        {"pax path",
         TarJoin({TarEntry("pax", "29 path=x/very-long-name.png\n", 'x'), TarEntry("short", "x"), end}),
         true,
         {"x/very-long-name.png"}},
        {"base-256 size",
         TarJoin({TarEntry("big.png", "0123456789", '0', "", true), end}),
         true,
         {"big.png"}},
        {"no end blocks", TarEntry("only.png", "q"), true, {"only.png"}},
        {"member past the end", truncated, true, {"a.png"}},
        {"links and devices skipped",
         TarJoin({TarEntry("l", "", '2'), TarEntry("f.png", "z"), end}),
         true,
         {"f.png"}},
        {"not a tar", Bytes(2048, 'n'), false, {}},
        {"empty", Bytes{}, false, {}},
    };
    for (const auto& c : kCases) {
        Found f;
        const TarSource src{const_cast<Bytes*>(&c.tar), Read, c.tar.size()};
        EXPECT_EQ(TarWalk(src, 0, Collect, &f), c.ok) << c.label;
        EXPECT_EQ(f.names, c.names) << c.label;
    }
}

TEST(TarWalk, MembersFoundAgainByHeader) {
    const Bytes tar = TarJoin({Bytes(128, 0x77), TarEntry("a.png", "AAAA"),
                               TarEntry("b.png", std::string(700, 'b')), TarEntry("empty.png", "")});
    const TarSource src{const_cast<Bytes*>(&tar), Read, tar.size()};
    Found f;
    ASSERT_TRUE(TarWalk(src, 128, Collect, &f));  // behind a 128-byte header
    ASSERT_EQ(f.members.size(), 3u);
    EXPECT_EQ(f.members[1].size, 700u);
    EXPECT_EQ(f.members[0].modified, 1700000000);
    for (const TarMember& m : f.members) {
        TarMember again;
        ASSERT_TRUE(TarMemberAt(src, m.header, &again)) << m.name;
        EXPECT_EQ(again.data, m.data);
        EXPECT_EQ(again.size, m.size);
    }
    TarMember none;
    EXPECT_FALSE(TarMemberAt(src, 0, &none));
    EXPECT_FALSE(TarMemberAt(src, f.members[0].header + 1, &none));
    EXPECT_FALSE(TarMemberAt(src, tar.size(), &none));
}

}  // namespace
