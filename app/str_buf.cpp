#include "app/str_buf.h"

#include <cstring>

#include "app/text.h"
#include "platform/heap.h"

StrBuf::StrBuf(StrBuf&& o) noexcept : buffer(o.buffer), capacity(o.capacity), length(o.length) {
    o.buffer = nullptr;
    o.capacity = 0;
    o.length = 0;
}

StrBuf& StrBuf::operator=(StrBuf&& o) noexcept {
    if (this != &o) {
        Release();
        buffer = o.buffer;
        capacity = o.capacity;
        length = o.length;
        o.buffer = nullptr;
        o.capacity = 0;
        o.length = 0;
    }
    return *this;
}

StrBuf::~StrBuf() {
    Release();
}

void StrBuf::Release() {
    if (buffer != nullptr && AppHeapAlive()) {
        AppFree(buffer);
    }
    buffer = nullptr;
    capacity = 0;
    length = 0;
}

char16_t* StrBuf::Reserve(uint32_t n) {
    uint64_t need = 2ull * n + 2;
    if (buffer != nullptr && capacity >= need) {
        return buffer;
    }
    // Grow in 128-byte steps: (2n + 128) with the low seven bits cleared.
    uint64_t grown = (2ull * n + 128) & ~uint64_t{127};
    if (grown > UINT32_MAX) {
        return nullptr;
    }
    void* block = buffer == nullptr ? AppAllocZero(grown) : AppReAllocZero(buffer, grown);
    if (block == nullptr) {
        // A failed grow keeps the old text rather than losing it.
        return nullptr;
    }
    buffer = static_cast<char16_t*>(block);
    capacity = static_cast<uint32_t>(grown);
    return buffer;
}

bool StrBuf::Append(const char16_t* text, uint32_t n) {
    uint64_t total = uint64_t{length} + n;
    if (total >= UINT32_MAX / 2) {
        return false;
    }
    // The text may lie inside this buffer, which growing moves: keep its offset.
    auto at = reinterpret_cast<uintptr_t>(text);
    auto base = reinterpret_cast<uintptr_t>(buffer);
    bool inside = buffer != nullptr && at >= base && at < base + capacity;
    uintptr_t offset = at - base;
    if (Reserve(static_cast<uint32_t>(total)) == nullptr) {
        return false;
    }
    if (inside) {
        text = reinterpret_cast<const char16_t*>(reinterpret_cast<uintptr_t>(buffer) + offset);
    }
    if (n > 0) {
        std::memmove(buffer + length, text, n * sizeof(char16_t));
    }
    length = static_cast<uint32_t>(total);
    buffer[length] = 0;
    return true;
}

void StrBuf::Assign(const char16_t* text) {
    length = 0;
    if (buffer != nullptr) {
        buffer[0] = 0;
    }
    if (text != nullptr) {
        (void)Append(text, TextLength(text));
    }
}

char16_t* StrBuf::AppendChar(char16_t c) {
    return Append(&c, 1) ? buffer : nullptr;
}

char16_t* StrBuf::ResetReserve(uint32_t n) {
    length = 0;
    if (buffer != nullptr) {
        buffer[0] = 0;
    }
    return Reserve(n);
}

const char16_t* StrBuf::SyncLength() {
    if (buffer == nullptr) {
        length = 0;
        return Text();
    }
    uint32_t units = capacity / 2;
    uint32_t n = 0;
    while (n < units && buffer[n] != 0) {
        ++n;
    }
    if (n == units && n > 0) {
        // An outside writer filled every unit: keep the terminator inside the block.
        --n;
        buffer[n] = 0;
    }
    length = n;
    return buffer;
}

const char16_t* StrBuf::JoinPath(const char16_t* dir, uint32_t n, const char16_t* name, uint32_t m) {
    if (n == 0) {
        return Text();
    }
    // dir or name may point into this buffer; build into a fresh one.
    StrBuf joined;
    bool ok = joined.Append(dir, n);
    if (ok && dir[n - 1] != u'\\') {
        ok = joined.AppendChar(u'\\') != nullptr;
    }
    if (ok && m > 0) {
        ok = joined.Append(name, m);
    }
    if (ok) {
        *this = static_cast<StrBuf&&>(joined);
    }
    return Text();
}

