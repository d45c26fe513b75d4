#include "settings/settings_slots.h"

#include "settings/settings.h"

namespace {

constexpr SlotLoad kFirst = SlotLoad::kFirst;
constexpr SlotLoad kMain = SlotLoad::kMain;
constexpr SlotLoad kWindow = SlotLoad::kWindow;
constexpr SlotLoad kOwnStep = SlotLoad::kOwnStep;

constexpr SettingsSlotRow Bit(uint32_t slot, SlotLoad load, int32_t def, bool* (*field)(Settings*)) {
    SettingsSlotRow r;
    r.slot = slot;
    r.kind = SlotKind::kBit;
    r.load = load;
    r.defaultValue = def;
    r.bit = field;
    return r;
}

// A clamp as a row states it.
struct Clamp {
    SlotClamp kind = SlotClamp::kNone;
    int32_t keep = 0;
    int32_t otherwise = 0;
};
constexpr Clamp Only(int32_t keep, int32_t otherwise) {
    return Clamp{SlotClamp::kOnly, keep, otherwise};
}
constexpr Clamp Below(int32_t limit) {
    return Clamp{SlotClamp::kBelow, limit, 0};
}

constexpr SettingsSlotRow Int(uint32_t slot,
                              SlotLoad load,
                              int32_t def,
                              int32_t* (*field)(Settings*),
                              Clamp clamp = Clamp{}) {
    SettingsSlotRow r;
    r.slot = slot;
    r.kind = SlotKind::kInt;
    r.load = load;
    r.defaultValue = def;
    r.clamp = clamp.kind;
    r.clampKeep = clamp.keep;
    r.clampElse = clamp.otherwise;
    r.integer = field;
    return r;
}

constexpr SettingsSlotRow Text(uint32_t slot, SlotLoad load, StrBuf* (*field)(Settings*)) {
    SettingsSlotRow r;
    r.slot = slot;
    r.kind = SlotKind::kText;
    r.load = load;
    r.text = field;
    return r;
}

// Lists and the key table: read and written by codecs of their own.
constexpr SettingsSlotRow Codec(uint32_t slot, SlotKind kind) {
    SettingsSlotRow r;
    r.slot = slot;
    r.kind = kind;
    r.load = SlotLoad::kOwnStep;
    return r;
}

constexpr SettingsSlotRow Unused(uint32_t slot) {
    SettingsSlotRow r;
    r.slot = slot;
    return r;
}

// The field of a row: a pointer into the record it is given.
#define PW_FIELD(member) [](Settings* s) { return &s->member; }

// In write order. Slot 75 follows 65 so that the expand bytes come right after
// the folders they belong to; the bookmarks alternate path and page.
constexpr SettingsSlotRow kSlotTable[] = {
    Text(kSlotLanguageFile, kFirst, PW_FIELD(languageFile)),
    Bit(kSlotFullScreen, kWindow, 0, PW_FIELD(fullScreen)),
    Int(kSlotWindowShowState,
        kWindow,
        kShowNormal,
        PW_FIELD(windowShowState),
        Only(kShowMaximized, kShowNormal)),
    Int(kSlotWindowLeft, kWindow, 200, PW_FIELD(windowLeft)),
    Int(kSlotWindowTop, kWindow, 100, PW_FIELD(windowTop)),
    Int(kSlotWindowWidth, kWindow, 800, PW_FIELD(windowWidth)),
    Int(kSlotWindowHeight, kWindow, 600, PW_FIELD(windowHeight)),
    Bit(kSlotSpreadMode, kMain, 1, PW_FIELD(spreadMode)),
    Bit(kSlotRightToLeft, kMain, 1, PW_FIELD(rightToLeft)),
    Bit(kSlotFullScreenBarAutoHide, kMain, 1, PW_FIELD(fullScreenBarAutoHide)),
    Int(kSlotPaneMode, kMain, 1, PW_FIELD(paneMode), Below(3)),
    Int(kSlotStretchMode, kMain, kStretchSmooth, PW_FIELD(stretchMode), Only(kStretchSmooth, kStretchFast)),
    Int(kSlotBackgroundColour, kMain, 2, PW_FIELD(backgroundColour), Below(5)),
    Codec(kSlotTreeFolders, SlotKind::kTextList),
    Codec(kSlotTreeExpand, SlotKind::kExpandBytes),
    Int(kSlotPaneWidth, kMain, 180, PW_FIELD(paneWidth)),
    Bit(kSlotEnlargeSmallPages, kMain, 1, PW_FIELD(enlargeSmallPages)),
    Int(kSlotTreeHiddenMode, kMain, 2, PW_FIELD(treeHiddenMode)),
    Bit(kSlotTreeShowFiles, kMain, 1, PW_FIELD(treeShowFiles)),
    Bit(kSlotTreeExpandDesktop, kMain, 1, PW_FIELD(treeExpandDesktop)),
    Bit(kSlotTreeExpandFolders, kMain, 1, PW_FIELD(treeExpandFolders)),
    Int(kSlotPaneHideDelay, kMain, 500, PW_FIELD(paneHideDelay)),
    Bit(kSlotShowNoticeAtStart, kMain, 1, PW_FIELD(showNoticeAtStart)),
    Int(kSlotMouseActionsLow, kMain, 5031, PW_FIELD(mouseActions[0])),      // left click: CMD_NEXT_PAGE
    Int(kSlotMouseActionsLow + 1, kMain, 5030, PW_FIELD(mouseActions[1])),  // right click: CMD_PREV_PAGE
    // both buttons: CMD_TOGGLE_FULL_SCREEN
    Int(kSlotMouseActionsLow + 2, kMain, 5060, PW_FIELD(mouseActions[2])),
    Int(kSlotMouseActionsLow + 3, kMain, 5050, PW_FIELD(mouseActions[3])),  // middle button: CMD_TOGGLE_LOUPE
    Int(kSlotMouseActionsLow + 4, kMain, 0, PW_FIELD(mouseActions[4])),     // X1
    Int(kSlotMouseActionsLow + 5, kMain, 0, PW_FIELD(mouseActions[5])),     // X2
    Int(kSlotMouseActionsLow + 6, kMain, 5044, PW_FIELD(mouseActions[6])),  // drag left: CMD_BACK_20
    Int(kSlotMouseActionsHigh, kMain, 5045, PW_FIELD(mouseActions[7])),     // drag right: CMD_FORWARD_20
    Int(kSlotMouseActionsHigh + 1, kMain, 5040, PW_FIELD(mouseActions[8])),   // drag up: CMD_FIRST_PAGE
    Int(kSlotMouseActionsHigh + 2, kMain, 5041, PW_FIELD(mouseActions[9])),   // drag down: CMD_LAST_PAGE
    Int(kSlotMouseActionsHigh + 3, kMain, 5042, PW_FIELD(mouseActions[10])),  // wheel away: CMD_PREV_SPREAD
    Int(kSlotMouseActionsHigh + 4, kMain, 5043, PW_FIELD(mouseActions[11])),  // wheel toward: CMD_NEXT_SPREAD
    Bit(kSlotKeyDialogMousePage, kMain, 0, PW_FIELD(keyDialogMousePage)),
    Codec(kSlotKeyTable, SlotKind::kKeyRecords),
    Text(kSlotPluginFolder, kMain, PW_FIELD(pluginFolder)),
    Codec(kSlotDisabledPlugins, SlotKind::kTextList),
    Text(kSlotOpenDialogFolder, kOwnStep, PW_FIELD(openDialogFolder)),
    Text(kSlotResumePath, kMain, PW_FIELD(resumePath)),
    Int(kSlotResumePage, kMain, 0, PW_FIELD(resumePage)),
    Text(kSlotFavourites, kOwnStep, PW_FIELD(favouriteFolders[0])),
    Text(kSlotFavourites + 1, kOwnStep, PW_FIELD(favouriteFolders[1])),
    Text(kSlotFavourites + 2, kOwnStep, PW_FIELD(favouriteFolders[2])),
    Text(kSlotFavourites + 3, kOwnStep, PW_FIELD(favouriteFolders[3])),
    Text(kSlotFavourites + 4, kOwnStep, PW_FIELD(favouriteFolders[4])),
    Text(kSlotFavourites + 5, kOwnStep, PW_FIELD(favouriteFolders[5])),
    Text(kSlotFavourites + 6, kOwnStep, PW_FIELD(favouriteFolders[6])),
    Text(kSlotFavourites + 7, kOwnStep, PW_FIELD(favouriteFolders[7])),
    Text(kSlotFavourites + 8, kOwnStep, PW_FIELD(favouriteFolders[8])),
    Text(kSlotFavourites + 9, kOwnStep, PW_FIELD(favouriteFolders[9])),
    Text(kSlotBookmarkPathsLow, kOwnStep, PW_FIELD(bookmarks[0].path)),
    Int(kSlotBookmarkPagesLow, kOwnStep, 0, PW_FIELD(bookmarks[0].page)),
    Text(kSlotBookmarkPathsLow + 1, kOwnStep, PW_FIELD(bookmarks[1].path)),
    Int(kSlotBookmarkPagesLow + 1, kOwnStep, 0, PW_FIELD(bookmarks[1].page)),
    Text(kSlotBookmarkPathsLow + 2, kOwnStep, PW_FIELD(bookmarks[2].path)),
    Int(kSlotBookmarkPagesLow + 2, kOwnStep, 0, PW_FIELD(bookmarks[2].page)),
    Text(kSlotBookmarkPathsLow + 3, kOwnStep, PW_FIELD(bookmarks[3].path)),
    Int(kSlotBookmarkPagesLow + 3, kOwnStep, 0, PW_FIELD(bookmarks[3].page)),
    Text(kSlotBookmarkPathsLow + 4, kOwnStep, PW_FIELD(bookmarks[4].path)),
    Int(kSlotBookmarkPagesLow + 4, kOwnStep, 0, PW_FIELD(bookmarks[4].page)),
    Text(kSlotBookmarkPathsLow + 5, kOwnStep, PW_FIELD(bookmarks[5].path)),
    Int(kSlotBookmarkPagesLow + 5, kOwnStep, 0, PW_FIELD(bookmarks[5].page)),
    Text(kSlotBookmarkPathsLow + 6, kOwnStep, PW_FIELD(bookmarks[6].path)),
    Int(kSlotBookmarkPagesLow + 6, kOwnStep, 0, PW_FIELD(bookmarks[6].page)),
    Text(kSlotBookmarkPathsLow + 7, kOwnStep, PW_FIELD(bookmarks[7].path)),
    Int(kSlotBookmarkPagesLow + 7, kOwnStep, 0, PW_FIELD(bookmarks[7].page)),
    Text(kSlotBookmarkPathsLow + 8, kOwnStep, PW_FIELD(bookmarks[8].path)),
    Int(kSlotBookmarkPagesLow + 8, kOwnStep, 0, PW_FIELD(bookmarks[8].page)),
    Text(kSlotBookmarkPathsLow + 9, kOwnStep, PW_FIELD(bookmarks[9].path)),
    Int(kSlotBookmarkPagesLow + 9, kOwnStep, 0, PW_FIELD(bookmarks[9].page)),
    Text(kSlotBookmarkPathsHigh, kOwnStep, PW_FIELD(bookmarks[10].path)),
    Int(kSlotBookmarkPagesHigh, kOwnStep, 0, PW_FIELD(bookmarks[10].page)),
    Text(kSlotBookmarkPathsHigh + 1, kOwnStep, PW_FIELD(bookmarks[11].path)),
    Int(kSlotBookmarkPagesHigh + 1, kOwnStep, 0, PW_FIELD(bookmarks[11].page)),
    Text(kSlotBookmarkPathsHigh + 2, kOwnStep, PW_FIELD(bookmarks[12].path)),
    Int(kSlotBookmarkPagesHigh + 2, kOwnStep, 0, PW_FIELD(bookmarks[12].page)),
    Text(kSlotBookmarkPathsHigh + 3, kOwnStep, PW_FIELD(bookmarks[13].path)),
    Int(kSlotBookmarkPagesHigh + 3, kOwnStep, 0, PW_FIELD(bookmarks[13].page)),
    Text(kSlotBookmarkPathsHigh + 4, kOwnStep, PW_FIELD(bookmarks[14].path)),
    Int(kSlotBookmarkPagesHigh + 4, kOwnStep, 0, PW_FIELD(bookmarks[14].page)),
    Text(kSlotBookmarkPathsHigh + 5, kOwnStep, PW_FIELD(bookmarks[15].path)),
    Int(kSlotBookmarkPagesHigh + 5, kOwnStep, 0, PW_FIELD(bookmarks[15].page)),
    Text(kSlotBookmarkPathsHigh + 6, kOwnStep, PW_FIELD(bookmarks[16].path)),
    Int(kSlotBookmarkPagesHigh + 6, kOwnStep, 0, PW_FIELD(bookmarks[16].page)),
    Text(kSlotBookmarkPathsHigh + 7, kOwnStep, PW_FIELD(bookmarks[17].path)),
    Int(kSlotBookmarkPagesHigh + 7, kOwnStep, 0, PW_FIELD(bookmarks[17].page)),
    Text(kSlotBookmarkPathsHigh + 8, kOwnStep, PW_FIELD(bookmarks[18].path)),
    Int(kSlotBookmarkPagesHigh + 8, kOwnStep, 0, PW_FIELD(bookmarks[18].page)),
    Text(kSlotBookmarkPathsHigh + 9, kOwnStep, PW_FIELD(bookmarks[19].path)),
    Int(kSlotBookmarkPagesHigh + 9, kOwnStep, 0, PW_FIELD(bookmarks[19].page)),
    Text(kSlotHistory, kOwnStep, PW_FIELD(history[0])),
    Text(kSlotHistory + 1, kOwnStep, PW_FIELD(history[1])),
    Text(kSlotHistory + 2, kOwnStep, PW_FIELD(history[2])),
    Text(kSlotHistory + 3, kOwnStep, PW_FIELD(history[3])),
    Text(kSlotHistory + 4, kOwnStep, PW_FIELD(history[4])),
    Text(kSlotHistory + 5, kOwnStep, PW_FIELD(history[5])),
    Text(kSlotHistory + 6, kOwnStep, PW_FIELD(history[6])),
    Text(kSlotHistory + 7, kOwnStep, PW_FIELD(history[7])),
    Text(kSlotHistory + 8, kOwnStep, PW_FIELD(history[8])),
    Text(kSlotHistory + 9, kOwnStep, PW_FIELD(history[9])),
    Unused(kSlotUnusedLow),
    Unused(kSlotUnusedHigh),
};

#undef PW_FIELD

constexpr uint32_t kRowCount = sizeof kSlotTable / sizeof kSlotTable[0];

int32_t ClampOf(const SettingsSlotRow& row, int32_t stored) {
    if (row.kind == SlotKind::kBit) {
        return stored & 1;
    }
    switch (row.clamp) {
        case SlotClamp::kNone:
            return stored;
        case SlotClamp::kOnly:
            return stored == row.clampKeep ? stored : row.clampElse;
        case SlotClamp::kBelow:
            return static_cast<uint32_t>(stored) < static_cast<uint32_t>(row.clampKeep) ? stored
                                                                                        : row.defaultValue;
    }
    return stored;
}

// Which row holds each slot, and whether the table is sound: every slot exactly
// once, each row with the field its kind needs, every default its own clamp's.
struct RowIndex {
    uint8_t row[kSlotCount] = {};
    bool sound = true;
};

constexpr bool DefaultSurvivesClamp(const SettingsSlotRow& row) {
    switch (row.clamp) {
        case SlotClamp::kNone:
            return row.kind != SlotKind::kBit || (row.defaultValue & ~1) == 0;
        case SlotClamp::kOnly:
            return row.defaultValue == row.clampKeep || row.defaultValue == row.clampElse;
        case SlotClamp::kBelow:
            return row.defaultValue >= 0 && row.defaultValue < row.clampKeep;
    }
    return false;
}

constexpr RowIndex MakeRowIndex() {
    RowIndex index;
    bool seen[kSlotCount] = {};
    for (uint32_t i = 0; i < kRowCount; ++i) {
        const SettingsSlotRow& r = kSlotTable[i];
        bool fields = (r.bit != nullptr) == (r.kind == SlotKind::kBit) &&
                      (r.integer != nullptr) == (r.kind == SlotKind::kInt) &&
                      (r.text != nullptr) == (r.kind == SlotKind::kText) &&
                      (r.kind == SlotKind::kUnused) == (r.load == SlotLoad::kNever);
        if (r.slot >= kSlotCount || seen[r.slot] || !fields || !DefaultSurvivesClamp(r)) {
            index.sound = false;
            continue;
        }
        seen[r.slot] = true;
        index.row[r.slot] = static_cast<uint8_t>(i);
    }
    for (bool s : seen) {
        index.sound = index.sound && s;
    }
    // Unused slots come last: the writer's order is the table's up to them.
    for (uint32_t i = 1; i < kRowCount; ++i) {
        if (kSlotTable[i - 1].kind == SlotKind::kUnused && kSlotTable[i].kind != SlotKind::kUnused) {
            index.sound = false;
        }
    }
    return index;
}

constexpr RowIndex kRowOfSlot = MakeRowIndex();
static_assert(kRowCount == kSlotCount && kRowOfSlot.sound,
              "every slot has exactly one row, with the field its kind needs and a default its clamp keeps");

}  // namespace

