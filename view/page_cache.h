// The page cache: the pages on screen (the two display slots of the view), what
// they held before the last show, the pages read ahead, and the spare second
// page of a spread that was not shown. Pages move between these slots by
// pointer; a page is decoded at once only when it is in none of them.
//
// Call order for a show (navigate.h): KeepShown → FillSlot for the first page
// (and its partner) → ParkSecondPage when the partner is not shown → layout and
// repaint → PlanReadAhead (read_ahead.h), which adopts what it can and releases
// the leftovers. ResetReadAhead when a book is opened (under AppLock),
// ReleaseAll at shut-down. Both also let go of the blocks kept for reuse.
//
// Ownership: every slot owns its page's pixel block; at most seven pictures are
// held: two shown, two read ahead and, between a show and its planning, three
// leftovers. Their bytes are bounded too: read-ahead decodes only into what the
// picture budget has left, and a page decoded at once for a show makes room by
// releasing cache slots (ReleaseOverBudget). The blocks of released pages are
// kept for the next pages (decode/picture_blocks.h), at most two spreads' worth
// (PlanReadAhead sets it), and count against the same budget. All slots belong
// to the user-interface thread.
#pragma once

#include <cstdint>

#include "view/page_image.h"

struct ReadingView;
struct DisplaySlot;

struct PageCache {
    PageImage ahead[2]{};       // read-ahead pages
    PageImage previousRight{};  // what the display slots held before the last show
    PageImage previousLeft{};
    PageImage spare{};          // a spread's second page that was decoded but not shown
    bool discardShown = false;  // a new book: the next show releases the shown pages
    bool pageError = false;     // the last page decoded at once failed
    // Counts read-ahead resets. Page indices name other pages after a reset (a
    // new book, a removed page), so results requested before it are dropped.
    uint32_t generation = 0;
};

// Puts page index into the slot: from a cache slot when one holds it (read
// ahead first, then the previous pages, then the spare), otherwise decoded on
// this thread, after room for it is made by its header's size. False when the index is out of range or the
// page cannot be decoded (pageError is then set and the slot stays empty).
[[nodiscard]] bool FillSlot(ReadingView* view, DisplaySlot* slot, int32_t index);
// The same for the partner of a spread, which is shown only when it is portrait
// too: when it is not in a cache slot and its header says it is landscape, it
// is not decoded (false, no page error); the page starts the next view and is
// read ahead for it. A page whose header does not tell is decoded as FillSlot
// does.
[[nodiscard]] bool FillPartnerSlot(ReadingView* view, DisplaySlot* slot, int32_t index);
// True when a cache slot holds the page, so that filling a slot with it takes
// neither a decode nor a wait.
bool PageHeld(ReadingView* view, int32_t index);
// True while the loader decodes the page.
bool LoaderDecoding(const ReadingView* view, int32_t index);
// Before a show: the display slots move into the previous slots, or are
// released when the read-ahead was reset.
void KeepShown(ReadingView* view);
// The slot's page becomes the spare (a decoded partner that is not shown).
void ParkSecondPage(ReadingView* view, DisplaySlot* slot);
// Releases the read-ahead pages (and any leftovers) and has the next show drop
// the shown pages; results of requests made before it are not stored.
void ResetReadAhead(ReadingView* view);
// Releases both display slots and clears discardShown.
void ReleaseShown(ReadingView* view);
// Releases the previous pages and the spare.
void ReleaseLeftovers(ReadingView* view);
// Shut-down: the five cache slots, both display slots and the page list.
void ReleaseAll(ReadingView* view);

// The number of pictures the view holds now (display and cache slots).
int32_t HeldPictureCount(const ReadingView* view);
// The bytes of the pixel blocks the view holds now (display and cache slots),
// display copies included.
uint64_t HeldPictureBytes(const ReadingView* view);
// While the view holds more than the picture budget (PictureByteLimit) less
// coming (the bytes of a picture about to be decoded), releases first the
// blocks kept for reuse (decode/picture_blocks.h), then cache slots: the pages
// read ahead first, then the previous pages and the spare. The shown pages are
// never released.
void ReleaseOverBudget(ReadingView* view, uint64_t coming = 0);
