#include "settings/settings.h"

#include <new>

#include "platform/heap.h"

Settings gSettings;
StrBuf gSettingsPath;

const int32_t kDefaultMouseActions[kMouseActionCount] = {
    5031,  // left click: CMD_NEXT_PAGE
    5030,  // right click: CMD_PREV_PAGE
    5060,  // both buttons: CMD_TOGGLE_FULL_SCREEN
    5050,  // middle button: CMD_TOGGLE_LOUPE
    0,     // X1
    0,     // X2
    5044,  // drag left: CMD_BACK_20
    5045,  // drag right: CMD_FORWARD_20
    5040,  // drag up: CMD_FIRST_PAGE
    5041,  // drag down: CMD_LAST_PAGE
    5042,  // wheel away: CMD_PREV_SPREAD
    5043,  // wheel toward: CMD_NEXT_SPREAD
};

namespace {

// Grows an array of heap-owned records to hold `need` items. The records are
// moved into the new block one by one, so their own buffers stay theirs.
template <typename T>
bool GrowItems(T*& items, uint32_t count, uint32_t& capacity, uint32_t need) {
    if (need <= capacity) {
        return true;
    }
    uint64_t grown = capacity < 8 ? 8 : uint64_t{capacity} * 2;
    if (grown < need) {
        grown = need;
    }
    if (grown > UINT32_MAX / sizeof(T)) {
        return false;
    }
    T* fresh = AppAllocArrayZero<T>(static_cast<size_t>(grown));
    if (fresh == nullptr) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        new (&fresh[i]) T(static_cast<T&&>(items[i]));
        items[i].~T();
    }
    if (items != nullptr) {
        AppFree(items);
    }
    items = fresh;
    capacity = static_cast<uint32_t>(grown);
    return true;
}

template <typename T>
void FreeItems(T*& items, uint32_t& count, uint32_t& capacity) {
    for (uint32_t i = 0; i < count; ++i) {
        items[i].~T();
    }
    if (items != nullptr && AppHeapAlive()) {
        AppFree(items);
    }
    items = nullptr;
    count = 0;
    capacity = 0;
}

}  // namespace

void TextList::Clear() {
    FreeItems(items, count, capacity);
}

bool TextList::Append(const char16_t* text, uint32_t n) {
    StrBuf copy;
    if (!copy.Append(text, n) || !GrowItems(items, count, capacity, count + 1)) {
        return false;
    }
    new (&items[count]) StrBuf(static_cast<StrBuf&&>(copy));
    ++count;
    return true;
}

void TreeFolderList::Clear() {
    FreeItems(items, count, capacity);
}

bool TreeFolderList::Append(const char16_t* path, uint32_t n, uint8_t expand) {
    StrBuf copy;
    if (!copy.Append(path, n) || !GrowItems(items, count, capacity, count + 1)) {
        return false;
    }
    TreeFolder* f = new (&items[count]) TreeFolder();
    f->path = static_cast<StrBuf&&>(copy);
    f->expand = expand;
    ++count;
    return true;
}

Settings::Settings() {
    for (uint32_t i = 0; i < kMouseActionCount; ++i) {
        mouseActions[i] = kDefaultMouseActions[i];
    }
    SetDefaultKeyBindings(keyBindings);
    keyTableCount = AccelTableFromKeyBindings(keyBindings, keyTable);
}

void SettingsRelease(Settings* s) {
    s->languageFile.Release();
    s->pluginFolder.Release();
    s->openDialogFolder.Release();
    s->resumePath.Release();
    for (StrBuf& f : s->favouriteFolders) {
        f.Release();
    }
    for (Bookmark& b : s->bookmarks) {
        b.path.Release();
    }
    for (StrBuf& h : s->history) {
        h.Release();
    }
    s->treeFolders.Clear();
    s->disabledPlugins.Clear();
}

void SettingsReset(Settings* s) {
    SettingsRelease(s);
    for (uint32_t slot = 0; slot < kSlotCount; ++slot) {
        SlotKind kind = SettingsSlotKind(slot);
        if (kind == SlotKind::kInt || kind == SlotKind::kBit) {
            SettingsSetInt(s, slot, SettingsIntDefault(slot));
        }
    }
    SetDefaultKeyBindings(s->keyBindings);
    s->keyTableCount = AccelTableFromKeyBindings(s->keyBindings, s->keyTable);
    s->bookmarkCount = 0;
    s->historyCount = 0;
}