const SettingsSlotRow* SettingsSlotTable(uint32_t* count) {
    *count = kRowCount;
    return kSlotTable;
}

const SettingsSlotRow* FindSettingsSlot(uint32_t slot) {
    return slot < kSlotCount ? &kSlotTable[kRowOfSlot.row[slot]] : nullptr;
}

SlotKind SettingsSlotKind(uint32_t slot) {
    const SettingsSlotRow* row = FindSettingsSlot(slot);
    return row != nullptr ? row->kind : SlotKind::kUnused;
}

int32_t SettingsIntDefault(uint32_t slot) {
    const SettingsSlotRow* row = FindSettingsSlot(slot);
    return row != nullptr ? row->defaultValue : 0;
}

void SettingsSetInt(Settings* s, uint32_t slot, int32_t stored) {
    const SettingsSlotRow* row = FindSettingsSlot(slot);
    if (row == nullptr) {
        return;
    }
    if (row->bit != nullptr) {
        *row->bit(s) = ClampOf(*row, stored) != 0;
    } else if (row->integer != nullptr) {
        *row->integer(s) = ClampOf(*row, stored);
    }
}

int32_t SettingsGetInt(const Settings& s, uint32_t slot) {
    const SettingsSlotRow* row = FindSettingsSlot(slot);
    // The accessors hand out pointers into a record they do not change here.
    Settings* m = const_cast<Settings*>(&s);
    if (row == nullptr) {
        return 0;
    }
    if (row->bit != nullptr) {
        return *row->bit(m) ? 1 : 0;
    }
    return row->integer != nullptr ? *row->integer(m) : 0;
}

StrBuf* SettingsText(Settings* s, uint32_t slot) {
    const SettingsSlotRow* row = FindSettingsSlot(slot);
    return row != nullptr && row->text != nullptr ? row->text(s) : nullptr;
}

const StrBuf* SettingsText(const Settings& s, uint32_t slot) {
    return SettingsText(const_cast<Settings*>(&s), slot);
}

void SettingsResetInts(Settings* s) {
    for (const SettingsSlotRow& row : kSlotTable) {
        SettingsSetInt(s, row.slot, row.defaultValue);
    }
}
