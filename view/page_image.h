// PageImage: one decoded page as the reading view keeps it (the page list index
// it shows, the bitmap header, the palette and the pixel block), and the moves
// between the records that hold pages.
//
// Ownership: a PageImage owns its pixel block (a VmAlloc block in the layout of
// decode/decoded_image.h); nothing else frees it. Pages change hands only by
// MovePageImage, which releases whatever the target held and leaves the source
// empty, so a block is never held twice. The records themselves are plain data
// inside their owners (cache slots, display slots, load results).
//
// Threads: a record belongs to one thread at a time: load results are filled on
// the loader thread and handed over whole; everything else lives on the
// user-interface thread.
#pragma once

#include <cstdint>

#include "decode/decoded_image.h"

// A copy of the page's visible part scaled to the size it is drawn at (made on
// the loader thread, view/display_copy.h), so that drawing it is a 1:1 transfer.
// It travels with its page and is released with it. An 8-bit copy is drawn with
// the page's palette. The key says which layout and stretch mode it was made for.
struct DisplayCopyKey {
    int32_t destWidth;
    int32_t destHeight;
    int32_t srcX;  // the visible part, picture pixels from the top-left corner
    int32_t srcY;
    int32_t srcWidth;
    int32_t srcHeight;
    int32_t stretchMode;  // 3 colour on colour, 4 halftone
};

struct DisplayCopy {
    BitmapInfoHeader header;
    uint8_t* pixels;  // null: no copy
    DisplayCopyKey key;
};

struct PageImage {
    int32_t pageIndex;
    BitmapInfoHeader header;
    RgbQuad palette[256];  // meaningful only at 8 bits per pixel
    uint8_t* pixels;       // null: the record is empty
    DisplayCopy copy;      // optional; never without pixels
};

inline bool IsFull(const PageImage& page) {
    return page.pixels != nullptr;
}

// Releases the pixel block and the display copy (if any); the record is empty
// afterwards.
void ReleasePageImage(PageImage* page);
// Releases the display copy only.
void ReleaseDisplayCopy(PageImage* page);

// Moves from into to: the target's own block is released first, the index and
// header are copied, the palette too unless the picture has 24 bits, the pixel
// pointer and the display copy are taken over and the source is left empty.
void MovePageImage(PageImage* to, PageImage* from);

// Takes a decoded picture into page: header, palette (unless 24 bits) and the
// pixel block; the record is freed and the page's earlier block released.
void TakeDecodedImage(PageImage* page, int32_t pageIndex, DecodedImage* image);

// A page is portrait when it is narrower than tall (a square counts as wide).
inline bool IsPortrait(const PageImage& page) {
    return page.header.width < page.header.height;
}
