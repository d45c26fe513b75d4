#include "ui/dispatch.h"

#include "platform/lock.h"
#include "settings/settings.h"
#include "ui/about_box.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/full_screen_win.h"
#include "ui/help.h"
#include "ui/image_view.h"
#include "ui/key_dialog.h"
#include "ui/language_dialog.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/mouse_win.h"
#include "ui/option_dialogs.h"
#include "ui/options_dialog.h"
#include "ui/reader.h"
#include "ui/tool_bar.h"
#include "view/layout.h"
#include "view/navigate.h"
#include "view/page_cache.h"

namespace {

bool IsNavigation(int32_t command) {
    return command == CMD_PREV_PAGE || command == CMD_NEXT_PAGE ||
           (command >= CMD_FIRST_PAGE && command <= CMD_FORWARD_20);
}

void HideFullScreenBar() {
    if (gApp.fullScreen && gApp.barShown && gApp.bar != nullptr) {
        ShowWindow(gApp.bar, SW_HIDE);
        gApp.barShown = false;
    }
}

bool IsFolder(const StrBuf& path) {
    if (path.length == 0) {
        return false;
    }
    DWORD a = GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.Text()));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Exists(const StrBuf& path) {
    return path.length > 0 &&
           GetFileAttributesW(reinterpret_cast<const wchar_t*>(path.Text())) != INVALID_FILE_ATTRIBUTES;
}

// Resume, bookmarks and history: the stored path, if it still exists, opened at a page.
void OpenStored(const StrBuf& path, int32_t page) {
    if (!Exists(path)) {
        return;
    }
    OpenTarget target;
    target.path.Assign(path.Text());
    OpenNamedBook(&target, 0, page);
}

// The screen rectangle of a tool-bar button, asked of the tool bar itself.
bool ToolBarButtonScreenRect(int command, RECT* rect) {
    if (gApp.toolBar == nullptr || SendMessageW(gApp.toolBar, TB_GETRECT, static_cast<WPARAM>(command),
                                                reinterpret_cast<LPARAM>(rect)) == 0) {
        return false;
    }
    MapWindowPoints(gApp.toolBar, nullptr, reinterpret_cast<POINT*>(rect), 2);
    return true;
}

// Pops up the menu of a tool-bar drop-down button (5000, 5010, 5020) under it.
void PopUpToolBarMenu(int command) {
    if (gApp.menus.get() == nullptr) {
        return;
    }
    const int index = command == CMD_MENU_MAIN ? 0 : command == CMD_MENU_FOLDERS ? 1 : 2;
    HMENU popup = GetSubMenu(gApp.menus.get(), index);
    RECT r;
    if (popup == nullptr || !ToolBarButtonScreenRect(command, &r)) {
        return;
    }
    TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_NOANIMATION, r.left, r.bottom, gApp.mainWindow,
                     nullptr);
}

void SetPaneMode(int32_t mode) {
    if (gSettings.paneMode == mode) {
        return;
    }
    gSettings.paneMode = mode;
    if (gApp.pane != nullptr) {
        ShowWindow(gApp.pane, mode == 0 ? SW_SHOW : SW_HIDE);
    }
    RelayoutClient();
}

void RunViewSetting(int32_t command, bool fromKey) {
    RunViewCommand(&gView, command, fromKey);
    ReaderSyncSettings();
}

void ToggleMinimized() {
    ShowWindow(gApp.mainWindow, IsIconic(gApp.mainWindow) ? SW_RESTORE : SW_MINIMIZE);
}

void ToggleBarAutoHide() {
    gSettings.fullScreenBarAutoHide = !gSettings.fullScreenBarAutoHide;
    RECT r;
    if (gApp.fullScreen && GetClientRect(gApp.mainWindow, &r)) {
        LayoutMain(r.right, r.bottom);
    }
}

}  // namespace

