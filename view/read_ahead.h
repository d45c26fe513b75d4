// Read-ahead: after every show the two pages that follow the view (next =
// endIndex and after = next + 1) are made ready in the read-ahead slots, by
// taking them from the pages just left behind when possible and by asking the
// loader thread for the rest; and the loader's results are stored when they
// arrive. User-interface thread only.
//
// A planning first posts a cancel marker, so the loader drops every request of
// earlier plannings it has not started; a request it is decoding is finished
// and delivered, and its result waits in its slot under its own index until it
// is adopted or replaced.
#pragma once

#include <cstdint>

#include "view/loader.h"

struct ReadingView;

// Where a page wanted ahead is held when a planning starts.
enum class AheadHolder : uint8_t { kOutOfRange, kAhead0, kAhead1, kMissing };

AheadHolder ClassifyAhead(const ReadingView* view, int32_t index);

// After every show: raises the loader to normal priority, posts the cancel
// marker, adopts next and after from the previous pages and the spare where the
// read-ahead slots lack them, releases the leftovers and requests what is
// still missing (next before after).
void PlanReadAhead(ReadingView* view);

// WM_PAGE_LOADED: the loader goes back to idle priority and the result moves
// into ahead[slot] (releasing what that slot held). A result from before the
// last read-ahead reset, or for a slot other than 0 and 1, is only freed. The
// result record is freed either way.
void OnPageLoaded(ReadingView* view, int32_t slot, LoadResult* result);
