// Building the menus from their layout table, the list items (history,
// favourites, bookmarks) and the checks and greyed states.
#include "ui/menus.h"

#include "settings/key_names.h"
#include "settings/language.h"
#include "settings/menu_lists.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/reader.h"

namespace {

enum SpecKind : uint8_t {
    kItem,        // an item whose text is string id
    kDots,        // the same with "..." after the text
    kSep,         // a separator
    kSub,         // a submenu whose own text is string id; its items follow up to kEnd
    kEnd,         // end of a submenu
    kHistory,     // the history items go here
    kFavourites,  // the favourite-folder items go here
    kPopupEnd,    // end of a popup
};

struct MenuSpec {
    SpecKind kind;
    int16_t id;
    int16_t textId = 0;  // when the text is not string id
};

// The five popups, top to bottom. Bookmark items follow the last item of popup 2.
constexpr MenuSpec kLayout[] = {
    {kSub, 6000},   {kHistory, 0}, {kSep, 0},           {kItem, 6001},    {kEnd, 0},     {kSep, 0},
    {kItem, 6100},  {kItem, 6101}, {kItem, 6200},       {kSub, 6205},     {kItem, 6206}, {kItem, 6207},
    {kItem, 6208},  {kSep, 0},     {kItem, 6209},       {kEnd, 0},        {kSep, 0},     {kItem, 6230},
    {kSub, 6210},   {kItem, 6211}, {kItem, 6212},       {kEnd, 0},        {kSub, 6220},  {kItem, 6221},
    {kItem, 6222},  {kItem, 6223}, {kItem, 6224},       {kItem, 6225},    {kEnd, 0},     {kSep, 0},
    {kDots, 6300},  {kSep, 0},     {kDots, 6301},       {kDots, 6302},    {kSep, 0},     {kSub, 6400},
    {kItem, 6403},  {kSep, 0},     {kItem, 6401},       {kSep, 0},        {kItem, 6402}, {kEnd, 0},
    {kPopupEnd, 0}, {kDots, 5500}, {kSep, 0},           {kFavourites, 0}, {kSep, 0},     {kDots, 5501},
    {kPopupEnd, 0}, {kItem, 5700}, {kDots, 5701},       {kSep, 0},        {kItem, 5710}, {kSep, 0},
    {kPopupEnd, 0}, {kItem, 7010}, {kItem, 7011},       {kSep, 0},        {kItem, 7025}, {kSep, 0},
    {kItem, 7020},  {kItem, 7040}, {kSep, 0},           {kDots, 7050},    {kSep, 0},     {kDots, 7060},
    {kDots, 7061},  {kSep, 0},     {kItem, 7030},       {kPopupEnd, 0},   {kItem, 7100}, {kSep, 0},
    {kItem, 7101},  {kSep, 0},     {kItem, 7110, 7030}, {kPopupEnd, 0},
};

constexpr int CountItems() {
    int n = 0;
    for (const MenuSpec& s : kLayout) {
        n += s.kind == kItem || s.kind == kDots || s.kind == kSub ? 1 : 0;
    }
    return n;
}
constexpr int kMaxStaticItems = CountItems();

struct MenuSet {
    HMENU popups[kPopupCount]{};
    HMENU historyMenu = nullptr;
    MenuItemRecord items[kMaxStaticItems];
    MenuItemRecord history[kHistoryCount];
    MenuItemRecord favourites[kFavouriteCount];
    MenuItemRecord bookmarks[kBookmarkCount];
};
MenuSet gMenus;

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

void SetKeyText(MenuItemRecord* r) {
    r->modifierText = nullptr;
    r->keyText = nullptr;
    for (const KeyBinding& b : gSettings.keyBindings) {
        if (b.command == r->command && b.key != 0 && *KeyName(b.key) != 0) {
            r->modifierText = ModifierText(b.modifiers);
            r->keyText = KeyName(b.key);
            return;
        }
    }
}

// Inserts an owner-drawn item before position (or at the end for -1). The item
// keeps its text as its string too, which the platform never draws.
bool InsertItem(HMENU menu, int position, UINT command, HMENU submenu, MenuItemRecord* r) {
    StrBuf text;
    MenuItemText(*r, &text);
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID | MIIM_DATA | MIIM_STRING | (submenu != nullptr ? MIIM_SUBMENU : 0);
    info.fType = MFT_OWNERDRAW;
    info.wID = command;
    info.hSubMenu = submenu;
    info.dwItemData = reinterpret_cast<ULONG_PTR>(r);
    info.dwTypeData = const_cast<wchar_t*>(W(text.Text()));
    const UINT at = position < 0 ? static_cast<UINT>(GetMenuItemCount(menu)) : static_cast<UINT>(position);
    return InsertMenuItemW(menu, at, TRUE, &info) != 0;
}

void InsertSeparator(HMENU menu) {
    AppendMenuW(menu, MF_SEPARATOR, kSeparatorCommand, nullptr);
}

MenuItemRecord* ListRecord(MenuItemRecord* records, uint32_t i, int kind, int command) {
    MenuItemRecord* r = &records[i];
    *r = MenuItemRecord{};
    r->textId = kind;
    r->command = command;
    return r;
}

void InsertHistoryItems() {
    for (uint32_t i = 0; i < gSettings.historyCount && i < kHistoryCount; ++i) {
        const int command = CMD_RECENT_1 + static_cast<int>(i);
        InsertItem(gMenus.historyMenu, static_cast<int>(i), static_cast<UINT>(command), nullptr,
                   ListRecord(gMenus.history, i, kEntryHistory, command));
    }
}

void DeleteHistoryItems() {
    for (int i = 0; i < static_cast<int>(kHistoryCount); ++i) {
        DeleteMenu(gMenus.historyMenu, static_cast<UINT>(CMD_RECENT_1 + i), MF_BYCOMMAND);
    }
}

void InsertFavouriteItems() {
    int position = 2;
    for (uint32_t i = 0; i < kFavouriteCount; ++i) {
        if (gSettings.favouriteFolders[i].length == 0) {
            continue;
        }
        const int command = CMD_FOLDER_1 + static_cast<int>(i);
        InsertItem(gMenus.popups[kPopupFolders], position++, static_cast<UINT>(command), nullptr,
                   ListRecord(gMenus.favourites, i, kEntryFavourite, command));
    }
}

void AppendBookmarkItem(uint32_t i) {
    const int command = CMD_BOOKMARK_1 + static_cast<int>(i);
    InsertItem(gMenus.popups[kPopupBookmarks], -1, static_cast<UINT>(command), nullptr,
               ListRecord(gMenus.bookmarks, i, kEntryBookmark, command));
}

bool Exists(const StrBuf& path, bool folder) {
    if (path.length == 0) {
        return false;
    }
    DWORD a = GetFileAttributesW(W(path.Text()));
    return a != INVALID_FILE_ATTRIBUTES && (!folder || (a & FILE_ATTRIBUTE_DIRECTORY) != 0);
}

void Check(UINT command, bool on) {
    CheckMenuItem(gApp.menus.get(), command, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED));
}

