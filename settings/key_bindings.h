// Key bindings and accelerator records as the settings keep them: the 42 bindings
// in their fixed order with the built-in keys, the accelerator records that the
// settings file stores (the platform's accelerator-table layout), the test that
// tells a usable stored record from a damaged one, and the two conversions
// between records and bindings.
//
// Portable: the shell turns AccelRecord arrays into the platform's accelerator
// table and back; nothing here owns a handle.
#pragma once

#include <cstdint>

constexpr uint32_t kKeyBindingCount = 42;
// The file keeps at most this many accelerator records (6 bytes each).
constexpr uint32_t kMaxAccelRecords = 42;
constexpr uint32_t kAccelRecordBytes = 6;

// Accelerator flag bits: the key is a virtual-key code, no menu flash, Shift,
// Ctrl, Alt. The program makes only the first with Shift and Ctrl; the platform
// knows no others.
constexpr uint8_t kAccelVirtKey = 1;
constexpr uint8_t kAccelNoInvert = 2;
constexpr uint8_t kAccelShift = 4;
constexpr uint8_t kAccelControl = 8;
constexpr uint8_t kAccelAlt = 0x10;

// One record of an accelerator table: flags, virtual-key code, command.
struct AccelRecord {
    uint8_t flags = 0;
    uint16_t key = 0;
    uint16_t command = 0;
};

// One of the 42 bindings. key 0 means unbound (modifiers are then 1).
struct KeyBinding {
    uint8_t modifiers = kAccelVirtKey;
    uint16_t key = 0;
    uint16_t command = 0;
};

// The built-in bindings, in binding order.
extern const KeyBinding kDefaultKeyBindings[kKeyBindingCount];

void SetDefaultKeyBindings(KeyBinding* bindings);

// True for a command of the 42 bindings.
[[nodiscard]] bool IsBindingCommand(int32_t command);

// Whether a stored record can be one of the program's accelerators: a virtual-key
// record with no flags but those above, a key code from 1 to 254 (0 is no key,
// and codes stop at 254), and a command isCommand accepts (when isCommand is
// null, a command of the 42 bindings). Anything else is a damaged record.
[[nodiscard]] bool IsUsableAccelRecord(const AccelRecord& r, bool (*isCommand)(int32_t command));

// Sets each binding from the first record that carries its command (flags masked
// to Ctrl, Shift and virtual key, key masked to 8 bits); a command that no record
// carries becomes unbound.
void KeyBindingsFromAccelTable(const AccelRecord* table, uint32_t count, KeyBinding* bindings);

// Builds the accelerator records of the bindings with a key, in binding order;
// returns their count (at most kKeyBindingCount).
uint32_t AccelTableFromKeyBindings(const KeyBinding* bindings, AccelRecord* table);
