// The slot dump that pwinspect prints, over a file this program wrote, and the
// replay of the fuzzer's saved inputs.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "fuzz/settings/settings_fuzz_body.h"
#include "settings/settings_dump.h"
#include "settings/settings_writer.h"
#include "tests/settings/settings_test_util.h"

namespace {

std::string DumpLine(const SettingsReader& r, uint32_t slot) {
    ByteBuf out;
    DumpSettingsSlot(r, slot, &out);
    return std::string(reinterpret_cast<const char*>(out.data), out.size);
}

TEST(SettingsDump, WrittenFileShowsItsSlots) {
    FakePlatform platform;
    platform.files.insert(u"C:\\spi\\a.spi");
    Settings s;
    s.languageFile.Assign(u"Jap\"an\\ese\u00e9.dll");
    s.pluginFolder.Assign(u"C:\\spi");
    (void)s.disabledPlugins.Append(u"a.spi", 5);
    (void)s.treeFolders.Append(u"C:\\x", 4, 1);
    (void)s.treeFolders.Append(u"D:\\y", 4, 0);
    s.keyTableCount = 1;
    s.keyTable[0] = AccelRecord{9, u'O', 5500};
    s.paneWidth = -3;
    FileBuilder oldFile;
    oldFile.Data(kSlotUnusedHigh, {0x00, 0x7F, 0xFF}).Int(kSlotUnusedLow, 42);
    Bytes old = oldFile.Build();
    MemorySource m;
    OpenMemorySource(&m, old.data(), old.size());
    ByteBuf built;
    ASSERT_EQ(BuildSettingsFile(&m.source, s, platform.Ops(), &built), SaveResult::kSaved);

    SettingsReader r;
    ASSERT_TRUE(SettingsReaderOpenMemory(&r, built.data, built.size));
    struct Case {
        uint32_t slot;
        const char* line;
    };
    static const Case kCases[] = {
        {kSlotLanguageFile, "{\"slot\":0,\"kind\":\"text\",\"value\":\"Jap\\\"an\\\\ese\xc3\xa9.dll\"}\n"},
        {kSlotSpreadMode, "{\"slot\":7,\"kind\":\"int\",\"value\":1}\n"},
        {kSlotPaneWidth, "{\"slot\":66,\"kind\":\"int\",\"value\":-3}\n"},
        {kSlotKeyTable,
         "{\"slot\":20,\"kind\":\"keys\",\"value\":[{\"flags\":9,\"key\":79,\"command\":5500}]}\n"},
        {kSlotTreeFolders, "{\"slot\":65,\"kind\":\"textList\",\"value\":[\"C:\\\\x\",\"D:\\\\y\"]}\n"},
        {kSlotTreeExpand, "{\"slot\":75,\"kind\":\"expand\",\"value\":[1,0]}\n"},
        {kSlotDisabledPlugins, "{\"slot\":73,\"kind\":\"textList\",\"value\":[\"a.spi\"]}\n"},
        {kSlotUnusedLow, "{\"slot\":71,\"kind\":\"int\",\"value\":42}\n"},
        {kSlotUnusedHigh, "{\"slot\":74,\"kind\":\"bytes\",\"value\":\"007fff\"}\n"},
        {kSlotResumePath, "{\"slot\":23,\"kind\":\"absent\",\"value\":null}\n"},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(DumpLine(r, c.slot), c.line) << "slot " << c.slot;
    }
    ByteBuf all;
    DumpSettings(r, &all);
    std::string text(reinterpret_cast<const char*>(all.data), all.size);
    size_t lines = 0;
    for (char ch : text) {
        lines += ch == '\n';
    }
    EXPECT_EQ(lines, 104u);
}

TEST(SettingsDump, DamagedValuesAreShownNotRead) {
    FileBuilder b(3);
    b.Raw(kSlotLanguageFile, 5000, 0).Raw(kSlotFullScreen, 40, 4000);
    b.Text(kSlotWindowShowState, std::u16string(u"a\0\U0001F600\xD800", 5));  // bytes in an integer slot
    Bytes file = b.Build();
    SettingsReader r;
    ASSERT_TRUE(SettingsReaderOpenMemory(&r, file.data(), file.size()));
    EXPECT_EQ(DumpLine(r, kSlotLanguageFile), "{\"slot\":0,\"kind\":\"text\",\"value\":\"\"}\n");
    EXPECT_EQ(DumpLine(r, kSlotFullScreen),
              "{\"slot\":1,\"kind\":\"unreadable\",\"value\":{\"offset\":40,\"length\":4000}}\n");
    EXPECT_EQ(DumpLine(r, kSlotWindowShowState),
              "{\"slot\":2,\"kind\":\"bytes\",\"value\":\"610000003dd800de00d8\"}\n");
    EXPECT_EQ(DumpLine(r, kSlotWindowLeft), "");  // past the entry count
}

TEST(SettingsRegress, SavedFuzzInputsReplayCleanly) {
    namespace fs = std::filesystem;
    std::error_code ec;
    int replayed = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(PW_SETTINGS_REGRESS_DIR, ec)) {
        if (!e.is_regular_file(ec) || e.path().filename() == "README.md") {
            continue;
        }
        Bytes bytes;
        std::u16string name = e.path().u16string();
        ASSERT_TRUE(ReadWholeFile(name, &bytes)) << e.path().string();
        EXPECT_TRUE(SettingsFuzzOne(bytes.data(), bytes.size())) << e.path().string();
        ++replayed;
    }
    EXPECT_FALSE(ec) << ec.message();
    EXPECT_GT(replayed, 0);
}

}  // namespace
