// The reader: defaults and clamps, what damaged files give, lists, key bindings,
// bookmarks and history, the first-start lists and the load order's checks.
#include <gtest/gtest.h>

#include <random>

#include "settings/settings_reader.h"
#include "tests/settings/settings_test_util.h"

namespace {

struct Loaded {
    Settings s;
    bool read = false;
};

void Load(const Bytes& file, FakePlatform* platform, Loaded* out) {
    SettingsReset(&out->s);
    out->read = SettingsReadMemory(file.data(), file.size(), &out->s, platform->Ops());
}

TEST(SettingsRead, IntegerSlotsTakeTheirClamps) {
    struct Case {
        const char* name;
        uint32_t slot;
        bool present;
        int32_t stored;
        int32_t expected;
    };
    static const Case kCases[] = {
        {"stretch halftone", kSlotStretchMode, true, 4, 4},
        {"stretch 0 reads as colour on colour", kSlotStretchMode, true, 0, 3},
        {"stretch 3", kSlotStretchMode, true, 3, 3},
        {"stretch 7", kSlotStretchMode, true, 7, 3},
        {"stretch absent", kSlotStretchMode, false, 0, 4},
        {"background 4 kept", kSlotBackgroundColour, true, 4, 4},
        {"background 0 kept", kSlotBackgroundColour, true, 0, 0},
        {"background 5", kSlotBackgroundColour, true, 5, 2},
        {"background negative is large unsigned", kSlotBackgroundColour, true, -1, 2},
        {"pane mode 2 kept", kSlotPaneMode, true, 2, 2},
        {"pane mode 3", kSlotPaneMode, true, 3, 1},
        {"pane mode negative", kSlotPaneMode, true, -7, 1},
        {"pane mode absent", kSlotPaneMode, false, 0, 1},
        {"show state maximised", kSlotWindowShowState, true, 3, 3},
        {"show state minimised reads normal", kSlotWindowShowState, true, 2, 1},
        {"show state 0", kSlotWindowShowState, true, 0, 1},
        {"spread bit 2 is off", kSlotSpreadMode, true, 2, 0},
        {"spread bit 3 is on", kSlotSpreadMode, true, 3, 1},
        {"spread absent is on", kSlotSpreadMode, false, 0, 1},
        {"notice off", kSlotShowNoticeAtStart, true, 0, 0},
        {"tree hidden any value", kSlotTreeHiddenMode, true, -5, -5},
        {"pane width negative kept", kSlotPaneWidth, true, -20, -20},
        {"pane width absent", kSlotPaneWidth, false, 0, 180},
        {"hide delay absent", kSlotPaneHideDelay, false, 0, 500},
        {"window left absent", kSlotWindowLeft, false, 0, 200},
        {"window height stored", kSlotWindowHeight, true, 1234, 1234},
        {"mouse X1 stored", 17, true, 5062, 5062},
        {"mouse wheel away absent", 101, false, 0, 5042},
        {"key dialog page bit", kSlotKeyDialogMousePage, true, 1, 1},
        {"bookmark-less page slot", BookmarkPageSlot(0), true, 9, 0},  // no bookmark path: page stays 0
        {"resume page", kSlotResumePage, true, 77, 77},
    };
    FakePlatform platform;
    for (const Case& c : kCases) {
        FileBuilder b;
        if (c.present) {
            b.Int(c.slot, c.stored);
        }
        Loaded l;
        Load(b.Build(), &platform, &l);
        EXPECT_TRUE(l.read) << c.name;
        EXPECT_EQ(SettingsGetInt(l.s, c.slot), c.expected) << c.name;
    }
}

TEST(SettingsRead, ValuesThatDoNotFitFallBack) {
    struct Case {
        const char* name;
        Bytes file;
        bool read;
        int32_t spread;            // slot 7
        const char16_t* language;  // slot 0
    };
    FileBuilder good;
    good.Int(kSlotSpreadMode, 0).Text(kSlotLanguageFile, u"Japanese.dll");
    Bytes goodBytes = good.Build();
    Bytes truncatedIndex(goodBytes.begin(), goodBytes.begin() + 100);
    Bytes threeBytes(goodBytes.begin(), goodBytes.begin() + 3);
    FileBuilder shortCount(5);
    shortCount.Int(kSlotSpreadMode, 0).Text(kSlotLanguageFile, u"J.dll");
    FileBuilder zeroCount(0);
    FileBuilder tooLong;
    tooLong.Int(kSlotSpreadMode, 0).Raw(kSlotLanguageFile, 836, 1000);
    FileBuilder pastEnd;
    pastEnd.Int(kSlotSpreadMode, 0).Data(kSlotUnusedHigh, Bytes(40, 1)).Raw(kSlotLanguageFile, 5000, 10);
    FileBuilder asBytes;
    asBytes.Data(kSlotSpreadMode, Bytes{0, 0, 0, 0}).Int(kSlotLanguageFile, 3);
    FileBuilder manyEntries(300);
    manyEntries.Int(kSlotSpreadMode, 0).Text(kSlotLanguageFile, u"E.dll").Int(kSlotCount + 96, 1);
    FileBuilder otherTag(104, 0x1234);
    otherTag.Int(kSlotSpreadMode, 0);

    const Case kCases[] = {
        {"empty file", {}, false, 1, u""},
        {"three bytes", threeBytes, false, 1, u""},
        {"index cut short", truncatedIndex, false, 1, u""},
        {"good", goodBytes, true, 0, u"Japanese.dll"},
        {"count below the slot", shortCount.Build(), true, 1, u"J.dll"},
        {"no entries", zeroCount.Build(), true, 1, u""},
        {"length past the data size", tooLong.Build(), true, 0, u""},
        {"offset past the end reads empty", pastEnd.Build(), true, 0, u""},
        {"kinds swapped", asBytes.Build(), true, 1, u""},
        {"more than 104 entries", manyEntries.Build(), true, 0, u"E.dll"},
        {"tag ignored", otherTag.Build(), true, 0, u""},
    };
    FakePlatform platform;
    for (const Case& c : kCases) {
        Loaded l;
        Load(c.file, &platform, &l);
        EXPECT_EQ(l.read, c.read) << c.name;
        EXPECT_EQ(l.s.spreadMode ? 1 : 0, c.spread) << c.name;
        EXPECT_EQ(std::u16string(l.s.languageFile.Text()), c.language) << c.name;
    }
}

TEST(SettingsRead, FirstStartListsOnlyWhenNoFileWasRead) {
    struct Case {
        const char* name;
        bool fileRead;
        bool picturesGiven;
        std::u16string favourite0, favourite2, tree;
    };
    const Case kCases[] = {
        {"no file", false, true, u"C:\\Users\\u\\Desktop", u"C:\\Users\\u\\Pictures",
         u"C:\\Users\\u\\Pictures"},
        {"no file, no Pictures", false, false, u"C:\\Users\\u\\Desktop", u"", u""},
        {"file without the lists", true, true, u"", u"", u""},
    };
    for (const Case& c : kCases) {
        FakePlatform platform;
        if (!c.picturesGiven) {
            platform.special.erase(SpecialFolder::kPictures);
        }
        Loaded l;
        Load(c.fileRead ? FileBuilder().Build() : Bytes{}, &platform, &l);
        EXPECT_EQ(l.read, c.fileRead) << c.name;
        EXPECT_EQ(std::u16string(l.s.favouriteFolders[0].Text()), c.favourite0) << c.name;
        EXPECT_EQ(std::u16string(l.s.favouriteFolders[2].Text()), c.favourite2) << c.name;
        for (uint32_t i = 3; i < kFavouriteCount; ++i) {
            EXPECT_EQ(l.s.favouriteFolders[i].length, 0u) << c.name << " favourite " << i;
        }
        ASSERT_EQ(l.s.treeFolders.count, c.tree.empty() ? 0u : 1u) << c.name;
        if (!c.tree.empty()) {
            EXPECT_EQ(std::u16string(l.s.treeFolders.items[0].path.Text()), c.tree) << c.name;
            EXPECT_EQ(l.s.treeFolders.items[0].expand, 0) << c.name;
        }
        EXPECT_EQ(platform.blendFills, 1) << c.name;
    }
}

TEST(SettingsRead, FirstStartTakesThePluginsFolderBesideTheProgram) {
    const std::u16string beside = u"C:\\Programs\\Pagewick\\plugins";
    const struct {
        const char* name;
        bool fileRead;
        std::u16string stored;  // the file's pluginFolder ("" = not stored)
        bool folderThere;
        std::u16string want;
    } kCases[] = {
        {"first start, folder there", false, u"", true, beside},
        {"first start, no folder", false, u"", false, u""},
        {"stored empty setting kept", true, u"", true, u""},
        {"stored setting kept", true, u"D:\\spi", true, u"D:\\spi"},
    };
    for (const auto& c : kCases) {
        FakePlatform platform;
        if (c.folderThere) {
            platform.folders.insert(beside);
        }
        Loaded l;
        Load(c.fileRead ? FileBuilder().Text(kSlotPluginFolder, c.stored).Build() : Bytes{}, &platform, &l);
        EXPECT_EQ(std::u16string(l.s.pluginFolder.Text()), c.want) << c.name;
    }
}

TEST(SettingsRead, OpenDialogFolderMustExist) {
    FakePlatform platform;
    platform.folders.insert(u"D:\\Comics");
    struct Case {
        const char* name;
        bool present;
        std::u16string stored, expected;
    };
    const Case kCases[] = {
        {"existing folder kept", true, u"D:\\Comics", u"D:\\Comics"},
        {"missing folder becomes Documents", true, u"D:\\Gone", u"C:\\Users\\u\\Documents"},
        {"absent is Documents", false, u"", u"C:\\Users\\u\\Documents"},
    };
    for (const Case& c : kCases) {
        FileBuilder b;
        if (c.present) {
            b.Text(kSlotOpenDialogFolder, c.stored);
        }
        Loaded l;
        Load(b.Build(), &platform, &l);
        EXPECT_EQ(std::u16string(l.s.openDialogFolder.Text()), c.expected) << c.name;
    }
}

TEST(SettingsRead, BookmarksAndHistoryEndAtTheFirstEmptyPath) {
    FileBuilder b;
    b.Text(BookmarkPathSlot(0), u"A.zip").Int(BookmarkPageSlot(0), 4);
    b.Text(BookmarkPathSlot(1), u"B.zip").Int(BookmarkPageSlot(1), 7);
    b.Text(BookmarkPathSlot(3), u"D.zip").Int(BookmarkPageSlot(3), 9);
    // Eleven to twenty live in the high slots; they are reached only through the low ten.
    b.Text(BookmarkPathSlot(10), u"K.zip");
    b.Text(kSlotHistory, u"H1").Text(kSlotHistory + 1, u"H2").Text(kSlotHistory + 2, u"");
    b.Text(kSlotHistory + 3, u"H4");
    FakePlatform platform;
    Loaded l;
    Load(b.Build(), &platform, &l);
    ASSERT_EQ(l.s.bookmarkCount, 2u);
    EXPECT_EQ(std::u16string(l.s.bookmarks[1].path.Text()), u"B.zip");
    EXPECT_EQ(l.s.bookmarks[0].page, 4);
    EXPECT_EQ(l.s.bookmarks[1].page, 7);
    EXPECT_EQ(l.s.bookmarks[3].path.length, 0u);
    EXPECT_EQ(l.s.bookmarks[3].page, 0);
    EXPECT_EQ(l.s.bookmarks[10].path.length, 0u);
    EXPECT_EQ(l.s.historyCount, 2u);
    EXPECT_EQ(l.s.history[3].length, 0u);

    FileBuilder full;
    for (uint32_t i = 0; i < 10; ++i) {
        full.Text(BookmarkPathSlot(i), Name(u'L', u'0', i)).Int(BookmarkPageSlot(i), int32_t(i));
        full.Text(BookmarkPathSlot(10 + i), Name(u'H', u'0', i))
            .Int(BookmarkPageSlot(10 + i), int32_t(100 + i));
    }
    Load(full.Build(), &platform, &l);
    ASSERT_EQ(l.s.bookmarkCount, 20u);
    EXPECT_EQ(std::u16string(l.s.bookmarks[19].path.Text()), u"H9");
    EXPECT_EQ(l.s.bookmarks[19].page, 109);
}

TEST(SettingsRead, TextListsAndExpandFlags) {
    struct Case {
        const char* name;
        Bytes list;    // the tree folders
        Bytes expand;  // their expand flags; empty: absent
        std::vector<std::u16string> paths;
        std::vector<uint8_t> flags;
    };
    auto join = [](std::initializer_list<std::u16string> parts) {
        Bytes out;
        for (const std::u16string& p : parts) {
            Bytes b = Utf16Bytes(p);
            out.insert(out.end(), b.begin(), b.end());
        }
        return out;
    };
    const std::u16string z(1, u'\0');
    const Case kCases[] = {
        {"two entries", join({u"C:\\a", z, u"D:\\b", z}), {1, 0}, {u"C:\\a", u"D:\\b"}, {1, 0}},
        {"empty middle entry", join({u"a", z, z, u"b", z}), {0, 1, 1}, {u"a", u"", u"b"}, {0, 1, 1}},
        {"last without terminator", join({u"a", z, u"bc"}), {}, {u"a", u"bc"}, {0, 0}},
        {"fewer flags than entries", join({u"a", z, u"b", z, u"c", z}), {5}, {u"a", u"b", u"c"}, {5, 0, 0}},
        {"flags longer than the list", join({u"a", z}), {1, 1, 1, 1, 1}, {u"a"}, {0}},
        {"odd byte dropped", Bytes{u'x', 0, 0, 0, u'y'}, {}, {u"x"}, {0}},
    };
    FakePlatform platform;
    for (const Case& c : kCases) {
        FileBuilder b;
        b.Data(kSlotTreeFolders, c.list);
        if (!c.expand.empty()) {
            b.Data(kSlotTreeExpand, c.expand);
        }
        b.Data(kSlotDisabledPlugins, c.list);
        Loaded l;
        Load(b.Build(), &platform, &l);
        ASSERT_EQ(l.s.treeFolders.count, c.paths.size()) << c.name;
        ASSERT_EQ(l.s.disabledPlugins.count, c.paths.size()) << c.name;
        for (size_t i = 0; i < c.paths.size(); ++i) {
            EXPECT_EQ(std::u16string(l.s.treeFolders.items[i].path.Text()), c.paths[i]) << c.name << " " << i;
            EXPECT_EQ(l.s.treeFolders.items[i].expand, c.flags[i]) << c.name << " " << i;
            EXPECT_EQ(std::u16string(l.s.disabledPlugins.items[i].Text()), c.paths[i]) << c.name << " " << i;
        }
    }
    // An empty list value counts as absent.
    FileBuilder empty;
    empty.Data(kSlotTreeFolders, {}).Data(kSlotTreeExpand, {1});
    Loaded l;
    Load(empty.Build(), &platform, &l);
    EXPECT_EQ(l.s.treeFolders.count, 0u);
}

TEST(SettingsRead, KeyBindingsFromTheStoredTable) {
    const AccelRecord openCtrlShiftO{kAccelVirtKey | kAccelControl | kAccelShift, u'O', 5500};
    const AccelRecord altNext{kAccelVirtKey | kAccelAlt, 0x22, 5031};
    const AccelRecord secondOpen{kAccelVirtKey, u'P', 5500};
    const AccelRecord foreign{kAccelVirtKey, u'Q', kFakeFolderCommand};  // a command no binding carries
    struct Case {
        const char* name;
        Bytes value;
        bool stored;  // false: the built-in bindings apply
    };
    Bytes table = KeyRecordBytes({openCtrlShiftO, altNext, secondOpen, foreign});
    Bytes withTail = table;
    withTail.push_back(9);  // a partial record is ignored
    Bytes tooMany = KeyRecordBytes(std::vector<AccelRecord>(43, foreign));
    const Case kCases[] = {
        {"stored", table, true},
        {"trailing partial record", withTail, true},
        {"less than a record", Bytes{1, 0, 2, 0, 3}, false},
        {"more than 42 records", tooMany, false},
    };
    FakePlatform platform;
    for (const Case& c : kCases) {
        FileBuilder b;
        b.Data(kSlotKeyTable, c.value);
        Loaded l;
        Load(b.Build(), &platform, &l);
        if (!c.stored) {
            for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
                EXPECT_EQ(l.s.keyBindings[i].key, kDefaultKeyBindings[i].key) << c.name << " " << i;
                EXPECT_EQ(l.s.keyBindings[i].modifiers, kDefaultKeyBindings[i].modifiers)
                    << c.name << " " << i;
            }
            EXPECT_EQ(l.s.keyTableCount, 14u) << c.name;  // the built-in keys
            continue;
        }
        ASSERT_EQ(l.s.keyTableCount, 4u) << c.name;
        EXPECT_EQ(l.s.keyTable[3].command, kFakeFolderCommand) << c.name;  // kept as stored
        EXPECT_EQ(l.s.keyTable[1].flags, kAccelVirtKey | kAccelAlt) << c.name;
        const KeyBinding& open = l.s.keyBindings[2];
        EXPECT_EQ(open.command, 5500) << c.name;
        EXPECT_EQ(open.key, u'O') << c.name;
        EXPECT_EQ(open.modifiers, kAccelVirtKey | kAccelControl | kAccelShift) << c.name;
        const KeyBinding& next = l.s.keyBindings[13];
        EXPECT_EQ(next.command, 5031) << c.name;
        EXPECT_EQ(next.key, 0x22) << c.name;
        EXPECT_EQ(next.modifiers, kAccelVirtKey) << c.name;
        const KeyBinding& loupe = l.s.keyBindings[16];  // carried by no record: unbound
        EXPECT_EQ(loupe.key, 0) << c.name;
        EXPECT_EQ(loupe.modifiers, kAccelVirtKey) << c.name;
    }
}

