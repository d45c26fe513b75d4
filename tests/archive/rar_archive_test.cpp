// The RAR binding over a stand-in library: listing passes, set redirection,
// member reads and the callback's guards. The real library is exercised under
// Wine by rar_library_test_win.cpp.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "archive/rar_archive.h"
#include "archive/rar_library.h"
#include "platform/vm.h"
#include "tests/support/fake_rar.h"

namespace {

struct Prompt {
    bool confirm = true;
    std::u16string answer;
    int asks = 0;
};
Prompt gPrompt;

bool Ask(void*, void*, int32_t dialogId, StrBuf* password) {
    ++gPrompt.asks;
    EXPECT_EQ(dialogId, 2700);
    password->Assign(gPrompt.answer.c_str());
    return gPrompt.confirm;
}

class RarArchiveTest : public ::testing::Test {
  protected:
    void SetUp() override {
        FakeRarReset();
        gPrompt = Prompt{};
        const RarPromptOps ops{nullptr, Ask};
        RarSetPromptOps(&ops);
        RarSetEntryPointsOverride(&FakeRarEntryPoints());
    }
    void TearDown() override {
        RarSetEntryPointsOverride(nullptr);
        RarSetPromptOps(nullptr);
        EXPECT_EQ(FakeRar().opens, FakeRar().closes) << "every open archive closed";
    }

    static FakeRarArchive Book(std::initializer_list<const char*> pages) {
        FakeRarArchive a;
        for (const char* p : pages) {
            FakeRarMember m;
            for (const char* c = p; *c != 0; ++c) {
                m.name.push_back(static_cast<char16_t>(*c));
            }
            m.data = std::string("data of ") + p;
            a.members.push_back(m);
        }
        return a;
    }
};

std::u16string Text(const StrBuf& s) {
    return s.Text();
}

TEST_F(RarArchiveTest, ListsHeadersInOrderWithFoldersSplit) {
    FakeRarArchive a = Book({"p1.jpg", "sub\\p2.png", "sub"});
    a.members[2].folder = true;
    a.members[2].data.clear();
    FakeRar().archives[u"b.cbr"] = a;
    RarContext c;
    MemberListPtr list(RarListMembers(&c, u"b.cbr"));
    ASSERT_NE(list.get(), nullptr);
    ASSERT_EQ(list->count, 3);
    const struct {
        const char16_t* folder;
        const char16_t* name;
        uint32_t size;
    } kWant[] = {{u"", u"p1.jpg", 14}, {u"sub\\", u"p2.png", 18}, {u"", u"sub", 0}};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(Text(list->members[i].folder), kWant[i].folder) << i;
        EXPECT_EQ(Text(list->members[i].name), kWant[i].name) << i;
        EXPECT_EQ(list->members[i].locator, static_cast<uint32_t>(i));
        EXPECT_EQ(list->members[i].size, kWant[i].size) << i;
        EXPECT_NE(list->members[i].modified, 0u) << i;
    }
    EXPECT_EQ(FakeRar().opens, 2) << "count and fill; only .partN names are probed";
}

TEST_F(RarArchiveTest, ListingFailuresGiveNothing) {
    const struct {
        const char* label;
        bool zeroHeaders;
        bool failSkip;
        bool encryptedHeaders;
        bool confirm;
        const char16_t* path;
        int asks;
    } kCases[] = {
        {"no such archive", false, false, false, true, u"missing.rar", 0},
        {"zero headers", true, false, false, true, u"b.rar", 0},
        {"a failing skip", false, true, false, true, u"b.rar", 0},
        {"header password cancelled", false, false, true, false, u"b.rar", 1},
        {"header password wrong", false, false, true, true, u"b.rar", 1},
    };
    for (const auto& k : kCases) {
        SetUp();
        FakeRarArchive a = Book({"1.jpg", "2.jpg"});
        if (k.zeroHeaders) {
            a.members.clear();
        }
        if (k.failSkip) {
            a.members[1].failSkip = true;
        }
        a.encryptedHeaders = k.encryptedHeaders;
        a.password = u"secret";
        gPrompt.confirm = k.confirm;
        gPrompt.answer = u"wrong";
        FakeRar().archives[u"b.rar"] = a;
        RarContext c;
        MemberListPtr list(RarListMembers(&c, k.path));
        EXPECT_EQ(list.get(), nullptr) << k.label;
        EXPECT_EQ(gPrompt.asks, k.asks) << k.label;
        EXPECT_EQ(FakeRar().opens, FakeRar().closes) << k.label;
    }
}

