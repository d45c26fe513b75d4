// Locating the settings file: the program-name check, the portable file beside
// the program, and the application-data folder otherwise.
#include <gtest/gtest.h>

#include "settings/settings_locate.h"
#include "tests/settings/settings_test_util.h"

namespace {

TEST(SettingsLocate, ProgramNameCheck) {
    struct Case {
        const char16_t* path;
        bool accepted;
    };
    static const Case kCases[] = {
        {u"C:\\Programs\\Pagewick.exe", true},
        {u"C:\\Programs\\PAGEWICK.EXE", true},
        {u"C:\\Programs\\pagewick", true},
        {u"C:\\Programs\\pageWick.old.exe", false},
        {u"C:\\Programs\\Pagewick.bak", true},
        {u"C:\\Pagewick.d\\Pagewick", true},
        {u"C:\\Programs\\Pagewick2.exe", false},
        {u"C:\\Programs\\Pagewic.exe", false},
        {u"C:\\Programs\\Pagew\u0130ck.exe", false},
        {u"C:\\Programs\\.exe", false},
        {u"Pagewick.exe", true},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(IsProgramNameAccepted(c.path, TextLength(c.path)), c.accepted) << Narrow(c.path);
    }
}

TEST(SettingsLocate, PortableFileOrApplicationData) {
    struct Case {
        const char* name;
        std::u16string program;
        bool portableFile;
        bool appDataGiven;
        bool ownFolderExists;
        bool createFails;
        SettingsLocation expected;
        std::u16string path;
        std::u16string current;
    };
    const std::u16string kAppFile = u"C:\\Users\\u\\AppData\\Roaming\\Pagewick\\Pagewick.ini";
    const Case kCases[] = {
        {"portable", u"C:\\P\\Pagewick.exe", true, true, false, false, SettingsLocation::kProgramFolder,
         u"C:\\P\\Pagewick.ini", u"C:\\P"},
        {"application data, folder created", u"C:\\P\\Pagewick.exe", false, true, false, false,
         SettingsLocation::kAppData, kAppFile, u"C:\\P"},
        {"application data, folder there", u"C:\\P\\Pagewick.exe", false, true, true, true,
         SettingsLocation::kAppData, kAppFile, u"C:\\P"},
        {"folder cannot be created", u"C:\\P\\Pagewick.exe", false, true, false, true,
         SettingsLocation::kFailed, u"", u"C:\\P"},
        {"no application-data folder", u"C:\\P\\Pagewick.exe", false, false, false, false,
         SettingsLocation::kFailed, u"", u"C:\\P"},
        {"other program name", u"C:\\P\\Reader.exe", true, true, true, false, SettingsLocation::kFailed, u"",
         u""},
        {"drive root", u"C:\\PAGEWICK.EXE", true, true, true, false, SettingsLocation::kProgramFolder,
         u"C:\\Pagewick.ini", u"C:\\"},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        platform.programPath = c.program;
        platform.createFails = c.createFails;
        if (c.portableFile) {
            std::u16string folder = c.program.substr(0, c.program.rfind(u'\\'));
            platform.files.insert(folder + u"\\Pagewick.ini");
        }
        if (!c.appDataGiven) {
            platform.special.erase(SpecialFolder::kRoamingAppData);
        }
        if (c.ownFolderExists) {
            platform.folders.insert(u"C:\\Users\\u\\AppData\\Roaming\\Pagewick");
        }
        StrBuf path;
        EXPECT_EQ(SettingsLocate(platform.Ops(), &path), c.expected) << c.name;
        if (c.expected != SettingsLocation::kFailed) {
            EXPECT_EQ(std::u16string(path.Text()), c.path) << c.name;
        }
        EXPECT_EQ(platform.currentFolder, c.current) << c.name;
        bool created = !platform.created.empty();
        EXPECT_EQ(created, c.expected == SettingsLocation::kAppData && !c.ownFolderExists) << c.name;
    }
}

// The portable file is only used, never made: deleting it moves the settings
// to the application-data folder at the next start.
TEST(SettingsLocate, DeletingThePortableFileMovesTheSettings) {
    FakePlatform platform;
    platform.files.insert(u"C:\\Programs\\Pagewick\\Pagewick.ini");
    StrBuf path;
    EXPECT_EQ(SettingsLocate(platform.Ops(), &path), SettingsLocation::kProgramFolder);
    platform.files.clear();
    EXPECT_EQ(SettingsLocate(platform.Ops(), &path), SettingsLocation::kAppData);
    EXPECT_EQ(std::u16string(path.Text()), u"C:\\Users\\u\\AppData\\Roaming\\Pagewick\\Pagewick.ini");
}

}  // namespace

