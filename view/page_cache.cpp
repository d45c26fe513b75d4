#include "view/page_cache.h"

#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
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

bool InRange(const ReadingView* view, int32_t index) {
    return view->book != nullptr && index >= 0 && index < view->book->pageCount;
}

// The loader's results already delivered are taken, and when the loader is
// decoding the page its result is waited for, so that the page is not decoded
// a second time (twice the time and twice the memory).
PageImage* AwaitLoader(ReadingView* view, int32_t index) {
    if (view->loader.awaitPage == nullptr) {
        return nullptr;
    }
    (void)view->loader.awaitPage(view->loader.context, view->cache.generation, index);
    return FindCached(&view->cache, index);
}

// Marks the page as decoded on this thread while it lives.
class ClaimScope {
  public:
    ClaimScope(ReadingView* view, int32_t index) : view_(view) {
        if (view_->loader.claimPage != nullptr) {
            view_->loader.claimPage(view_->loader.context, view_->cache.generation, index);
        }
    }
    ~ClaimScope() {
        if (view_->loader.claimPage != nullptr) {
            view_->loader.claimPage(view_->loader.context, view_->cache.generation, -1);
        }
    }
    ClaimScope(const ClaimScope&) = delete;
    ClaimScope& operator=(const ClaimScope&) = delete;

  private:
    ReadingView* view_;
};

// Puts page index into the slot: from a cache slot, or decoded on this thread
// after its header is read. The header gives the room the picture needs, made
// before the decode so that old and new pictures are never held together past
// the budget; with partner set, a page whose header says landscape is not
// decoded at all (it would not pair).
bool Fill(ReadingView* view, DisplaySlot* slot, int32_t index, bool partner) {
    if (!InRange(view, index)) {
        return false;
    }
    PageImage* cached = FindCached(&view->cache, index);
    if (cached != nullptr) {
        MovePageImage(&slot->page, cached);
        return true;
    }
    // Claimed before the loader's mark is looked at: either the loader is seen
    // decoding the page and it is waited for, or the loader sees the claim and
    // skips its request for it.
    const ClaimScope claim(view, index);
    cached = AwaitLoader(view, index);
    if (cached != nullptr) {
        MovePageImage(&slot->page, cached);
        return true;
    }
    LoadRequest request;
    if (!FillLoadRequest(view->book, index, &request)) {
        view->cache.pageError = true;
        return false;
    }
    FetchedMember member;
    PictureProbe size;
    if (ProbePage(view->decode, request, &member, &size)) {
        if (partner && size.width >= size.height) {
            return false;
        }
        ReleaseOverBudget(view, ProbedPictureBytes(size));
    }
    if (!DecodePage(view->decode, request, &slot->page, &member)) {
        view->cache.pageError = true;
        return false;
    }
    ReleaseOverBudget(view);
    return true;
}

}  // namespace

bool FillSlot(ReadingView* view, DisplaySlot* slot, int32_t index) {
    return Fill(view, slot, index, false);
}

bool PageHeld(ReadingView* view, int32_t index) {
    return FindCached(&view->cache, index) != nullptr;
}

bool LoaderDecoding(const ReadingView* view, int32_t index) {
    return view->loader.decoding != nullptr &&
           view->loader.decoding(view->loader.context, view->cache.generation, index);
}

bool FillPartnerSlot(ReadingView* view, DisplaySlot* slot, int32_t index) {
    return Fill(view, slot, index, true);
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
    // The blocks kept for this book's pages are let go with it.
    BlockReserveRelease(PictureReserve());
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
    BlockReserveRelease(PictureReserve());
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

namespace {

// Gives back the blocks kept for reuse that do not fit beside what the view
// holds and what is coming.
void TrimReserve(const ReadingView* view, uint64_t budget, uint64_t coming) {
    const uint64_t held = HeldPictureBytes(view);
    const uint64_t room = held < budget && coming < budget - held ? budget - held - coming : 0;
    ReserveTrimTo(PictureReserve(), room);
}

}  // namespace

void ReleaseOverBudget(ReadingView* view, uint64_t coming) {
    const uint64_t budget = PictureByteLimit();
    if (budget == 0) {
        return;
    }
    // What the loader is decoding now is held as soon as it arrives.
    if (view->loader.busyBytes != nullptr) {
        coming += view->loader.busyBytes(view->loader.context);
    }
    PageCache& c = view->cache;
    PageImage* const order[] = {&c.ahead[0], &c.ahead[1], &c.previousRight, &c.previousLeft, &c.spare};
    for (PageImage* p : order) {
        const uint64_t held = HeldPictureBytes(view);
        if (held <= budget && coming <= budget - held) {
            break;
        }
        ReleasePageImage(p);
    }
    // Blocks kept for reuse serve no page, so they go before any page would; the
    // blocks of the pages just released are among them.
    TrimReserve(view, budget, coming);
}
