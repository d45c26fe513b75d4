// Test-side readers of a language library: the string table read in full (the
// program's own reads stop at 127 characters, so a longer text must be caught here)
// and the extended dialog template walked item by item.
//
// Libraries are loaded once per test program by LangLibraries() and stay loaded
// until it exits. Parsers never read past the resource: a short or malformed
// template comes back with ok == false.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "res/lang/lang_ids.h"

struct LangLibrary {
    const char* name;     // for failure messages
    const wchar_t* file;  // bare name, as the program loads it
    HMODULE module;       // from LoadLibraryW, or null
};

// Both libraries, English first. Loaded by bare name from the program folder.
LangLibrary* LangLibraries(size_t* count);

// Every identifier of string_ids.inc, expanded.
const std::vector<uint32_t>& RequiredStringIds();

// The whole text of string id, read from its string-table block (not cut at 127
// characters). found is false when the block or the entry is missing.
std::u16string ReadFullString(HMODULE module, uint32_t id, bool* found);

// One item of an extended dialog template.
struct DialogItem {
    uint32_t style = 0;
    int16_t x = 0, y = 0, cx = 0, cy = 0;
    uint32_t id = 0;
    bool classIsOrdinal = false;
    uint16_t classOrdinal = 0;  // 0x80 button, 0x81 edit, 0x82 static, 0x83 list box, 0x85 combo box
    std::u16string className;
    bool titleIsOrdinal = false;
    std::u16string title;
    uint16_t extraCount = 0;
};

struct DialogTemplate {
    bool ok = false;
    uint16_t version = 0;
    uint16_t signature = 0;
    uint32_t style = 0;
    int16_t cx = 0, cy = 0;
    bool hasFont = false;
    size_t pointSizeOffset = 0;  // byte offset of the font's point size
    uint16_t pointSize = 0;
    std::u16string face;
    std::u16string title;
    std::vector<DialogItem> items;
    size_t size = 0;  // bytes from the start to the end of the last item
};

// Walks an extended template (DLGTEMPLATEEX with DLGITEMTEMPLATEEX items).
DialogTemplate ParseDialogTemplate(const uint8_t* data, size_t size);

// The raw bytes of a resource, or an empty block.
struct ResourceBytes {
    const uint8_t* data = nullptr;
    size_t size = 0;
};
ResourceBytes FindResourceBytes(HMODULE module, const wchar_t* type, uint32_t id);

// Item class predicates over the ordinal or the registered name.
bool IsClass(const DialogItem& item, uint16_t ordinal, const char16_t* name);
