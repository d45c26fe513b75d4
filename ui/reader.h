// The reader: the one open book, the reading view that shows it and the page
// loader thread, tied to the real windows. ViewOps is filled here with the tool
// bar's page text and slider, the image view's repaint, the cursor and the
// magnifier's button; the loader's results reach the main window as
// WM_PAGE_LOADED.
//
// The open sequence lives here: OpenBook conducts the book (listing, start
// page), the reading view (read-ahead reset, show) and the windows (file list,
// slider, title) in that order. The book itself calls no window.
//
// Call order (user-interface thread): ReaderInit (before the main window exists,
// after the settings are read) → ReaderStartLoader → the windows are created →
// opening (ReaderOpen*, OpenNamedBook, OpenBook) and commands → at shut-down
// ReaderStopLoader, ReaderRecordResume, then ReaderRelease. The records are
// program-wide (gBook, gView); tests reach them to assert on the view's state.
#pragma once

#include <cstdint>

#include "view/book.h"
#include "view/file_list_rows.h"
#include "view/view_state.h"

extern BookState gBook;
extern ReadingView gView;
// The file list's side of publishing a book: filled by the browser pane's file
// list when it exists; empty entries publish nothing.
extern FileListOps gFileListOps;

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
// Shut-down, before the book is released and the settings written: the open
// book's path and its first shown page become the resume entry. Shell folders and
// books without pages leave the entry as it was.
void ReaderRecordResume();

// Opens the program's book (named by SetBook or the folder tree): the loader
// idles and the wait cursor shows; under AppLock the read-ahead is reset, the
// file list emptied, the page list rebuilt and published to the file list, the
// slider's range and the title; then the start page is shown (with the file
// list's selection, the page text and slider, and the read-ahead), or the empty
// view; the arrow cursor comes back. target may be null (no name, no locator).
void OpenBook(const OpenTarget* target, int32_t startIndex);
// SetBook with the target and locator, then OpenBook at startIndex.
void OpenNamedBook(OpenTarget* target, uint32_t startLocator, int32_t startIndex);
// The program became active: a book whose container changed is reopened at the
// page that was shown.
void ReloadIfChanged();

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
