// Display copies: the visible part of a page scaled to the size its layout draws
// it at, made on the loader thread beside the picture of a page read ahead, so
// that a turn draws each page with a 1:1 transfer instead of a stretch.
//
// A copy is only ever a shortcut: it is drawn when its key matches the slot's
// layout and the stretch mode exactly, and the paint stretches the picture as
// always otherwise (magnifier, a resize, a page shown in a place the loader did
// not foresee, a copy that could not be made). The layout of a page read ahead
// is foreseen from the view as the request was made (CopyPlan): a spread's
// portrait page in its half, anything else in the whole view, never magnified.
//
// Memory: the copy's block counts with its page's against the picture budget
// (HeldPictureBytes); a copy that does not fit into what the request was given
// is not made. Copies whose layout is gone are released at the next layout.
#pragma once

#include <cstdint>

#include "view/page_image.h"

struct PageLayout;
struct ReadingView;

// What the loader needs to foresee a page's layout; viewWidth 0: no copy.
struct CopyPlan {
    int32_t viewWidth;
    int32_t viewHeight;
    int32_t spreadArea;  // width of the page's half when shown beside its partner
    int32_t stretchMode;
    bool spreadMode;
    bool enlarge;
};

DisplayCopyKey CopyKeyFor(const PageLayout& layout, int32_t stretchMode);
// True when the page has a copy made for exactly this layout and stretch mode.
bool CopyMatches(const PageImage& page, const PageLayout& layout, int32_t stretchMode);

// The layout the page will get if shown as the plan foresees (positions left 0).
// False when the plan asks for no copy or the page is empty.
bool ForeseeLayout(const PageImage& page, const CopyPlan& plan, PageLayout* layout);

// Bytes of the copy for this layout; 0 when none can be made.
uint64_t DisplayCopyBytes(const PageImage& page, const PageLayout& layout, int32_t stretchMode);
// Bytes of the page's picture and copy blocks.
uint64_t PageBlockBytes(const PageImage& page);

// Makes the page's copy for the layout (any earlier copy released first).
// False, with no copy, on failure; the page itself is untouched.
[[nodiscard]] bool MakeDisplayCopy(PageImage* page, const PageLayout& layout, int32_t stretchMode);

// Loader thread, after a page is decoded: makes the copy the plan foresees when
// picture and copy together stay within byteLimit (0: no limit but the
// program's picture limit). Quietly makes none otherwise.
void AddForeseenCopy(PageImage* page, const CopyPlan& plan, uint64_t byteLimit);

// The plan for a request of the view as it stands; firstOfSpread: the page is
// the first of the spread it is expected in.
CopyPlan PlanCopies(const ReadingView* view, bool firstOfSpread);

// After a layout: releases the shown pages' copies that no longer match.
void DropStaleCopies(ReadingView* view);
