// Which stored key records can be accelerators of the program: the line between
// a record the user made (or could have made) and damaged bytes.
#include <gtest/gtest.h>

#include "settings/key_bindings.h"
#include "tests/settings/settings_test_util.h"

namespace {

TEST(KeyBindings, UsableRecords) {
    struct Case {
        const char* name;
        AccelRecord record;
        bool usable;
    };
    static const Case kCases[] = {
        {"plain key", {kAccelVirtKey, 0x28, 5043}, true},
        {"Ctrl+Shift", {kAccelVirtKey | kAccelControl | kAccelShift, u'O', 5500}, true},
        {"Alt: still an accelerator", {kAccelVirtKey | kAccelAlt, 0x28, 5043}, true},
        {"no menu flash", {kAccelVirtKey | kAccelNoInvert, 0x28, 5043}, true},
        {"highest key code", {kAccelVirtKey, 0xFE, 5043}, true},
        {"command no binding carries", {kAccelVirtKey, 0x70, kFakeFolderCommand + 9}, true},
        {"character, not a virtual key", {0, u'a', 5043}, false},
        {"flag bit 0x20", {kAccelVirtKey | 0x20, 0x28, 5043}, false},
        {"flag bit 0x80", {kAccelVirtKey | 0x80, 0x28, 5043}, false},
        {"no key", {kAccelVirtKey, 0, 5043}, false},
        {"key code 255", {kAccelVirtKey, 0xFF, 5043}, false},
        {"key above 8 bits", {kAccelVirtKey, 0x128, 5043}, false},
        {"command 0", {kAccelVirtKey, 0x28, 0}, false},
        {"unknown command", {kAccelVirtKey, 0x28, 7777}, false},
        {"just past the range", {kAccelVirtKey, 0x70, kFakeFolderCommand + 10}, false},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(IsUsableAccelRecord(c.record, FakeIsCommand), c.usable) << c.name;
    }
    // Without the shell's command table only the bindings' commands count.
    EXPECT_TRUE(IsUsableAccelRecord({kAccelVirtKey, 0x28, 5043}, nullptr));
    EXPECT_FALSE(IsUsableAccelRecord({kAccelVirtKey, 0x70, kFakeFolderCommand}, nullptr));
}

}  // namespace
