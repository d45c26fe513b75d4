// The plug-in host in the program: the host's tables (the system's plug-in
// calls, the plug-in folder and disabled set of the settings), the picture
// fallback of the decoders, the book's plug-in listing and extension sets, and
// the open dialog's patterns.
//
// Call order: PluginsInit once at start, after the settings are read and before
// the loader thread starts. The rest on the user-interface thread.
#pragma once

#include "app/str_buf.h"
#include "view/book.h"

void PluginsInit();
// Frees the extension sets the book borrowed (at shut-down, while the heap lives).
void PluginsRelease();
// The BookOps entries of the plug-in host (context unused).
[[nodiscard]] BookOps PluginBookOps();
// The patterns of every enabled plug-in ("*.xyz;*.abc"), cut at a whole pattern
// when the list grows too long for the open dialog's filter.
void PluginOpenPatterns(StrBuf* out);
