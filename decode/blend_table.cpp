#include "decode/blend_table.h"

namespace {
uint8_t gTable[kBlendTableSize];
}  // namespace

void FillBlendTable() {
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t c = 0; c < 256; ++c) {
            uint32_t v;
            if (a == 0 || c == 0) {
                v = 0;
            } else if (a == 255 || c == 255) {
                v = a == 255 ? c : a;
            } else {
                // max * floor(min * 65536 / 255), rounded at bit 16: symmetric in a and c.
                uint32_t lo = a < c ? a : c;
                uint32_t hi = a < c ? c : a;
                v = (hi * (lo * 65536u / 255u) + 32768u) >> 16;
            }
            gTable[a * 256 + c] = static_cast<uint8_t>(v);
        }
    }
}

const uint8_t* BlendTable() {
    return gTable;
}
