// Settings: the one program-wide settings record (gSettings), with every field,
// its default and the clamp a stored value goes through, the slot numbers under
// which the settings file keeps each field, and the list types it holds.
//
// Owner: the user-interface thread. gSettings starts at its defaults (SettingsReset)
// and is filled once at start by the reader (settings_reader.h) and written once at
// exit by the writer (settings_writer.h); in between the program reads and
// changes its fields directly. Every text and list lives on the application heap
// and is freed by SettingsRelease (or the record's destructor, while the heap
// still exists). gSettingsPath holds the settings file's full path once located.
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "settings/key_bindings.h"

constexpr uint32_t kSlotCount = 104;
constexpr uint32_t kFavouriteCount = 10;
constexpr uint32_t kBookmarkCount = 20;
constexpr uint32_t kHistoryCount = 10;
constexpr uint32_t kMouseActionCount = 12;

// Slots with a meaning of their own; the numbered groups follow their first slot.
enum SettingsSlot : uint32_t {
    kSlotLanguageFile = 0,
    kSlotFullScreen = 1,
    kSlotWindowShowState = 2,
    kSlotWindowLeft = 3,
    kSlotWindowTop = 4,
    kSlotWindowWidth = 5,
    kSlotWindowHeight = 6,
    kSlotSpreadMode = 7,
    kSlotRightToLeft = 8,
    kSlotFullScreenBarAutoHide = 9,
    kSlotStretchMode = 10,
    kSlotBackgroundColour = 11,
    kSlotShowNoticeAtStart = 12,
    kSlotMouseActionsLow = 13,  // actions 0..6
    kSlotKeyTable = 20,
    kSlotPluginFolder = 21,
    kSlotOpenDialogFolder = 22,
    kSlotResumePath = 23,
    kSlotResumePage = 24,
    kSlotFavourites = 25,        // 25..34
    kSlotBookmarkPathsLow = 35,  // bookmarks 0..9
    kSlotBookmarkPagesLow = 45,
    kSlotHistory = 55,  // 55..64
    kSlotTreeFolders = 65,
    kSlotPaneWidth = 66,
    kSlotPaneMode = 67,
    kSlotTreeHiddenMode = 68,
    kSlotTreeShowFiles = 69,
    kSlotTreeExpandDesktop = 70,
    kSlotEnlargeSmallPages = 72,
    kSlotDisabledPlugins = 73,
    kSlotTreeExpand = 75,
    kSlotTreeExpandFolders = 76,
    kSlotPaneHideDelay = 77,
    kSlotBookmarkPathsHigh = 78,  // bookmarks 10..19
    kSlotBookmarkPagesHigh = 88,
    kSlotMouseActionsHigh = 98,  // actions 7..11
    kSlotKeyDialogMousePage = 103,
};

// What a slot holds. Unused slots (71, 74) belong to no field; the writer carries
// whatever they hold over unchanged.
enum class SlotKind : uint8_t {
    kUnused,
    kInt,       // a signed 32-bit integer
    kBit,       // an integer of which only bit 0 counts
    kText,      // UTF-16LE characters without a terminator
    kTextList,  // UTF-16LE strings, each followed by a 0 character
    kExpandBytes,
    kKeyRecords,
};

SlotKind SettingsSlotKind(uint32_t slot);

// A list of texts (the disabled plug-in names). Grows on the application heap.
struct TextList {
    StrBuf* items = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;

    TextList() = default;
    TextList(const TextList&) = delete;
    TextList& operator=(const TextList&) = delete;
    ~TextList() { Clear(); }

    void Clear();
    // Appends a copy of text[0..n); false (list unchanged) when the heap refuses.
    [[nodiscard]] bool Append(const char16_t* text, uint32_t n);
};

// A folder registered as a top-level item of the folder tree.
struct TreeFolder {
    StrBuf path;
    uint8_t expand = 0;  // non-zero: expanded when the tree is built
};

struct TreeFolderList {
    TreeFolder* items = nullptr;
    uint32_t count = 0;
    uint32_t capacity = 0;

    TreeFolderList() = default;
    TreeFolderList(const TreeFolderList&) = delete;
    TreeFolderList& operator=(const TreeFolderList&) = delete;
    ~TreeFolderList() { Clear(); }

    void Clear();
    [[nodiscard]] bool Append(const char16_t* path, uint32_t n, uint8_t expand);
};

