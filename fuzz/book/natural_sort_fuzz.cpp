// The natural order on arbitrary names: the input is two or three UTF-16 names
// separated by zero units. The order must be antisymmetric, reflexive and
// transitive, or the page sort would see contradictions.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "view/natural_sort.h"

namespace {
int Sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<char16_t> units(size / 2 + 4, 0);
    for (size_t i = 0; i + 1 < size; i += 2) {
        units[i / 2] = static_cast<char16_t>(data[i] | data[i + 1] << 8);
    }
    // Up to three names: the text up to each zero unit.
    const char16_t* names[3] = {units.data(), u"", u""};
    size_t found = 1;
    for (size_t i = 0; i + 1 < units.size() && found < 3; ++i) {
        if (units[i] == 0 && i + 1 < size / 2) {
            names[found++] = &units[i + 1];
        }
    }
    const char16_t* a = names[0];
    const char16_t* b = names[1];
    const char16_t* c = names[2];
    if (NaturalCompare(a, a) != 0 || Sign(NaturalCompare(a, b)) != -Sign(NaturalCompare(b, a))) {
        std::abort();
    }
    int ab = Sign(NaturalCompare(a, b));
    int bc = Sign(NaturalCompare(b, c));
    int ac = Sign(NaturalCompare(a, c));
    if (ab == bc && ab != 0 && ac != ab) {
        std::abort();
    }
    if (ab == 0 && bc == 0 && ac != 0) {
        std::abort();
    }
    return 0;
}
