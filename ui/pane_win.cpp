#include "ui/pane.h"

#include <commctrl.h>

#include "browser/folder_tree.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/main_window.h"
#include "ui/mouse_win.h"

namespace {

void StartHover(HWND control, int target) {
    if (gApp.hoverTarget == target) {
        return;
    }
    TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, control, 0};
    TrackMouseEvent(&track);
    SetFocus(control);
    gApp.acceleratorsSuspended = true;
    gApp.hoverTarget = target;
}

void EndHover() {
    gApp.hoverTarget = kHoverNone;
    gApp.acceleratorsSuspended = false;
    if (gApp.appActive) {
        SetFocus(gApp.mainWindow);
    }
}

LRESULT CALLBACK
HoverSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR) {
    const bool isTree = id == static_cast<UINT_PTR>(kIdFolderTree);
    switch (message) {
        case WM_SETCURSOR:
            SetCursor(gApp.arrowCursor);
            return TRUE;
        case WM_MOUSEMOVE:
            if (isTree) {
                if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && gApp.appActive) {
                    StartHover(window, kHoverTree);
                    // Over the tree the full-screen bar and the pane's auto-hide give way.
                    if (gApp.fullScreen && gApp.barShown && gSettings.fullScreenBarAutoHide) {
                        ShowWindow(gApp.bar, SW_HIDE);
                        gApp.barShown = false;
                    }
                    if (gApp.paneTimerRunning) {
                        KillTimer(gApp.mainWindow, kPaneTimer);
                        gApp.paneTimerRunning = false;
                    }
                }
            } else if (gApp.appActive) {
                StartHover(window, kHoverList);
            }
            break;
        case WM_MOUSELEAVE:
            EndHover();
            break;
        default:
            break;
    }
    // Everything else, the tree's change notifications among it, goes on to the
    // folder tree's own subclass (OnShellChange) and the control's procedure.
    return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace

void ShowBarIfHidden() {
    if (!gApp.barShown && gApp.bar != nullptr) {
        ShowWindow(gApp.bar, SW_SHOW);
        gApp.barShown = true;
        SetCursorShown(true);
    }
}

LRESULT CALLBACK PaneProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            gApp.pane = window;
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
            EndPaint(window, &ps);
            return 0;
        }
        case WM_MOUSEMOVE:
            if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 &&
                static_cast<int16_t>(HIWORD(lParam)) == 0 && gApp.appActive && gApp.fullScreen &&
                gSettings.fullScreenBarAutoHide) {
                ShowBarIfHidden();
            }
            return 0;
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
            SetFocus(gApp.mainWindow);
            return 0;
        case WM_NOTIFY: {
            // The folder tree fills and releases its items through these.
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (header != nullptr && header->idFrom == static_cast<UINT_PTR>(kIdFolderTree)) {
                return TreeNotify(header);
            }
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_COMMAND: {
            const int command = LOWORD(wParam);
            if (command >= kPaneCommandFirst && command <= kPaneCommandLast) {
                return 0;  // the pane's own menu commands
            }
            return DefWindowProcW(window, message, wParam, lParam);
        }
        case WM_DESTROY:
            gApp.pane = nullptr;
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void SubclassPaneControls(HWND folderTree, HWND fileList) {
    gApp.folderTree = folderTree;
    gApp.fileList = fileList;
    if (folderTree != nullptr) {
        SetWindowSubclass(folderTree, HoverSubclass, kIdFolderTree, 0);
    }
    if (fileList != nullptr) {
        SetWindowSubclass(fileList, HoverSubclass, kIdFileList, 0);
    }
}

void RemovePaneSubclasses() {
    if (gApp.fileList != nullptr) {
        RemoveWindowSubclass(gApp.fileList, HoverSubclass, kIdFileList);
    }
    if (gApp.folderTree != nullptr) {
        RemoveWindowSubclass(gApp.folderTree, HoverSubclass, kIdFolderTree);
    }
}
