// The edits the key dialog makes, over its working copies of the 42 bindings
// and the twelve mouse actions: assigning a key or a mouse action to a row's
// command, removing it, and the rule that one key combination (key, Ctrl and
// Shift) and one mouse action serve one command at most. Portable; the dialog
// (ui/key_dialog_win.cpp) shows the refusals.
#pragma once

#include <cstdint>

#include "settings/key_bindings.h"
#include "settings/settings.h"

enum class AssignResult : uint8_t { kAssigned, kInUse, kNoRow };

// The modifier byte of the dialog's check boxes.
uint8_t DialogModifiers(bool ctrl, bool shift);
// Whether the Shift box is offered with key (not with CapsLock).
[[nodiscard]] bool ShiftAllowed(uint8_t key);

// Gives row's binding key with the given boxes, unless any binding (the row's
// own included) already has that key with the same Ctrl and Shift state.
AssignResult AssignKey(KeyBinding* bindings, uint32_t row, uint8_t key, bool ctrl, bool shift);
void RemoveKey(KeyBinding* bindings, uint32_t row);

// The first mouse action bound to command, or -1.
int32_t MouseActionFor(const int32_t* actions, int32_t command);
// Binds action to command unless it already serves a command; the command's
// previous action (one other than action) is cleared.
AssignResult AssignMouseAction(int32_t* actions, int32_t action, int32_t command);
void RemoveMouseAction(int32_t* actions, int32_t command);
// The mouse actions' built-in commands.
void SetDefaultMouseActions(int32_t* actions);

// The string that heads a binding's text in the key dialog ("6205 - 6206" for
// the pane's commands); 0 when the command's own string stands alone.
int32_t BindingGroupText(int32_t command);
