// Command numbers that the reading view carries out. The numbers are fixed: they
// are stored in the settings for key bindings and mouse actions, and each is also
// the language-string identifier of the command's name. The shell's full command
// table includes this header and adds the rest.
#pragma once

#include <cstdint>

// Page turning (navigate.h).
constexpr int32_t CMD_PREV_PAGE = 5030;
constexpr int32_t CMD_NEXT_PAGE = 5031;
constexpr int32_t CMD_FIRST_PAGE = 5040;
constexpr int32_t CMD_LAST_PAGE = 5041;
constexpr int32_t CMD_PREV_SPREAD = 5042;
constexpr int32_t CMD_NEXT_SPREAD = 5043;
constexpr int32_t CMD_BACK_20 = 5044;
constexpr int32_t CMD_FORWARD_20 = 5045;
// The magnifier (layout.h).
constexpr int32_t CMD_TOGGLE_LOUPE = 5050;
// Internal: show the page with the given index; show from currentIndex again.
constexpr int32_t CMD_GOTO_PAGE = 5100;
constexpr int32_t CMD_RELOAD_PAGE = 5101;
// View settings.
constexpr int32_t CMD_TOGGLE_SPREAD = 6100;
constexpr int32_t CMD_TOGGLE_RIGHT_TO_LEFT = 6101;
constexpr int32_t CMD_SCALE_FAST = 6211;
constexpr int32_t CMD_SCALE_SMOOTH = 6212;
constexpr int32_t CMD_BACKGROUND_1 = 6221;
constexpr int32_t CMD_BACKGROUND_5 = 6225;
constexpr int32_t CMD_TOGGLE_ENLARGE = 6230;
constexpr int32_t CMD_OPTIONS = 6301;
