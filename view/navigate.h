// Navigation: which one or two pages form the next view for each page-turning
// command, which slot each page of a spread goes to by reading direction, when a
// spread falls back to a single page, and what follows every show (the file
// list's selection, the page text and slider, the read-ahead). Every view is
// built from its first page going forward, or from its last page going
// backward, so a landscape page or a single step shifts all later pairs.
//
// Entry points: Navigate for the page-turning commands and the slider,
// RunViewCommand for the view's other commands, BeginOpen / ShowForward /
// AfterShow / ShowEmptyView / EndOpen for the shell's open sequence,
// OnSliderScroll for the page slider. User-interface thread only.
#pragma once

#include <cstdint>

struct ReadingView;

// Trackbar scroll codes handled by OnSliderScroll (the platform's values).
constexpr int32_t kSliderThumbPosition = 4;  // thumb released; carries the position
constexpr int32_t kSliderThumbTrack = 5;     // thumb being dragged
constexpr int32_t kSliderEndScroll = 8;      // end of a scroll action

// Commands 5030, 5031, 5040 .. 5045, 5100 (index: the page) and 5101. Nothing
// happens without a page list.
void Navigate(ReadingView* view, int32_t command, int32_t index);
// Carries out one page-turning command; false when the command does nothing in
// this position (or is not one). A show is followed by AfterShow.
bool Step(ReadingView* view, int32_t command, int32_t index);
// Builds a view that starts at first, with a partner when pairAllowed, spread
// mode is on and both pages are portrait. Returns the number of pages shown
// (0 when the first page could not be decoded); endIndex counts the partner.
int32_t ShowForward(ReadingView* view, int32_t first, bool pairAllowed);
// Builds a view that ends at last (with last - 1 as its partner when both are
// portrait in spread mode).
int32_t ShowBackward(ReadingView* view, int32_t last);
// After every show: the file list's selection, the page text and slider, the
// read-ahead.
void AfterShow(ReadingView* view);

// The page text: number, "+1" when moveSlider is set and two pages are shown,
// then "/" and the page count. moveSlider also puts the slider at number.
void SetPageText(ReadingView* view, int32_t number, bool moveSlider);
// The page slider's scroll notifications.
void OnSliderScroll(ReadingView* view, int32_t code, int32_t position);

// The reading view's steps of opening a book: before it the loader goes to idle
// priority, the wait cursor shows and the page error is cleared, after it the
// arrow cursor is back. A book without pages gets the empty view: position 0,
// shown pages released, laid out, repainted, page text 0.
void BeginOpen(ReadingView* view);
void EndOpen(ReadingView* view);
void ShowEmptyView(ReadingView* view);
// The page text and slider for the current view.
void UpdatePageText(ReadingView* view);

// The view's commands: page turning (5030 .. 5045, 5101), the magnifier (5050),
// spread mode (6100), reading direction (6101) and enlarging small pages (6230).
// fromKey: the command came from an accelerator key. False for other commands.
bool RunViewCommand(ReadingView* view, int32_t command, bool fromKey);
