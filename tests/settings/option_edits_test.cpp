// The option dialogs' effect on the settings, without windows: closing up the
// bookmarks, the pane delay's text, the plug-in folder comparison and the
// disabled set made from the list's check marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/option_edits.h"

namespace {

std::string Narrow(const char16_t* s) {
    std::string out;
    for (; *s != 0; ++s) {
        out.push_back(static_cast<char>(*s));
    }
    return out;
}

std::u16string Wide(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

void AddBookmarks(Settings* s, uint32_t count) {
    for (uint32_t i = 0; i < count; ++i) {
        s->bookmarks[i].path.Assign(Wide("C:\\books\\b" + std::to_string(i + 1) + ".zip").c_str());
        s->bookmarks[i].page = static_cast<int32_t>(10 * (i + 1));
    }
    s->bookmarkCount = count;
}

TEST(OptionEditsTest, ClearedBookmarksCloseUpKeepingOrderAndPages) {
    struct Case {
        const char* name;
        uint32_t count;
        std::vector<uint32_t> cleared;  // 0-based rows
        std::vector<int> kept;          // 1-based original numbers, in the new order
    };
    const Case kCases[] = {
        {"2 and 4 of five", 5, {1, 3}, {1, 3, 5}},
        {"none", 3, {}, {1, 2, 3}},
        {"all", 4, {0, 1, 2, 3}, {}},
        {"the first", 3, {0}, {2, 3}},
        {"the last of twenty", 20, {19}, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19}},
        {"a row past the count is no bookmark", 2, {5}, {1, 2}},
    };
    for (const Case& c : kCases) {
        Settings s;
        AddBookmarks(&s, c.count);
        bool cleared[kBookmarkCount] = {};
        for (uint32_t row : c.cleared) {
            cleared[row] = true;
        }
        EXPECT_EQ(RemoveClearedBookmarks(&s, cleared), c.kept.size()) << c.name;
        ASSERT_EQ(s.bookmarkCount, c.kept.size()) << c.name;
        for (size_t i = 0; i < c.kept.size(); ++i) {
            EXPECT_EQ(Narrow(s.bookmarks[i].path.Text()), "C:\\books\\b" + std::to_string(c.kept[i]) + ".zip")
                << c.name << " row " << i;
            EXPECT_EQ(s.bookmarks[i].page, 10 * c.kept[i]) << c.name << " row " << i;
        }
        for (size_t i = c.kept.size(); i < c.count; ++i) {
            EXPECT_EQ(s.bookmarks[i].path.length, 0u) << c.name << ": row " << i << " left behind";
            EXPECT_EQ(s.bookmarks[i].page, 0) << c.name << " row " << i;
        }
        SettingsRelease(&s);
    }
}

TEST(OptionEditsTest, BookmarkRowShowsPathAndPageNumber) {
    Bookmark b;
    b.path.Assign(u"C:\\books\\Vol 1.cbz");
    b.page = 41;
    StrBuf text;
    BookmarkRowText(b, &text);
    EXPECT_EQ(Narrow(text.Text()), "C:\\books\\Vol 1.cbz - 42");
}

TEST(OptionEditsTest, PaneDelayTextReadsAsUnsignedWithinFourDigits) {
    struct Case {
        const char* text;
        int32_t value;
    };
    const Case kCases[] = {
        {"500", 500}, {"0", 0},   {"9999", 9999}, {"0042", 42}, {"", 0},      {"12345", 0},
        {"-5", 0},    {"1e3", 0}, {" 12", 0},     {"12a", 0},   {"99999", 0},
    };
    for (const Case& c : kCases) {
        const std::u16string t = Wide(c.text);
        EXPECT_EQ(PaneDelayFromText(t.c_str(), static_cast<uint32_t>(t.size())), c.value) << c.text;
    }
}

TEST(OptionEditsTest, PluginFolderCountsAsChangedOnlyForAnotherName) {
    struct Case {
        const char* copy;
        const char* text;
        bool changed;
    };
    const Case kCases[] = {
        {"C:\\Plugins", "C:\\Plugins", false},
        {"C:\\Plugins", "c:\\PLUGINS", false},
        {"C:\\Plugins", "C:\\Plugins\\", true},
        {"C:\\Plugins", "D:\\Plugins", true},
        {"", "", false},
        {"", "C:\\x", true},
        {"C:\\x", "", true},
    };
    for (const Case& c : kCases) {
        StrBuf copy;
        copy.Assign(Wide(c.copy).c_str());
        const std::u16string t = Wide(c.text);
        EXPECT_EQ(PluginFolderChanged(copy, t.c_str(), static_cast<uint32_t>(t.size())), c.changed)
            << c.copy << " / " << c.text;
    }
}

TEST(OptionEditsTest, UncheckedRowsBecomeTheDisabledSetAndBackAgain) {
    const char* const kNames[] = {"ifwebp.sph", "axtar.sph", "ifjp2.sph", "axlzh.sph"};
    StrBuf names[4];
    for (int i = 0; i < 4; ++i) {
        names[i].Assign(Wide(kNames[i]).c_str());
    }
    struct Case {
        const char* name;
        bool checked[4];
        std::vector<std::string> disabled;
    };
    const Case kCases[] = {
        {"all checked", {true, true, true, true}, {}},
        {"one unchecked", {true, false, true, true}, {"axtar.sph"}},
        {"row order kept", {false, true, true, false}, {"ifwebp.sph", "axlzh.sph"}},
        {"none checked", {false, false, false, false}, {"ifwebp.sph", "axtar.sph", "ifjp2.sph", "axlzh.sph"}},
    };
    for (const Case& c : kCases) {
        TextList disabled;
        ASSERT_TRUE(disabled.Append(u"old.spi", 7));
        ASSERT_TRUE(DisabledFromRows(names, c.checked, 4, &disabled)) << c.name;
        ASSERT_EQ(disabled.count, c.disabled.size()) << c.name;
        for (size_t i = 0; i < c.disabled.size(); ++i) {
            EXPECT_EQ(Narrow(disabled.items[i].Text()), c.disabled[i]) << c.name;
        }
        // Filling the list again from that set checks exactly the same rows.
        for (int i = 0; i < 4; ++i) {
            EXPECT_EQ(PluginEnabled(names[i].Text(), names[i].length, &disabled), c.checked[i])
                << c.name << " " << i;
            EXPECT_TRUE(PluginEnabled(names[i].Text(), names[i].length, nullptr))
                << c.name << ": no set, all on";
        }
    }
    TextList upper;
    ASSERT_TRUE(upper.Append(u"AXTAR.SPH", 9));
    EXPECT_FALSE(PluginEnabled(u"axtar.sph", 9, &upper)) << "names compare without case";
    EXPECT_TRUE(PluginEnabled(u"axtar.sp", 8, &upper)) << "a prefix is another name";
}

}  // namespace
