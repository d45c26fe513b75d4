// Windows conversions: the system's ANSI code page for names without the UTF-8
// flag, and the local time zone for DOS times.
#include <windows.h>

#include <cstring>

#include "archive/zip_host.h"

uint32_t ZipNameToUtf16(const uint8_t* bytes, uint32_t n, bool utf8, char16_t* out, uint32_t cap) {
    const void* zero = std::memchr(bytes, 0, n);
    if (zero != nullptr) {
        n = static_cast<uint32_t>(static_cast<const uint8_t*>(zero) - bytes);
    }
    int got = 0;
    if (n > 0 && cap > 1) {
        // No MB_ERR_INVALID_CHARS: bad sequences become U+FFFD instead of failing the name.
        got = MultiByteToWideChar(utf8 ? CP_UTF8 : CP_ACP, 0, reinterpret_cast<const char*>(bytes),
                                  static_cast<int>(n), reinterpret_cast<wchar_t*>(out),
                                  static_cast<int>(cap - 1));
    }
    if (got < 0) {
        got = 0;
    }
    out[got] = 0;
    return static_cast<uint32_t>(got);
}

uint64_t DosTimeToFiletime(uint16_t dosDate, uint16_t dosTime) {
    FILETIME local{};
    FILETIME utc{};
    if (!DosDateTimeToFileTime(dosDate, dosTime, &local) || !LocalFileTimeToFileTime(&local, &utc)) {
        return 0;
    }
    return (static_cast<uint64_t>(utc.dwHighDateTime) << 32) | utc.dwLowDateTime;
}

bool FiletimeToDosTime(uint64_t filetime, uint16_t* dosDate, uint16_t* dosTime) {
    FILETIME utc{static_cast<DWORD>(filetime), static_cast<DWORD>(filetime >> 32)};
    FILETIME local{};
    WORD date = 0;
    WORD time = 0;
    if (!FileTimeToLocalFileTime(&utc, &local) || !FileTimeToDosDateTime(&local, &date, &time)) {
        return false;
    }
    *dosDate = date;
    *dosTime = time;
    return true;
}
