#include "settings/settings_dump.h"

#include "platform/heap.h"
#include "platform/utf.h"

namespace {

void AppendNumber(ByteBuf* out, int64_t v) {
    char digits[24];
    uint32_t n = 0;
    uint64_t magnitude = v < 0 ? static_cast<uint64_t>(-(v + 1)) + 1 : static_cast<uint64_t>(v);
    do {
        digits[n++] = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (v < 0) {
        out->AppendByte('-');
    }
    while (n > 0) {
        out->AppendByte(static_cast<uint8_t>(digits[--n]));
    }
}

// A JSON string from UTF-16LE bytes, every code unit kept (a 0 shows as \u0000).
void AppendJsonText(ByteBuf* out, const uint8_t* bytes, uint32_t chars) {
    static const char kHex[] = "0123456789abcdef";
    out->AppendByte('"');
    for (uint32_t i = 0; i < chars; ++i) {
        char16_t c = static_cast<char16_t>(LoadU16(bytes + size_t{2} * i));
        if (c == u'"' || c == u'\\') {
            out->AppendByte('\\');
            out->AppendByte(static_cast<uint8_t>(c));
        } else if (c < 0x20) {
            char esc[7] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15], 0};
            out->AppendAscii(esc);
        } else {
            char16_t pair[2] = {c, 0};
            size_t units = 1;
            if (c >= 0xD800 && c <= 0xDBFF && i + 1 < chars) {
                pair[1] = static_cast<char16_t>(LoadU16(bytes + size_t{2} * (i + 1)));
                if (pair[1] >= 0xDC00 && pair[1] <= 0xDFFF) {
                    units = 2;
                    ++i;
                }
            }
            char utf8[8];
            size_t len = Utf16ToUtf8(pair, units, utf8, sizeof utf8);
            out->Append(utf8, len);
        }
    }
    out->AppendByte('"');
}

void AppendTextList(ByteBuf* out, const uint8_t* bytes, uint32_t n) {
    uint32_t chars = n / 2;
    out->AppendByte('[');
    uint32_t start = 0;
    bool first = true;
    for (uint32_t i = 0; i <= chars; ++i) {
        bool end = i == chars;
        if (!end && LoadU16(bytes + size_t{2} * i) != 0) {
            continue;
        }
        if (end && start == chars) {
            break;
        }
        if (!first) {
            out->AppendByte(',');
        }
        first = false;
        AppendJsonText(out, bytes + size_t{2} * start, i - start);
        start = i + 1;
    }
    out->AppendByte(']');
}

void AppendKeys(ByteBuf* out, const uint8_t* bytes, uint32_t n) {
    out->AppendByte('[');
    for (uint32_t i = 0; i + kAccelRecordBytes <= n; i += kAccelRecordBytes) {
        if (i > 0) {
            out->AppendByte(',');
        }
        out->AppendAscii("{\"flags\":");
        AppendNumber(out, bytes[i]);
        out->AppendAscii(",\"key\":");
        AppendNumber(out, LoadU16(bytes + i + 2));
        out->AppendAscii(",\"command\":");
        AppendNumber(out, LoadU16(bytes + i + 4));
        out->AppendByte('}');
    }
    out->AppendByte(']');
}

void AppendBytes(ByteBuf* out, const uint8_t* bytes, uint32_t n, bool asArray) {
    static const char kHex[] = "0123456789abcdef";
    out->AppendByte(asArray ? '[' : '"');
    for (uint32_t i = 0; i < n; ++i) {
        if (asArray) {
            if (i > 0) {
                out->AppendByte(',');
            }
            AppendNumber(out, bytes[i]);
        } else {
            out->AppendByte(static_cast<uint8_t>(kHex[bytes[i] >> 4]));
            out->AppendByte(static_cast<uint8_t>(kHex[bytes[i] & 15]));
        }
    }
    out->AppendByte(asArray ? ']' : '"');
}

}  // namespace

void DumpSettingsSlot(const SettingsReader& r, uint32_t slot, ByteBuf* out) {
    if (slot >= r.entryCount) {
        return;
    }
    const SlotEntry& e = r.index[slot];
    out->AppendAscii("{\"slot\":");
    AppendNumber(out, slot);
    out->AppendAscii(",\"kind\":");
    if (e.a == 0) {
        out->AppendAscii("\"absent\",\"value\":null}\n");
        return;
    }
    if (e.a == 1) {
        out->AppendAscii("\"int\",\"value\":");
        AppendNumber(out, static_cast<int32_t>(e.b));
        out->AppendAscii("}\n");
        return;
    }
    uint8_t* raw = nullptr;
    uint32_t n = 0;
    if (!ReadSlotBytes(r, slot, &raw, &n)) {
        out->AppendAscii("\"unreadable\",\"value\":{\"offset\":");
        AppendNumber(out, e.a);
        out->AppendAscii(",\"length\":");
        AppendNumber(out, e.b);
        out->AppendAscii("}}\n");
        return;
    }
    AppPtr<uint8_t> bytes(raw);
    switch (SettingsSlotKind(slot)) {
        case SlotKind::kText:
            out->AppendAscii("\"text\",\"value\":");
            AppendJsonText(out, raw, n / 2);
            break;
        case SlotKind::kTextList:
            out->AppendAscii("\"textList\",\"value\":");
            AppendTextList(out, raw, n);
            break;
        case SlotKind::kExpandBytes:
            out->AppendAscii("\"expand\",\"value\":");
            AppendBytes(out, raw, n, true);
            break;
        case SlotKind::kKeyRecords:
            out->AppendAscii("\"keys\",\"value\":");
            AppendKeys(out, raw, n);
            break;
        case SlotKind::kInt:
        case SlotKind::kBit:
        case SlotKind::kUnused:
            out->AppendAscii("\"bytes\",\"value\":");
            AppendBytes(out, raw, n, false);
            break;
    }
    out->AppendAscii("}\n");
}

void DumpSettings(const SettingsReader& r, ByteBuf* out) {
    for (uint32_t slot = 0; slot < r.entryCount; ++slot) {
        DumpSettingsSlot(r, slot, out);
    }
}
