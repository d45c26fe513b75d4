// UTF-16 <-> UTF-8 conversion for the native file layer and the tools. Unpaired
// surrogates and malformed UTF-8 become U+FFFD; nothing fails.
#pragma once

#include <cstddef>

// Converts n code units; writes at most cap-1 bytes plus a terminator (when cap > 0)
// and returns the full length the output needs without the terminator.
size_t Utf16ToUtf8(const char16_t* text, size_t n, char* out, size_t cap);
// Converts n bytes; writes at most cap-1 code units plus a terminator (cap > 0) and
// returns the full length needed without the terminator.
size_t Utf8ToUtf16(const char* text, size_t n, char16_t* out, size_t cap);
size_t Utf16Length(const char16_t* text);
