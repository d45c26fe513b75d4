// The small option dialogs, each modal, owned by owner and laid out by the
// language library's template (ShowDialog): the notice shown at start (2400),
// the auto-hide delay of the browser pane (2600), the bookmarks (2300) and the
// favourite folders (2200). Each returns the button that closed it (IDOK or
// IDCANCEL), 0 when its template is missing; only OK changes the settings.
// The options dialog (2500) is ui/options_dialog.h.
#pragma once

#include <windows.h>

// showNoticeAtStart becomes the opposite of "do not show at start" (2401) on
// either button.
INT_PTR RunNoticeDialog(HWND owner);
// paneHideDelay from edit 2620 (at most 4 digits; what is not a number reads 0).
INT_PTR RunPaneDelayDialog(HWND owner);
// Rows emptied and OK: those bookmarks go, the rest close up, the menu follows.
// Only run when a bookmark exists.
INT_PTR RunBookmarksDialog(HWND owner);
// Each edit becomes its favourite folder (empty: an empty slot), then the
// Folders menu is rebuilt. The browse buttons wait for the folder chooser and
// are disabled.
INT_PTR RunFavouritesDialog(HWND owner);
