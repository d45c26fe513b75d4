// The program sorts pages with the platform's logical comparison, so that its
// order is the one the system's file views show.
#include <shlwapi.h>
#include <windows.h>

#include "view/natural_sort.h"

int LogicalCompare(const char16_t* a, const char16_t* b) {
    return StrCmpLogicalW(reinterpret_cast<const wchar_t*>(a != nullptr ? a : u""),
                          reinterpret_cast<const wchar_t*>(b != nullptr ? b : u""));
}
