#include "ui/option_dialogs.h"

#include "res/lang/lang_ids.h"
#include "settings/option_edits.h"
#include "settings/settings.h"
#include "settings/show_dialog_win.h"
#include "ui/choose_folder_win.h"
#include "ui/menus.h"

namespace {

const wchar_t* W(const StrBuf& s) {
    return reinterpret_cast<const wchar_t*>(s.Text());
}

INT_PTR Close(HWND dialog, WPARAM wParam) {
    EndDialog(dialog, LOWORD(wParam));
    return TRUE;
}

bool IsOkOrCancel(WPARAM wParam) {
    return LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL;
}

INT_PTR CALLBACK NoticeProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        CheckDlgButton(dialog, IDC_NOTICE_DONT_SHOW,
                       gSettings.showNoticeAtStart ? BST_UNCHECKED : BST_CHECKED);
        return TRUE;
    }
    if (message == WM_COMMAND && IsOkOrCancel(wParam)) {
        gSettings.showNoticeAtStart = IsDlgButtonChecked(dialog, IDC_NOTICE_DONT_SHOW) != BST_CHECKED;
        return Close(dialog, wParam);
    }
    return FALSE;
}

INT_PTR CALLBACK PaneDelayProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        SetDlgItemInt(dialog, IDC_PANE_DELAY_EDIT, static_cast<UINT>(gSettings.paneHideDelay), FALSE);
        SendDlgItemMessageW(dialog, IDC_PANE_DELAY_EDIT, EM_SETLIMITTEXT, kPaneDelayDigits, 0);
        return TRUE;
    }
    if (message == WM_COMMAND && IsOkOrCancel(wParam)) {
        if (LOWORD(wParam) == IDOK) {
            StrBuf text;
            (void)AssignFromDialogItem(dialog, IDC_PANE_DELAY_EDIT, &text);
            gSettings.paneHideDelay = PaneDelayFromText(text.Text(), text.length);
        }
        return Close(dialog, wParam);
    }
    return FALSE;
}

INT_PTR CALLBACK BookmarksProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (uint32_t i = 0; i < gSettings.bookmarkCount && i < kBookmarkCount; ++i) {
            StrBuf row;
            BookmarkRowText(gSettings.bookmarks[i], &row);
            SetDlgItemTextW(dialog, IDC_BOOKMARK_EDIT_FIRST + static_cast<int>(i), W(row));
        }
        return TRUE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    const int id = LOWORD(wParam);
    if (id >= IDC_BOOKMARK_CLEAR_FIRST && id < IDC_BOOKMARK_CLEAR_FIRST + BOOKMARK_ROWS) {
        SetDlgItemTextW(dialog, IDC_BOOKMARK_EDIT_FIRST + (id - IDC_BOOKMARK_CLEAR_FIRST), L"");
        return TRUE;
    }
    if (id == IDC_BOOKMARKS_CLEAR_ALL) {
        for (int i = 0; i < BOOKMARK_ROWS; ++i) {
            SetDlgItemTextW(dialog, IDC_BOOKMARK_EDIT_FIRST + i, L"");
        }
        return TRUE;
    }
    if (id == IDOK) {
        // The rows only show or remove bookmarks: an edited text changes nothing.
        bool cleared[kBookmarkCount] = {};
        for (uint32_t i = 0; i < gSettings.bookmarkCount && i < kBookmarkCount; ++i) {
            cleared[i] =
                GetWindowTextLengthW(GetDlgItem(dialog, IDC_BOOKMARK_EDIT_FIRST + static_cast<int>(i))) == 0;
        }
        (void)RemoveClearedBookmarks(&gSettings, cleared);
        RebuildBookmarkItems();
    }
    return IsOkOrCancel(wParam) ? Close(dialog, wParam) : FALSE;
}

INT_PTR CALLBACK FavouritesProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    if (message == WM_INITDIALOG) {
        for (int i = 0; i < FAVOURITE_ROWS; ++i) {
            const StrBuf& folder = gSettings.favouriteFolders[i];
            if (folder.length > 0) {
                SetDlgItemTextW(dialog, IDC_FAVOURITE_EDIT_FIRST + i, W(folder));
                SendDlgItemMessageW(dialog, IDC_FAVOURITE_EDIT_FIRST + i, EM_SETSEL, 0, -1);
            }
        }
        return TRUE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    const int id = LOWORD(wParam);
    if (id >= IDC_FAVOURITE_BROWSE_FIRST && id < IDC_FAVOURITE_BROWSE_FIRST + FAVOURITE_ROWS) {
        // The edit's text is both the chooser's title and where it starts.
        const int edit = IDC_FAVOURITE_EDIT_FIRST + (id - IDC_FAVOURITE_BROWSE_FIRST);
        StrBuf folder;
        (void)AssignFromDialogItem(dialog, edit, &folder);
        StrBuf title;
        title.Assign(folder.Text());
        if (ChooseFolderTitled(dialog, title.Text(), &folder)) {
            SetDlgItemTextW(dialog, edit, W(folder));
        }
        return TRUE;
    }
    if (id >= IDC_FAVOURITE_CLEAR_FIRST && id < IDC_FAVOURITE_CLEAR_FIRST + FAVOURITE_ROWS) {
        SetDlgItemTextW(dialog, IDC_FAVOURITE_EDIT_FIRST + (id - IDC_FAVOURITE_CLEAR_FIRST), L"");
        return TRUE;
    }
    if (id == IDOK) {
        // Every text is read first, so that a refused allocation changes nothing.
        StrBuf texts[kFavouriteCount];
        for (int i = 0; i < FAVOURITE_ROWS; ++i) {
            const int edit = IDC_FAVOURITE_EDIT_FIRST + i;
            if (AssignFromDialogItem(dialog, edit, &texts[i]) == 0 &&
                GetWindowTextLengthW(GetDlgItem(dialog, edit)) > 0) {
                return TRUE;  // the dialog stays open, the folders as they were
            }
        }
        for (int i = 0; i < FAVOURITE_ROWS; ++i) {
            gSettings.favouriteFolders[i] = static_cast<StrBuf&&>(texts[i]);
        }
        RebuildFavouritesMenu();
    }
    return IsOkOrCancel(wParam) ? Close(dialog, wParam) : FALSE;
}

}  // namespace

INT_PTR RunNoticeDialog(HWND owner) {
    return ShowDialog(owner, IDD_NOTICE, NoticeProc, 0);
}

INT_PTR RunPaneDelayDialog(HWND owner) {
    return ShowDialog(owner, IDD_PANE_DELAY, PaneDelayProc, 0);
}

INT_PTR RunBookmarksDialog(HWND owner) {
    return gSettings.bookmarkCount > 0 ? ShowDialog(owner, IDD_BOOKMARKS, BookmarksProc, 0) : 0;
}

INT_PTR RunFavouritesDialog(HWND owner) {
    return ShowDialog(owner, IDD_FAVOURITES, FavouritesProc, 0);
}
