// The reader: the one open book, the reading view that shows it and the page
// loader thread, tied to the real windows. BookOps and ViewOps are filled here
// with the tool bar's page text and slider, the image view's repaint, the cursor
// and the main window's title; the loader's results reach the main window as
// WM_PAGE_LOADED.
//
// Call order (user-interface thread): ReaderInit (before the main window exists,
// after the settings are read) → ReaderStartLoader → the windows are created →
// opening (ReaderOpen*) and commands → at shut-down ReaderStopLoader, then
// ReaderRelease. The records are program-wide (gBook, gView); tests reach them to
// assert on the view's state.
#pragma once

#include <cstdint>

#include "view/book.h"
#include "view/view_state.h"

extern BookState gBook;
extern ReadingView gView;

// Fills the tables and takes the view's settings from gSettings.
void ReaderInit();
// Starts the loader at idle priority; false when it cannot be started (pages are
// then decoded only when shown).
bool ReaderStartLoader();
// Raises the loader, asks it to quit and waits at most 1,000 ms before it is
// terminated; frees the results that were posted but not yet taken.
void ReaderStopLoader();
// Releases every page, the page list and the book.
void ReaderRelease();
// The window (an HWND) that receives WM_PAGE_LOADED; null stops delivery.
void ReaderSetResultWindow(void* window);

// Copies the view's settings (changed by its own commands) back into gSettings,
// which the settings file is written from.
void ReaderSyncSettings();

// Resolves a shell shortcut to its target (at most 260 characters); any other
// path is left as it is.
void ResolveShortcut(StrBuf* path);
// The open path of the command line: SetBook with the locator, then OpenBook at 0.
void ReaderOpenPath(const char16_t* path, uint32_t startLocator);
// The open dialog's and the drop's last step: classify the path, reset the book
// when it names another one, then OpenBook at 0 with no locator.
void ReaderOpenChosen(const char16_t* path);

// A page-loaded message: the result moves into its read-ahead slot.
void ReaderPageLoaded(int32_t slot, void* result);
