#include "tests/support/lang_resources_win.h"

namespace {

// Bounded little-endian reader over resource bytes; a short read clears ok.
struct Cursor {
    const uint8_t* data;
    size_t size;
    size_t pos;
    bool ok;

    uint16_t Word() {
        if (!ok || 2 > size - pos) {
            ok = false;
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
    uint8_t Byte() {
        if (!ok || 1 > size - pos) {
            ok = false;
            return 0;
        }
        return data[pos++];
    }
    void AlignDword() {
        size_t aligned = (pos + 3) & ~static_cast<size_t>(3);
        if (aligned > size) {
            ok = false;
            return;
        }
        pos = aligned;
    }
    // A zero-terminated UTF-16 string.
    std::u16string String() {
        std::u16string s;
        for (;;) {
            uint16_t c = Word();
            if (!ok || c == 0) {
                return s;
            }
            s.push_back(static_cast<char16_t>(c));
        }
    }
    // The template's "string or ordinal" field: 0 absent, 0xFFFF then an ordinal,
    // otherwise a string whose first character was just read.
    void StringOrOrdinal(bool* isOrdinal, uint16_t* ordinal, std::u16string* text) {
        *isOrdinal = false;
        *ordinal = 0;
        text->clear();
        uint16_t first = Word();
        if (!ok || first == 0) {
            return;
        }
        if (first == 0xFFFF) {
            *isOrdinal = true;
            *ordinal = Word();
            return;
        }
        text->push_back(static_cast<char16_t>(first));
        *text += String();
    }
};

}  // namespace

LangLibrary* LangLibraries(size_t* count) {
    static LangLibrary libs[] = {
        {"English", L"English", nullptr},
        {"Japanese", L"Japanese", nullptr},
    };
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        for (LangLibrary& lib : libs) {
            lib.module = LoadLibraryW(lib.file);
        }
    }
    *count = sizeof(libs) / sizeof(libs[0]);
    return libs;
}

const std::vector<uint32_t>& RequiredStringIds() {
    static std::vector<uint32_t> ids;
    if (ids.empty()) {
        struct Range {
            uint32_t first, last;
        };
#define PW_LANG_STRING(id) {id, id},
#define PW_LANG_STRINGS(first, last) {first, last},
        static const Range kRanges[] = {
#include "res/lang/string_ids.inc"
        };
#undef PW_LANG_STRING
#undef PW_LANG_STRINGS
        for (const Range& r : kRanges) {
            for (uint32_t id = r.first; id <= r.last; ++id) {
                ids.push_back(id);
            }
        }
    }
    return ids;
}

ResourceBytes FindResourceBytes(HMODULE module, const wchar_t* type, uint32_t id) {
    ResourceBytes out;
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(id), type);
    if (res == nullptr) {
        return out;
    }
    HGLOBAL handle = LoadResource(module, res);
    if (handle == nullptr) {
        return out;
    }
    out.data = static_cast<const uint8_t*>(LockResource(handle));
    out.size = out.data != nullptr ? SizeofResource(module, res) : 0;
    return out;
}

std::u16string ReadFullString(HMODULE module, uint32_t id, bool* found) {
    // Strings live in blocks of 16: block id / 16 + 1, each entry a length word and
    // that many UTF-16 units; an absent entry has length 0.
    *found = false;
    ResourceBytes block = FindResourceBytes(module, MAKEINTRESOURCEW(6), id / 16 + 1);
    if (block.data == nullptr) {
        return {};
    }
    Cursor c{block.data, block.size, 0, true};
    for (uint32_t i = 0; i < 16; ++i) {
        uint16_t length = c.Word();
        if (!c.ok) {
            return {};
        }
        if (i == id % 16) {
            std::u16string s;
            for (uint16_t k = 0; k < length && c.ok; ++k) {
                s.push_back(static_cast<char16_t>(c.Word()));
            }
            *found = c.ok && length > 0;
            return c.ok ? s : std::u16string();
        }
        if (static_cast<size_t>(length) * 2 > c.size - c.pos) {
            return {};
        }
        c.pos += static_cast<size_t>(length) * 2;
    }
    return {};
}

DialogTemplate ParseDialogTemplate(const uint8_t* data, size_t size) {
    DialogTemplate t;
    Cursor c{data, size, 0, data != nullptr};
    t.version = c.Word();
    t.signature = c.Word();
    if (!c.ok || t.version != 1 || t.signature != 0xFFFF) {
        return t;
    }
    c.Dword();  // help id
    c.Dword();  // extended style
    t.style = c.Dword();
    uint16_t itemCount = c.Word();
    c.Word();  // x
    c.Word();  // y
    t.cx = static_cast<int16_t>(c.Word());
    t.cy = static_cast<int16_t>(c.Word());
    bool isOrdinal = false;
    uint16_t ordinal = 0;
    std::u16string text;
    c.StringOrOrdinal(&isOrdinal, &ordinal, &text);  // menu
    c.StringOrOrdinal(&isOrdinal, &ordinal, &text);  // class
    c.StringOrOrdinal(&isOrdinal, &ordinal, &t.title);
    t.hasFont = (t.style & DS_SETFONT) != 0;
    if (t.hasFont) {
        t.pointSizeOffset = c.pos;
        t.pointSize = c.Word();
        c.Word();  // weight
        c.Byte();  // italic
        c.Byte();  // character set
        t.face = c.String();
    }
    for (uint16_t i = 0; i < itemCount && c.ok; ++i) {
        DialogItem item;
        c.AlignDword();
        c.Dword();  // help id
        c.Dword();  // extended style
        item.style = c.Dword();
        item.x = static_cast<int16_t>(c.Word());
        item.y = static_cast<int16_t>(c.Word());
        item.cx = static_cast<int16_t>(c.Word());
        item.cy = static_cast<int16_t>(c.Word());
        item.id = c.Dword();
        c.StringOrOrdinal(&item.classIsOrdinal, &item.classOrdinal, &item.className);
        uint16_t titleOrdinal = 0;
        c.StringOrOrdinal(&item.titleIsOrdinal, &titleOrdinal, &item.title);
        item.extraCount = c.Word();
        if (item.extraCount > 0) {
            if (item.extraCount > c.size - c.pos) {
                c.ok = false;
                break;
            }
            c.pos += item.extraCount;
        }
        t.items.push_back(item);
    }
    t.ok = c.ok;
    t.size = c.pos;
    return t;
}

bool IsClass(const DialogItem& item, uint16_t ordinal, const char16_t* name) {
    if (item.classIsOrdinal) {
        return item.classOrdinal == ordinal;
    }
    // Class names compare without case, as the window manager does.
    std::u16string want(name);
    if (want.size() != item.className.size()) {
        return false;
    }
    for (size_t i = 0; i < want.size(); ++i) {
        char16_t a = want[i], b = item.className[i];
        if (a >= u'a' && a <= u'z') {
            a = static_cast<char16_t>(a - 32);
        }
        if (b >= u'a' && b <= u'z') {
            b = static_cast<char16_t>(b - 32);
        }
        if (a != b) {
            return false;
        }
    }
    return true;
}
