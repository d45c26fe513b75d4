// The plug-in host against a table of fake plug-ins: the search order, the
// disabled set, the 128-byte header offset, the calling forms and the release of
// every handle.
#include <gtest/gtest.h>

#include <cstring>

#include "archive/archive_member.h"
#include "archive/fetch_member.h"
#include "archive/plugin_host.h"
#include "platform/vm.h"
#include "tests/support/fake_plugins.h"

namespace {

std::vector<uint8_t> FileWith(const char* magic, size_t at, size_t size = 3000) {
    std::vector<uint8_t> bytes(size, 0x11);
    if (at + 4 <= size) {
        std::memcpy(&bytes[at], magic, 4);
    }
    return bytes;
}

FakePlugin Picture(const char16_t* file) {
    FakePlugin p;
    p.file = file;
    p.bitmapInfo = MakeBitmapInfo(2, 2, 24);
    p.bits.assign(16, 0x42);
    p.patterns = {"*.fak;*.jpg", "*.FAK;*.fk2"};
    p.descriptions = {"Fake", "Fake 2"};
    return p;
}

FakePlugin Archive(const char16_t* file) {
    FakePlugin p;
    p.file = file;
    p.kind = "00AM";
    p.archiveInfo = MakeMemberRecord("", "p.fak", 40, 5, 0);
    p.member = {1, 2, 3, 4, 5};
    p.patterns = {"*.far"};
    p.descriptions = {"Fake archive"};
    return p;
}

TEST(PluginHost, PictureFileOffsetsAndSizes) {
    const struct {
        const char* label;
        size_t size;
        size_t magicAt;
        bool decoded;
        intptr_t offset;
    } kCases[] = {
        {"data at 0", 3000, 0, true, 0},           {"behind a 128-byte header", 3000, 128, true, 128},
        {"2,176 bytes exactly", 2176, 0, true, 0}, {"2,000 bytes never offered", 2000, 0, false, -1},
        {"nobody accepts", 3000, 500, false, -1},
    };
    for (const auto& c : kCases) {
        FakePluginHost host({Picture(u"a.spi")});
        const std::u16string path = host.WriteFile("p.fak", FileWith("FAKE", c.magicAt, c.size));
        DecodedImagePtr image(PluginOpenPictureFile(path.c_str()));
        EXPECT_EQ(image.get() != nullptr, c.decoded) << c.label;
        EXPECT_EQ(host[0].infoLength, c.offset) << c.label;
        EXPECT_EQ(host[0].pictureLength, c.offset) << c.label;
        if (c.size < 2176) {
            EXPECT_EQ(host[0].supportedCalls, 0) << c.label;
        }
        if (image) {
            EXPECT_EQ(image->sourceSize, c.size) << c.label;
            EXPECT_EQ(image->header.bitCount, 24) << c.label;
            EXPECT_EQ(host[0].supportedName.substr(host[0].supportedName.size() - 5), "p.fak") << c.label;
        }
        EXPECT_TRUE(host.AllReleased()) << c.label;
    }
}

TEST(PluginHost, SearchOrderKindsAndDisabled) {
    FakePlugin noExport = Picture(u"none.spi");
    noExport.hasIsSupported = false;
    FakePlugin wrongKind = Picture(u"arch.spi");
    wrongKind.kind = "00AM";
    FakePlugin refuses = Picture(u"no.spi");
    refuses.accepts = false;
    FakePluginHost host(
        {Picture(u"late.sph"), noExport, wrongKind, refuses, Picture(u"off.spi"), Picture(u"first.spi")},
        {u"OFF.SPI"});
    const std::u16string path = host.WriteFile("p.fak", FileWith("FAKE", 0));
    DecodedImagePtr image(PluginOpenPictureFile(path.c_str()));
    ASSERT_TRUE(image);
    EXPECT_EQ(host[4].loads, 0);           // disabled: never loaded
    EXPECT_EQ(host[0].pictureLength, -1);  // ".sph" only after every ".spi"
    EXPECT_EQ(host[5].pictureLength, 0);   // the accepting ".spi"
    EXPECT_EQ(host[2].pictureLength, -1);  // accepted the data but is an archive plug-in

    PluginTextList names;
    PluginList(&names);
    EXPECT_EQ(names.count, 6u);  // every kind 1 or 2 plug-in, the disabled one too
    EXPECT_TRUE(names.ContainsNoCase(u"off.spi", 7));
    EXPECT_TRUE(host.AllReleased());
}

TEST(PluginHost, NoFolderGivesNothingAtOnce) {
    for (const char16_t* folder : {u"", u"\\no\\such\\folder"}) {
        FakePluginHost host({Picture(u"a.spi"), Archive(u"b.spi")});
        host.SetFolder(folder);
        const std::u16string path = host.WriteFile("p.fak", FileWith("FAKE", 0));
        const uint8_t bytes[8] = {'F', 'A', 'K', 'E'};
        uint32_t locator = 0;
        PluginTextList list;
        StrBuf a;
        StrBuf b;
        EXPECT_EQ(PluginOpenPictureFile(path.c_str()), nullptr);
        EXPECT_EQ(PluginOpenPictureMemory(u"p.fak", bytes, sizeof bytes), nullptr);
        EXPECT_EQ(PluginListArchive(path.c_str()), nullptr);
        EXPECT_EQ(PluginReadMember(path.c_str(), &locator), nullptr);
        PluginExtensions(3, false, &list);
        EXPECT_EQ(list.count, 0u);
        PluginList(&list);
        EXPECT_EQ(list.count, 0u);
        EXPECT_FALSE(PluginDescribe(u"a.spi", &a, &b));
        EXPECT_EQ(host[0].loads + host[1].loads, 0);
    }
}

TEST(PluginHost, PictureMemoryForm) {
    FakePluginHost host({Picture(u"a.spi")});
    const uint8_t small[6] = {'F', 'A', 'K', 'E', 9, 9};  // shorter than the header buffer
    DecodedImagePtr image(PluginOpenPictureMemory(u"m.fak", small, sizeof small));
    ASSERT_TRUE(image);
    EXPECT_EQ(host[0].pictureLength, 6);
    EXPECT_EQ(host[0].pictureFlag, 1u);
    EXPECT_EQ(image->sourceSize, 6u);
    EXPECT_EQ(host[0].supportedName, "m.fak");

    host[0].result = 2;  // the plug-in fails: nothing, nothing leaked
    EXPECT_EQ(PluginOpenPictureMemory(u"m.fak", small, sizeof small), nullptr);
    host[0].result = 0;
    host[0].bitmapInfo = MakeBitmapInfo(2, 2, 32);
    EXPECT_EQ(PluginOpenPictureMemory(u"m.fak", small, sizeof small), nullptr);
    EXPECT_TRUE(host.AllReleased());
}

TEST(PluginHost, ArchiveListingAndMembers) {
    const struct {
        const char* label;
        size_t magicAt;
        std::vector<uint8_t> member;
        bool read;
        intptr_t getFileAt;
    } kCases[] = {
        {"at 0", 0, {1, 2, 3, 4, 5}, true, 40},
        {"behind 128 bytes", 128, {1, 2, 3, 4, 5}, true, 168},
        {"0-byte member", 0, {}, false, 40},
    };
    for (const auto& c : kCases) {
        FakePluginHost host({Picture(u"pic.spi"), Archive(u"arc.sph")});
        host[1].member = c.member;
        const std::u16string path = host.WriteFile("b.far", FileWith("FAKE", c.magicAt));
        MemberListPtr list(PluginListArchive(path.c_str()));
        ASSERT_NE(list.get(), nullptr) << c.label;
        ASSERT_EQ(list->count, 1) << c.label;
        EXPECT_NE(list->archiveTime, 0u) << c.label;
        uint32_t locator = list->members[0].locator;
        VmBlock block(FetchArchiveMember(4, path.c_str(), &locator));
        EXPECT_EQ(block.get() != nullptr, c.read) << c.label;
        EXPECT_EQ(host[1].fileLength, c.getFileAt) << c.label;
        if (c.read) {
            EXPECT_EQ(locator, c.member.size()) << c.label;
            EXPECT_EQ(std::memcmp(block.get(), c.member.data(), c.member.size()), 0) << c.label;
        }
        EXPECT_TRUE(host.AllReleased()) << c.label;
    }
}

TEST(PluginHost, ExtensionsAndDescriptions) {
    FakePluginHost host({Picture(u"a.spi"), Archive(u"b.spi"), Picture(u"off.spi")}, {u"off.spi"});
    host[2].patterns = {"*.off"};
    const struct {
        uint32_t mask;
        bool whole;
        std::vector<std::u16string> want;
    } kCases[] = {
        {1, false, {u".fak", u".fk2"}},  // ".jpg" is built in, ".FAK" repeats
        {2, false, {u".far"}},
        {3, true, {u"*.fak", u"*.fk2", u"*.far"}},
    };
    for (const auto& c : kCases) {
        PluginTextList list;
        PluginExtensions(c.mask, c.whole, &list);
        ASSERT_EQ(list.count, c.want.size()) << c.mask;
        for (const auto& w : c.want) {
            EXPECT_TRUE(list.ContainsNoCase(w.c_str(), static_cast<uint32_t>(w.size()))) << c.mask;
        }
    }
    EXPECT_EQ(host[2].loads, 0);

    StrBuf patterns;
    StrBuf descriptions;
    ASSERT_TRUE(PluginDescribe(u"a.spi", &patterns, &descriptions));
    EXPECT_EQ(std::u16string(patterns.Text()), u"*.fak;*.jpg;*.FAK;*.fk2");
    EXPECT_EQ(std::u16string(descriptions.Text()), u"Fake/Fake 2");
    EXPECT_FALSE(PluginDescribe(u"missing.spi", &patterns, &descriptions));
    EXPECT_TRUE(host.AllReleased());
}

TEST(JoinPatterns, CutAtAWholePattern) {
    PluginTextList list;
    for (const char16_t* p : {u"*.aa", u"*.bbb", u"*.c"}) {
        ASSERT_TRUE(list.Append(p, static_cast<uint32_t>(std::u16string(p).size())));
    }
    const struct {
        uint32_t max;
        const char16_t* want;
    } kCases[] = {{100, u"*.aa;*.bbb;*.c"}, {13, u"*.aa;*.bbb"}, {10, u"*.aa;*.bbb"}, {9, u"*.aa"}, {3, u""}};
    for (const auto& c : kCases) {
        StrBuf out;
        JoinPatterns(list, c.max, &out);
        EXPECT_EQ(std::u16string(out.Text()), c.want) << c.max;
    }
}

}  // namespace