const char16_t* StrBuf::AppendPathComponent(const char16_t* name, uint32_t m) {
    if (m == 0) {
        return Text();
    }
    if (length > 0 && buffer[length - 1] != u'\\' && AppendChar(u'\\') == nullptr) {
        return Text();
    }
    (void)Append(name, m);
    return Text();
}

const char16_t* StrBuf::ReplaceExtension(const char16_t* ext) {
    if (length == 0) {
        return Text();
    }
    uint32_t cut = ExtensionStart(buffer, length);
    length = cut;
    buffer[length] = 0;
    (void)Append(ext, TextLength(ext));
    return Text();
}

uint32_t ContainingFolderLength(const char16_t* path, uint32_t n) {
    uint32_t cut = n;
    while (cut > 0 && path[cut - 1] != u'\\') {
        --cut;
    }
    if (cut == 0) {
        return n;
    }
    const bool root = cut == 1 || path[cut - 2] == u':';
    return root ? cut : cut - 1;
}

namespace {
// Finds the last '\' before `end`; returns -1 when there is none.
int64_t LastSeparator(const char16_t* path, uint32_t end) {
    for (int64_t i = static_cast<int64_t>(end) - 1; i >= 0; --i) {
        if (path[i] == u'\\') {
            return i;
        }
    }
    return -1;
}
}  // namespace

const char16_t* StrBuf::AssignPathPart(int kind, const char16_t* path, uint32_t n) {
    uint32_t from = 0;
    uint32_t to = n;
    int64_t last = LastSeparator(path, n);
    switch (kind) {
        case kPathFirstComponent:
            for (uint32_t i = 0; i < n; ++i) {
                if (path[i] == u'\\') {
                    to = i;
                    break;
                }
            }
            break;
        case kPathFolder:
            if (last >= 0) {
                to = static_cast<uint32_t>(last);
            }
            break;
        case kPathFileName:
        case kPathBaseName:
            if (last >= 0) {
                from = static_cast<uint32_t>(last + 1);
            }
            if (kind == kPathBaseName) {
                to = ExtensionStart(path, n);
            }
            break;
        case kPathExtension:
            from = ExtensionStart(path, n);
            break;
        case kPathWithoutExtension:
            to = ExtensionStart(path, n);
            break;
        case kPathLastTwo:
            if (last >= 0) {
                int64_t before = LastSeparator(path, static_cast<uint32_t>(last));
                if (before >= 0) {
                    from = static_cast<uint32_t>(before + 1);
                }
            }
            break;
        default:
            break;
    }
    // The source may be this buffer: copy through a fresh one.
    StrBuf part;
    if (to > from) {
        if (!part.Append(path + from, to - from)) {
            length = 0;
            if (buffer != nullptr) {
                buffer[0] = 0;
            }
            return Text();
        }
    }
    if (part.buffer == nullptr) {
        length = 0;
        if (buffer != nullptr) {
            buffer[0] = 0;
        }
        return Text();
    }
    *this = static_cast<StrBuf&&>(part);
    return Text();
}

bool StrBuf::HasExtension(const char16_t* ext) const {
    uint32_t start = ExtensionStart(Text(), length);
    return start < length && EqualsNoCaseN(buffer + start, length - start, ext, TextLength(ext));
}

uint32_t TextLength(const char16_t* text) {
    uint32_t n = 0;
    while (text != nullptr && text[n] != 0) {
        ++n;
    }
    return n;
}

uint32_t ExtensionStart(const char16_t* text, uint32_t n) {
    for (uint32_t i = n; i > 0; --i) {
        char16_t c = text[i - 1];
        if (c == u'.') {
            return i - 1;
        }
        if (c == u'\\') {
            break;
        }
    }
    return n;
}
