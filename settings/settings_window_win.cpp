// The main window's placement at exit, as the settings save it.
#include <windows.h>

#include "settings/settings.h"

bool ReadWindowPlacementAtExit(void* window, WindowAtExit* w) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(static_cast<HWND>(window), &placement)) {
        return false;
    }
    if (placement.showCmd == SW_SHOWMINIMIZED) {
        w->show = WindowShow::kMinimized;
    } else if (placement.showCmd == SW_SHOWMAXIMIZED) {
        w->show = WindowShow::kMaximized;
    } else {
        w->show = WindowShow::kNormal;
    }
    w->restoreToMaximized = (placement.flags & WPF_RESTORETOMAXIMIZED) != 0;
    w->normal.left = placement.rcNormalPosition.left;
    w->normal.top = placement.rcNormalPosition.top;
    w->normal.right = placement.rcNormalPosition.right;
    w->normal.bottom = placement.rcNormalPosition.bottom;
    return true;
}
