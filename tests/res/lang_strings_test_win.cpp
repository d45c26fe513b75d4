// The language libraries as the program loads them: by bare name from its own
// folder, recognised by the marker, every required text present and readable.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "tests/support/lang_resources_win.h"

namespace {

std::string Utf8(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

bool IsMenuText(uint32_t id) {
    return id >= 5000 && id < 8000;
}

TEST(LangLibraryTest, LoadsByBareNameAndCarriesTheMarker) {
    size_t count = 0;
    LangLibrary* libs = LangLibraries(&count);
    for (size_t i = 0; i < count; ++i) {
        const LangLibrary& lib = libs[i];
        ASSERT_NE(lib.module, nullptr) << lib.name << " did not load by bare name";
        ResourceBytes marker = FindResourceBytes(lib.module, MAKEINTRESOURCEW(10), IDR_LANGUAGE_MARKER);
        ASSERT_NE(marker.data, nullptr) << lib.name;
        ASSERT_GE(marker.size, 9u) << lib.name;
        EXPECT_EQ(std::memcmp(marker.data, "Pagewick\0", 9), 0) << lib.name;

        // The program's language list checks candidates loaded as data files.
        wchar_t path[MAX_PATH];
        DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
        ASSERT_TRUE(n > 0 && n < MAX_PATH);
        std::wstring full(path, n);
        full.resize(full.rfind(L'\\') + 1);
        full += lib.file;
        full += L".dll";
        HMODULE data = LoadLibraryExW(full.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(data, nullptr) << lib.name;
        ResourceBytes again = FindResourceBytes(data, MAKEINTRESOURCEW(10), IDR_LANGUAGE_MARKER);
        EXPECT_TRUE(again.size >= 9 && std::memcmp(again.data, "Pagewick\0", 9) == 0) << lib.name;
        FreeLibrary(data);
    }
}

// Resource-only: nothing runs when the library loads and nothing is imported.
TEST(LangLibraryTest, HasNoEntryPointAndNoImports) {
    size_t count = 0;
    LangLibrary* libs = LangLibraries(&count);
    for (size_t i = 0; i < count; ++i) {
        ASSERT_NE(libs[i].module, nullptr) << libs[i].name;
        auto base = reinterpret_cast<const uint8_t*>(libs[i].module);
        auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
        auto nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(base + dos->e_lfanew);
        EXPECT_EQ(nt->OptionalHeader.AddressOfEntryPoint, 0u) << libs[i].name;
        const IMAGE_DATA_DIRECTORY& imports = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.Size != 0) {
            auto first = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
            EXPECT_EQ(first->Name, 0u) << libs[i].name << " imports a library";
        }
    }
}

TEST(LangLibraryTest, EveryRequiredStringIsPresentAndFits) {
    size_t count = 0;
    LangLibrary* libs = LangLibraries(&count);
    for (size_t i = 0; i < count; ++i) {
        ASSERT_NE(libs[i].module, nullptr) << libs[i].name;
        for (uint32_t id : RequiredStringIds()) {
            bool found = false;
            std::u16string text = ReadFullString(libs[i].module, id, &found);
            EXPECT_TRUE(found) << libs[i].name << " lacks string " << id;
            EXPECT_LE(text.size(), 127u) << libs[i].name << " string " << id << " is cut: " << Utf8(text);
            // The program's own read: a 128-character buffer.
            wchar_t buf[128];
            int n = LoadStringW(libs[i].module, id, buf, 128);
            EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(buf), n > 0 ? n : 0), text)
                << libs[i].name << " string " << id;
        }
        bool found = false;
        std::u16string face = ReadFullString(libs[i].module, IDS_FONT_FACE, &found);
        EXPECT_LE(face.size(), 31u) << libs[i].name << " font face is longer than the program uses";
    }
}

