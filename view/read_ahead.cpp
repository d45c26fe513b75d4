#include "view/read_ahead.h"

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

void Request(ReadingView* view, int32_t index, int slot) {
    LoadRequest* request = NewLoadRequest(view->book, index);
    if (request == nullptr) {
        return;  // the page is decoded at once when it is wanted
    }
    request->generation = view->cache.generation;
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
        Request(view, index, slot);
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

void PlanReadAhead(ReadingView* view) {
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
        if (!nextAdopted) {
            Request(view, next, 0);
        }
        if (!afterAdopted) {
            Request(view, after, 1);
        }
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