void Grey(UINT command, bool grey) {
    EnableMenuItem(gApp.menus.get(), command, MF_BYCOMMAND | (grey ? MF_GRAYED : MF_ENABLED));
}

}  // namespace

void BuildMenus() {
    DestroyMenus();
    MenuOwner container(CreateMenu());
    if (!container.valid()) {
        return;
    }
    HMENU stack[4] = {};
    int depth = 0;
    int popup = 0;
    int used = 0;
    stack[0] = CreatePopupMenu();
    for (const MenuSpec& s : kLayout) {
        HMENU current = stack[depth];
        if (current == nullptr) {
            break;  // a menu the system refused: the rest is left out
        }
        switch (s.kind) {
            case kItem:
            case kDots:
            case kSub: {
                MenuItemRecord* r = &gMenus.items[used++];
                *r = MenuItemRecord{};
                r->textId = s.textId != 0 ? s.textId : s.id;
                r->ellipsis = s.kind == kDots ? 1 : 0;
                r->command = s.id;
                SetKeyText(r);
                HMENU sub = s.kind == kSub ? CreatePopupMenu() : nullptr;
                if (!InsertItem(current, -1, static_cast<UINT>(s.id), sub, r) && sub != nullptr) {
                    DestroyMenu(sub);
                    sub = nullptr;
                }
                if (s.kind == kSub && depth + 1 < 4) {
                    stack[++depth] = sub;
                    if (s.id == 6000) {
                        gMenus.historyMenu = sub;
                    }
                }
                break;
            }
            case kSep:
                InsertSeparator(current);
                break;
            case kEnd:
                --depth;
                break;
            case kHistory:
            case kFavourites:
                break;  // filled below, once the popup exists
            case kPopupEnd:
                gMenus.popups[popup] = current;
                AppendMenuW(container.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(current), L"");
                ++popup;
                stack[0] = popup < kPopupCount ? CreatePopupMenu() : nullptr;
                break;
        }
    }
    if (stack[0] != nullptr) {
        DestroyMenu(stack[0]);
    }
    gApp.menus = static_cast<MenuOwner&&>(container);
    if (popup < kPopupCount) {
        DestroyMenus();
        return;
    }
    InsertHistoryItems();
    InsertFavouriteItems();
    for (uint32_t i = 0; i < gSettings.bookmarkCount && i < kBookmarkCount; ++i) {
        AppendBookmarkItem(i);
    }
}

void DestroyMenus() {
    // Destroying the container destroys every popup and submenu under it.
    gApp.menus.reset();
    gMenus = MenuSet{};
}

HMENU MenuPopupAt(int index) {
    return index >= 0 && index < kPopupCount ? gMenus.popups[index] : nullptr;
}

