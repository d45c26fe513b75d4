#include "settings/dialog_template.h"

#include <cstring>

namespace {

struct Walk {
    const uint8_t* data;
    size_t size;
    size_t pos;
    bool ok;

    bool Need(size_t n) {
        if (!ok || n > size - pos) {
            ok = false;
        }
        return ok;
    }
    uint16_t Word() {
        if (!Need(2)) {
            return 0;
        }
        uint16_t v = static_cast<uint16_t>(data[pos] | (data[pos + 1] << 8));
        pos += 2;
        return v;
    }
    uint32_t Dword() {
        uint32_t lo = Word();
        uint32_t hi = Word();
        return lo | (hi << 16);
    }
    void Skip(size_t n) {
        if (Need(n)) {
            pos += n;
        }
    }
    // A zero-terminated UTF-16 string, terminator included.
    void String() {
        while (ok && Word() != 0) {
        }
    }
    // Absent (0x0000), an ordinal (0xFFFF then a word) or a string.
    void StringOrOrdinal() {
        if (!Need(2)) {
            return;
        }
        uint16_t first = static_cast<uint16_t>(data[pos] | (data[pos + 1] << 8));
        if (first == 0) {
            pos += 2;
        } else if (first == 0xFFFF) {
            Skip(4);
        } else {
            String();
        }
    }
    void AlignDword() {
        size_t pad = (4 - (pos & 3)) & 3;
        Skip(pad);
    }
};

}  // namespace

DialogTemplateShape WalkDialogTemplate(const uint8_t* data, size_t size) {
    DialogTemplateShape shape;
    Walk w{data, size, 0, data != nullptr};
    if (w.Word() != 1 || w.Word() != 0xFFFF) {
        return shape;
    }
    w.Dword();  // help id
    w.Dword();  // extended style
    shape.style = w.Dword();
    shape.itemCount = w.Word();
    w.Skip(8);            // x, y, cx, cy
    w.StringOrOrdinal();  // menu
    w.StringOrOrdinal();  // class
    w.StringOrOrdinal();  // title
    shape.hasFont = (shape.style & kDialogSetFont) != 0;
    if (shape.hasFont) {
        shape.pointSizeOffset = w.pos;
        w.Skip(6);   // point size, weight, italic, character set
        w.String();  // face
    }
    for (uint16_t i = 0; i < shape.itemCount && w.ok; ++i) {
        w.AlignDword();
        w.Skip(24);           // help id, extended style, style, x, y, cx, cy, id
        w.StringOrOrdinal();  // class
        w.StringOrOrdinal();  // title
        w.Skip(w.Word());     // creation data, counted in bytes
    }
    shape.ok = w.ok;
    shape.size = w.ok ? w.pos : 0;
    return shape;
}

bool CopyDialogTemplateAtPointSize(const uint8_t* data,
                                   const DialogTemplateShape& shape,
                                   uint16_t points,
                                   uint8_t* out,
                                   size_t outSize) {
    if (data == nullptr || out == nullptr || !shape.ok || !shape.hasFont || shape.size > outSize ||
        shape.pointSizeOffset + 2 > shape.size) {
        return false;
    }
    std::memcpy(out, data, shape.size);
    out[shape.pointSizeOffset] = static_cast<uint8_t>(points & 0xFF);
    out[shape.pointSizeOffset + 1] = static_cast<uint8_t>(points >> 8);
    return true;
}
