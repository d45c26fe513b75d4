// What the ZIP reader takes from the host system: turning a member's name bytes
// into UTF-16 and a DOS date and time into a FILETIME. The Windows build uses the
// system's conversions (the ANSI code page, the local time zone); the native
// build uses code page 437 and takes local time as UTC, which keeps tests and
// tools deterministic.
#pragma once

#include <cstdint>

// Converts name bytes (UTF-8 when utf8, else the ANSI code page) up to the first
// zero byte or n, writing at most cap-1 code units plus a terminator (cap > 0).
// Malformed UTF-8 becomes U+FFFD. Returns the code units written.
uint32_t ZipNameToUtf16(const uint8_t* bytes, uint32_t n, bool utf8, char16_t* out, uint32_t cap);

// DOS date and time, taken as local time, as a UTC FILETIME; 0 when the fields
// name no valid moment (month 0, 30 February, hour 24 ...).
uint64_t DosTimeToFiletime(uint16_t dosDate, uint16_t dosTime);

// The reverse, for the writer: a UTC FILETIME as local DOS date and time. Times
// before 1980 or past 2107 give false (the writer then stores 1980-01-01 00:00).
[[nodiscard]] bool FiletimeToDosTime(uint64_t filetime, uint16_t* dosDate, uint16_t* dosTime);
