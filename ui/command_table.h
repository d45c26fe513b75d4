// The command table: every command number of the reader with its CMD_ name. The
// numbers are fixed (key bindings and mouse actions store them, and each is the
// language string that names the command). The reading view's own commands come
// from view/commands.h; the shell's are added here. Portable: no window handle.
//
// Dispatch (dispatch_win.cpp) carries the commands out; FindCommand answers
// whether a number is a command at all and under which name.
#pragma once

#include <cstdint>

#include "view/commands.h"

// Tool-bar pop-ups.
constexpr int32_t CMD_MENU_MAIN = 5000;
constexpr int32_t CMD_MENU_FOLDERS = 5010;
constexpr int32_t CMD_MENU_BOOKMARKS = 5020;
// Window.
constexpr int32_t CMD_TOGGLE_FULL_SCREEN = 5060;
constexpr int32_t CMD_MINIMIZE = 5061;
constexpr int32_t CMD_CLOSE = 5062;
// Opening books.
constexpr int32_t CMD_OPEN = 5500;
constexpr int32_t CMD_EDIT_FOLDERS = 5501;
constexpr int32_t CMD_FOLDER_1 = 5510;
constexpr int32_t CMD_FOLDER_10 = 5519;
constexpr int32_t CMD_ADD_BOOKMARK = 5700;
constexpr int32_t CMD_EDIT_BOOKMARKS = 5701;
constexpr int32_t CMD_RESUME = 5710;
constexpr int32_t CMD_BOOKMARK_1 = 5720;
constexpr int32_t CMD_BOOKMARK_20 = 5739;
constexpr int32_t CMD_CLEAR_HISTORY = 6001;
constexpr int32_t CMD_RECENT_1 = 6010;
constexpr int32_t CMD_RECENT_10 = 6019;
// View and pane settings.
constexpr int32_t CMD_TOGGLE_FULL_SCREEN_BAR = 6200;
constexpr int32_t CMD_PANE_AUTO = 6206;
constexpr int32_t CMD_PANE_SHOW = 6207;
constexpr int32_t CMD_PANE_HIDE = 6208;
constexpr int32_t CMD_PANE_DELAY = 6209;
constexpr int32_t CMD_BACKGROUND_2 = 6222;
constexpr int32_t CMD_BACKGROUND_3 = 6223;
constexpr int32_t CMD_BACKGROUND_4 = 6224;
// Dialogs and help.
constexpr int32_t CMD_KEY_SETTINGS = 6300;
constexpr int32_t CMD_LANGUAGE = 6302;
constexpr int32_t CMD_SHOW_NOTICE = 6401;
constexpr int32_t CMD_ABOUT = 6402;
constexpr int32_t CMD_HELP = 6403;

// The browser pane's own commands, handled by the pane and never by Dispatch.
constexpr int32_t kPaneCommandFirst = 7010;
constexpr int32_t kPaneCommandLast = 7110;

// The high word of a command word: the command came from an accelerator key.
constexpr uint32_t kFromAccelerator = 1;

struct CommandInfo {
    int32_t id;        // first number of the range
    int32_t last;      // last number of the range (id for a single command)
    const char* name;  // the CMD_ name (of the first of a range)
};

// The command (or numbered range) that holds id, or null for a number that is no
// command (menu identifiers, separators, the pane's commands).
const CommandInfo* FindCommand(int32_t id);
// All entries in number order, and their count.
const CommandInfo* CommandTable(uint32_t* count);
