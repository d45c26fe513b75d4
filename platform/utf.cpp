#include "platform/utf.h"

#include <cstdint>

namespace {
void Put8(char* out, size_t cap, size_t at, uint32_t byte) {
    if (at + 1 < cap) {
        out[at] = static_cast<char>(byte);
    }
}
void Put16(char16_t* out, size_t cap, size_t at, uint32_t unit) {
    if (at + 1 < cap) {
        out[at] = static_cast<char16_t>(unit);
    }
}
}  // namespace

size_t Utf16Length(const char16_t* text) {
    size_t n = 0;
    while (text != nullptr && text[n] != 0) {
        ++n;
    }
    return n;
}

size_t Utf16ToUtf8(const char16_t* text, size_t n, char* out, size_t cap) {
    size_t at = 0;
    for (size_t i = 0; i < n; ++i) {
        uint32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < n && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<uint32_t>(text[i + 1]) - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            Put8(out, cap, at++, c);
        } else if (c < 0x800) {
            Put8(out, cap, at++, 0xC0 | (c >> 6));
            Put8(out, cap, at++, 0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            Put8(out, cap, at++, 0xE0 | (c >> 12));
            Put8(out, cap, at++, 0x80 | ((c >> 6) & 0x3F));
            Put8(out, cap, at++, 0x80 | (c & 0x3F));
        } else {
            Put8(out, cap, at++, 0xF0 | (c >> 18));
            Put8(out, cap, at++, 0x80 | ((c >> 12) & 0x3F));
            Put8(out, cap, at++, 0x80 | ((c >> 6) & 0x3F));
            Put8(out, cap, at++, 0x80 | (c & 0x3F));
        }
    }
    if (cap > 0) {
        out[at < cap ? at : cap - 1] = 0;
    }
    return at;
}

size_t Utf8ToUtf16(const char* text, size_t n, char16_t* out, size_t cap) {
    const auto* s = reinterpret_cast<const unsigned char*>(text);
    size_t at = 0;
    size_t i = 0;
    while (i < n) {
        uint32_t c = s[i];
        size_t extra = 0;
        uint32_t min = 0;
        if (c < 0x80) {
            extra = 0;
        } else if ((c & 0xE0) == 0xC0) {
            extra = 1, c &= 0x1F, min = 0x80;
        } else if ((c & 0xF0) == 0xE0) {
            extra = 2, c &= 0x0F, min = 0x800;
        } else if ((c & 0xF8) == 0xF0) {
            extra = 3, c &= 0x07, min = 0x10000;
        } else {
            extra = 0, c = 0xFFFD;
        }
        size_t j = 1;
        for (; j <= extra; ++j) {
            if (i + j >= n || (s[i + j] & 0xC0) != 0x80) {
                break;
            }
            c = (c << 6) | (s[i + j] & 0x3Fu);
        }
        if (j <= extra) {
            c = 0xFFFD;
            i += j;
        } else {
            i += 1 + extra;
            if (extra > 0 && (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))) {
                c = 0xFFFD;
            }
        }
        if (c >= 0x10000) {
            Put16(out, cap, at++, 0xD800 + ((c - 0x10000) >> 10));
            Put16(out, cap, at++, 0xDC00 + ((c - 0x10000) & 0x3FF));
        } else {
            Put16(out, cap, at++, c);
        }
    }
    if (cap > 0) {
        out[at < cap ? at : cap - 1] = 0;
    }
    return at;
}
