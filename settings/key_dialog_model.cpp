#include "settings/key_dialog_model.h"

#include "settings/key_names.h"
#include "settings/settings_slots.h"

uint8_t DialogModifiers(bool ctrl, bool shift) {
    return static_cast<uint8_t>(kAccelVirtKey | (ctrl ? kAccelControl : 0) | (shift ? kAccelShift : 0));
}

bool ShiftAllowed(uint8_t key) {
    return key != kKeyCapsLock;
}

AssignResult AssignKey(KeyBinding* bindings, uint32_t row, uint8_t key, bool ctrl, bool shift) {
    if (row >= kKeyBindingCount || key == 0) {
        return AssignResult::kNoRow;
    }
    const uint8_t modifiers = DialogModifiers(ctrl, shift && ShiftAllowed(key));
    constexpr uint8_t kCtrlShift = kAccelControl | kAccelShift;
    for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
        if (bindings[i].key == key && (bindings[i].modifiers & kCtrlShift) == (modifiers & kCtrlShift)) {
            return AssignResult::kInUse;
        }
    }
    bindings[row].key = key;
    bindings[row].modifiers = modifiers;
    return AssignResult::kAssigned;
}

void RemoveKey(KeyBinding* bindings, uint32_t row) {
    if (row < kKeyBindingCount) {
        bindings[row].key = 0;
        bindings[row].modifiers = kAccelVirtKey;
    }
}

int32_t MouseActionFor(const int32_t* actions, int32_t command) {
    for (uint32_t i = 0; i < kMouseActionCount; ++i) {
        if (actions[i] == command) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

AssignResult AssignMouseAction(int32_t* actions, int32_t action, int32_t command) {
    if (action < 0 || action >= static_cast<int32_t>(kMouseActionCount) || command == 0) {
        return AssignResult::kNoRow;
    }
    if (actions[action] != 0) {
        return AssignResult::kInUse;
    }
    const int32_t old = MouseActionFor(actions, command);
    if (old >= 0) {
        actions[old] = 0;
    }
    actions[action] = command;
    return AssignResult::kAssigned;
}

void RemoveMouseAction(int32_t* actions, int32_t command) {
    const int32_t old = MouseActionFor(actions, command);
    if (old >= 0) {
        actions[old] = 0;
    }
}

void SetDefaultMouseActions(int32_t* actions) {
    for (uint32_t i = 0; i < kMouseActionCount; ++i) {
        actions[i] = SettingsIntDefault(MouseActionSlot(i));
    }
}

int32_t BindingGroupText(int32_t command) {
    struct Group {
        int32_t first, last, text;
    };
    static constexpr Group kGroups[] = {
        {6001, 6001, 6000}, {6206, 6209, 6205}, {6211, 6212, 6210}, {6221, 6225, 6220}, {6401, 6403, 6400},
    };
    for (const Group& g : kGroups) {
        if (command >= g.first && command <= g.last) {
            return g.text;
        }
    }
    return 0;
}
