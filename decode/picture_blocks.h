// The program's pixel blocks: every picture block (decoded pages, pictures
// turned upright, display copies) is taken here and given back here, through
// one BlockReserve over virtual memory, so that the block of a page the view
// lets go serves the next page instead of a fresh block that faults in page by
// page.
//
// The reserve keeps nothing until the view gives it a cap (the reading view
// sets it to the bytes of two spreads after each show, and releases it when a
// book closes or the window is minimised); tools and tests that never set one
// get fresh blocks and free them at once, as before.
//
// A block taken here never carries another picture's bytes out: TakePixelBlock
// hands out zero-filled blocks unless the caller says it writes the pixels of
// every row itself, and then only the bytes after them (row padding and the 4
// spare bytes) are cleared. Blocks may be freed with VmFree as well; giving
// them back is what keeps them for reuse.
#pragma once

#include <cstddef>
#include <cstdint>

struct BlockReserve;

// A block of stride * rows + 4 bytes. rowBytes 0: every byte zero. Otherwise the
// caller writes the first rowBytes (at most stride) of every row before the
// block is seen by anyone, and the rest is zero. Null when memory runs out or
// the size does not fit.
[[nodiscard]] uint8_t* TakePixelBlock(uint32_t stride, uint32_t rows, uint32_t rowBytes = 0);
// The same from kept blocks only (null when none serves): a picture that may
// not have new memory can still take a block already held.
[[nodiscard]] uint8_t* TakeKeptPixelBlock(uint32_t stride, uint32_t rows, uint32_t rowBytes = 0);
// A zero-filled block of bytes (any layout).
[[nodiscard]] uint8_t* TakeClearBlock(uint64_t bytes);
// Gives a block taken here (or any VmAlloc block) back for reuse. Nothing may
// draw from or write to it afterwards. Null is allowed.
void GivePixelBlock(void* block);

// The program's reserve, for the view's cap and release and for measurements.
BlockReserve* PictureReserve();
