#include "view/read_ahead.h"

#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
#include "decode/picture_limit.h"
#include "view/display_copy.h"
#include "view/page_cache.h"
#include "view/view_state.h"

namespace {

// Moves page index from the previous pages or the spare (first full match in
// that order) into ahead[slot]. False when none holds it.
bool Adopt(ReadingView* view, int32_t index, int slot) {
    PageCache& c = view->cache;
    PageImage* const order[] = {&c.previousRight, &c.previousLeft, &c.spare};
    for (PageImage* p : order) {
        if (IsFull(*p) && p->pageIndex == index) {
            MovePageImage(&c.ahead[slot], p);
            return true;
        }
    }
    return false;
}

// What the picture budget leaves each of `requests` pages read ahead now: 0 for
// no budget, 1 or more otherwise; false when nothing is left (the pages are then
// decoded when they are shown).
bool AheadRoom(const ReadingView* view, int requests, uint64_t* room) {
    const uint64_t budget = PictureByteLimit();
    *room = 0;
    if (budget == 0) {
        return true;
    }
    const uint64_t held = HeldPictureBytes(view);
    if (held >= budget) {
        return false;
    }
    // Blocks kept for reuse count as held: a page read ahead takes one of them
    // (whatever its room) or new memory of at most its room beside them. What
    // does not fit beside the pages held goes first.
    ReserveTrimTo(PictureReserve(), budget - held);
    const uint64_t kept = ReserveBytes(PictureReserve());
    *room = budget - held > kept ? (budget - held - kept) / static_cast<uint64_t>(requests) : 0;
    if (*room == 0 && kept > 0) {
        *room = 1;  // kept blocks only
    }
    return *room > 0;
}

void Request(ReadingView* view, int32_t index, int slot, int requests) {
    if (PictureByteLimit() != 0) {
        // The slot's page is replaced when the result comes; under a budget its
        // bytes are given back now, so they count for the page asked for.
        ReleasePageImage(&view->cache.ahead[slot]);
    }
    uint64_t room = 0;
    if (!AheadRoom(view, requests, &room)) {
        return;
    }
    LoadRequest* request = NewLoadRequest(view->book, index);
    if (request == nullptr) {
        return;  // the page is decoded at once when it is wanted
    }
    request->generation = view->cache.generation;
    request->byteLimit = room;
    // The page at endIndex opens the next spread; the one after is its partner.
    request->copyPlan = PlanCopies(view, index == view->endIndex);
    if (!view->loader.postLoad(view->loader.context, slot, request)) {
        FreeLoadRequest(request);
    }
}

// One page wanted ahead into a given slot: adopt, release the leftovers, and
// request it when it was not adopted.
void Single(ReadingView* view, int32_t index, int slot) {
    const bool adopted = Adopt(view, index, slot);
    ReleaseLeftovers(view);
    if (!adopted) {
        Request(view, index, slot, 1);
    }
}

}  // namespace

AheadHolder ClassifyAhead(const ReadingView* view, int32_t index) {
    if (view->book == nullptr || index < 0 || index >= view->book->pageCount) {
        return AheadHolder::kOutOfRange;
    }
    const PageCache& c = view->cache;
    if (IsFull(c.ahead[0]) && c.ahead[0].pageIndex == index) {
        return AheadHolder::kAhead0;
    }
    if (IsFull(c.ahead[1]) && c.ahead[1].pageIndex == index) {
        return AheadHolder::kAhead1;
    }
    return AheadHolder::kMissing;
}

namespace {

void Plan(ReadingView* view) {
    view->loader.setPriority(view->loader.context, LoaderPriority::kNormal);
    view->loader.postCancel(view->loader.context);
    const int32_t next = view->book != nullptr ? view->endIndex : 0;
    const int32_t after = next + 1;
    const AheadHolder n = ClassifyAhead(view, next);
    const AheadHolder a = ClassifyAhead(view, after);
    switch (n) {
        case AheadHolder::kAhead0:
        case AheadHolder::kAhead1:
            if (a == AheadHolder::kMissing) {
                // after goes into the slot next does not occupy.
                Single(view, after, n == AheadHolder::kAhead0 ? 1 : 0);
            } else {
                ReleaseLeftovers(view);
            }
            return;
        case AheadHolder::kOutOfRange:
            ReleaseLeftovers(view);
            return;
        case AheadHolder::kMissing:
            break;
    }
    if (a == AheadHolder::kAhead0) {
        Single(view, next, 1);
    } else if (a != AheadHolder::kMissing) {
        Single(view, next, 0);
    } else {
        const bool nextAdopted = Adopt(view, next, 0);
        const bool afterAdopted = Adopt(view, after, 1);
        ReleaseLeftovers(view);
        const int requests = (nextAdopted ? 0 : 1) + (afterAdopted ? 0 : 1);
        if (!nextAdopted) {
            Request(view, next, 0, requests);
        }
        if (!afterAdopted) {
            Request(view, after, 1, requests);
        }
    }
}

}  // namespace

void PlanReadAhead(ReadingView* view) {
    // Blocks of the pages let go are kept for the pages asked for: up to two
    // spreads the size of the one on screen, and under a budget no more than it
    // leaves beside the pages held.
    ReserveSetCap(PictureReserve(),
                  2 * (PageBlockBytes(view->leftSlot.page) + PageBlockBytes(view->rightSlot.page)));
    Plan(view);
    const uint64_t budget = PictureByteLimit();
    if (budget != 0) {
        const uint64_t held = HeldPictureBytes(view);
        ReserveTrimTo(PictureReserve(), held < budget ? budget - held : 0);
    }
}

void OnPageLoaded(ReadingView* view, int32_t slot, LoadResult* result) {
    view->loader.setPriority(view->loader.context, LoaderPriority::kIdle);
    if (result == nullptr) {
        return;
    }
    if ((slot == 0 || slot == 1) && result->generation == view->cache.generation) {
        MovePageImage(&view->cache.ahead[slot], &result->page);
    }
    FreeLoadResult(result);
}
