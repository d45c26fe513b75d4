// Names of keys and modifiers as the menus, the tool tips and the key dialog
// show them: the modifier prefix of a binding's accelerator flags ("Ctrl+Shift+")
// and the names of the 91 keys a binding can use, in the order the key dialog
// lists them. A binding's key text is its prefix followed by its key's name.
// Portable.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "settings/key_bindings.h"

constexpr uint32_t kAssignableKeyCount = 91;
// The key that takes no Shift in the key dialog.
constexpr uint8_t kKeyCapsLock = 0xF0;

// The prefix of modifier byte modifiers (its low four bits): "", "Shift+",
// "Ctrl+" or "Ctrl+Shift+" for the virtual-key combinations, empty otherwise.
const char16_t* ModifierText(uint8_t modifiers);
// The name of virtual-key code key, or empty for a key no binding can use.
const char16_t* KeyName(uint32_t key);
// The index-th assignable key in the key dialog's order (0 past the end).
uint8_t AssignableKey(uint32_t index);

// The binding's key text; empty for an unbound binding or an unnamed key.
void KeyText(const KeyBinding& b, StrBuf* out);
