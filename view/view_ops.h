// ViewOps: everything the reading view's logic does to windows, as a table of
// function pointers with a context that the shell fills: repainting the image
// view, the page text and slider of the tool bar, the file list's selection,
// the cursor, the magnifier's tool-bar button and the cursor position. Tests
// fill it with a recording fake. Missing entries do nothing (ViewInit fills
// them), so a shell or a test sets only what it cares about.
#pragma once

#include <cstdint>

// A rectangle of the image view, right and bottom exclusive.
struct ViewRect {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};

enum class ViewCursor : uint8_t { kArrow, kWait };

struct ViewOps {
    void* context;
    // Marks rect (null: the whole image view) for repainting without erasing.
    void (*invalidate)(void* ctx, const ViewRect* rect);
    // Repaints what was marked, at once.
    void (*update)(void* ctx);
    // The tool bar's page text and page slider (positions 1 .. pageCount).
    void (*setPageText)(void* ctx, const char16_t* text);
    void (*setSliderPosition)(void* ctx, int32_t position);
    int32_t (*sliderPosition)(void* ctx);
    // The file list: redraw one row; select and focus a row; scroll a row into view.
    void (*redrawFileListRow)(void* ctx, int32_t row);
    void (*selectFileListRow)(void* ctx, int32_t row);
    void (*scrollFileListTo)(void* ctx, int32_t row);
    void (*setCursor)(void* ctx, ViewCursor cursor);
    // The magnifier's tool-bar button (command 5050) shown checked or not.
    void (*setLoupeButton)(void* ctx, bool checked);
    // The cursor in image-view coordinates; false when it cannot be had.
    bool (*cursorPosition)(void* ctx, int32_t* x, int32_t* y);
    // Handles a position as a mouse move of the image view would (the mouse
    // handler pans the magnifier). When missing, the magnifier is panned directly.
    void (*mouseMove)(void* ctx, int32_t x, int32_t y);
};
