#include "plugins/tar/tar_index.h"

#include <cstring>

namespace {

constexpr size_t kNameField = 0;
constexpr size_t kSizeField = 124;
constexpr size_t kTimeField = 136;
constexpr size_t kSumField = 148;
constexpr size_t kTypeField = 156;
constexpr size_t kMagicField = 257;
constexpr size_t kPrefixField = 345;

// An octal field (spaces and NULs around the digits), or GNU's base-256 form
// (top bit of the first byte set). False for anything else or an overflow.
bool ReadNumber(const uint8_t* field, size_t n, uint64_t* out) {
    uint64_t v = 0;
    if ((field[0] & 0x80) != 0) {
        if ((field[0] & 0x40) != 0) {
            return false;  // negative
        }
        v = field[0] & 0x3F;
        for (size_t i = 1; i < n; ++i) {
            if (v >> 56 != 0) {
                return false;
            }
            v = v << 8 | field[i];
        }
        *out = v;
        return true;
    }
    size_t i = 0;
    while (i < n && field[i] == ' ') {
        ++i;
    }
    for (; i < n && field[i] >= '0' && field[i] <= '7'; ++i) {
        if (v >> 60 != 0) {
            return false;
        }
        v = v * 8 + static_cast<uint64_t>(field[i] - '0');
    }
    for (; i < n; ++i) {
        if (field[i] != ' ' && field[i] != 0) {
            return false;
        }
    }
    *out = v;
    return true;
}

bool AllZero(const uint8_t* block) {
    for (uint32_t i = 0; i < kTarBlock; ++i) {
        if (block[i] != 0) {
            return false;
        }
    }
    return true;
}

uint64_t Padded(uint64_t size) {
    return (size + kTarBlock - 1) / kTarBlock * kTarBlock;
}

// Copies a field of at most n bytes (it may lack a terminator) to out at *at.
bool AppendField(char* out, size_t* at, const uint8_t* field, size_t n) {
    size_t len = 0;
    while (len < n && field[len] != 0) {
        ++len;
    }
    if (*at + len >= kTarNameMax) {
        return false;
    }
    std::memcpy(out + *at, field, len);
    *at += len;
    out[*at] = 0;
    return true;
}

// The header's own name: ustar prefix "/" name.
bool HeaderName(const uint8_t* h, char* out) {
    size_t at = 0;
    out[0] = 0;
    if (std::memcmp(h + kMagicField, "ustar\0", 6) == 0 && h[kPrefixField] != 0) {
        if (!AppendField(out, &at, h + kPrefixField, 155) || at + 1 >= kTarNameMax) {
            return false;
        }
        out[at++] = '/';
        out[at] = 0;
    }
    return AppendField(out, &at, h + kNameField, 100);
}

// The "path=" record of a pax extended header's data.
bool PaxPath(const uint8_t* data, uint64_t size, char* out) {
    uint64_t at = 0;
    while (at < size) {
        uint64_t length = 0;
        uint64_t i = at;
        while (i < size && data[i] >= '0' && data[i] <= '9' && length < size) {
            length = length * 10 + static_cast<uint64_t>(data[i] - '0');
            ++i;
        }
        if (i >= size || data[i] != ' ' || length == 0 || length > size - at) {
            return false;
        }
        const uint8_t* key = data + i + 1;
        const uint64_t rest = at + length - (i + 1);  // key=value\n
        if (rest > 6 && std::memcmp(key, "path=", 5) == 0) {
            const uint64_t n = rest - 6;
            if (n >= kTarNameMax) {
                return false;
            }
            std::memcpy(out, key + 5, n);
            out[n] = 0;
            return true;
        }
        at += length;
    }
    return false;
}

struct Walker {
    const TarSource& source;
    uint8_t header[kTarBlock];
    uint8_t extra[kTarNameMax + 512];  // long-name data
};

}  // namespace

bool TarHeaderValid(const uint8_t* block) {
    uint64_t stored = 0;
    uint64_t size = 0;
    if (!ReadNumber(block + kSumField, 8, &stored) || !ReadNumber(block + kSizeField, 12, &size)) {
        return false;
    }
    uint64_t unsignedSum = 0;
    int64_t signedSum = 0;
    for (uint32_t i = 0; i < kTarBlock; ++i) {
        const bool inSum = i >= kSumField && i < kSumField + 8;
        const uint8_t b = inSum ? ' ' : block[i];
        unsignedSum += b;
        signedSum += static_cast<int8_t>(b);
    }
    return stored == unsignedSum || static_cast<int64_t>(stored) == signedSum;
}

bool TarWalk(const TarSource& source, uint64_t start, TarVisit visit, void* context) {
    Walker w{source, {}, {}};
    TarMember m;
    bool longName = false;
    bool first = true;
    uint64_t at = start;
    while (at <= source.size && source.size - at >= kTarBlock) {
        if (!source.read(source.context, at, w.header, kTarBlock) || AllZero(w.header) ||
            !TarHeaderValid(w.header)) {
            return !first;
        }
        first = false;
        uint64_t size = 0;
        (void)ReadNumber(w.header + kSizeField, 12, &size);
        const uint64_t data = at + kTarBlock;
        if (size > source.size - data) {
            return true;  // runs past the file: the walk ends here
        }
        const uint8_t type = w.header[kTypeField];
        if (type == 'L' || type == 'x') {
            longName = false;
            if (size < sizeof w.extra &&
                source.read(source.context, data, w.extra, static_cast<uint32_t>(size))) {
                if (type == 'L') {
                    const size_t n = static_cast<size_t>(size) < kTarNameMax ? static_cast<size_t>(size) : 0;
                    std::memcpy(m.name, w.extra, n);
                    m.name[n] = 0;
                    longName = n > 0 && std::strlen(m.name) < kTarNameMax;
                } else {
                    longName = PaxPath(w.extra, size, m.name);
                }
            }
        } else if (type == '0' || type == 0 || type == '7') {
            const bool named = longName || HeaderName(w.header, m.name);
            uint64_t mtime = 0;
            (void)ReadNumber(w.header + kTimeField, 12, &mtime);
            m.header = at;
            m.data = data;
            m.size = size;
            m.modified = static_cast<int64_t>(mtime & 0x7FFFFFFFFFFFFFFFull);
            if (named && !visit(context, m)) {
                return true;
            }
            longName = false;
        } else {
            longName = false;  // folders, links and others carry no pages
        }
        at = data + Padded(size);
    }
    return !first;
}

bool TarMemberAt(const TarSource& source, uint64_t header, TarMember* out) {
    uint8_t h[kTarBlock];
    if (header > source.size || source.size - header < kTarBlock ||
        !source.read(source.context, header, h, kTarBlock) || !TarHeaderValid(h)) {
        return false;
    }
    const uint8_t type = h[kTypeField];
    uint64_t size = 0;
    if ((type != '0' && type != 0 && type != '7') || !ReadNumber(h + kSizeField, 12, &size) ||
        size > source.size - header - kTarBlock) {
        return false;
    }
    out->header = header;
    out->data = header + kTarBlock;
    out->size = size;
    out->modified = 0;
    out->name[0] = 0;
    return true;
}