TEST_F(RarArchiveTest, EncryptedHeadersAskOnceForTheWholeListing) {
    FakeRarArchive a = Book({"1.jpg", "2.jpg"});
    a.encryptedHeaders = true;
    a.password = u"secret";
    FakeRar().archives[u"b.rar"] = a;
    gPrompt.answer = u"secret";
    RarContext c;
    MemberListPtr list(RarListMembers(&c, u"b.rar"));
    ASSERT_NE(list.get(), nullptr);
    EXPECT_EQ(list->count, 2);
    EXPECT_EQ(gPrompt.asks, 1);
    EXPECT_EQ(FakeRar().passwordAsks, 2) << "the second pass is answered from the context";
    EXPECT_FALSE(c.passwordGiven) << "no password outlives the listing";
}

TEST_F(RarArchiveTest, LaterPartsOfANewStyleSetReadFromTheFirst) {
    constexpr uint32_t kSet = rar::kFlagVolume | rar::kFlagNewNumbering;
    FakeRarArchive first = Book({"001.jpg", "002.jpg"});
    first.flags = kSet | rar::kFlagFirstVolume;
    FakeRarArchive later;
    later.flags = kSet;
    later.members = {first.members[1]};
    FakeRar().archives[u"d\\comic.part1.rar"] = first;
    FakeRar().archives[u"d\\comic.part3.rar"] = later;
    FakeRar().archives[u"d\\solo.part3.rar"] = Book({"x.jpg"});  // named like a part, not a set

    RarContext c;
    MemberListPtr list(RarListMembers(&c, u"d\\comic.part3.rar"));
    ASSERT_NE(list.get(), nullptr);
    EXPECT_EQ(list->count, 2);
    EXPECT_EQ(FakeRar().lastOpened, u"d\\comic.part1.rar");

    uint32_t locator = 0;
    VmBlock block(RarReadMember(&c, u"d\\comic.part3.rar", &locator));
    ASSERT_NE(block.get(), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.get()), locator), "data of 001.jpg");

    MemberListPtr solo(RarListMembers(&c, u"d\\solo.part3.rar"));
    ASSERT_NE(solo.get(), nullptr);
    EXPECT_EQ(FakeRar().lastOpened, u"d\\solo.part3.rar");
}

TEST_F(RarArchiveTest, ContinuationsOfSplitMembersAreNoPositions) {
    FakeRarArchive a = Book({"1.jpg", "2.jpg", "2.jpg", "3.jpg"});
    a.members[2].continuation = true;
    a.members[2].data = "rest of 2";
    FakeRar().archives[u"s.rar"] = a;
    RarContext c;
    MemberListPtr list(RarListMembers(&c, u"s.rar"));
    ASSERT_NE(list.get(), nullptr);
    ASSERT_EQ(list->count, 3);
    EXPECT_EQ(Text(list->members[2].name), u"3.jpg");
    uint32_t locator = list->members[2].locator;
    VmBlock block(RarReadMember(&c, u"s.rar", &locator));
    ASSERT_NE(block.get(), nullptr);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(block.get()), locator), "data of 3.jpg");
}

TEST_F(RarArchiveTest, MissingVolumeFailsWithoutAPrompt) {
    FakeRarArchive a = Book({"1.jpg"});
    a.missingNextVolume = true;
    FakeRar().archives[u"v.rar"] = a;
    RarContext c;
    MemberListPtr list(RarListMembers(&c, u"v.rar"));
    EXPECT_EQ(list.get(), nullptr);
    uint32_t locator = 0;
    EXPECT_EQ(RarReadMember(&c, u"v.rar", &locator), nullptr);
    EXPECT_EQ(gPrompt.asks, 0);
}

TEST_F(RarArchiveTest, MemberReads) {
    const struct {
        const char* label;
        uint32_t locator;
        uint32_t announcedDelta;  // added to the real size (wraps for "less")
        uint32_t sizeHigh;
        bool encrypted;
        bool confirm;
        const char16_t* answer;
        bool failSkip;  // on the member before
        bool read;
    } kCases[] = {
        {"plain", 1, 0, 0, false, true, u"", false, true},
        {"first member", 0, 0, 0, false, true, u"", false, true},
        {"more data than announced", 1, static_cast<uint32_t>(-3), 0, false, true, u"", false, false},
        {"less data than announced", 1, 5, 0, false, true, u"", false, false},
        {"4 GiB or more", 1, 0, 1, false, true, u"", false, false},
        {"past the last header", 9, 0, 0, false, true, u"", false, false},
        {"skip before it fails", 1, 0, 0, false, true, u"", true, false},
        {"encrypted, right password", 1, 0, 0, true, true, u"pw", false, true},
        {"encrypted, wrong password", 1, 0, 0, true, true, u"no", false, false},
        {"encrypted, cancelled", 1, 0, 0, true, false, u"pw", false, false},
    };
    for (const auto& k : kCases) {
        SetUp();
        FakeRarArchive a = Book({"a.jpg", "b.jpg", "c.jpg"});
        a.password = u"pw";
        FakeRarMember& m = a.members[1];
        m.announced = static_cast<uint32_t>(m.data.size()) + k.announcedDelta;
        m.sizeHigh = k.sizeHigh;
        m.encrypted = k.encrypted;
        a.members[0].failSkip = k.failSkip;
        gPrompt.confirm = k.confirm;
        gPrompt.answer = k.answer;
        FakeRar().archives[u"r.rar"] = a;
        RarContext c;
        uint32_t locator = k.locator;
        VmBlock block(RarReadMember(&c, u"r.rar", &locator));
        EXPECT_EQ(block.get() != nullptr, k.read) << k.label;
        if (block.get() != nullptr) {
            const std::string& want = a.members[k.locator].data;
            EXPECT_EQ(locator, want.size()) << k.label;
            EXPECT_EQ(std::string(reinterpret_cast<char*>(block.get()), locator), want) << k.label;
            EXPECT_EQ(block.get()[locator], 0) << k.label;
        } else {
            EXPECT_EQ(locator, k.locator) << k.label << ": the locator is untouched on failure";
        }
        EXPECT_FALSE(c.memoryTarget) << k.label;
        EXPECT_EQ(c.block, nullptr) << k.label;
        EXPECT_EQ(FakeRar().opens, FakeRar().closes) << k.label;
    }
}