bool SameRecords(const std::vector<AccelRecord>& a, const std::vector<AccelRecord>& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].flags != b[i].flags || a[i].key != b[i].key || a[i].command != b[i].command) {
            return false;
        }
    }
    return true;
}

// Loads a file whose key table is `table`, checks what the load kept, then saves
// and loads again: the saved table holds exactly the kept records.
void LoadKeyTable(const char* name, const Bytes& table, const std::vector<AccelRecord>& kept) {
    FakePlatform platform;
    FileBuilder b;
    b.Data(kSlotKeyTable, table);
    Loaded l;
    Load(b.Build(), &platform, &l);
    EXPECT_TRUE(SameRecords(KeyTableOf(l.s), kept)) << name << ": " << l.s.keyTableCount << " records";
    Bytes saved = SavedFile(l.s, platform.Ops());
    EXPECT_EQ(SlotBytes(saved, kSlotKeyTable), KeyRecordBytes(kept)) << name;
    Loaded again;
    Load(saved, &platform, &again);
    EXPECT_TRUE(SameRecords(KeyTableOf(again.s), kept)) << name;
}

// A damaged key table never leaves the program without keys: records that cannot
// be accelerators are dropped, and with none left the built-in keys apply, so
// the next save holds a working table again.
TEST(SettingsRead, DamagedKeyRecordsAreDropped) {
    const std::vector<AccelRecord> builtIn = KeyTableOf(Settings());
    ASSERT_EQ(builtIn.size(), 14u);
    const Bytes stored = KeyRecordBytes(builtIn);
    Bytes everyByte = stored;
    for (uint8_t& byte : everyByte) {
        byte ^= 0x5A;
    }
    Bytes commands = stored;
    for (size_t i = 4; i < commands.size(); i += kAccelRecordBytes) {
        commands[i + 1] = 0xEE;  // 0xEE00 and up: no command
    }
    Bytes flags = stored;
    for (size_t i = 0; i < flags.size(); i += kAccelRecordBytes) {
        flags[i] = 0x80;
    }
    const AccelRecord open{kAccelVirtKey | kAccelControl, u'O', 5500};
    const AccelRecord down{kAccelVirtKey, 0x28, 5043};
    const AccelRecord folder{kAccelVirtKey, 0x70, kFakeFolderCommand};
    struct Case {
        const char* name;
        Bytes table;
        std::vector<AccelRecord> kept;
    };
    const Case kCases[] = {
        {"every byte changed", everyByte, builtIn},
        {"every command changed", commands, builtIn},
        {"every flag byte changed", flags, builtIn},
        {"all zeros", Bytes(stored.size(), 0), builtIn},
        {"damaged and sound records mixed",
         KeyRecordBytes({open,
                         {kAccelVirtKey, 0x28, 7777},
                         {kAccelVirtKey, 0, 5031},
                         down,
                         {kAccelVirtKey | 0x40, 0x27, 5045},
                         folder}),
         {open, down, folder}},
        {"the padding byte is not looked at", Bytes{kAccelVirtKey, 0xFF, 0x28, 0, 0xB3, 0x13}, {down}},
    };
    for (const Case& c : kCases) {
        LoadKeyTable(c.name, c.table, c.kept);
    }
    // Down still turns the spread after the built-in keys took over.
    FakePlatform platform;
    FileBuilder b;
    b.Data(kSlotKeyTable, everyByte);
    Loaded l;
    Load(b.Build(), &platform, &l);
    EXPECT_EQ(l.s.keyBindings[11].command, 5043);
    EXPECT_EQ(l.s.keyBindings[11].key, 0x28);
}

