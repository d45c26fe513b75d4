// The native build has no platform comparison: the page list sorts with the
// portable model.
#include "view/natural_sort.h"

int LogicalCompare(const char16_t* a, const char16_t* b) {
    return NaturalCompare(a, b);
}
