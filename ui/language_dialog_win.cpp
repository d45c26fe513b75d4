#include "ui/language_dialog.h"

#include "app/text.h"
#include "res/lang/lang_ids.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "settings/show_dialog_win.h"
#include "ui/app_state.h"
#include "ui/menus.h"

namespace {

constexpr COLORREF kHighlightFrame = RGB(72, 144, 144);
constexpr COLORREF kHighlightFill = RGB(232, 255, 255);

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

bool IsCurrentLanguage(const char16_t* name, uint32_t n) {
    return gSettings.languageFile.length == n && EqualsNoCaseN(gSettings.languageFile.Text(), n, name, n);
}

// The language libraries beside the program, in the order the folder search gives.
void FillList(HWND list) {
    wchar_t program[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(nullptr, program, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) {
        return;
    }
    StrBuf folder;
    folder.AssignPathPart(kPathFolder, reinterpret_cast<const char16_t*>(program), n);
    StrBuf pattern;
    pattern.JoinPath(folder.Text(), folder.length, u"*.dll", 5);
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW(W(pattern.Text()), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    LRESULT current = CB_ERR;
    do {
        const auto* name = reinterpret_cast<const char16_t*>(found.cFileName);
        StrBuf candidate;
        candidate.AssignPathPart(kPathWithoutExtension, name, TextLength(name));
        bool add = IsCurrentLanguage(candidate.Text(), candidate.length);
        if (!add) {
            StrBuf full;
            full.JoinPath(folder.Text(), folder.length, name, TextLength(name));
            add = full.length > 0 && IsLanguageLibrary(full.Text());
        }
        if (add && candidate.length > 0) {
            LRESULT at = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(candidate.Text())));
            if (at >= 0 && IsCurrentLanguage(candidate.Text(), candidate.length)) {
                current = at;
            }
        }
    } while (FindNextFileW(search, &found));
    FindClose(search);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(current), 0);
}

void DrawListItem(const DRAWITEMSTRUCT* dis) {
    HDC dc = dis->hDC;
    RECT r = dis->rcItem;
    if ((dis->itemState & ODS_SELECTED) != 0) {
        PenOwner pen(CreatePen(PS_SOLID, 1, kHighlightFrame));
        BrushOwner brush(CreateSolidBrush(kHighlightFill));
        if (pen.valid() && brush.valid()) {
            SelectGuard p(dc, pen.get());
            SelectGuard b(dc, brush.get());
            Rectangle(dc, r.left, r.top, r.right, r.bottom);
        }
    } else {
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    }
    if (dis->itemID == static_cast<UINT>(-1)) {
        return;
    }
    wchar_t text[MAX_PATH + 1] = {};
    LRESULT n = SendMessageW(dis->hwndItem, CB_GETLBTEXTLEN, dis->itemID, 0);
    if (n <= 0 || n > MAX_PATH) {
        return;
    }
    SendMessageW(dis->hwndItem, CB_GETLBTEXT, dis->itemID, reinterpret_cast<LPARAM>(text));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(IsWindowEnabled(dis->hwndItem) ? COLOR_WINDOWTEXT : COLOR_GRAYTEXT));
    SelectGuard font(dc, gApp.interfaceFont.valid() ? static_cast<HGDIOBJ>(gApp.interfaceFont.get())
                                                    : GetStockObject(DEFAULT_GUI_FONT));
    r.left += 2;
    DrawTextW(dc, text, static_cast<int>(n), &r, DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
}

INT_PTR CALLBACK LanguageProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_INITDIALOG: {
            HWND list = GetDlgItem(dialog, IDC_LANGUAGE_LIST);
            const int height = gApp.textHeight + 2;
            SendMessageW(list, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
            SendMessageW(list, CB_SETITEMHEIGHT, 0, height);
            FillList(list);
            return TRUE;
        }
        case WM_MEASUREITEM: {
            auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            mis->itemHeight = static_cast<UINT>(gApp.textHeight + 2);
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        }
        case WM_DRAWITEM:
            DrawListItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
            return TRUE;
        case WM_COMMAND:
            if (LOWORD(wParam) == IDOK) {
                StrBuf chosen;
                if (AssignFromDialogItem(dialog, IDC_LANGUAGE_LIST, &chosen) > 0 &&
                    chosen.length <= MAX_PATH) {
                    (void)SwitchToLanguage(chosen.Text());
                }
                EndDialog(dialog, IDOK);
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                EndDialog(dialog, IDCANCEL);
                return TRUE;
            }
            return FALSE;
        default:
            return FALSE;
    }
}

}  // namespace

void RunLanguageDialog(HWND owner) {
    (void)ShowDialog(owner, IDD_LANGUAGE, LanguageProc, 0);
}

bool SwitchToLanguage(const char16_t* name) {
    const uint32_t n = TextLength(name);
    if (n == 0 || IsCurrentLanguage(name, n)) {
        return false;
    }
    // A library that cannot be loaded leaves the current one and its texts.
    if (!SwitchLanguage(&gSettings.languageFile, name)) {
        return false;
    }
    ReloadAfterLanguageChange();
    return true;
}
