// Key names and the key dialog's edits, and the lists the menus show: what the
// user reads at the right of a menu item, which combinations the dialog refuses,
// and how history and bookmarks grow.
#include <gtest/gtest.h>

#include <string>

#include "settings/key_dialog_model.h"
#include "settings/key_names.h"
#include "settings/menu_lists.h"

namespace {

std::u16string Text(const StrBuf& s) {
    return std::u16string(s.Text(), s.length);
}

uint32_t RowOf(const KeyBinding* b, uint16_t command) {
    for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
        if (b[i].command == command) {
            return i;
        }
    }
    return kKeyBindingCount;
}

TEST(KeyNames, KeyTexts) {
    struct Case {
        uint8_t modifiers;
        uint16_t key;
        const char16_t* text;
    };
    const Case kCases[] = {
        {kAccelVirtKey | kAccelControl | kAccelShift, 'Z', u"Ctrl+Shift+Z"},
        {kAccelVirtKey | kAccelControl, 'O', u"Ctrl+O"},
        {kAccelVirtKey | kAccelShift, 0x25, u"Shift+Left"},
        {kAccelVirtKey, 0x20, u"Space"},
        {kAccelVirtKey, 0x60, u"[Num] 0 "},
        {kAccelVirtKey, 0xDC, u"\\"},
        {kAccelVirtKey, 0xF0, u"CapsLock"},
        {kAccelVirtKey, 0, u""},     // unbound
        {kAccelVirtKey, 0x2A, u""},  // a key without a name
    };
    for (const Case& c : kCases) {
        StrBuf out;
        KeyText(KeyBinding{c.modifiers, c.key, 5500}, &out);
        EXPECT_EQ(Text(out), std::u16string(c.text)) << int(c.modifiers) << " " << c.key;
    }
    // Exactly the assignable keys have names, each once.
    uint32_t named = 0;
    for (uint32_t k = 0; k < 256; ++k) {
        named += *KeyName(k) != 0 ? 1 : 0;
    }
    EXPECT_EQ(named, kAssignableKeyCount);
    for (uint32_t i = 0; i < kAssignableKeyCount; ++i) {
        EXPECT_NE(*KeyName(AssignableKey(i)), 0) << i;
        for (uint32_t j = 0; j < i; ++j) {
            EXPECT_NE(AssignableKey(i), AssignableKey(j)) << i;
        }
    }
}

TEST(KeyDialogModel, AssignRefusesACombinationInUse) {
    KeyBinding b[kKeyBindingCount];
    SetDefaultKeyBindings(b);
    const uint32_t options = RowOf(b, 6301);
    const uint32_t loupe = RowOf(b, 5050);
    struct Case {
        const char* name;
        uint32_t row;
        uint8_t key;
        bool ctrl, shift;
        AssignResult want;
        uint8_t modifiers;
    };
    const Case kCases[] = {
        {"Space belongs to the loupe", options, 0x20, false, false, AssignResult::kInUse, 0},
        {"Ctrl+Space is free", options, 0x20, true, false, AssignResult::kAssigned, 9},
        {"now Ctrl+Space is taken", loupe, 0x20, true, false, AssignResult::kInUse, 0},
        {"the row's own combination again", options, 0x20, true, false, AssignResult::kInUse, 0},
        {"Shift+Left belongs to first page", options, 0x25, false, true, AssignResult::kInUse, 0},
        {"Ctrl+Shift+Z", options, 'Z', true, true, AssignResult::kAssigned, 13},
        {"CapsLock drops Shift", options, 0xF0, false, true, AssignResult::kAssigned, 1},
        {"Shift+CapsLock is CapsLock", loupe, 0xF0, false, true, AssignResult::kInUse, 0},
        {"no row", kKeyBindingCount, 'Q', false, false, AssignResult::kNoRow, 0},
    };
    for (const Case& c : kCases) {
        KeyBinding before = c.row < kKeyBindingCount ? b[c.row] : KeyBinding{};
        EXPECT_EQ(AssignKey(b, c.row, c.key, c.ctrl, c.shift), c.want) << c.name;
        if (c.want == AssignResult::kAssigned) {
            EXPECT_EQ(b[c.row].key, c.key) << c.name;
            EXPECT_EQ(b[c.row].modifiers, c.modifiers) << c.name;
        } else if (c.row < kKeyBindingCount) {
            EXPECT_EQ(b[c.row].key, before.key) << c.name << ": a refusal changed the row";
        }
    }
    EXPECT_FALSE(ShiftAllowed(kKeyCapsLock));
    EXPECT_TRUE(ShiftAllowed(0x20));
    RemoveKey(b, options);
    EXPECT_EQ(b[options].key, 0);
    EXPECT_EQ(b[options].modifiers, kAccelVirtKey);
}

TEST(KeyDialogModel, OneMouseActionPerCommand) {
    int32_t a[kMouseActionCount];
    SetDefaultMouseActions(a);
    EXPECT_EQ(a[0], 5031);
    EXPECT_EQ(a[4], 0);
    // X1 is free: binding it to the loupe moves the loupe off the middle button.
    EXPECT_EQ(AssignMouseAction(a, 4, 5050), AssignResult::kAssigned);
    EXPECT_EQ(a[3], 0);
    EXPECT_EQ(MouseActionFor(a, 5050), 4);
    // The left click already serves a command.
    EXPECT_EQ(AssignMouseAction(a, 0, 6301), AssignResult::kInUse);
    EXPECT_EQ(a[0], 5031);
    EXPECT_EQ(AssignMouseAction(a, 12, 6301), AssignResult::kNoRow);
    RemoveMouseAction(a, 5050);
    EXPECT_EQ(MouseActionFor(a, 5050), -1);
}