// Any change to the stored bytes still gives a table of usable records only,
// never an empty one, and what is saved from it reads back the same.
TEST(SettingsRead, RandomlyDamagedKeyTablesStayUsable) {
    const Bytes stored = KeyRecordBytes(KeyTableOf(Settings()));
    std::mt19937 random(20240613);
    FakePlatform platform;
    for (int round = 0; round < 400; ++round) {
        Bytes table = stored;
        int changes = 1 + static_cast<int>(random() % 40);
        for (int i = 0; i < changes; ++i) {
            table[random() % table.size()] = static_cast<uint8_t>(random());
        }
        FileBuilder b;
        b.Data(kSlotKeyTable, table);
        Loaded l;
        Load(b.Build(), &platform, &l);
        ASSERT_GT(l.s.keyTableCount, 0u) << "round " << round;
        for (const AccelRecord& r : KeyTableOf(l.s)) {
            ASSERT_TRUE(IsUsableAccelRecord(r, FakeIsCommand)) << "round " << round;
        }
        Bytes saved = SavedFile(l.s, platform.Ops());
        Loaded again;
        Load(saved, &platform, &again);
        ASSERT_TRUE(SameRecords(KeyTableOf(again.s), KeyTableOf(l.s))) << "round " << round;
    }
}

// A table the user emptied is saved as a value of no bytes and stays empty; an
// absent slot, or an empty value the file cannot have written, is no such table.
TEST(SettingsRead, EmptiedKeyTableStaysEmpty) {
    FakePlatform platform;
    Settings emptied;
    emptied.keyTableCount = 0;
    Bytes file = SavedFile(emptied, platform.Ops());
    Loaded l;
    Load(file, &platform, &l);
    EXPECT_EQ(l.s.keyTableCount, 0u);
    for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
        EXPECT_EQ(l.s.keyBindings[i].key, 0) << "binding " << i;
    }
    Bytes again = SavedFile(l.s, platform.Ops());
    EXPECT_GE(EntryA(again, kSlotKeyTable), 836u);
    EXPECT_EQ(EntryB(again, kSlotKeyTable), 0u);

    struct Case {
        const char* name;
        uint32_t a;
    };
    static const Case kBuiltIn[] = {
        {"absent", 0},
        {"no bytes inside the index", 12},
        {"no bytes past the end of the file", 5000},
    };
    for (const Case& c : kBuiltIn) {
        FileBuilder b;
        b.Raw(kSlotKeyTable, c.a, 0);
        Load(b.Build(), &platform, &l);
        EXPECT_EQ(l.s.keyTableCount, 14u) << c.name;
    }
}

