// The settings slots: one table that says, for every slot of the settings file,
// what it holds, where its value lives in the Settings record, its default, the
// clamp a stored integer goes through, when the reader takes it and where it
// comes in the write order. The reader, the writer, the clamps, the dump and the
// tests read the layout from here; nothing else spells it out.
//
// The table is constant and checked when it is compiled: every slot 0..103 has
// exactly one row, each row names the field its kind needs, and every default
// survives its own clamp. settings.h says how a setting is added.
#pragma once

#include <cstdint>

#include "app/str_buf.h"

struct Settings;

constexpr uint32_t kSlotCount = 104;

// Slots with a meaning of their own; the numbered groups follow their first slot.
enum SettingsSlot : uint32_t {
    kSlotLanguageFile = 0,
    kSlotFullScreen = 1,
    kSlotWindowShowState = 2,
    kSlotWindowLeft = 3,
    kSlotWindowTop = 4,
    kSlotWindowWidth = 5,
    kSlotWindowHeight = 6,
    kSlotSpreadMode = 7,
    kSlotRightToLeft = 8,
    kSlotFullScreenBarAutoHide = 9,
    kSlotStretchMode = 10,
    kSlotBackgroundColour = 11,
    kSlotShowNoticeAtStart = 12,
    kSlotMouseActionsLow = 13,  // actions 0..6
    kSlotKeyTable = 20,
    kSlotPluginFolder = 21,
    kSlotOpenDialogFolder = 22,
    kSlotResumePath = 23,
    kSlotResumePage = 24,
    kSlotFavourites = 25,        // 25..34
    kSlotBookmarkPathsLow = 35,  // bookmarks 0..9
    kSlotBookmarkPagesLow = 45,
    kSlotHistory = 55,  // 55..64
    kSlotTreeFolders = 65,
    kSlotPaneWidth = 66,
    kSlotPaneMode = 67,
    kSlotTreeHiddenMode = 68,
    kSlotTreeShowFiles = 69,
    kSlotTreeExpandDesktop = 70,
    kSlotUnusedLow = 71,  // belongs to no field: carried over as found
    kSlotEnlargeSmallPages = 72,
    kSlotDisabledPlugins = 73,
    kSlotUnusedHigh = 74,  // belongs to no field: carried over as found
    kSlotTreeExpand = 75,
    kSlotTreeExpandFolders = 76,
    kSlotPaneHideDelay = 77,
    kSlotBookmarkPathsHigh = 78,  // bookmarks 10..19
    kSlotBookmarkPagesHigh = 88,
    kSlotMouseActionsHigh = 98,  // actions 7..11
    kSlotKeyDialogMousePage = 103,
};

// The slots of the numbered groups, by index: bookmarks 0..19 and mouse actions
// 0..11 are split between a low and a high run of slots.
constexpr uint32_t BookmarkPathSlot(uint32_t i) {
    return i < 10 ? kSlotBookmarkPathsLow + i : kSlotBookmarkPathsHigh + (i - 10);
}
constexpr uint32_t BookmarkPageSlot(uint32_t i) {
    return i < 10 ? kSlotBookmarkPagesLow + i : kSlotBookmarkPagesHigh + (i - 10);
}
constexpr uint32_t MouseActionSlot(uint32_t i) {
    return i < 7 ? kSlotMouseActionsLow + i : kSlotMouseActionsHigh + (i - 7);
}

// What a slot holds.
enum class SlotKind : uint8_t {
    kUnused,
    kInt,       // a signed 32-bit integer
    kBit,       // an integer of which only bit 0 counts
    kText,      // UTF-16LE characters without a terminator
    kTextList,  // UTF-16LE strings, each followed by a 0 character
    kExpandBytes,
    kKeyRecords,
};

// When the reader takes a slot.
enum class SlotLoad : uint8_t {
    kFirst,    // right after locating: the language library needs it
    kMain,     // with the rest of the settings, by the reader's loop over the table
    kWindow,   // when the main window is placed
    kOwnStep,  // by a step of its own in the load order (lists, keys, bookmarks,
               // history, the open-dialog folder): its value depends on others
    kNever,    // unused slots
};

// How a stored integer becomes the field's value (kBit slots keep bit 0 only).
enum class SlotClamp : uint8_t {
    kNone,   // every value stays
    kOnly,   // clampKeep stays; any other value reads as clampElse
    kBelow,  // values below clampKeep, taken unsigned, stay; any other reads as the default
};

struct SettingsSlotRow {
    uint32_t slot = 0;
    SlotKind kind = SlotKind::kUnused;
    SlotLoad load = SlotLoad::kNever;
    int32_t defaultValue = 0;  // kInt and kBit
    SlotClamp clamp = SlotClamp::kNone;
    int32_t clampKeep = 0;
    int32_t clampElse = 0;
    // The field, by kind: bit for kBit, integer for kInt, text for kText. The
    // other kinds have codecs of their own in the reader and the writer.
    bool* (*bit)(Settings* s) = nullptr;
    int32_t* (*integer)(Settings* s) = nullptr;
    StrBuf* (*text)(Settings* s) = nullptr;
};

// Every row, in the order the writer stores the slots (unused slots last); the
// byte values land in the data area in this order.
const SettingsSlotRow* SettingsSlotTable(uint32_t* count);
// The row of a slot; null from kSlotCount on.
[[nodiscard]] const SettingsSlotRow* FindSettingsSlot(uint32_t slot);

// kUnused from kSlotCount on.
SlotKind SettingsSlotKind(uint32_t slot);
// Integer slots (kInt and kBit): the default, the stored value after its clamp,
// and the field's current value as the writer stores it. Other slots: 0, nothing.
int32_t SettingsIntDefault(uint32_t slot);
void SettingsSetInt(Settings* s, uint32_t slot, int32_t stored);
int32_t SettingsGetInt(const Settings& s, uint32_t slot);
// The text field of a kText slot; null for any other slot.
[[nodiscard]] StrBuf* SettingsText(Settings* s, uint32_t slot);
[[nodiscard]] const StrBuf* SettingsText(const Settings& s, uint32_t slot);
// Every integer field back to its default.
void SettingsResetInts(Settings* s);
