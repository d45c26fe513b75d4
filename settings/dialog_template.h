// The walk over a dialog template as the language libraries hold them: the
// extended form (version 1, signature 0xFFFF) with its header, the menu, class
// and title fields (each absent, an ordinal or a string), the font block when
// the set-font style is on, and each item (class and title, creation-data
// count) at its 4-byte boundary. The walk finds where the template ends and
// where its font's point size lies, so that the program can run a copy of it
// at its own point size.
//
// Portable and bounded: nothing is read past size, and a damaged template comes
// back with ok == false. The dialog runner (show_dialog_win.cpp), its tests and
// the fuzz target share this one walk.
#pragma once

#include <cstddef>
#include <cstdint>

// The set-font style of a dialog template.
constexpr uint32_t kDialogSetFont = 0x40;

struct DialogTemplateShape {
    bool ok = false;
    uint32_t style = 0;
    uint16_t itemCount = 0;
    bool hasFont = false;
    size_t pointSizeOffset = 0;  // byte offset of the font's point size (when hasFont)
    size_t size = 0;             // bytes from the start to the end of the last item
};

[[nodiscard]] DialogTemplateShape WalkDialogTemplate(const uint8_t* data, size_t size);

// Copies shape.size bytes of the walked template into out (room for outSize
// bytes) and sets the copy's point size; false when the shape is not a usable
// template with a font or out is too small.
[[nodiscard]] bool CopyDialogTemplateAtPointSize(const uint8_t* data,
                                                 const DialogTemplateShape& shape,
                                                 uint16_t points,
                                                 uint8_t* out,
                                                 size_t outSize);
