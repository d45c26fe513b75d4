// The options dialog (CMD_OPTIONS, template 2500): the plug-in folder and the
// plug-ins in it, each enabled by its check mark. The dialog works on a copy of
// the folder; only OK changes the settings, under AppLock (the host and the
// loader thread read them there), and then hands the folder tree the RAR
// library's availability and the archive plug-ins' extensions again. The caller
// resets the read-ahead and lays the view out again on IDOK.
//
// The folder's browse button (2520) waits for the shell's folder chooser and is
// disabled; the folder is typed or pasted into edit 2510.
#pragma once

#include <windows.h>

// IDOK or IDCANCEL; 0 when the template is missing.
INT_PTR RunOptionsDialog(HWND owner);
