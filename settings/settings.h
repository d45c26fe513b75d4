// Settings: the one program-wide settings record (gSettings) with every field,
// and the list types it holds. Where each field is stored in the settings file,
// its default and the clamp a stored value goes through are the slot table's
// (settings_slots.h).
//
// Owner: the user-interface thread. gSettings starts at its defaults (SettingsReset)
// and is filled once at start by the reader (settings_reader.h) and written once at
// exit by the writer (settings_writer.h); in between the program reads and
// changes its fields directly. Every text and list lives on the application heap
// and is freed by SettingsRelease (or the record's destructor, while the heap
// still exists). gSettingsPath holds the settings file's full path once located.
//
// Adding a setting kept as an integer, a bit or a text: add its field to
// Settings below; give its slot number a kSlot constant (settings_slots.h); add
// one row to the slot table (settings_slots.cpp) at the place in the write order
// where the writer should store it, saying its kind, when the reader takes it
// (SlotLoad::kMain unless it must wait for something), its default and its clamp.
// The reader, the writer, the reset, the dump and the table-driven round-trip
// test then handle it; the table's compile-time checks catch a slot given twice
// or a default its own clamp would change. A list or other byte value needs a
// codec of its own in the reader and the writer as well (see the key table).
#pragma once

#include <cstdint>

#include "app/str_buf.h"
#include "settings/key_bindings.h"
#include "settings/settings_slots.h"

constexpr uint32_t kFavouriteCount = 10;
constexpr uint32_t kBookmarkCount = 20;
constexpr uint32_t kHistoryCount = 10;
constexpr uint32_t kMouseActionCount = 12;

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

// Integer and bit fields get their defaults from the slot table when the record
// is made and at every SettingsReset.
struct Settings {
    StrBuf languageFile;
    bool fullScreen{};
    int32_t windowShowState{};
    int32_t windowLeft{};
    int32_t windowTop{};
    int32_t windowWidth{};
    int32_t windowHeight{};
    bool spreadMode{};
    bool rightToLeft{};
    bool fullScreenBarAutoHide{};
    int32_t stretchMode{};
    int32_t backgroundColour{};
    bool showNoticeAtStart{};
    int32_t mouseActions[kMouseActionCount]{};
    // The 42 bindings, and the accelerator table they and the file's stored
    // records make (what slot 20 holds).
    KeyBinding keyBindings[kKeyBindingCount];
    AccelRecord keyTable[kMaxAccelRecords];
    uint32_t keyTableCount = 0;
    StrBuf pluginFolder;
    StrBuf openDialogFolder;
    StrBuf resumePath;
    int32_t resumePage{};
    StrBuf favouriteFolders[kFavouriteCount];
    Bookmark bookmarks[kBookmarkCount];
    uint32_t bookmarkCount = 0;  // the first bookmarkCount entries are in use
    StrBuf history[kHistoryCount];
    uint32_t historyCount = 0;  // newest first
    TreeFolderList treeFolders;
    int32_t paneWidth{};
    int32_t paneMode{};
    int32_t treeHiddenMode{};
    bool treeShowFiles{};
    bool treeExpandDesktop{};
    bool enlargeSmallPages{};
    TextList disabledPlugins;
    bool treeExpandFolders{};
    int32_t paneHideDelay{};
    bool keyDialogMousePage{};

    Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;
};

extern Settings gSettings;
extern StrBuf gSettingsPath;

// Every field back to its default, every text and list emptied, the built-in
// key bindings and their accelerator table.
void SettingsReset(Settings* s);
// Frees every text and list (the scalar fields keep their values).
void SettingsRelease(Settings* s);

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
// table (at most 42 records; null for none) before the save. False when the
// table cannot be read: keyTable is then left as it was.
[[nodiscard]] void* CreateAccelTableFromSettings(const Settings& s);
[[nodiscard]] bool StoreAccelTableInSettings(void* table, Settings* s);
#endif
