#include "app/text.h"

namespace {
char16_t FoldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}
}  // namespace

bool EqualsNoCase(const char16_t* a, const char16_t* b) {
    if (a == nullptr) {
        a = u"";
    }
    if (b == nullptr) {
        b = u"";
    }
    for (;; ++a, ++b) {
        if (FoldAscii(*a) != FoldAscii(*b)) {
            return false;
        }
        if (*a == 0) {
            return true;
        }
    }
}

bool EqualsNoCaseN(const char16_t* a, uint32_t n, const char16_t* b, uint32_t m) {
    if (n != m) {
        return false;
    }
    for (uint32_t i = 0; i < n; ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

uint32_t FormatDecimal(char16_t* out, int32_t value) {
    char16_t digits[10];
    uint32_t count = 0;
    // Work on the magnitude in 64 bits so that INT32_MIN needs no special case.
    uint64_t magnitude =
        value < 0 ? static_cast<uint64_t>(-static_cast<int64_t>(value)) : static_cast<uint64_t>(value);
    do {
        digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    uint32_t at = 0;
    if (value < 0) {
        out[at++] = u'-';
    }
    while (count > 0) {
        out[at++] = digits[--count];
    }
    out[at] = 0;
    return at;
}
