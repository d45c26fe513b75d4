// The RAR binding with the real library: archives of every kind the library
// reads (RAR 5, RAR 4, a volume set, passwords on data and on headers), the
// three places the library is looked for, and reads compared byte for byte with
// the files the archives were made from.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive/fetch_member.h"
#include "archive/rar_archive.h"
#include "archive/rar_library.h"
#include "platform/vm.h"

namespace fs = std::filesystem;

namespace {

// A path of the Linux side as Wine names it.
std::u16string WinPath(const std::string& path) {
    std::u16string out = u"Z:";
    for (char c : path) {
        out.push_back(c == '/' ? u'\\' : static_cast<char16_t>(c));
    }
    return out;
}

std::u16string Fixture(const char* name) {
    return WinPath(std::string(PW_RAR_FIXTURES) + "/" + name);
}

std::string SourceBytes(const std::u16string& memberPath) {
    std::string path = std::string(PW_RAR_FIXTURES) + "/src/";
    for (char16_t c : memberPath) {
        path.push_back(c == u'\\' ? '/' : static_cast<char>(c));
    }
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Prompt {
    bool confirm = true;
    std::u16string answer;
    int asks = 0;
};
Prompt gPrompt;

bool Ask(void*, void*, int32_t, StrBuf* password) {
    ++gPrompt.asks;
    password->Assign(gPrompt.answer.c_str());
    return gPrompt.confirm;
}

// Folders the library is looked for in: the plug-in folder, the program's and
// the system's, each made for the test (the prefix's real system folder is never
// written).
class RarLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override {
        base_ = fs::temp_directory_path() / ("pw_rar_" + std::to_string(GetCurrentProcessId()));
        NewFolders();
        gPrompt = Prompt{};
        const RarPromptOps ops{nullptr, Ask};
        RarSetPromptOps(&ops);
        Place("system", PW_RAR_LIBRARY);
        RarSetSearchFolders(Folder("program").c_str(), Folder("system").c_str());
        RarSetPluginFolder(u"");
    }
    void TearDown() override {
        RarSetSearchFolders(nullptr, nullptr);
        RarSetPluginFolder(u"");
        RarSetPromptOps(nullptr);
        std::error_code ec;
        fs::remove_all(base_, ec);  // a library still loaded stays until the process ends
    }
    // Fresh, empty places: a loaded library cannot be replaced where it lies.
    void NewFolders() {
        root_ = base_ / std::to_string(++round_);
        for (const char* d : {"plugin", "program", "system"}) {
            fs::create_directories(root_ / d);
        }
        RarSetSearchFolders(Folder("program").c_str(), Folder("system").c_str());
    }
    std::u16string Folder(const char* place) const {
        return root_.u16string() + u"\\" + WinPath(place).substr(2);
    }
    void Place(const char* place, const char* library) {
        fs::copy_file(library, root_ / place / "unrar64.dll", fs::copy_options::overwrite_existing);
    }

    fs::path base_;
    fs::path root_;
    int round_ = 0;
};

std::u16string Joined(const ArchiveMember& m) {
    return std::u16string(m.folder.Text()) + m.name.Text();
}

TEST_F(RarLibraryTest, EveryKindListsAndReadsItsMembers) {
    const struct {
        const char* archive;
        const char16_t* password;
        int members;  // files and folder headers
    } kCases[] = {
        {"single.rar", u"", 6},         {"old.rar", u"", 3},
        {"set.part1.rar", u"", 6},      {"set.part3.rar", u"", 6},
        {"password.rar", u"secret", 5}, {"headers.rar", u"secret", 5},
    };
    for (const auto& k : kCases) {
        gPrompt.answer = k.password;
        RarContext c;
        MemberListPtr list(RarListMembers(&c, Fixture(k.archive).c_str()));
        ASSERT_NE(list.get(), nullptr) << k.archive;
        EXPECT_EQ(list->count, k.members) << k.archive;
        EXPECT_NE(list->archiveTime, 0u) << k.archive;
        int files = 0;
        for (int32_t i = 0; i < list->count; ++i) {
            const ArchiveMember& m = list->members[i];
            const std::string want = SourceBytes(Joined(m));
            if (m.size == 0) {
                continue;  // the folder header
            }
            ++files;
            EXPECT_EQ(m.size, want.size()) << k.archive << " " << i;
            uint32_t locator = m.locator;
            VmBlock block(FetchArchiveMember(3, Fixture(k.archive).c_str(), &locator));
            ASSERT_NE(block.get(), nullptr) << k.archive << " " << i;
            EXPECT_EQ(locator, want.size());
            EXPECT_TRUE(std::string(reinterpret_cast<char*>(block.get()), locator) == want)
                << k.archive << " " << i;
        }
        EXPECT_GE(files, 3) << k.archive;
    }
}

TEST_F(RarLibraryTest, PasswordsAreAskedPerUseAndACancelGivesNothing) {
    // Header encryption: asked once for the listing; cancelled, no list.
    gPrompt.answer = u"secret";
    {
        RarContext c;
        MemberListPtr list(RarListMembers(&c, Fixture("headers.rar").c_str()));
        ASSERT_NE(list.get(), nullptr);
        EXPECT_EQ(gPrompt.asks, 1);
    }
    gPrompt = Prompt{false, u"secret", 0};
    {
        RarContext c;
        MemberListPtr list(RarListMembers(&c, Fixture("headers.rar").c_str()));
        EXPECT_EQ(list.get(), nullptr);
        EXPECT_EQ(gPrompt.asks, 1);
    }
    // Data encryption: listing asks nothing, each read asks again.
    gPrompt = Prompt{true, u"secret", 0};
    RarContext c;
    MemberListPtr list(RarListMembers(&c, Fixture("password.rar").c_str()));
    ASSERT_NE(list.get(), nullptr);
    EXPECT_EQ(gPrompt.asks, 0);
    int reads = 0;
    for (int32_t i = 0; i < list->count; ++i) {
        if (list->members[i].size > 0) {
            uint32_t locator = list->members[i].locator;
            VmBlock block(FetchArchiveMember(3, Fixture("password.rar").c_str(), &locator));
            EXPECT_NE(block.get(), nullptr);
            ++reads;
        }
    }
    EXPECT_EQ(gPrompt.asks, reads);
    gPrompt = Prompt{true, u"wrong", 0};
    uint32_t locator = list->members[1].size > 0 ? list->members[1].locator : list->members[2].locator;
    EXPECT_EQ(FetchArchiveMember(3, Fixture("password.rar").c_str(), &locator), nullptr);
}

TEST_F(RarLibraryTest, AMissingVolumeFailsWithoutAPrompt) {
    RarContext c;
    MemberListPtr list(RarListMembers(&c, Fixture("missing/cut.part1.rar").c_str()));
    EXPECT_EQ(list.get(), nullptr);
    MemberListPtr later(RarListMembers(&c, Fixture("missing/cut.part3.rar").c_str()));
    EXPECT_EQ(later.get(), nullptr);
    EXPECT_EQ(gPrompt.asks, 0);
}

TEST_F(RarLibraryTest, VolumeKinds) {
    const struct {
        const char* archive;
        RarVolume kind;
    } kCases[] = {{"single.rar", kRarSingle},
                  {"set.part1.rar", kRarFirstPart},
                  {"set.part2.rar", kRarLaterPart},
                  {"missing.rar", kRarSingle}};
    for (const auto& k : kCases) {
        RarContext c;
        EXPECT_EQ(RarVolumeKind(&c, Fixture(k.archive).c_str()), k.kind) << k.archive;
    }
}

std::u16string ModuleFolder(void* module) {
    wchar_t name[MAX_PATH] = {};
    GetModuleFileNameW(static_cast<HMODULE>(module), name, MAX_PATH);
    std::u16string path(reinterpret_cast<const char16_t*>(name));
    return path.substr(0, path.rfind(u'\\'));
}

TEST_F(RarLibraryTest, ThePlacesAreSearchedInOrderAndNeedEveryEntryPoint) {
    const struct {
        const char* label;
        const char* plugin;  // library placed there, or null
        const char* program;
        bool system;
        const char* used;  // folder whose library is loaded, or null for none
    } kCases[] = {
        {"only the system folder", nullptr, nullptr, true, "system"},
        {"the plug-in folder first", PW_RAR_LIBRARY, PW_RAR_LIBRARY, true, "plugin"},
        {"a copy lacking an entry point is passed over", PW_RAR_PARTIAL, PW_RAR_LIBRARY, true, "program"},
        {"partial everywhere else", PW_RAR_PARTIAL, nullptr, false, nullptr},
    };
    for (const auto& k : kCases) {
        NewFolders();
        if (k.plugin != nullptr) {
            Place("plugin", k.plugin);
        }
        if (k.program != nullptr) {
            Place("program", k.program);
        }
        if (k.system) {
            Place("system", PW_RAR_LIBRARY);
        } else {
            // An empty system folder: the bare name would reach the platform's
            // search, so point the system place at a folder with the partial copy.
            Place("system", PW_RAR_PARTIAL);
        }
        RarSetPluginFolder(Folder("plugin").c_str());
        EXPECT_TRUE(RarLibraryAvailable(Folder("plugin").c_str())) << k.label;
        RarContext c;
        const bool loaded = RarLoadLibrary(&c);
        EXPECT_EQ(loaded, k.used != nullptr) << k.label;
        if (loaded) {
            EXPECT_EQ(ModuleFolder(c.library), Folder(k.used)) << k.label;
            MemberListPtr list(RarListMembers(&c, Fixture("single.rar").c_str()));
            EXPECT_NE(list.get(), nullptr) << k.label;
        }
    }
    NewFolders();
    EXPECT_FALSE(RarLibraryAvailable(Folder("plugin").c_str()));
}

}  // namespace
