// The writer: the file a first exit leaves, carry-over of unknown slots, the
// round trip of every field, window placement as saved, the lists' filters, and
// the replacement that never leaves a damaged file behind.
#include <gtest/gtest.h>

#include "platform/heap.h"
#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "tests/settings/settings_test_util.h"

namespace {

Bytes Build(const Bytes* old, const Settings& s, FakePlatform* platform) {
    MemorySource m;
    if (old != nullptr) {
        OpenMemorySource(&m, old->data(), old->size());
    }
    ByteBuf out;
    SaveResult r = BuildSettingsFile(old != nullptr ? &m.source : nullptr, s, platform->Ops(), &out);
    EXPECT_EQ(r, SaveResult::kSaved);
    return Bytes(out.data, out.data + out.size);
}

void ReadBack(const Bytes& file, FakePlatform* platform, Settings* s) {
    SettingsReset(s);
    EXPECT_TRUE(SettingsReadMemory(file.data(), file.size(), s, platform->Ops()));
}

TEST(SettingsWrite, FirstExitWritesTheDefaults) {
    FakePlatform platform;
    Settings s;
    EXPECT_FALSE(SettingsReadMemory(nullptr, 0, &s, platform.Ops()));
    Bytes file = Build(nullptr, s, &platform);
    ASSERT_GE(file.size(), 836u);
    EXPECT_EQ(file[0], 0x68);
    EXPECT_EQ(file[1], 0x00);
    EXPECT_EQ(file[2], 0xBF);
    EXPECT_EQ(file[3], 0x05);
    struct Case {
        uint32_t slot, a, b;
    };
    static const Case kInts[] = {
        {kSlotSpreadMode, 1, 1},       {kSlotPaneWidth, 1, 180},      {kSlotPaneHideDelay, 1, 500},
        {kSlotStretchMode, 1, 4},      {kSlotBackgroundColour, 1, 2}, {kSlotPaneMode, 1, 1},
        {kSlotWindowShowState, 1, 1},  {kSlotWindowLeft, 1, 200},     {kSlotWindowHeight, 1, 600},
        {MouseActionSlot(0), 1, 5031}, {MouseActionSlot(4), 1, 0},    {MouseActionSlot(11), 1, 5043},
        {kSlotFullScreen, 1, 0},       {kSlotUnusedLow, 0, 0},        {kSlotUnusedHigh, 0, 0},
        {kSlotLanguageFile, 0, 0},     {kSlotResumePath, 0, 0},       {BookmarkPathSlot(0), 0, 0},
        {BookmarkPageSlot(0), 1, 0},   {kSlotHistory, 0, 0},
    };
    for (const Case& c : kInts) {
        EXPECT_EQ(EntryA(file, c.slot), c.a) << "slot " << c.slot;
        EXPECT_EQ(EntryB(file, c.slot), c.b) << "slot " << c.slot;
    }
    // The first-start lists and the built-in keys are byte values after the index.
    EXPECT_EQ(SlotBytes(file, kSlotFavourites), Utf16Bytes(u"C:\\Users\\u\\Desktop"));
    EXPECT_EQ(SlotBytes(file, kSlotTreeFolders),
              Utf16Bytes(std::u16string(u"C:\\Users\\u\\Pictures") + u'\0'));
    EXPECT_EQ(SlotBytes(file, kSlotTreeExpand), Bytes{0});
    EXPECT_EQ(EntryB(file, kSlotKeyTable), 14u * 6);
    EXPECT_EQ(SlotBytes(file, kSlotKeyTable).size(), 84u);
}

TEST(SettingsWrite, ByteValuesFollowTheWriteOrderWithoutGaps) {
    FakePlatform platform;
    platform.files.insert(u"P\\x.spi");
    Settings s;
    s.languageFile.Assign(u"L");
    (void)s.treeFolders.Append(u"T", 1, 1);
    s.pluginFolder.Assign(u"P");
    (void)s.disabledPlugins.Append(u"x.spi", 5);
    s.openDialogFolder.Assign(u"O");
    s.resumePath.Assign(u"R");
    s.favouriteFolders[9].Assign(u"F");
    s.bookmarks[0].path.Assign(u"B0");
    s.bookmarks[12].path.Assign(u"B12");
    s.history[0].Assign(u"H");
    Bytes file = Build(nullptr, s, &platform);
    static const uint32_t kOrder[] = {
        kSlotLanguageFile,   kSlotTreeFolders,     kSlotTreeExpand,       kSlotKeyTable,
        kSlotPluginFolder,   kSlotDisabledPlugins, kSlotOpenDialogFolder, kSlotResumePath,
        kSlotFavourites + 9, BookmarkPathSlot(0),  BookmarkPathSlot(12),  kSlotHistory,
    };
    uint32_t at = 836;
    for (uint32_t slot : kOrder) {
        EXPECT_EQ(EntryA(file, slot), at) << "slot " << slot;
        at += EntryB(file, slot);
    }
    EXPECT_EQ(at, file.size());
}

TEST(SettingsWrite, UnknownSlotsSurviveASave) {
    FakePlatform platform;
    struct Case {
        const char* name;
        uint32_t count;
        bool intAt71;
        Bytes bytesAt74;
    };
    const Case kCases[] = {
        {"integer and bytes", 104, true, {1, 2, 3, 4, 5}},
        {"empty bytes", 104, true, {}},
        {"old file with more entries", 130, false, {9, 8, 7}},
    };
    for (const Case& c : kCases) {
        FileBuilder b(c.count);
        if (c.intAt71) {
            b.Int(kSlotUnusedLow, -123456);
        }
        b.Text(kSlotLanguageFile, u"Old.dll")
            .Data(kSlotUnusedHigh, c.bytesAt74)
            .Text(kSlotResumePath, u"old");
        if (c.count > kSlotCount) {
            b.Int(kSlotCount + 16, 5);  // past what this program reads and writes
        }
        Bytes old = b.Build();
        Settings s;
        ReadBack(old, &platform, &s);
        s.languageFile.Assign(u"New.dll");
        Bytes file = Build(&old, s, &platform);
        EXPECT_EQ(EntryA(file, kSlotUnusedLow), c.intAt71 ? 1u : 0u) << c.name;
        EXPECT_EQ(EntryB(file, kSlotUnusedLow), c.intAt71 ? static_cast<uint32_t>(-123456) : 0u) << c.name;
        EXPECT_GE(EntryA(file, kSlotUnusedHigh), 836u) << c.name;
        EXPECT_EQ(SlotBytes(file, kSlotUnusedHigh), c.bytesAt74) << c.name;
        EXPECT_EQ(SlotBytes(file, kSlotLanguageFile), Utf16Bytes(u"New.dll")) << c.name;
        EXPECT_EQ(file[0], 104) << c.name;
        // Saving again keeps them once more, byte for byte.
        Settings again;
        ReadBack(file, &platform, &again);
        EXPECT_EQ(Build(&file, again, &platform), file) << c.name;
    }
}

TEST(SettingsWrite, CarriedRangesOutsideTheOldDataBecomeAbsent) {
    FakePlatform platform;
    FileBuilder b;
    b.Data(kSlotUnusedLow, {1, 2}).Raw(kSlotUnusedHigh, 10, 4);  // points into the old index
    Bytes old = b.Build();
    old.push_back(0);
    Settings s;
    Bytes file = Build(&old, s, &platform);
    EXPECT_EQ(SlotBytes(file, kSlotUnusedLow), (Bytes{1, 2}));
    EXPECT_EQ(EntryA(file, kSlotUnusedHigh), 0u);
    EXPECT_EQ(EntryB(file, kSlotUnusedHigh), 0u);
}

TEST(SettingsWrite, ClearedFavouriteStaysEmpty) {
    FakePlatform platform;
    Settings s;
    (void)SettingsReadMemory(nullptr, 0, &s, platform.Ops());  // first start: three favourites
    ASSERT_GT(s.favouriteFolders[1].length, 0u);
    s.favouriteFolders[1].Assign(u"");
    Bytes file = Build(nullptr, s, &platform);
    EXPECT_EQ(EntryA(file, kSlotFavourites + 1), 0u);
    Settings next;
    ReadBack(file, &platform, &next);
    EXPECT_EQ(next.favouriteFolders[1].length, 0u);
    EXPECT_EQ(std::u16string(next.favouriteFolders[2].Text()), u"C:\\Users\\u\\Pictures");
}

// Every field set to a value unlike its default and unlike every other field.
void FillDistinct(Settings* s) {
    s->languageFile.Assign(u"Japanese.dll");
    s->fullScreen = true;
    s->windowShowState = 3;
    s->windowLeft = -31;
    s->windowTop = 32;
    s->windowWidth = 1033;
    s->windowHeight = 734;
    s->spreadMode = false;
    s->rightToLeft = false;
    s->fullScreenBarAutoHide = false;
    s->stretchMode = 3;
    s->backgroundColour = 4;
    s->showNoticeAtStart = false;
    for (uint32_t i = 0; i < kMouseActionCount; ++i) {
        s->mouseActions[i] = 6000 + int32_t(i);
    }
    s->keyTableCount = 2;
    s->keyTable[0] = AccelRecord{kAccelVirtKey | kAccelControl, u'Z', 6301};
    // A command of the table that none of the 42 bindings carries.
    s->keyTable[1] = AccelRecord{kAccelVirtKey, 0x70, kFakeFolderCommand + 2};
    s->pluginFolder.Assign(u"C:\\spi");
    (void)s->disabledPlugins.Append(u"ifjpeg.spi", 10);
    s->openDialogFolder.Assign(u"D:\\open");
    s->resumePath.Assign(u"D:\\resume.zip");
    s->resumePage = 41;
    for (uint32_t i = 0; i < kFavouriteCount; ++i) {
        s->favouriteFolders[i].Assign(Name(u'F', u'a', i).c_str());
    }
    for (uint32_t i = 0; i < kBookmarkCount; ++i) {
        s->bookmarks[i].path.Assign(Name(u'B', u'a', i).c_str());
        s->bookmarks[i].page = 300 + int32_t(i);
    }
    s->bookmarkCount = kBookmarkCount;
    for (uint32_t i = 0; i < kHistoryCount; ++i) {
        s->history[i].Assign(Name(u'H', u'a', i).c_str());
    }
    s->historyCount = kHistoryCount;
    (void)s->treeFolders.Append(u"E:\\one", 6, 1);
    (void)s->treeFolders.Append(u"E:\\two", 6, 0);
    (void)s->treeFolders.Append(u"E:\\three", 8, 1);
    s->paneWidth = 251;
    s->paneMode = 2;
    s->treeHiddenMode = 0;
    s->treeShowFiles = false;
    s->treeExpandDesktop = false;
    s->enlargeSmallPages = false;
    s->treeExpandFolders = false;
    s->paneHideDelay = 1234;
    s->keyDialogMousePage = true;
}

std::u16string T(const StrBuf& b) {
    return std::u16string(b.Text(), b.length);
}

TEST(SettingsWrite, EveryFieldRoundTrips) {
    FakePlatform platform;
    platform.folders.insert(u"D:\\open");
    platform.files.insert(u"C:\\spi\\ifjpeg.spi");
    Settings s;
    FillDistinct(&s);
    Settings r;
    Bytes file = Build(nullptr, s, &platform);
    ReadBack(file, &platform, &r);
    EXPECT_EQ(T(r.languageFile), u"Japanese.dll");
    EXPECT_TRUE(r.fullScreen);
    EXPECT_EQ(r.windowShowState, 3);
    EXPECT_EQ(r.windowLeft, -31);
    EXPECT_EQ(r.windowTop, 32);
    EXPECT_EQ(r.windowWidth, 1033);
    EXPECT_EQ(r.windowHeight, 734);
    EXPECT_FALSE(r.spreadMode);
    EXPECT_FALSE(r.rightToLeft);
    EXPECT_FALSE(r.fullScreenBarAutoHide);
    EXPECT_EQ(r.stretchMode, 3);
    EXPECT_EQ(r.backgroundColour, 4);
    EXPECT_FALSE(r.showNoticeAtStart);
    for (uint32_t i = 0; i < kMouseActionCount; ++i) {
        EXPECT_EQ(r.mouseActions[i], 6000 + int32_t(i)) << "mouse action " << i;
    }
    ASSERT_EQ(r.keyTableCount, 2u);
    EXPECT_EQ(r.keyTable[1].command, kFakeFolderCommand + 2);
    EXPECT_EQ(r.keyTable[1].key, 0x70);
    EXPECT_EQ(r.keyBindings[37].key, u'Z');  // CMD_OPTIONS
    EXPECT_EQ(r.keyBindings[37].modifiers, kAccelVirtKey | kAccelControl);
    EXPECT_EQ(T(r.pluginFolder), u"C:\\spi");
    ASSERT_EQ(r.disabledPlugins.count, 1u);
    EXPECT_EQ(T(r.disabledPlugins.items[0]), u"ifjpeg.spi");
    EXPECT_EQ(T(r.openDialogFolder), u"D:\\open");
    EXPECT_EQ(T(r.resumePath), u"D:\\resume.zip");
    EXPECT_EQ(r.resumePage, 41);
    for (uint32_t i = 0; i < kFavouriteCount; ++i) {
        EXPECT_EQ(T(r.favouriteFolders[i]), T(s.favouriteFolders[i])) << "favourite " << i;
    }
    ASSERT_EQ(r.bookmarkCount, kBookmarkCount);
    for (uint32_t i = 0; i < kBookmarkCount; ++i) {
        EXPECT_EQ(T(r.bookmarks[i].path), T(s.bookmarks[i].path)) << "bookmark " << i;
        EXPECT_EQ(r.bookmarks[i].page, s.bookmarks[i].page) << "bookmark " << i;
    }
    ASSERT_EQ(r.historyCount, kHistoryCount);
    for (uint32_t i = 0; i < kHistoryCount; ++i) {
        EXPECT_EQ(T(r.history[i]), T(s.history[i])) << "history " << i;
    }
    ASSERT_EQ(r.treeFolders.count, 3u);
    EXPECT_EQ(T(r.treeFolders.items[2].path), u"E:\\three");
    EXPECT_EQ(r.treeFolders.items[0].expand, 1);
    EXPECT_EQ(r.treeFolders.items[1].expand, 0);
    EXPECT_EQ(r.treeFolders.items[2].expand, 1);
    EXPECT_EQ(r.paneWidth, 251);
    EXPECT_EQ(r.paneMode, 2);
    EXPECT_EQ(r.treeHiddenMode, 0);
    EXPECT_FALSE(r.treeShowFiles);
    EXPECT_FALSE(r.treeExpandDesktop);
    EXPECT_FALSE(r.enlargeSmallPages);
    EXPECT_FALSE(r.treeExpandFolders);
    EXPECT_EQ(r.paneHideDelay, 1234);
    EXPECT_TRUE(r.keyDialogMousePage);
    // And the file it gives is the file it came from.
    EXPECT_EQ(Build(&file, r, &platform), file);
}

TEST(SettingsWrite, ListsAsSaved) {
    FakePlatform platform;
    platform.files.insert(u"C:\\spi\\keep.spi");
    platform.files.insert(u"keep2.spi");  // beside the program: the current folder
    struct Case {
        const char* name;
        std::u16string folder;
        std::vector<std::u16string> disabled;
        std::vector<std::u16string> written;
    };
    const Case kCases[] = {
        {"missing plug-ins dropped", u"C:\\spi", {u"gone.spi", u"keep.spi", u""}, {u"keep.spi"}},
        {"folder with its separator", u"C:\\spi\\", {u"keep.spi"}, {u"keep.spi"}},
        {"none left", u"C:\\spi", {u"gone.spi"}, {}},
        {"no plug-in folder", u"", {u"keep2.spi", u"keep.spi"}, {u"keep2.spi"}},
    };
    for (const Case& c : kCases) {
        Settings s;
        s.pluginFolder.Assign(c.folder.c_str());
        for (const std::u16string& d : c.disabled) {
            (void)s.disabledPlugins.Append(d.data(), uint32_t(d.size()));
        }
        Bytes file = Build(nullptr, s, &platform);
        Bytes expected;
        for (const std::u16string& w : c.written) {
            Bytes b = Utf16Bytes(w + u'\0');
            expected.insert(expected.end(), b.begin(), b.end());
        }
        EXPECT_EQ(SlotBytes(file, kSlotDisabledPlugins), expected) << c.name;
        EXPECT_EQ(EntryA(file, kSlotDisabledPlugins) == 0, expected.empty()) << c.name;
    }

    // A registered folder with an empty path is left out together with its
    // expand byte, so the folders after it keep their own flags.
    Settings s;
    (void)s.treeFolders.Append(u"A", 1, 0);
    (void)s.treeFolders.Append(u"", 0, 1);
    (void)s.treeFolders.Append(u"C", 1, 1);
    Bytes file = Build(nullptr, s, &platform);
    EXPECT_EQ(SlotBytes(file, kSlotTreeExpand), (Bytes{0, 1}));
    Settings r;
    ReadBack(file, &platform, &r);
    ASSERT_EQ(r.treeFolders.count, 2u);
    EXPECT_EQ(T(r.treeFolders.items[1].path), u"C");
    EXPECT_EQ(r.treeFolders.items[1].expand, 1);
}

TEST(SettingsWrite, KeyTableAsSaved) {
    FakePlatform platform;
    Settings s;
    // An emptied table is a value of no bytes, not an absent slot (which would
    // mean the built-in keys).
    s.keyTableCount = 0;
    Bytes file = Build(nullptr, s, &platform);
    EXPECT_GE(EntryA(file, kSlotKeyTable), 836u);
    EXPECT_EQ(EntryB(file, kSlotKeyTable), 0u);
    s.keyTableCount = kMaxAccelRecords;
    for (uint32_t i = 0; i < kMaxAccelRecords; ++i) {
        s.keyTable[i] = AccelRecord{0x19, uint16_t(0x100 + i), uint16_t(5000 + i)};
    }
    file = Build(nullptr, s, &platform);
    Bytes table = SlotBytes(file, kSlotKeyTable);
    ASSERT_EQ(table.size(), 252u);
    EXPECT_EQ(Bytes(table.begin() + 246, table.end()), (Bytes{0x19, 0, 0x29, 0x01, 0xB1, 0x13}));
}

TEST(SettingsWrite, WindowPlacementAsSaved) {
    struct Case {
        const char* name;
        WindowAtExit w;
        int32_t fullScreen, showState, left, top, width, height;
    };
    WindowAtExit normal;
    normal.normal = WindowRect{10, 20, 810, 620};
    WindowAtExit maximized = normal;
    maximized.show = WindowShow::kMaximized;
    WindowAtExit minimized = normal;
    minimized.show = WindowShow::kMinimized;
    WindowAtExit minimizedFromMax = minimized;
    minimizedFromMax.restoreToMaximized = true;
    WindowAtExit full = maximized;
    full.fullScreen = true;
    full.keptShowState = 1;
    full.kept = WindowRect{-5, 7, 95, 57};
    WindowAtExit fullFromMax = full;
    fullFromMax.keptShowState = 3;
    const Case kCases[] = {
        {"normal", normal, 0, 1, 10, 20, 800, 600},
        {"maximised", maximized, 0, 3, 10, 20, 800, 600},
        {"minimised", minimized, 0, 1, 10, 20, 800, 600},
        {"minimised from maximised", minimizedFromMax, 0, 3, 10, 20, 800, 600},
        {"full screen keeps the state before it", full, 1, 1, -5, 7, 100, 50},
        {"full screen from maximised", fullFromMax, 1, 3, -5, 7, 100, 50},
    };
    FakePlatform platform;
    for (const Case& c : kCases) {
        Settings s;
        SettingsTakeWindowAtExit(&s, c.w);
        Bytes file = Build(nullptr, s, &platform);
        const int32_t expected[] = {c.fullScreen, c.showState, c.left, c.top, c.width, c.height};
        for (uint32_t slot = kSlotFullScreen; slot <= kSlotWindowHeight; ++slot) {
            EXPECT_EQ(EntryA(file, slot), 1u) << c.name << " slot " << slot;
            EXPECT_EQ(static_cast<int32_t>(EntryB(file, slot)), expected[slot - kSlotFullScreen])
                << c.name << " slot " << slot;
        }
    }
}

}  // namespace