TEST(MenuLists, EntryTexts) {
    struct Case {
        int kind;
        const char16_t* path;
        int32_t page;
        const char16_t* text;
    };
    const Case kCases[] = {
        {kEntryBookmark, u"D:\\comics\\vol1.zip", 0, u"comics\\vol1.zip - 1"},
        {kEntryBookmark, u"vol1.zip", 41, u"vol1.zip - 42"},
        {kEntryBookmark, u"D:\\a.zip", 2147483647, u"D:\\a.zip - 2147483647"},
        {kEntryHistory, u"D:\\comics\\vol1.zip", 0, u"comics\\vol1.zip"},
        {kEntryHistory, u"C:\\x", 0, u"C:\\x"},
        {kEntryHistory, u"\\\\server\\share\\books\\a", 0, u"books\\a"},
        {kEntryFavourite, u"D:\\comics\\new", 0, u"new"},
        {kEntryFavourite, u"D:\\", 0, u""},
    };
    for (const Case& c : kCases) {
        StrBuf out;
        MenuEntryText(c.kind, c.path, c.page, &out);
        EXPECT_EQ(Text(out), std::u16string(c.text));
    }
}

TEST(MenuLists, HistoryKeepsTenNewestWithoutDuplicates) {
    Settings s;
    const char16_t* books[] = {u"C:\\b\\0.zip", u"C:\\b\\1.zip", u"C:\\b\\2.zip", u"C:\\b\\3.zip",
                               u"C:\\b\\4.zip", u"C:\\b\\5.zip", u"C:\\b\\6.zip", u"C:\\b\\7.zip",
                               u"C:\\b\\8.zip", u"C:\\b\\9.zip", u"C:\\b\\10.zip"};
    for (const char16_t* b : books) {
        ASSERT_TRUE(HistoryAdd(&s, b));
    }
    ASSERT_EQ(s.historyCount, 10u);
    for (uint32_t i = 0; i < 10; ++i) {
        EXPECT_EQ(Text(s.history[i]), std::u16string(books[10 - i])) << i;
    }
    struct Step {
        const char16_t* open;
        uint32_t count;
        const char16_t* first;
        const char16_t* second;
        const char16_t* last;
    };
    const Step kSteps[] = {
        // Case differs: the entry moves up, keeping one entry for the book.
        {u"c:\\B\\5.ZIP", 10, u"c:\\B\\5.ZIP", u"C:\\b\\10.zip", u"C:\\b\\1.zip"},
        {u"C:\\b\\10.zip", 10, u"C:\\b\\10.zip", u"c:\\B\\5.ZIP", u"C:\\b\\1.zip"},
        {u"C:\\b\\1.zip", 10, u"C:\\b\\1.zip", u"C:\\b\\10.zip", u"C:\\b\\2.zip"},
        // Same start, different length: a new entry.
        {u"C:\\b\\1.zi", 10, u"C:\\b\\1.zi", u"C:\\b\\1.zip", u"C:\\b\\3.zip"},
    };
    for (const Step& st : kSteps) {
        ASSERT_TRUE(HistoryAdd(&s, st.open));
        EXPECT_EQ(s.historyCount, st.count);
        EXPECT_EQ(Text(s.history[0]), std::u16string(st.first));
        EXPECT_EQ(Text(s.history[1]), std::u16string(st.second));
        EXPECT_EQ(Text(s.history[st.count - 1]), std::u16string(st.last));
    }
    EXPECT_FALSE(HistoryAdd(&s, u""));
    HistoryClear(&s);
    EXPECT_EQ(s.historyCount, 0u);
    EXPECT_EQ(s.history[0].length, 0u);
    ASSERT_TRUE(HistoryAdd(&s, u"C:\\x"));
    ASSERT_TRUE(HistoryAdd(&s, u"C:\\y"));
    EXPECT_EQ(s.historyCount, 2u);
    EXPECT_EQ(Text(s.history[1]), u"C:\\x");
}

TEST(MenuLists, BookmarksStopAtTwenty) {
    struct Case {
        bool shell, shown;
        uint32_t count;
        bool allowed;
    };
    const Case kCases[] = {
        {false, true, 0, true}, {false, true, 19, true},  {false, true, 20, false},
        {true, true, 0, false}, {false, false, 0, false},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(BookmarkAllowed(c.shell, c.shown, c.count), c.allowed) << c.shell << c.shown << c.count;
    }
    Settings s;
    for (int32_t i = 0; i < 20; ++i) {
        EXPECT_EQ(BookmarkAdd(&s, u"D:\\comics\\vol1.zip", i), i);
    }
    EXPECT_EQ(BookmarkAdd(&s, u"D:\\comics\\vol1.zip", 3), -1);
    EXPECT_EQ(s.bookmarkCount, 20u);
    EXPECT_EQ(s.bookmarks[19].page, 19);
}

}  // namespace
