// What the RAR binding asks of the platform: loading the library from the three
// places and releasing it. archive/rar_library_win.cpp loads real libraries; the
// native build has none (tests use RarSetEntryPointsOverride).
#pragma once

#include "archive/rar_api.h"

// The module handle of the first place whose library exports all four entry
// points (filled into *entry), or null with *entry cleared.
[[nodiscard]] void* RarLoadFromPlaces(const char16_t* pluginFolder, RarEntryPoints* entry);
void RarFreeModule(void* module);