TEST(SettingsRead, LanguageAloneBeforeTheRest) {
    FileBuilder b;
    b.Text(kSlotLanguageFile, u"Japanese.dll").Int(kSlotSpreadMode, 0);
    Bytes file = b.Build();
    SettingsReader r;
    ASSERT_TRUE(SettingsReaderOpenMemory(&r, file.data(), file.size()));
    Settings s;
    SettingsReadLanguage(r, &s);
    EXPECT_EQ(std::u16string(s.languageFile.Text()), u"Japanese.dll");
    EXPECT_TRUE(s.spreadMode);
    // A text with a 0 character ends there, as every user of it reads it.
    FileBuilder z;
    z.Text(kSlotLanguageFile, std::u16string(u"En\0x", 4));
    file = z.Build();
    ASSERT_TRUE(SettingsReaderOpenMemory(&r, file.data(), file.size()));
    SettingsReadLanguage(r, &s);
    EXPECT_EQ(s.languageFile.length, 2u);
}

TEST(SettingsRead, MissingFileOnDiskGivesDefaults) {
    ScratchFolder folder;
    FakePlatform platform;
    Settings s;
    s.paneWidth = 1;
    s.languageFile.Assign(u"x");
    EXPECT_FALSE(SettingsRead(folder.Path(u"Pagewick.ini").c_str(), &s, platform.Ops()));
    EXPECT_EQ(s.paneWidth, 180);
    EXPECT_EQ(s.languageFile.length, 0u);
    EXPECT_EQ(s.keyTableCount, 14u);
}

}  // namespace
