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
            platform.files.insert((folder.back() == u':' ? folder + u"\\" : folder + u"\\") +
                                  u"Pagewick.ini");
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
