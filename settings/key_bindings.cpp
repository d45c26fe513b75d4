#include "settings/key_bindings.h"

namespace {
constexpr uint8_t kPlain = kAccelVirtKey;
constexpr uint8_t kShift = kAccelVirtKey | kAccelShift;
constexpr uint8_t kCtrl = kAccelVirtKey | kAccelControl;

// Virtual-key codes of the built-in keys.
constexpr uint16_t kVkEnter = 0x0D;
constexpr uint16_t kVkEscape = 0x1B;
constexpr uint16_t kVkSpace = 0x20;
constexpr uint16_t kVkEnd = 0x23;
constexpr uint16_t kVkLeft = 0x25;
constexpr uint16_t kVkUp = 0x26;
constexpr uint16_t kVkRight = 0x27;
constexpr uint16_t kVkDown = 0x28;
}  // namespace

const KeyBinding kDefaultKeyBindings[kKeyBindingCount] = {
    {kPlain, 0, 5000},          // CMD_MENU_MAIN
    {kPlain, 0, 5010},          // CMD_MENU_FOLDERS
    {kCtrl, u'O', 5500},        // CMD_OPEN
    {kPlain, 0, 5501},          // CMD_EDIT_FOLDERS
    {kPlain, 0, 5020},          // CMD_MENU_BOOKMARKS
    {kCtrl, u'B', 5700},        // CMD_ADD_BOOKMARK
    {kPlain, 0, 5701},          // CMD_EDIT_BOOKMARKS
    {kPlain, 0, 5710},          // CMD_RESUME
    {kShift, kVkLeft, 5040},    // CMD_FIRST_PAGE
    {kShift, kVkRight, 5041},   // CMD_LAST_PAGE
    {kPlain, kVkUp, 5042},      // CMD_PREV_SPREAD
    {kPlain, kVkDown, 5043},    // CMD_NEXT_SPREAD
    {kShift, kVkUp, 5030},      // CMD_PREV_PAGE
    {kShift, kVkDown, 5031},    // CMD_NEXT_PAGE
    {kPlain, kVkLeft, 5044},    // CMD_BACK_20
    {kPlain, kVkRight, 5045},   // CMD_FORWARD_20
    {kPlain, kVkSpace, 5050},   // CMD_TOGGLE_LOUPE
    {kPlain, kVkEnter, 5060},   // CMD_TOGGLE_FULL_SCREEN
    {kPlain, kVkEnd, 5061},     // CMD_MINIMIZE
    {kPlain, kVkEscape, 5062},  // CMD_CLOSE
    {kPlain, 0, 6001},          // CMD_CLEAR_HISTORY
    {kPlain, 0, 6100},          // CMD_TOGGLE_SPREAD
    {kPlain, 0, 6101},          // CMD_TOGGLE_RIGHT_TO_LEFT
    {kPlain, 0, 6200},          // CMD_TOGGLE_FULL_SCREEN_BAR
    {kPlain, 0, 6206},          // CMD_PANE_AUTO
    {kPlain, 0, 6207},          // CMD_PANE_SHOW
    {kPlain, 0, 6208},          // CMD_PANE_HIDE
    {kPlain, 0, 6209},          // CMD_PANE_DELAY
    {kPlain, 0, 6230},          // CMD_TOGGLE_ENLARGE
    {kPlain, 0, 6211},          // CMD_SCALE_FAST
    {kPlain, 0, 6212},          // CMD_SCALE_SMOOTH
    {kPlain, 0, 6221},          // CMD_BACKGROUND_1
    {kPlain, 0, 6222},          // CMD_BACKGROUND_2
    {kPlain, 0, 6223},          // CMD_BACKGROUND_3
    {kPlain, 0, 6224},          // CMD_BACKGROUND_4
    {kPlain, 0, 6225},          // CMD_BACKGROUND_5
    {kPlain, 0, 6300},          // CMD_KEY_SETTINGS
    {kPlain, 0, 6301},          // CMD_OPTIONS
    {kPlain, 0, 6302},          // CMD_LANGUAGE
    {kPlain, 0, 6403},          // CMD_HELP
    {kPlain, 0, 6401},          // CMD_SHOW_NOTICE
    {kPlain, 0, 6402},          // CMD_ABOUT
};

void SetDefaultKeyBindings(KeyBinding* bindings) {
    for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
        bindings[i] = kDefaultKeyBindings[i];
    }
}

bool IsBindingCommand(int32_t command) {
    for (const KeyBinding& b : kDefaultKeyBindings) {
        if (b.command == command) {
            return true;
        }
    }
    return false;
}

bool IsUsableAccelRecord(const AccelRecord& r, bool (*isCommand)(int32_t command)) {
    constexpr uint8_t kKnownFlags = kAccelVirtKey | kAccelNoInvert | kAccelShift | kAccelControl | kAccelAlt;
    if ((r.flags & kAccelVirtKey) == 0 || (r.flags & ~kKnownFlags) != 0 || r.key == 0 || r.key > 0xFE) {
        return false;
    }
    return isCommand != nullptr ? isCommand(r.command) : IsBindingCommand(r.command);
}

void KeyBindingsFromAccelTable(const AccelRecord* table, uint32_t count, KeyBinding* bindings) {
    for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
        KeyBinding& b = bindings[i];
        b.command = kDefaultKeyBindings[i].command;
        b.modifiers = kAccelVirtKey;
        b.key = 0;
        for (uint32_t r = 0; r < count; ++r) {
            if (table[r].command == b.command) {
                // The key dialog knows only Ctrl and Shift: an Alt flag is dropped.
                b.modifiers = static_cast<uint8_t>(table[r].flags & 0x0F);
                b.key = static_cast<uint16_t>(table[r].key & 0xFF);
                break;
            }
        }
    }
}

uint32_t AccelTableFromKeyBindings(const KeyBinding* bindings, AccelRecord* table) {
    uint32_t count = 0;
    for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
        if (bindings[i].key != 0) {
            table[count].flags = bindings[i].modifiers;
            table[count].key = bindings[i].key;
            table[count].command = bindings[i].command;
            ++count;
        }
    }
    return count;
}