void Dispatch(uint32_t commandWord, HWND sender) {
    const int32_t command = static_cast<int32_t>(commandWord & 0xFFFF);
    const bool fromKey = (commandWord >> 16) == kFromAccelerator;
    if (fromKey && (MouseActionInProgress() || (IsIconic(gApp.mainWindow) && command != CMD_MINIMIZE))) {
        return;
    }
    if (IsNavigation(command)) {
        if (gApp.fullScreen && sender == nullptr) {
            SetCursorShown(false);
        }
        Navigate(&gView, command, 0);
        return;
    }
    SetCursorShown(true);
    switch (command) {
        case CMD_MENU_MAIN:
        case CMD_MENU_FOLDERS:
        case CMD_MENU_BOOKMARKS:
            PopUpToolBarMenu(command);
            return;
        case CMD_TOGGLE_LOUPE:
            RunViewCommand(&gView, command, fromKey);
            return;
        case CMD_TOGGLE_FULL_SCREEN:
            if (gApp.fullScreen) {
                LeaveFullScreen();
            } else {
                EnterFullScreen();
            }
            return;
        case CMD_MINIMIZE:
            ToggleMinimized();
            return;
        case CMD_CLOSE:
            SendMessageW(gApp.mainWindow, WM_CLOSE, 0, 0);
            return;
        case CMD_RELOAD_PAGE:
            Navigate(&gView, CMD_RELOAD_PAGE, 0);
            return;
        case CMD_OPEN:
            HideFullScreenBar();
            OpenDialog(gSettings.openDialogFolder.Text());
            return;
        case CMD_ADD_BOOKMARK:
            AddBookmark();
            return;
        case CMD_CLEAR_HISTORY:
            ClearHistory();
            return;
        case CMD_KEY_SETTINGS:
            RunKeyDialog(gApp.mainWindow);
            return;
        case CMD_LANGUAGE:
            RunLanguageDialog(gApp.mainWindow);
            RefreshToolTips();
            return;
        case CMD_RESUME:
            OpenStored(gSettings.resumePath, gSettings.resumePage);
            return;
        case CMD_TOGGLE_SPREAD:
        case CMD_TOGGLE_RIGHT_TO_LEFT:
        case CMD_TOGGLE_ENLARGE:
            RunViewSetting(command, fromKey);
            return;
        case CMD_TOGGLE_FULL_SCREEN_BAR:
            ToggleBarAutoHide();
            return;
        case CMD_PANE_AUTO:
            SetPaneMode(1);
            return;
        case CMD_PANE_SHOW:
            SetPaneMode(0);
            return;
        case CMD_PANE_HIDE:
            SetPaneMode(2);
            return;
        case CMD_SCALE_FAST:
            ApplyStretchMode(3);
            return;
        case CMD_SCALE_SMOOTH:
            ApplyStretchMode(4);
            return;
        case CMD_EDIT_FOLDERS:
            HideFullScreenBar();
            (void)RunFavouritesDialog(gApp.mainWindow);
            return;
        case CMD_EDIT_BOOKMARKS:
            HideFullScreenBar();
            (void)RunBookmarksDialog(gApp.mainWindow);
            return;
        case CMD_PANE_DELAY:
            HideFullScreenBar();
            (void)RunPaneDelayDialog(gApp.mainWindow);
            return;
        case CMD_SHOW_NOTICE:
            HideFullScreenBar();
            (void)RunNoticeDialog(gApp.mainWindow);
            return;
        case CMD_OPTIONS:
            HideFullScreenBar();
            if (RunOptionsDialog(gApp.mainWindow) == IDOK) {
                {
                    // The loader may hold pages decoded by plug-ins now left out.
                    AppLockGuard lock;
                    ResetReadAhead(&gView);
                }
                RelayoutView(&gView);
                RepaintView();
            }
            return;
        case CMD_ABOUT:
            HideFullScreenBar();
            ShowAbout();
            return;
        case CMD_HELP:
            ShowHelp();
            return;
        default:
            break;
    }
    if (command >= CMD_FOLDER_1 && command <= CMD_FOLDER_10) {
        const StrBuf& folder = gSettings.favouriteFolders[command - CMD_FOLDER_1];
        if (IsFolder(folder)) {
            HideFullScreenBar();
            OpenDialog(folder.Text());
        }
    } else if (command >= CMD_BOOKMARK_1 && command <= CMD_BOOKMARK_20) {
        const uint32_t i = static_cast<uint32_t>(command - CMD_BOOKMARK_1);
        if (i < gSettings.bookmarkCount) {
            OpenStored(gSettings.bookmarks[i].path, gSettings.bookmarks[i].page);
        }
    } else if (command >= CMD_RECENT_1 && command <= CMD_RECENT_10) {
        const uint32_t i = static_cast<uint32_t>(command - CMD_RECENT_1);
        if (i < gSettings.historyCount) {
            OpenStored(gSettings.history[i], 0);
        }
    } else if (command >= CMD_BACKGROUND_1 && command <= CMD_BACKGROUND_5) {
        ApplyBackground(command - CMD_BACKGROUND_1);
    }
    // The dialogs, bookmarks and the history list are carried out by
    // their own modules; unknown numbers do nothing.
}