namespace {

// The real platform operations of this build answer for the running test
// program, which is not called Pagewick and so may not start.
TEST(SettingsLocate, PlatformOperationsOfThisBuild) {
    const SettingsPlatformOps& ops = PlatformSettingsOps();
    StrBuf program;
    ASSERT_TRUE(ops.programPath(ops.context, &program));
    StrBuf name;
    name.AssignPathPart(kPathBaseName, program.Text(), program.length);
    EXPECT_EQ(std::u16string(name.Text()), u"settings_tests") << Narrow(program.Text());
    EXPECT_TRUE(ops.fileExists(ops.context, program.Text()));
    EXPECT_FALSE(ops.folderExists(ops.context, program.Text()));
    StrBuf folder;
    folder.AssignPathPart(kPathFolder, program.Text(), program.length);
    EXPECT_TRUE(ops.folderExists(ops.context, folder.Text()));
    EXPECT_FALSE(IsProgramNameAccepted(program.Text(), program.length));
    StrBuf path;
    EXPECT_EQ(SettingsLocate(ops, &path), SettingsLocation::kFailed);
#ifdef _WIN32
    // The shell gives every folder the first start and the locating ask for.
    static const SpecialFolder kFolders[] = {SpecialFolder::kDesktop, SpecialFolder::kDocuments,
                                             SpecialFolder::kPictures, SpecialFolder::kRoamingAppData};
    for (SpecialFolder f : kFolders) {
        StrBuf special;
        EXPECT_TRUE(ops.specialFolder(ops.context, f, &special)) << int(f);
        EXPECT_GT(special.length, 3u) << int(f);
    }
#endif
}

}  // namespace

namespace {

// Locating against the real file system: the real existence checks and folder
// creation, with the program path and the application-data folder pointed into
// a scratch folder (and the current folder left alone).
struct ScratchPlatform {
    std::u16string program;
    std::u16string appData;
    std::u16string current;

    SettingsPlatformOps Ops() {
        SettingsPlatformOps ops = PlatformSettingsOps();
        ops.context = this;
        ops.programPath = [](void* c, StrBuf* out) {
            out->Assign(static_cast<ScratchPlatform*>(c)->program.c_str());
            return true;
        };
        ops.setCurrentFolder = [](void* c, const char16_t* folder) {
            static_cast<ScratchPlatform*>(c)->current = folder;
            return true;
        };
        ops.specialFolder = [](void* c, SpecialFolder, StrBuf* out) {
            out->Assign(static_cast<ScratchPlatform*>(c)->appData.c_str());
            return true;
        };
        return ops;
    }
};

TEST(SettingsLocate, OnDiskWithTheRealOperations) {
    ScratchFolder scratch;
    ScratchPlatform platform;
    platform.program = scratch.Path(u"Pagewick.EXE");
    platform.appData = scratch.Path();
    StrBuf path;
    ASSERT_EQ(SettingsLocate(platform.Ops(), &path), SettingsLocation::kAppData);
    EXPECT_EQ(std::u16string(path.Text()), scratch.Path(u"Pagewick\\Pagewick.ini"));
    EXPECT_TRUE(PlatformSettingsOps().folderExists(nullptr, scratch.Path(u"Pagewick").c_str()));
    EXPECT_EQ(platform.current, scratch.Path());
    // The folder is there now: a second start finds it without creating it.
    ASSERT_EQ(SettingsLocate(platform.Ops(), &path), SettingsLocation::kAppData);

    ASSERT_TRUE(WriteWholeFile(scratch.Path(u"Pagewick.ini"), Bytes{}));
    ASSERT_EQ(SettingsLocate(platform.Ops(), &path), SettingsLocation::kProgramFolder);
    EXPECT_EQ(std::u16string(path.Text()), scratch.Path(u"Pagewick.ini"));
}

}  // namespace
