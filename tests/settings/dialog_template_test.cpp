// The dialog-template walk: where a template ends and where its point size lies,
// for the shapes the language libraries use, and refusal of every cut-short or
// foreign template.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "settings/dialog_template.h"

namespace {

struct Bytes {
    std::vector<uint8_t> b;
    void Word(uint32_t v) {
        b.push_back(static_cast<uint8_t>(v));
        b.push_back(static_cast<uint8_t>(v >> 8));
    }
    void Dword(uint32_t v) {
        Word(v & 0xFFFF);
        Word(v >> 16);
    }
    void Text(const std::u16string& s) {
        for (char16_t c : s) {
            Word(c);
        }
        Word(0);
    }
    void Ordinal(uint16_t n) {
        Word(0xFFFF);
        Word(n);
    }
    void Align() {
        while (b.size() % 4 != 0) {
            b.push_back(0);
        }
    }
};

struct ItemSpec {
    bool classOrdinal;
    bool titleOrdinal;
    uint16_t extra;
};

// An extended template; pointSizeAt receives the point size's offset.
std::vector<uint8_t> Template(bool font, const std::vector<ItemSpec>& items, size_t* pointSizeAt) {
    Bytes t;
    t.Word(1);
    t.Word(0xFFFF);
    t.Dword(0);
    t.Dword(0);
    t.Dword(0x80C80080u | (font ? kDialogSetFont : 0));
    t.Word(static_cast<uint32_t>(items.size()));
    for (int i = 0; i < 4; ++i) {
        t.Word(10);
    }
    t.Word(0);                // no menu
    t.Ordinal(0x8002);        // class by ordinal
    t.Text(u"Key settings");  // title
    *pointSizeAt = t.b.size();
    if (font) {
        t.Word(8);
        t.Word(400);
        t.Word(0x0100);
        t.Text(u"MS Shell Dlg");
    }
    for (const ItemSpec& s : items) {
        t.Align();
        for (int i = 0; i < 3; ++i) {
            t.Dword(0);
        }
        for (int i = 0; i < 4; ++i) {
            t.Word(5);
        }
        t.Dword(2020);
        if (s.classOrdinal) {
            t.Ordinal(0x80);
        } else {
            t.Text(u"SysListView32");
        }
        if (s.titleOrdinal) {
            t.Ordinal(3);
        } else {
            t.Text(u"&Assign");
        }
        t.Word(s.extra);
        for (uint16_t i = 0; i < s.extra; ++i) {
            t.b.push_back(0xAB);
        }
    }
    return t.b;
}

TEST(DialogTemplate, WalksToTheEndOfEveryShape) {
    struct Case {
        const char* name;
        bool font;
        std::vector<ItemSpec> items;
    };
    const Case kCases[] = {
        {"no items", true, {}},
        {"string class and title", true, {{false, false, 0}}},
        {"ordinals, odd item lengths", true, {{true, true, 0}, {false, false, 0}, {true, false, 0}}},
        {"creation data", true, {{true, false, 3}, {false, true, 0}}},
        {"without a font block", false, {{true, false, 0}}},
    };
    for (const Case& c : kCases) {
        size_t pointAt = 0;
        std::vector<uint8_t> t = Template(c.font, c.items, &pointAt);
        // Bytes after the template (padding of the resource) are no part of it.
        std::vector<uint8_t> padded = t;
        padded.insert(padded.end(), {0, 0, 0});
        DialogTemplateShape s = WalkDialogTemplate(padded.data(), padded.size());
        ASSERT_TRUE(s.ok) << c.name;
        EXPECT_EQ(s.size, t.size()) << c.name;
        EXPECT_EQ(s.itemCount, c.items.size()) << c.name;
        EXPECT_EQ(s.hasFont, c.font) << c.name;
        std::vector<uint8_t> copy(s.size);
        EXPECT_EQ(CopyDialogTemplateAtPointSize(padded.data(), s, 9, copy.data(), copy.size()), c.font)
            << c.name;
        if (c.font) {
            EXPECT_EQ(s.pointSizeOffset, pointAt) << c.name;
            EXPECT_EQ(copy[pointAt], 9) << c.name;
            EXPECT_EQ(copy[pointAt + 1], 0) << c.name;
            copy[pointAt] = t[pointAt];
            EXPECT_EQ(copy, t) << c.name << ": the copy differs beyond the point size";
            EXPECT_FALSE(CopyDialogTemplateAtPointSize(padded.data(), s, 9, copy.data(), copy.size() - 1))
                << c.name << ": a copy into too small a block";
        }
        // Every cut-short template is refused.
        for (size_t n = 0; n < t.size(); ++n) {
            EXPECT_FALSE(WalkDialogTemplate(t.data(), n).ok) << c.name << " cut at " << n;
        }
    }
}

TEST(DialogTemplate, RefusesForeignTemplates) {
    size_t pointAt = 0;
    std::vector<uint8_t> t = Template(true, {{true, true, 0}}, &pointAt);
    struct Case {
        const char* name;
        size_t offset;
        uint8_t value;
    };
    const Case kCases[] = {
        {"version 0", 0, 0},
        {"not the extended signature", 2, 0x00},
        {"more items than the bytes hold", 16, 9},
    };
    for (const Case& c : kCases) {
        std::vector<uint8_t> bad = t;
        bad[c.offset] = c.value;
        EXPECT_FALSE(WalkDialogTemplate(bad.data(), bad.size()).ok) << c.name;
    }
    EXPECT_FALSE(WalkDialogTemplate(nullptr, 100).ok);
    // A title that never ends runs out of bytes rather than past them.
    std::vector<uint8_t> endless(t.begin(), t.begin() + 30);
    endless.insert(endless.end(), 40, 'x');
    EXPECT_FALSE(WalkDialogTemplate(endless.data(), endless.size()).ok);
}

}  // namespace
