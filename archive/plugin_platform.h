// The Windows side of the plug-in host's table: libraries by LoadLibraryExW,
// local- and global-memory handles, the system code page for names. Only the
// Windows build has it; tests of the portable host fill their own table.
#pragma once

#include "archive/plugin_host.h"

[[nodiscard]] const PluginPlatform* SystemPluginPlatform();