void UpdateMenuState(HMENU menu, bool systemMenu) {
    if (systemMenu || menu == gApp.systemMenu) {
        EnableMenuItem(menu, 1, MF_BYPOSITION | (gApp.fullScreen ? MF_GRAYED : MF_ENABLED));
        return;
    }
    if (!gApp.menus.valid()) {
        return;
    }
    Check(6100, gSettings.spreadMode);
    Check(6101, gSettings.rightToLeft);
    Check(6200, gSettings.fullScreenBarAutoHide);
    Check(6230, gSettings.enlargeSmallPages);
    Check(6206, gSettings.paneMode == 1);
    Check(6207, gSettings.paneMode == 0);
    Check(6208, gSettings.paneMode == 2);
    Check(6211, gSettings.stretchMode == kStretchFast);
    Check(6212, gSettings.stretchMode != kStretchFast);
    const int32_t colour = gSettings.backgroundColour;
    for (int32_t i = 0; i < 5; ++i) {
        const bool other = colour < 1 || colour > 4;
        Check(static_cast<UINT>(6221 + i), i == 0 ? other : colour == i);
    }
    for (uint32_t i = 0; i < gSettings.historyCount && i < kHistoryCount; ++i) {
        Grey(static_cast<UINT>(CMD_RECENT_1 + static_cast<int>(i)), !Exists(gSettings.history[i], false));
    }
    Grey(CMD_CLEAR_HISTORY, gSettings.historyCount == 0);
    for (uint32_t i = 0; i < kFavouriteCount; ++i) {
        if (gSettings.favouriteFolders[i].length > 0) {
            Grey(static_cast<UINT>(CMD_FOLDER_1 + static_cast<int>(i)),
                 !Exists(gSettings.favouriteFolders[i], true));
        }
    }
    const bool pageShown = gBook.pages != nullptr && gView.endIndex > gView.currentIndex;
    Grey(CMD_ADD_BOOKMARK,
         !BookmarkAllowed(gBook.book.kind == kBookShellFolder, pageShown, gSettings.bookmarkCount));
    Grey(CMD_EDIT_BOOKMARKS, gSettings.bookmarkCount == 0);
    Grey(CMD_RESUME, !Exists(gSettings.resumePath, false));
    for (uint32_t i = 0; i < gSettings.bookmarkCount && i < kBookmarkCount; ++i) {
        Grey(static_cast<UINT>(CMD_BOOKMARK_1 + static_cast<int>(i)),
             !Exists(gSettings.bookmarks[i].path, false));
    }
}

void MenuItemText(const MenuItemRecord& r, StrBuf* out) {
    if (r.textId == kEntryHistory) {
        const int i = r.command - CMD_RECENT_1;
        MenuEntryText(kEntryHistory, gSettings.history[i].Text(), 0, out);
    } else if (r.textId == kEntryFavourite) {
        const int i = r.command - CMD_FOLDER_1;
        MenuEntryText(kEntryFavourite, gSettings.favouriteFolders[i].Text(), 0, out);
    } else if (r.textId == kEntryBookmark) {
        const Bookmark& b = gSettings.bookmarks[r.command - CMD_BOOKMARK_1];
        MenuEntryText(kEntryBookmark, b.path.Text(), b.page, out);
    } else {
        LanguageString(static_cast<uint32_t>(r.textId), out);
    }
    if (r.ellipsis != 0 && !out->Append(u"...", 3)) {
        out->Assign(u"");
    }
}

void AddBookmark() {
    const bool pageShown = gBook.pages != nullptr && gView.endIndex > gView.currentIndex;
    if (!BookmarkAllowed(gBook.book.kind == kBookShellFolder, pageShown, gSettings.bookmarkCount) ||
        !IsReopenable(&gBook)) {
        return;
    }
    const int32_t i = BookmarkAdd(&gSettings, gBook.book.path.Text(), gView.currentIndex);
    if (i >= 0 && gApp.menus.valid()) {
        AppendBookmarkItem(static_cast<uint32_t>(i));
    }
}

void AddToHistory(const char16_t* path) {
    if (gMenus.historyMenu != nullptr) {
        DeleteHistoryItems();
    }
    (void)HistoryAdd(&gSettings, path);
    if (gMenus.historyMenu != nullptr) {
        InsertHistoryItems();
    }
}

void ClearHistory() {
    if (gMenus.historyMenu != nullptr) {
        DeleteHistoryItems();
    }
    HistoryClear(&gSettings);
}

void RebuildFavouritesMenu() {
    if (gMenus.popups[kPopupFolders] == nullptr) {
        return;
    }
    for (int i = 0; i < static_cast<int>(kFavouriteCount); ++i) {
        DeleteMenu(gMenus.popups[kPopupFolders], static_cast<UINT>(CMD_FOLDER_1 + i), MF_BYCOMMAND);
    }
    InsertFavouriteItems();
}

void RebuildBookmarkItems() {
    if (gMenus.popups[kPopupBookmarks] == nullptr) {
        return;
    }
    for (int i = 0; i < static_cast<int>(kBookmarkCount); ++i) {
        DeleteMenu(gMenus.popups[kPopupBookmarks], static_cast<UINT>(CMD_BOOKMARK_1 + i), MF_BYCOMMAND);
    }
    for (uint32_t i = 0; i < gSettings.bookmarkCount && i < kBookmarkCount; ++i) {
        AppendBookmarkItem(i);
    }
}