// Menu and tool-tip texts: the program appends "..." itself and hides prefix
// characters, so a text of its own with either would show wrongly.
TEST(LangLibraryTest, MenuTextsCarryNoEllipsisOrPrefix) {
    size_t count = 0;
    LangLibrary* libs = LangLibraries(&count);
    for (size_t i = 0; i < count; ++i) {
        for (uint32_t id : RequiredStringIds()) {
            if (!IsMenuText(id)) {
                continue;
            }
            bool found = false;
            std::u16string t = ReadFullString(libs[i].module, id, &found);
            if (t.empty()) {
                continue;  // reported by the presence test
            }
            std::string name = std::string(libs[i].name) + " string " + std::to_string(id) + ": " + Utf8(t);
            EXPECT_EQ(t.find(u'&'), std::u16string::npos) << name;
            EXPECT_EQ(t.find(u'\n'), std::u16string::npos) << name;
            EXPECT_FALSE(t.size() >= 3 && t.compare(t.size() - 3, 3, u"...") == 0) << name;
            EXPECT_NE(t.back(), u'\u2026') << name;
            EXPECT_NE(t.back(), u' ') << name;
            EXPECT_NE(t.front(), u' ') << name;
        }
    }
}

// The Japanese texts must arrive as the UTF-16 they were written as: a source read
// in the wrong code page shows up as Latin-1 units or as text without kana/kanji.
TEST(LangLibraryTest, JapaneseTextsRoundTripAsJapanese) {
    size_t count = 0;
    LangLibrary* libs = LangLibraries(&count);
    ASSERT_EQ(count, 2u);
    HMODULE en = libs[0].module;
    HMODULE ja = libs[1].module;
    ASSERT_TRUE(en != nullptr && ja != nullptr);

    struct Case {
        uint32_t id;
        const char16_t* want;
    };
    static const Case kCases[] = {
        {IDS_CMD_TOGGLE_SPREAD, u"見開き表示"}, {IDS_CMD_MENU_BOOKMARKS, u"しおり"},
        {IDS_TAB_FILES, u"ファイル"},           {IDS_FILTER_ZIP, u"ZIP 書庫 (*.zip)"},
        {20206, u"ジェスチャー \u2190"},
    };
    for (const Case& c : kCases) {
        bool found = false;
        EXPECT_EQ(ReadFullString(ja, c.id, &found), c.want) << "string " << c.id;
    }

    for (uint32_t id : RequiredStringIds()) {
        bool found = false;
        std::u16string t = ReadFullString(ja, id, &found);
        std::u16string english = ReadFullString(en, id, &found);
        bool cjk = false;
        bool latin1 = false;
        for (char16_t ch : t) {
            cjk = cjk || ch >= 0x3000;
            latin1 = latin1 || (ch >= 0x80 && ch <= 0xFF);
        }
        EXPECT_FALSE(latin1) << "string " << id << " looks mis-decoded: " << Utf8(t);
        if (id != IDS_FONT_FACE) {
            EXPECT_TRUE(cjk) << "string " << id << " is not Japanese: " << Utf8(t);
            EXPECT_NE(t, english) << "string " << id;
        }
    }
}

// The mouse column of the key dialog is as wide as the wider of strings 20202 and
// 20211, so no other action name may be wider in the interface font.
TEST(LangLibraryTest, MouseActionNamesFitTheirColumn) {
    size_t count = 0;
    LangLibrary* libs = LangLibraries(&count);
    HDC dc = GetDC(nullptr);
    ASSERT_NE(dc, nullptr);
    for (size_t i = 0; i < count; ++i) {
        bool found = false;
        std::u16string face = ReadFullString(libs[i].module, IDS_FONT_FACE, &found);
        HFONT font = CreateFontW(-12, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                                 OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                                 VARIABLE_PITCH | FF_SWISS, reinterpret_cast<const wchar_t*>(face.c_str()));
        ASSERT_NE(font, nullptr) << libs[i].name;
        HGDIOBJ old = SelectObject(dc, font);
        auto width = [&](uint32_t id) {
            bool f = false;
            std::u16string t = ReadFullString(libs[i].module, id, &f);
            SIZE size{};
            GetTextExtentPoint32W(dc, reinterpret_cast<const wchar_t*>(t.c_str()), static_cast<int>(t.size()),
                                  &size);
            return size.cx;
        };
        LONG column = std::max(width(IDS_MOUSE_ACTION_FIRST + 2), width(IDS_MOUSE_ACTION_FIRST + 11));
        for (uint32_t k = 0; k < MOUSE_ACTION_COUNT; ++k) {
            EXPECT_LE(width(IDS_MOUSE_ACTION_FIRST + k), column)
                << libs[i].name << " mouse action " << IDS_MOUSE_ACTION_FIRST + k;
        }
        SelectObject(dc, old);
        DeleteObject(font);
    }
    ReleaseDC(nullptr, dc);
}

}  // namespace
