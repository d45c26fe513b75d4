// The slot table as the reader and the writer use it: every integer, bit and text
// row, given a value of its own, comes back from a saved file into the same
// field, and the byte values lie in the file in the table's order. A row that
// points at another row's field, a row the reader skips or a slot written out of
// its place fails here.
#include <gtest/gtest.h>

#include <string>

#include "settings/settings_reader.h"
#include "settings/settings_writer.h"
#include "tests/settings/settings_test_util.h"

namespace {

// A stored value for a row that differs from its default and from every other
// row's, and that its clamp keeps.
int32_t DistinctValue(const SettingsSlotRow& row) {
    if (row.kind == SlotKind::kBit) {
        return row.defaultValue ^ 1;
    }
    switch (row.clamp) {
        case SlotClamp::kOnly:
            return row.defaultValue == row.clampKeep ? row.clampElse : row.clampKeep;
        case SlotClamp::kBelow:
            return row.defaultValue == 0 ? 1 : 0;
        case SlotClamp::kNone:
            break;
    }
    return 100000 + static_cast<int32_t>(row.slot);
}

std::u16string DistinctText(uint32_t slot) {
    std::u16string text(3, u'T');
    text[1] = static_cast<char16_t>(u'A' + slot % 26);
    text[2] = static_cast<char16_t>(u'0' + slot / 26);
    return text;
}

TEST(SettingsSlots, EveryRowRoundTripsThroughItsOwnField) {
    uint32_t count = 0;
    const SettingsSlotRow* rows = SettingsSlotTable(&count);
    ASSERT_EQ(count, kSlotCount);
    FakePlatform platform;
    Settings s;
    for (uint32_t i = 0; i < count; ++i) {
        const SettingsSlotRow& row = rows[i];
        if (row.kind == SlotKind::kInt || row.kind == SlotKind::kBit) {
            SettingsSetInt(&s, row.slot, DistinctValue(row));
        } else if (row.kind == SlotKind::kText) {
            SettingsText(&s, row.slot)->Assign(DistinctText(row.slot).c_str());
        }
    }
    // The reader keeps an open-dialog folder only when it exists.
    platform.folders.insert(DistinctText(kSlotOpenDialogFolder));
    s.bookmarkCount = kBookmarkCount;
    s.historyCount = kHistoryCount;

    ByteBuf built;
    ASSERT_EQ(BuildSettingsFile(nullptr, s, platform.Ops(), &built), SaveResult::kSaved);
    Bytes file(built.data, built.data + built.size);
    Settings back;
    ASSERT_TRUE(SettingsReadMemory(file.data(), file.size(), &back, platform.Ops()));

    uint32_t lastOffset = 0;
    for (uint32_t i = 0; i < count; ++i) {
        const SettingsSlotRow& row = rows[i];
        if (row.kind == SlotKind::kInt || row.kind == SlotKind::kBit) {
            EXPECT_EQ(EntryA(file, row.slot), 1u) << "slot " << row.slot;
            EXPECT_EQ(SettingsGetInt(back, row.slot), DistinctValue(row)) << "slot " << row.slot;
        } else if (row.kind == SlotKind::kText) {
            const StrBuf* text = SettingsText(back, row.slot);
            ASSERT_NE(text, nullptr) << "slot " << row.slot;
            EXPECT_EQ(std::u16string(text->Text()), DistinctText(row.slot)) << "slot " << row.slot;
            // Text values follow one another in the table's order.
            EXPECT_GT(EntryA(file, row.slot), lastOffset) << "slot " << row.slot;
            lastOffset = EntryA(file, row.slot);
        }
    }
}

// The record's defaults come from the table when it is made, not from its
// declaration: the program's record is used before any file is read.
TEST(SettingsSlots, AFreshRecordHoldsTheDefaults) {
    Settings s;
    uint32_t count = 0;
    const SettingsSlotRow* rows = SettingsSlotTable(&count);
    for (uint32_t i = 0; i < count; ++i) {
        if (rows[i].kind == SlotKind::kInt || rows[i].kind == SlotKind::kBit) {
            EXPECT_EQ(SettingsGetInt(s, rows[i].slot), rows[i].defaultValue) << "slot " << rows[i].slot;
        }
    }
    EXPECT_TRUE(s.spreadMode);
    EXPECT_EQ(s.paneWidth, 180);
    EXPECT_EQ(s.mouseActions[11], 5043);
}

}  // namespace