SlotKind SettingsSlotKind(uint32_t slot) {
    if (slot >= kSlotCount) {
        return SlotKind::kUnused;
    }
    switch (slot) {
        case kSlotLanguageFile:
        case kSlotPluginFolder:
        case kSlotOpenDialogFolder:
        case kSlotResumePath:
            return SlotKind::kText;
        case kSlotFullScreen:
        case kSlotSpreadMode:
        case kSlotRightToLeft:
        case kSlotFullScreenBarAutoHide:
        case kSlotShowNoticeAtStart:
        case kSlotTreeShowFiles:
        case kSlotTreeExpandDesktop:
        case kSlotEnlargeSmallPages:
        case kSlotTreeExpandFolders:
        case kSlotKeyDialogMousePage:
            return SlotKind::kBit;
        case kSlotKeyTable:
            return SlotKind::kKeyRecords;
        case kSlotTreeFolders:
        case kSlotDisabledPlugins:
            return SlotKind::kTextList;
        case kSlotTreeExpand:
            return SlotKind::kExpandBytes;
        case 71:
        case 74:
            return SlotKind::kUnused;
        default:
            break;
    }
    if ((slot >= kSlotFavourites && slot < kSlotFavourites + kFavouriteCount) ||
        (slot >= kSlotBookmarkPathsLow && slot < kSlotBookmarkPathsLow + 10) ||
        (slot >= kSlotBookmarkPathsHigh && slot < kSlotBookmarkPathsHigh + 10) ||
        (slot >= kSlotHistory && slot < kSlotHistory + kHistoryCount)) {
        return SlotKind::kText;
    }
    // Window rectangle, stretch mode, colour, mouse actions, resume page, bookmark
    // pages and the pane's integers.
    return SlotKind::kInt;
}

namespace {

// Mouse action index of a slot, or -1.
int32_t MouseActionIndex(uint32_t slot) {
    if (slot >= kSlotMouseActionsLow && slot < kSlotMouseActionsLow + 7) {
        return static_cast<int32_t>(slot - kSlotMouseActionsLow);
    }
    if (slot >= kSlotMouseActionsHigh && slot < kSlotMouseActionsHigh + 5) {
        return static_cast<int32_t>(7 + slot - kSlotMouseActionsHigh);
    }
    return -1;
}

// Bookmark index of a page slot, or -1.
int32_t BookmarkPageIndex(uint32_t slot) {
    if (slot >= kSlotBookmarkPagesLow && slot < kSlotBookmarkPagesLow + 10) {
        return static_cast<int32_t>(slot - kSlotBookmarkPagesLow);
    }
    if (slot >= kSlotBookmarkPagesHigh && slot < kSlotBookmarkPagesHigh + 10) {
        return static_cast<int32_t>(10 + slot - kSlotBookmarkPagesHigh);
    }
    return -1;
}

bool* BitField(Settings* s, uint32_t slot) {
    switch (slot) {
        case kSlotFullScreen:
            return &s->fullScreen;
        case kSlotSpreadMode:
            return &s->spreadMode;
        case kSlotRightToLeft:
            return &s->rightToLeft;
        case kSlotFullScreenBarAutoHide:
            return &s->fullScreenBarAutoHide;
        case kSlotShowNoticeAtStart:
            return &s->showNoticeAtStart;
        case kSlotTreeShowFiles:
            return &s->treeShowFiles;
        case kSlotTreeExpandDesktop:
            return &s->treeExpandDesktop;
        case kSlotEnlargeSmallPages:
            return &s->enlargeSmallPages;
        case kSlotTreeExpandFolders:
            return &s->treeExpandFolders;
        case kSlotKeyDialogMousePage:
            return &s->keyDialogMousePage;
        default:
            return nullptr;
    }
}

int32_t* IntField(Settings* s, uint32_t slot) {
    switch (slot) {
        case kSlotWindowShowState:
            return &s->windowShowState;
        case kSlotWindowLeft:
            return &s->windowLeft;
        case kSlotWindowTop:
            return &s->windowTop;
        case kSlotWindowWidth:
            return &s->windowWidth;
        case kSlotWindowHeight:
            return &s->windowHeight;
        case kSlotStretchMode:
            return &s->stretchMode;
        case kSlotBackgroundColour:
            return &s->backgroundColour;
        case kSlotResumePage:
            return &s->resumePage;
        case kSlotPaneWidth:
            return &s->paneWidth;
        case kSlotPaneMode:
            return &s->paneMode;
        case kSlotTreeHiddenMode:
            return &s->treeHiddenMode;
        case kSlotPaneHideDelay:
            return &s->paneHideDelay;
        default:
            break;
    }
    int32_t mouse = MouseActionIndex(slot);
    if (mouse >= 0) {
        return &s->mouseActions[mouse];
    }
    int32_t page = BookmarkPageIndex(slot);
    if (page >= 0) {
        return &s->bookmarks[page].page;
    }
    return nullptr;
}

}  // namespace