namespace {

// Every allocation of a load and a save may fail: the load then leaves some
// values at their defaults or empty, the save reports it and builds nothing;
// neither ever breaks the record.
TEST(SettingsWrite, AllocationFailuresDegrade) {
    FakePlatform platform;
    platform.folders.insert(u"D:\\open");
    platform.files.insert(u"C:\\spi\\ifjpeg.spi");
    Settings full;
    FillDistinct(&full);
    Bytes file = Build(nullptr, full, &platform);
    int64_t n = 0;
    for (; n < 1000; ++n) {
        Settings s;
        AppHeapFailAfter(n);
        (void)SettingsReadMemory(file.data(), file.size(), &s, platform.Ops());
        MemorySource m;
        OpenMemorySource(&m, file.data(), file.size());
        ByteBuf out;
        SaveResult r = BuildSettingsFile(&m.source, s, platform.Ops(), &out);
        AppHeapFailAfter(-1);
        ASSERT_TRUE(r == SaveResult::kSaved || r == SaveResult::kOutOfMemory) << "failing allocation " << n;
        ASSERT_EQ(r == SaveResult::kSaved, out.data != nullptr) << "failing allocation " << n;
        ASSERT_LE(s.bookmarkCount, kBookmarkCount) << "failing allocation " << n;
        for (uint32_t i = 0; i < s.bookmarkCount; ++i) {
            ASSERT_GT(s.bookmarks[i].path.length, 0u) << "failing allocation " << n << " bookmark " << i;
        }
        // Once the failure comes after the last allocation, the save repeats the file.
        if (r == SaveResult::kSaved && Bytes(out.data, out.data + out.size) == file) {
            break;
        }
    }
    EXPECT_GT(n, 50);  // a load and a save allocate for every text and list
    EXPECT_LT(n, 1000);
}

}  // namespace
