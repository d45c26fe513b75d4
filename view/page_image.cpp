#include "view/page_image.h"

#include <cstring>

#include "decode/picture_blocks.h"

void ReleaseDisplayCopy(PageImage* page) {
    if (page->copy.pixels != nullptr) {
        GivePixelBlock(page->copy.pixels);
    }
    page->copy = DisplayCopy{};
}

void ReleasePageImage(PageImage* page) {
    ReleaseDisplayCopy(page);
    if (page->pixels != nullptr) {
        GivePixelBlock(page->pixels);
        page->pixels = nullptr;
    }
}

void MovePageImage(PageImage* to, PageImage* from) {
    if (to == from) {
        return;
    }
    ReleasePageImage(to);
    to->pageIndex = from->pageIndex;
    to->header = from->header;
    // A 24-bit picture has no palette; copying 1 KiB of nothing on every page turn
    // is what the check saves.
    if (from->header.bitCount != 24) {
        std::memcpy(to->palette, from->palette, sizeof(to->palette));
    }
    to->pixels = from->pixels;
    from->pixels = nullptr;
    to->copy = from->copy;
    from->copy = DisplayCopy{};
}

void TakeDecodedImage(PageImage* page, int32_t pageIndex, DecodedImage* image) {
    ReleasePageImage(page);
    page->pageIndex = pageIndex;
    page->header = image->header;
    if (image->header.bitCount != 24) {
        std::memcpy(page->palette, image->palette, sizeof(page->palette));
    }
    page->pixels = image->pixels;
    image->pixels = nullptr;
    FreeDecodedImage(image);
}
