#include "view/page_cache.h"

#include "decode/picture_limit.h"
#include "view/display_copy.h"
#include "view/view_state.h"

namespace {

// The cache slots a wanted page is looked for in, in the order they are searched.
PageImage* FindCached(PageCache* cache, int32_t index) {
    PageImage* const order[] = {&cache->ahead[0], &cache->ahead[1], &cache->previousRight,
                                &cache->previousLeft, &cache->spare};
    for (PageImage* p : order) {
        if (IsFull(*p) && p->pageIndex == index) {
            return p;
        }
    }
    return nullptr;
}

}  // namespace

namespace {

// Decodes page index into the slot on this thread, from member when the probe
// fetched it already.
bool DecodeIntoSlot(ReadingView* view, DisplaySlot* slot, const LoadRequest& request, FetchedMember* member) {
    if (!DecodePage(view->decode, request, &slot->page, member)) {
        view->cache.pageError = true;
        return false;
    }
    ReleaseOverBudget(view);
    return true;
}

bool InRange(const ReadingView* view, int32_t index) {
    return view->book != nullptr && index >= 0 && index < view->book->pageCount;
}

}  // namespace

bool FillSlot(ReadingView* view, DisplaySlot* slot, int32_t index) {
    if (!InRange(view, index)) {
        return false;
    }
    if (PageImage* cached = FindCached(&view->cache, index)) {
        MovePageImage(&slot->page, cached);
        return true;
    }
    LoadRequest request;
    if (!FillLoadRequest(view->book, index, &request)) {
        view->cache.pageError = true;
        return false;
    }
    return DecodeIntoSlot(view, slot, request, nullptr);
}

bool FillPartnerSlot(ReadingView* view, DisplaySlot* slot, int32_t index) {
    if (!InRange(view, index)) {
        return false;
    }
    if (PageImage* cached = FindCached(&view->cache, index)) {
        MovePageImage(&slot->page, cached);
        return true;
    }
    LoadRequest request;
    if (!FillLoadRequest(view->book, index, &request)) {
        view->cache.pageError = true;
        return false;
    }
    FetchedMember member;
    if (ProbePage(view->decode, request, &member) == PageShape::kLandscape) {
        return false;
    }
    return DecodeIntoSlot(view, slot, request, &member);
}

void KeepShown(ReadingView* view) {
    if (view->cache.discardShown) {
        ReleaseShown(view);
        return;
    }
    if (IsFull(view->rightSlot.page)) {
        MovePageImage(&view->cache.previousRight, &view->rightSlot.page);
    }
    if (IsFull(view->leftSlot.page)) {
        MovePageImage(&view->cache.previousLeft, &view->leftSlot.page);
    }
}

void ParkSecondPage(ReadingView* view, DisplaySlot* slot) {
    MovePageImage(&view->cache.spare, &slot->page);
}

void ResetReadAhead(ReadingView* view) {
    ReleasePageImage(&view->cache.ahead[0]);
    ReleasePageImage(&view->cache.ahead[1]);
    // Empty outside a show already; released here too, since after a reset no
    // page may be found again by its old index.
    ReleaseLeftovers(view);
    view->cache.discardShown = true;
    ++view->cache.generation;
}

void ReleaseShown(ReadingView* view) {
    ReleasePageImage(&view->leftSlot.page);
    ReleasePageImage(&view->rightSlot.page);
    view->cache.discardShown = false;
}

void ReleaseLeftovers(ReadingView* view) {
    ReleasePageImage(&view->cache.previousRight);
    ReleasePageImage(&view->cache.previousLeft);
    ReleasePageImage(&view->cache.spare);
}

void ReleaseAll(ReadingView* view) {
    ReleasePageImage(&view->cache.ahead[0]);
    ReleasePageImage(&view->cache.ahead[1]);
    ReleaseLeftovers(view);
    ReleaseShown(view);
    if (view->book != nullptr) {
        FreePageList(view->book->pages);
        view->book->pages = nullptr;
        view->book->pageCount = 0;
    }
    view->currentIndex = 0;
    view->endIndex = 0;
}

namespace {

template <typename Fn>
void ForEachHeld(const ReadingView* view, Fn fn) {
    const PageImage* const all[] = {
        &view->leftSlot.page,       &view->rightSlot.page,     &view->cache.ahead[0], &view->cache.ahead[1],
        &view->cache.previousRight, &view->cache.previousLeft, &view->cache.spare};
    for (const PageImage* p : all) {
        if (IsFull(*p)) {
            fn(*p);
        }
    }
}

}  // namespace

int32_t HeldPictureCount(const ReadingView* view) {
    int32_t n = 0;
    ForEachHeld(view, [&n](const PageImage&) { ++n; });
    return n;
}

uint64_t HeldPictureBytes(const ReadingView* view) {
    uint64_t bytes = 0;
    ForEachHeld(view, [&bytes](const PageImage& p) { bytes += PageBlockBytes(p); });
    return bytes;
}

void ReleaseOverBudget(ReadingView* view) {
    const uint64_t budget = PictureByteLimit();
    if (budget == 0) {
        return;
    }
    PageCache& c = view->cache;
    PageImage* const order[] = {&c.ahead[0], &c.ahead[1], &c.previousRight, &c.previousLeft, &c.spare};
    for (PageImage* p : order) {
        if (HeldPictureBytes(view) <= budget) {
            return;
        }
        ReleasePageImage(p);
    }
}
