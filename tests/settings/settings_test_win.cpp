// Windows build only. The Windows glue: the accelerator table made from the settings' records and
// copied back gives the same records; a table that cannot be copied leaves them alone.
#include <windows.h>

#include <gtest/gtest.h>

#include "settings/settings.h"

namespace {

TEST(SettingsWin, AcceleratorTableRoundTrip) {
    Settings s;
    s.keyTableCount = 3;
    s.keyTable[0] = AccelRecord{kAccelVirtKey | kAccelControl | kAccelShift, u'Z', 6301};
    s.keyTable[1] = AccelRecord{kAccelVirtKey, 0x20, 5050};
    s.keyTable[2] = AccelRecord{kAccelVirtKey | 0x10, 0x70, 7777};
    void* table = CreateAccelTableFromSettings(s);
    ASSERT_NE(table, nullptr);
    Settings back;
    ASSERT_TRUE(StoreAccelTableInSettings(table, &back));
    DestroyAcceleratorTable(static_cast<HACCEL>(table));
    ASSERT_EQ(back.keyTableCount, 3u);
    for (uint32_t i = 0; i < 3; ++i) {
        EXPECT_EQ(back.keyTable[i].flags, s.keyTable[i].flags) << "record " << i;
        EXPECT_EQ(back.keyTable[i].key, s.keyTable[i].key) << "record " << i;
        EXPECT_EQ(back.keyTable[i].command, s.keyTable[i].command) << "record " << i;
    }
    // The built-in bindings make a table of their fourteen keys.
    Settings defaults;
    table = CreateAccelTableFromSettings(defaults);
    ASSERT_TRUE(StoreAccelTableInSettings(table, &back));
    DestroyAcceleratorTable(static_cast<HACCEL>(table));
    EXPECT_EQ(back.keyTableCount, 14u);
    // No table is no records; an emptied table saves as such.
    ASSERT_TRUE(StoreAccelTableInSettings(nullptr, &back));
    EXPECT_EQ(back.keyTableCount, 0u);
    // A table that cannot be read must not be saved as an emptied one.
    Settings kept;
    EXPECT_FALSE(StoreAccelTableInSettings(reinterpret_cast<void*>(uintptr_t{0x7ff0}), &kept));
    EXPECT_EQ(kept.keyTableCount, 14u);
}

}  // namespace
