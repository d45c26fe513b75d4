// What the option dialogs do to the settings, apart from any window: the
// bookmarks dialog's rows and its closing-up, the pane delay's text, the options
// dialog's plug-in folder comparison and its disabled set. The dialogs
// (ui/option_dialogs_win.cpp, ui/options_dialog_win.cpp) read their controls and
// call these; tests call them directly.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "settings/settings.h"

// The text a bookmark's row shows: the path, " - ", the page index + 1.
void BookmarkRowText(const Bookmark& b, StrBuf* out);

// The bookmarks dialog's OK: every bookmark below the count whose row was
// cleared (cleared[i]) is emptied, and the rest move to the front in their old
// order with their pages. Returns the new count.
uint32_t RemoveClearedBookmarks(Settings* s, const bool* cleared);

// The pane-delay edit read as an unsigned decimal number (digits only; the edit
// holds at most kPaneDelayDigits of them). Anything else reads as 0.
constexpr uint32_t kPaneDelayDigits = 4;
int32_t PaneDelayFromText(const char16_t* text, uint32_t n);

// Whether the plug-in folder edit's text names another folder than the copy:
// texts of the same length that are equal without regard to ASCII case are the
// same folder.
bool PluginFolderChanged(const StrBuf& copy, const char16_t* text, uint32_t n);

// Whether a plug-in file is enabled: not named in disabled (compared without
// regard to case). Without a disabled set (null) every plug-in is.
bool PluginEnabled(const char16_t* name, uint32_t n, const TextList* disabled);

// The options dialog's OK: disabled becomes the names of the unchecked rows, in
// row order. False when the heap refuses; disabled is then left as it was.
bool DisabledFromRows(const StrBuf* names, const bool* checked, uint32_t count, TextList* disabled);
