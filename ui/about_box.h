// The about box (CMD_ABOUT): a small modal window of the program's own making,
// not a dialog template, with the program's name and version, the maker's line
// and a link to the maker's web page (kWebAddress, ui/help.h).
//
// ShowAbout disables the main window and suspends the accelerators, registers
// "version_info_class" and "version_url_class", runs its own message loop until
// the box is destroyed (Esc, the close button), then unregisters both classes,
// enables the main window again and resumes the accelerators. A WM_QUIT seen by
// its loop ends the box and is posted again for the main loop; a GetMessage
// failure ends the box too. Every path leaves the main window enabled.
#pragma once

#include <windows.h>

void ShowAbout();

// The about window while it is open, else null. For tests.
HWND AboutWindow();