TEST_F(RarArchiveTest, CallbackGuards) {
    RarContext c;
    uint8_t target[8] = {};
    const char data[] = "0123456789";
    // Outside a member read, data is ignored.
    EXPECT_EQ(
        RarCallback(rar::kProcessData, reinterpret_cast<intptr_t>(&c), reinterpret_cast<intptr_t>(data), 9),
        0);
    c.memoryTarget = true;
    c.block = c.writePos = target;
    c.end = target + 8;
    const struct {
        intptr_t n;
        int result;
        ptrdiff_t filled;
    } kData[] = {{5, 0, 5}, {3, 0, 8}, {1, -1, 8}, {-1, -1, 8}};
    for (const auto& d : kData) {
        EXPECT_EQ(RarCallback(rar::kProcessData, reinterpret_cast<intptr_t>(&c),
                              reinterpret_cast<intptr_t>(data), d.n),
                  d.result);
        EXPECT_EQ(c.writePos - target, d.filled);
    }
    EXPECT_EQ(RarCallback(rar::kChangeVolumeW, reinterpret_cast<intptr_t>(&c), 0, rar::kVolumeAsk), -1);
    EXPECT_EQ(RarCallback(rar::kChangeVolumeW, reinterpret_cast<intptr_t>(&c), 0, rar::kVolumeNotify), 0);
    EXPECT_EQ(RarCallback(rar::kNeedPassword, reinterpret_cast<intptr_t>(&c), 0, 0), 0);

    // The password is cut to the library's buffer, terminator included.
    gPrompt.answer = u"longpassword";
    char16_t buffer[5] = {u'x', u'x', u'x', u'x', u'x'};
    EXPECT_EQ(RarCallback(rar::kNeedPasswordW, reinterpret_cast<intptr_t>(&c),
                          reinterpret_cast<intptr_t>(buffer), 5),
              0);
    EXPECT_EQ(std::u16string(buffer), u"long");
    EXPECT_TRUE(c.passwordGiven);
    EXPECT_EQ(RarCallback(rar::kNeedPasswordW, reinterpret_cast<intptr_t>(&c),
                          reinterpret_cast<intptr_t>(buffer), 0),
              -1);
    EXPECT_EQ(gPrompt.asks, 1);
}

TEST(RarNames, VolumeKindsAndFirstVolumeNames) {
    const struct {
        uint32_t flags;
        RarVolume kind;
    } kKinds[] = {{0, kRarSingle},
                  {rar::kFlagVolume, kRarOldVolume},
                  {rar::kFlagVolume | rar::kFlagNewNumbering, kRarLaterPart},
                  {rar::kFlagVolume | rar::kFlagNewNumbering | rar::kFlagFirstVolume, kRarFirstPart},
                  {rar::kFlagNewNumbering | rar::kFlagFirstVolume, kRarSingle}};
    for (const auto& k : kKinds) {
        EXPECT_EQ(RarVolumeFromFlags(k.flags), k.kind) << k.flags;
    }
    const struct {
        const char16_t* path;
        const char16_t* first;
    } kNames[] = {{u"C:\\b\\book.part3.rar", u"C:\\b\\book.part1.rar"},
                  {u"C:\\b.x\\book.part12.RAR", u"C:\\b.x\\book.part1.rar"},
                  {u"C:\\b.x\\book.rar", u"C:\\b.x\\book.part1.rar"},
                  {u"C:\\a.b.c.d", u"C:\\a.b.part1.rar"}};
    for (const auto& k : kNames) {
        StrBuf out;
        RarFirstVolumeName(k.path, &out);
        EXPECT_EQ(Text(out), k.first);
    }
}

}  // namespace
