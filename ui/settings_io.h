// The settings file in the program's life: located and read at start (the
// language slot first, the rest once the language library is loaded), written
// back at exit after the windows are torn down. The record is gSettings.
#pragma once

#include <windows.h>

#include "settings/settings_reader.h"

// Locates the file (the program-name check included) and reads the language slot.
// False when no settings location can be established.
[[nodiscard]] bool BeginSettingsLoad(SettingsReader* reader);
// Reads everything else (filling the blend table, and keeping only stored key
// records whose command is in the command table) and the window slots.
void FinishSettingsLoad(SettingsReader* reader);
// Takes the window state and the key table into gSettings and writes the file.
void SaveProgramSettings(HWND mainWindow, HACCEL accelerators);
