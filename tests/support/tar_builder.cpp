#include "tests/support/tar_builder.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {
void Octal(uint8_t* field, size_t n, uint64_t v) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*llo", static_cast<int>(n - 1), static_cast<unsigned long long>(v));
    std::memcpy(field, text, n - 1);
}
}  // namespace

TarBytes TarEntry(const std::string& name,
                  const std::string& data,
                  char type,
                  const std::string& prefix,
                  bool base256) {
    TarBytes b(512, 0);
    std::memcpy(&b[0], name.data(), std::min<size_t>(name.size(), 100));
    Octal(&b[100], 8, 0644);
    Octal(&b[136], 12, 1700000000);
    if (base256) {
        b[124] = 0x80;
        const uint64_t size = data.size();
        for (size_t i = 0; i < 8; ++i) {
            b[135 - i] = static_cast<uint8_t>(size >> (8 * i));
        }
    } else {
        Octal(&b[124], 12, data.size());
    }
    b[156] = static_cast<uint8_t>(type);
    std::memcpy(&b[257],
                "ustar\0"
                "00",
                8);
    std::memcpy(&b[345], prefix.data(), std::min<size_t>(prefix.size(), 155));
    std::memset(&b[148], ' ', 8);
    uint32_t sum = 0;
    for (uint8_t c : b) {
        sum += c;
    }
    Octal(&b[148], 7, sum);
    b.insert(b.end(), data.begin(), data.end());
    b.resize((b.size() + 511) / 512 * 512, 0);
    return b;
}

TarBytes TarJoin(std::initializer_list<TarBytes> parts) {
    TarBytes out;
    for (const TarBytes& p : parts) {
        out.insert(out.end(), p.begin(), p.end());
    }
    return out;
}