int32_t SettingsIntDefault(uint32_t slot) {
    switch (slot) {
        case kSlotWindowShowState:
            return kShowNormal;
        case kSlotWindowLeft:
            return 200;
        case kSlotWindowTop:
            return 100;
        case kSlotWindowWidth:
            return 800;
        case kSlotWindowHeight:
            return 600;
        case kSlotSpreadMode:
        case kSlotRightToLeft:
        case kSlotFullScreenBarAutoHide:
        case kSlotShowNoticeAtStart:
        case kSlotTreeShowFiles:
        case kSlotTreeExpandDesktop:
        case kSlotEnlargeSmallPages:
        case kSlotTreeExpandFolders:
            return 1;
        case kSlotStretchMode:
            return kStretchSmooth;
        case kSlotBackgroundColour:
            return 2;
        case kSlotPaneWidth:
            return 180;
        case kSlotPaneMode:
            return 1;
        case kSlotTreeHiddenMode:
            return 2;
        case kSlotPaneHideDelay:
            return 500;
        default:
            break;
    }
    int32_t mouse = MouseActionIndex(slot);
    return mouse >= 0 ? kDefaultMouseActions[mouse] : 0;
}

void SettingsSetInt(Settings* s, uint32_t slot, int32_t stored) {
    if (bool* bit = BitField(s, slot)) {
        *bit = (stored & 1) != 0;
        return;
    }
    int32_t* field = IntField(s, slot);
    if (field == nullptr) {
        return;
    }
    uint32_t u = static_cast<uint32_t>(stored);
    switch (slot) {
        case kSlotWindowShowState:
            *field = stored == kShowMaximized ? kShowMaximized : kShowNormal;
            break;
        case kSlotStretchMode:
            *field = stored == kStretchSmooth ? kStretchSmooth : kStretchFast;
            break;
        case kSlotBackgroundColour:
            *field = u >= 5 ? 2 : stored;
            break;
        case kSlotPaneMode:
            *field = u >= 3 ? 1 : stored;
            break;
        default:
            *field = stored;
            break;
    }
}

int32_t SettingsGetInt(const Settings& s, uint32_t slot) {
    Settings* m = const_cast<Settings*>(&s);
    if (const bool* bit = BitField(m, slot)) {
        return *bit ? 1 : 0;
    }
    const int32_t* field = IntField(m, slot);
    return field != nullptr ? *field : 0;
}

StrBuf* SettingsText(Settings* s, uint32_t slot) {
    switch (slot) {
        case kSlotLanguageFile:
            return &s->languageFile;
        case kSlotPluginFolder:
            return &s->pluginFolder;
        case kSlotOpenDialogFolder:
            return &s->openDialogFolder;
        case kSlotResumePath:
            return &s->resumePath;
        default:
            break;
    }
    if (slot >= kSlotFavourites && slot < kSlotFavourites + kFavouriteCount) {
        return &s->favouriteFolders[slot - kSlotFavourites];
    }
    if (slot >= kSlotBookmarkPathsLow && slot < kSlotBookmarkPathsLow + 10) {
        return &s->bookmarks[slot - kSlotBookmarkPathsLow].path;
    }
    if (slot >= kSlotBookmarkPathsHigh && slot < kSlotBookmarkPathsHigh + 10) {
        return &s->bookmarks[10 + slot - kSlotBookmarkPathsHigh].path;
    }
    if (slot >= kSlotHistory && slot < kSlotHistory + kHistoryCount) {
        return &s->history[slot - kSlotHistory];
    }
    return nullptr;
}

const StrBuf* SettingsText(const Settings& s, uint32_t slot) {
    return SettingsText(const_cast<Settings*>(&s), slot);
}

void SettingsTakeWindowAtExit(Settings* s, const WindowAtExit& w) {
    s->fullScreen = w.fullScreen;
    WindowRect r;
    if (w.fullScreen) {
        s->windowShowState = w.keptShowState == kShowMaximized ? kShowMaximized : kShowNormal;
        r = w.kept;
    } else {
        // A minimised window comes back maximised next time only if it would
        // have been restored that way.
        bool maximized =
            w.show == WindowShow::kMaximized || (w.show == WindowShow::kMinimized && w.restoreToMaximized);
        s->windowShowState = maximized ? kShowMaximized : kShowNormal;
        r = w.normal;
    }
    s->windowLeft = r.left;
    s->windowTop = r.top;
    // Wrapping arithmetic: a rectangle from the platform never overflows, and a
    // nonsense one must not be undefined behaviour.
    s->windowWidth = static_cast<int32_t>(static_cast<uint32_t>(r.right) - static_cast<uint32_t>(r.left));
    s->windowHeight = static_cast<int32_t>(static_cast<uint32_t>(r.bottom) - static_cast<uint32_t>(r.top));
}
