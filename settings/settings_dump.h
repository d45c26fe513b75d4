// A readable account of a settings file, slot by slot, for pwinspect and tests:
// one JSON line per index entry, {"slot":N,"kind":"...","value":...}.
//
// Kinds: "absent" (value null), "int" (the stored signed value), and for byte
// values by what the slot holds: "text" (a string), "textList" (an array of
// strings), "expand" (an array of bytes), "keys" (an array of
// {"flags","key","command"} records), "bytes" (a hex string, for slots that hold
// no bytes in this program), or "unreadable" ({"offset","length"}) when the range
// does not fit the file.
#pragma once

#include <cstdint>

#include "settings/byte_buf.h"
#include "settings/settings_reader.h"

// Appends the line of one slot (below the reader's entry count), newline included.
void DumpSettingsSlot(const SettingsReader& r, uint32_t slot, ByteBuf* out);
// Appends the lines of every slot the file's index holds (at most 104).
void DumpSettings(const SettingsReader& r, ByteBuf* out);