struct Bookmark {
    StrBuf path;
    int32_t page = 0;
};

// Values of stretchMode.
constexpr int32_t kStretchFast = 3;    // colour on colour
constexpr int32_t kStretchSmooth = 4;  // halftone
// Values of windowShowState.
constexpr int32_t kShowNormal = 1;
constexpr int32_t kShowMaximized = 3;

struct Settings {
    StrBuf languageFile;
    bool fullScreen = false;
    int32_t windowShowState = kShowNormal;
    int32_t windowLeft = 200;
    int32_t windowTop = 100;
    int32_t windowWidth = 800;
    int32_t windowHeight = 600;
    bool spreadMode = true;
    bool rightToLeft = true;
    bool fullScreenBarAutoHide = true;
    int32_t stretchMode = kStretchSmooth;
    int32_t backgroundColour = 2;
    bool showNoticeAtStart = true;
    int32_t mouseActions[kMouseActionCount] = {};
    // The 42 bindings, and the accelerator table they and the file's stored
    // records make (what slot 20 holds).
    KeyBinding keyBindings[kKeyBindingCount];
    AccelRecord keyTable[kMaxAccelRecords];
    uint32_t keyTableCount = 0;
    StrBuf pluginFolder;
    StrBuf openDialogFolder;
    StrBuf resumePath;
    int32_t resumePage = 0;
    StrBuf favouriteFolders[kFavouriteCount];
    Bookmark bookmarks[kBookmarkCount];
    uint32_t bookmarkCount = 0;  // the first bookmarkCount entries are in use
    StrBuf history[kHistoryCount];
    uint32_t historyCount = 0;  // newest first
    TreeFolderList treeFolders;
    int32_t paneWidth = 180;
    int32_t paneMode = 1;
    int32_t treeHiddenMode = 2;
    bool treeShowFiles = true;
    bool treeExpandDesktop = true;
    bool enlargeSmallPages = true;
    TextList disabledPlugins;
    bool treeExpandFolders = true;
    int32_t paneHideDelay = 500;
    bool keyDialogMousePage = false;

    Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
};

extern Settings gSettings;
extern StrBuf gSettingsPath;

extern const int32_t kDefaultMouseActions[kMouseActionCount];

// Every field back to its default, every text and list emptied, the built-in
// key bindings and their accelerator table.
void SettingsReset(Settings* s);
// Frees every text and list (the scalar fields keep their values).
void SettingsRelease(Settings* s);

// Integer slots: the default, the stored value after its clamp, and the field's
// current value as the writer stores it. Only for kInt and kBit slots.
int32_t SettingsIntDefault(uint32_t slot);
void SettingsSetInt(Settings* s, uint32_t slot, int32_t stored);
int32_t SettingsGetInt(const Settings& s, uint32_t slot);
// The text field of a kText slot; null for any other slot.
StrBuf* SettingsText(Settings* s, uint32_t slot);
const StrBuf* SettingsText(const Settings& s, uint32_t slot);

// The main window's state at exit, from which slots 1..6 are saved.
enum class WindowShow : uint8_t { kNormal, kMinimized, kMaximized };
struct WindowRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
};
struct WindowAtExit {
    bool fullScreen = false;
    // In full screen: the show state (1 or 3) and normal rectangle kept when
    // full screen began.
    int32_t keptShowState = kShowNormal;
    WindowRect kept;
    // Otherwise: the platform's window placement.
    WindowShow show = WindowShow::kNormal;
    bool restoreToMaximized = false;
    WindowRect normal;
};

// Stores the window state at exit into fullScreen, windowShowState and the
// normal rectangle (left, top, width, height).
void SettingsTakeWindowAtExit(Settings* s, const WindowAtExit& w);

#ifdef _WIN32
// Fills show, restoreToMaximized and normal from the window's placement (window
// is an HWND); the full-screen fields are the caller's. False when the placement
// cannot be read.
[[nodiscard]] bool ReadWindowPlacementAtExit(void* window, WindowAtExit* w);

// The platform's accelerator table (an HACCEL, owned by the caller, null when
// there are no records or it cannot be made) from keyTable, and keyTable from a
// table (at most 42 records) before the save.
void* CreateAccelTableFromSettings(const Settings& s);
void StoreAccelTableInSettings(void* table, Settings* s);
#endif
