// Text helpers shared by every subsystem: the one comparison for paths, names and
// extensions, and decimal formatting.
#pragma once

#include <cstdint>

// Equal when every pair of code units is equal or both are ASCII letters that differ
// only in case; no locale. Null reads as the empty text.
bool EqualsNoCase(const char16_t* a, const char16_t* b);
// The same rule over counted texts (the counts must match).
bool EqualsNoCaseN(const char16_t* a, uint32_t n, const char16_t* b, uint32_t m);

// Writes value in decimal with a leading '-' for negatives, then a terminator, into
// out (room for 12 code units); returns the number of characters written.
uint32_t FormatDecimal(char16_t* out, int32_t value);
