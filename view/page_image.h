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

struct PageImage {
    int32_t pageIndex;
    BitmapInfoHeader header;
    RgbQuad palette[256];  // meaningful only at 8 bits per pixel
    uint8_t* pixels;       // null: the record is empty
};

inline bool IsFull(const PageImage& page) {
    return page.pixels != nullptr;
}

// Releases the pixel block (if any); the record is empty afterwards.
void ReleasePageImage(PageImage* page);

// Moves from into to: the target's own block is released first, the index and
// header are copied, the palette too unless the picture has 24 bits, the pixel
// pointer is taken over and the source is left empty.
void MovePageImage(PageImage* to, PageImage* from);

// Takes a decoded picture into page: header, palette (unless 24 bits) and the
// pixel block; the record is freed and the page's earlier block released.
void TakeDecodedImage(PageImage* page, int32_t pageIndex, DecodedImage* image);

// A page is portrait when it is narrower than tall (a square counts as wide).
inline bool IsPortrait(const PageImage& page) {
    return page.header.width < page.header.height;
}
