// The program's menus: one container holding the five popups (main, favourite
// folders, bookmarks, and the folder tree's and file list's context menus) with
// their submenus, every item owner-drawn with its key text at the right. The
// history, favourite and bookmark items are made from the lists in gSettings.
//
// Call order: BuildMenus after the settings are read (start-up), and again
// through ApplyBindings or ReloadAfterLanguageChange; DestroyMenus at shut-down.
// Each item's MenuItemRecord is its owner-draw data and lives here, as long as
// the menus do. User-interface thread only.
#pragma once

#include <windows.h>

#include "app/str_buf.h"

// One item's owner-draw data. textId is the language string of the text, or one
// of the MenuEntryKind values (settings/menu_lists.h) for an item whose text is
// computed from its list entry. The key texts are static names, null for none.
struct MenuItemRecord {
    int textId = 0;
    int ellipsis = 0;
    const char16_t* modifierText = nullptr;
    const char16_t* keyText = nullptr;
    int command = 0;
};

// The index of each popup under the container.
enum MenuPopup : int { kPopupMain, kPopupFolders, kPopupBookmarks, kPopupTree, kPopupList, kPopupCount };
// Every separator carries this command number.
constexpr UINT kSeparatorCommand = 9900;

void BuildMenus();
void DestroyMenus();
HMENU MenuPopupAt(int index);

// WM_INITMENUPOPUP: checks and greyed states of whichever menu opens.
void UpdateMenuState(HMENU menu, bool systemMenu);
// WM_MEASUREITEM / WM_DRAWITEM for menu items; false for anything else.
bool MeasureMenuItem(MEASUREITEMSTRUCT* mis);
bool DrawMenuItem(const DRAWITEMSTRUCT* dis);
// The text an item shows (without the key text).
void MenuItemText(const MenuItemRecord& r, StrBuf* out);

// The accelerator table from gSettings.keyBindings (and the stored records of
// other commands), then the menus again.
void ApplyBindings();
// After a language switch: menus, interface font, page text, tool tips.
void ReloadAfterLanguageChange();
// The key text of the key bound to command ("Ctrl+O"); empty when none.
void CommandKeyText(int command, StrBuf* out);

// The lists' commands.
void AddBookmark();
void AddToHistory(const char16_t* path);
void ClearHistory();
void RebuildFavouritesMenu();
// Deletes and re-inserts every bookmark item (after the bookmarks change).
void RebuildBookmarkItems();
