#include "view/display_copy.h"

#include "decode/picture_limit.h"
#include "view/layout.h"
#include "view/scale_picture.h"
#include "view/view_state.h"

namespace {

ScaleFilter FilterFor(int32_t stretchMode) {
    return stretchMode == 3 ? ScaleFilter::kNearest : ScaleFilter::kSmooth;
}

bool SameKey(const DisplayCopyKey& a, const DisplayCopyKey& b) {
    return a.destWidth == b.destWidth && a.destHeight == b.destHeight && a.srcX == b.srcX &&
           a.srcY == b.srcY && a.srcWidth == b.srcWidth && a.srcHeight == b.srcHeight &&
           a.stretchMode == b.stretchMode;
}

uint64_t PictureBlock(const BitmapInfoHeader& h) {
    const int64_t height = h.height < 0 ? -int64_t{h.height} : h.height;
    return uint64_t{RowStride(h.width, h.bitCount)} * static_cast<uint64_t>(height) + 4;
}

}  // namespace

DisplayCopyKey CopyKeyFor(const PageLayout& layout, int32_t stretchMode) {
    return DisplayCopyKey{
        layout.destWidth, layout.destHeight,       layout.srcX, layout.srcY, layout.srcWidth,
        layout.srcHeight, stretchMode == 3 ? 3 : 4};
}

bool CopyMatches(const PageImage& page, const PageLayout& layout, int32_t stretchMode) {
    return IsFull(page) && page.copy.pixels != nullptr &&
           SameKey(page.copy.key, CopyKeyFor(layout, stretchMode));
}

bool ForeseeLayout(const PageImage& page, const CopyPlan& plan, PageLayout* layout) {
    *layout = PageLayout{};
    if (!IsFull(page) || plan.viewWidth <= 0 || plan.viewHeight <= 0) {
        return false;
    }
    const int32_t area = plan.spreadMode && IsPortrait(page) ? plan.spreadArea : plan.viewWidth;
    FitSize(page.header.width, page.header.height, area, plan.viewHeight, plan.enlarge, false, layout);
    return true;
}

uint64_t DisplayCopyBytes(const PageImage& page, const PageLayout& layout, int32_t stretchMode) {
    const int32_t bits = ScaledBitCount(page, FilterFor(stretchMode));
    return bits == 0 ? 0 : ScaledBlockBytes(layout.destWidth, layout.destHeight, bits);
}

uint64_t PageBlockBytes(const PageImage& page) {
    uint64_t bytes = IsFull(page) ? PictureBlock(page.header) : 0;
    if (page.copy.pixels != nullptr) {
        bytes += PictureBlock(page.copy.header);
    }
    return bytes;
}

bool MakeDisplayCopy(PageImage* page, const PageLayout& layout, int32_t stretchMode) {
    ReleaseDisplayCopy(page);
    const PicturePart part{layout.srcX, page->header.height - layout.srcY - layout.srcHeight, layout.srcWidth,
                           layout.srcHeight};
    ScaledPicture scaled{};
    if (!ScalePicture(*page, part, layout.destWidth, layout.destHeight, FilterFor(stretchMode), &scaled)) {
        return false;
    }
    page->copy.header = scaled.header;
    page->copy.pixels = scaled.pixels;
    page->copy.key = CopyKeyFor(layout, stretchMode);
    return true;
}

void AddForeseenCopy(PageImage* page, const CopyPlan& plan, uint64_t byteLimit) {
    PageLayout layout;
    if (!ForeseeLayout(*page, plan, &layout)) {
        return;
    }
    const uint64_t bytes = DisplayCopyBytes(*page, layout, plan.stretchMode);
    if (bytes == 0 || !PictureBlockAllowed(bytes) ||
        (byteLimit != 0 && PageBlockBytes(*page) + bytes > byteLimit)) {
        return;
    }
    (void)MakeDisplayCopy(page, layout, plan.stretchMode);  // without a copy the page is stretched
}

CopyPlan PlanCopies(const ReadingView* view, bool firstOfSpread) {
    CopyPlan plan{};
    plan.viewWidth = view->viewWidth;
    plan.viewHeight = view->viewHeight;
    // The right half is viewWidth / 2 wide, the left one takes the odd pixel; the
    // first page of a spread is on the right when reading right to left.
    const int32_t half = view->viewWidth / 2;
    const bool onRight = firstOfSpread == view->prefs.rightToLeft;
    plan.spreadArea = onRight ? half : view->viewWidth - half;
    plan.stretchMode = view->prefs.stretchMode;
    plan.spreadMode = view->prefs.spreadMode;
    plan.enlarge = view->prefs.enlargeSmallPages;
    return plan;
}

void DropStaleCopies(ReadingView* view) {
    DisplaySlot* const slots[] = {&view->leftSlot, &view->rightSlot};
    for (DisplaySlot* s : slots) {
        if (s->page.copy.pixels != nullptr && !CopyMatches(s->page, s->layout, view->prefs.stretchMode)) {
            ReleaseDisplayCopy(&s->page);
        }
    }
}
