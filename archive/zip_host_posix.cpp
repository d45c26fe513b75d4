// Native conversions: code page 437 (the DOS code page that ZIP writers without
// the UTF-8 flag most often used) and local time taken as UTC.
#include <cstring>

#include "archive/zip_host.h"
#include "platform/utf.h"

namespace {
// Code page 437, bytes 0x80 to 0xFF.
const char16_t kCp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF, 0x00EE,
    0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9, 0x00FF, 0x00D6,
    0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA, 0x00F1, 0x00D1, 0x00AA,
    0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB, 0x2591, 0x2592, 0x2593, 0x2502,
    0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557, 0x255D, 0x255C, 0x255B, 0x2510, 0x2514,
    0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F, 0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550,
    0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559, 0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C,
    0x2588, 0x2584, 0x258C, 0x2590, 0x2580, 0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4,
    0x03A6, 0x0398, 0x03A9, 0x03B4, 0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320,
    0x2321, 0x00F7, 0x2248, 0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// FILETIME units (100 ns) per day, and days from 1601-01-01 to 1970-01-01.
constexpr uint64_t kTicksPerDay = 864000000000ull;
constexpr int64_t kDays1601To1970 = 134774;

// Days since 1970-01-01 of a proleptic Gregorian date (Howard Hinnant's civil
// algorithm).
int64_t DaysFromCivil(int64_t y, unsigned m, unsigned d) {
    y -= m <= 2 ? 1 : 0;
    int64_t era = (y >= 0 ? y : y - 399) / 400;
    auto yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<int64_t>(doe) - 719468;
}

// The date of a count of days since 1970-01-01 (the inverse of DaysFromCivil).
void CivilFromDays(int64_t z, int64_t* y, unsigned* m, unsigned* d) {
    z += 719468;
    int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    auto doe = static_cast<unsigned>(z - era * 146097);
    unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    unsigned mp = (5 * doy + 2) / 153;
    *d = doy - (153 * mp + 2) / 5 + 1;
    *m = mp < 10 ? mp + 3 : mp - 9;
    *y = static_cast<int64_t>(yoe) + era * 400 + (*m <= 2 ? 1 : 0);
}

unsigned DaysInMonth(unsigned year, unsigned month) {
    static const unsigned kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}
}  // namespace

uint32_t ZipNameToUtf16(const uint8_t* bytes, uint32_t n, bool utf8, char16_t* out, uint32_t cap) {
    const void* zero = std::memchr(bytes, 0, n);
    if (zero != nullptr) {
        n = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - bytes);
    }
    if (utf8) {
        size_t need = Utf8ToUtf16(reinterpret_cast<const char*>(bytes), n, out, cap);
        return static_cast<uint32_t>(need < cap ? need : cap - 1);
    }
    uint32_t at = 0;
    for (uint32_t i = 0; i < n && at + 1 < cap; ++i) {
        uint8_t b = bytes[i];
        out[at++] = b < 0x80 ? static_cast<char16_t>(b) : kCp437High[b - 0x80];
    }
    out[at] = 0;
    return at;
}

uint64_t DosTimeToFiletime(uint16_t dosDate, uint16_t dosTime) {
    unsigned year = 1980u + (dosDate >> 9);
    unsigned month = (dosDate >> 5) & 15u;
    unsigned day = dosDate & 31u;
    unsigned hour = dosTime >> 11;
    unsigned minute = (dosTime >> 5) & 63u;
    unsigned second = (dosTime & 31u) * 2;
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 || minute > 59 ||
        second > 59) {
        return 0;
    }
    int64_t days = DaysFromCivil(year, month, day) + kDays1601To1970;
    uint64_t seconds = hour * 3600ull + minute * 60ull + second;
    return static_cast<uint64_t>(days) * kTicksPerDay + seconds * 10000000ull;
}

bool FiletimeToDosTime(uint64_t filetime, uint16_t* dosDate, uint16_t* dosTime) {
    auto days = static_cast<int64_t>(filetime / kTicksPerDay) - kDays1601To1970;
    uint64_t seconds = (filetime % kTicksPerDay) / 10000000ull;
    int64_t year = 0;
    unsigned month = 0;
    unsigned day = 0;
    CivilFromDays(days, &year, &month, &day);
    if (year < 1980 || year > 2107) {
        return false;
    }
    *dosDate = static_cast<uint16_t>(((year - 1980) << 9) | (month << 5) | day);
    *dosTime =
        static_cast<uint16_t>(((seconds / 3600) << 11) | (((seconds / 60) % 60) << 5) | ((seconds % 60) / 2));
    return true;
}
