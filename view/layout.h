// Page layout: the scale of each shown page, the part of the picture that is
// visible and where on the image view it lands, for a single page, a spread, a
// spread's first page alone while its partner is decoded, and the magnifier
// (twice the fitted scale, panned with the cursor). Integer pixels throughout
// except the scale. User-interface thread only; repaints go through ViewOps.
//
// Call order: ResizeView on every resize of the image view; LayoutView after
// every show (navigate.h), option change and full-screen change; PanMagnifier
// on mouse moves while the magnifier is on.
#pragma once

#include <cstdint>

struct ReadingView;
struct DisplaySlot;
struct PageLayout;

// FitPage's arithmetic for a w x h picture: scale, visible size and drawn size
// (positions untouched). The loader uses it to foresee a page's layout.
void FitSize(int32_t w,
             int32_t h,
             int32_t areaWidth,
             int32_t viewHeight,
             bool enlarge,
             bool magnify,
             PageLayout* L);

// The slot's scale, visible size and drawn size for a page region areaWidth
// wide and the view's height; positions are left to the caller. A page is
// fitted when it is larger than its region or enlargeSmallPages is on, kept at
// natural size otherwise, and doubled when magnify is set. A zero-sized view or
// region gives scale 1. An empty slot gets an empty layout.
void FitPage(const ReadingView* view, DisplaySlot* slot, int32_t areaWidth, bool magnify);
// Lays out both slots for the current view: a single page centred, a spread
// meeting at the centre line, or a right page alone centred. Sets split.
void LayoutView(ReadingView* view, bool magnifyRight, bool magnifyLeft);
// Lays out one page of a spread in its half alone and repaints that half at once.
void LayoutHalf(ReadingView* view, DisplaySlot* slot, bool isLeft);

// Command 5050 after magnifierOn was toggled. On: the page under the cursor is
// magnified (through the mouse-move path). Off: the fitted view comes back.
// fromKey: the command came from a key, so the tool-bar button is set here.
void SetMagnifier(ReadingView* view, bool on, bool fromKey);
// Moves the visible part of the magnified page with the cursor (view
// coordinates), magnifying the page under it when that is another page.
void PanMagnifier(ReadingView* view, int32_t x, int32_t y);

// The image view changed size: store it and lay out again without magnification.
void ResizeView(ReadingView* view, int32_t width, int32_t height);
// Full-screen change or enlargeSmallPages changed: lay out again without
// magnification (the caller repaints).
void RelayoutView(ReadingView* view);
