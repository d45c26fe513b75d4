#include "ui/key_dialog.h"

#include <commctrl.h>

#include "res/lang/lang_ids.h"
#include "settings/key_dialog_model.h"
#include "settings/key_names.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "settings/show_dialog_win.h"
#include "ui/app_state.h"
#include "ui/menus.h"
#include "ui/tool_bar.h"

namespace {

constexpr COLORREF kGreyColumn = RGB(128, 128, 128);
constexpr int kStringColumnCommand = 20100;
constexpr int kStringCaption = 20103;
constexpr int kStringInUse = 20104;
constexpr int kStringNoKey = 20105;
constexpr int kStringNoRow = 20106;
constexpr int kStringDefaults = 20108;
constexpr int kStringMouseFirst = 20200;

struct KeyDialog {
    KeyBinding bindings[kKeyBindingCount];
    int32_t actions[kMouseActionCount];
    bool mousePage = false;
    bool keysChanged = false;
    bool mouseChanged = false;
};

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

HWND List(HWND dialog) {
    return GetDlgItem(dialog, IDC_KEYS_LIST);
}

// The list's custom colours are drawn row by row; after a scroll the whole list
// is drawn again so that no row keeps the colours of the page it came from.
LRESULT CALLBACK
ListRedrawSubclass(HWND list, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    LRESULT result = DefSubclassProc(list, message, wParam, lParam);
    if (message == WM_VSCROLL && LOWORD(wParam) == SB_ENDSCROLL) {
        InvalidateRect(list, nullptr, FALSE);
        UpdateWindow(list);
    }
    return result;
}

int TextWidth(HWND window, const char16_t* text) {
    WindowDc dc(window);
    if (dc.get() == nullptr) {
        return 0;
    }
    auto font = reinterpret_cast<HFONT>(SendMessageW(window, WM_GETFONT, 0, 0));
    SelectGuard select(dc.get(),
                       font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE size{};
    GetTextExtentPoint32W(dc.get(), W(text), static_cast<int>(TextLength(text)), &size);
    return size.cx;
}

void SetCell(HWND list, int row, int column, const char16_t* text) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = const_cast<wchar_t*>(W(text));
    SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

void RefreshRow(HWND dialog, const KeyDialog& d, int row) {
    StrBuf key;
    KeyText(d.bindings[row], &key);
    SetCell(List(dialog), row, 1, key.Text());
    StrBuf mouse;
    const int32_t action = MouseActionFor(d.actions, d.bindings[row].command);
    if (action >= 0) {
        LanguageString(static_cast<uint32_t>(kStringMouseFirst + action), &mouse);
    }
    SetCell(List(dialog), row, 2, mouse.Text());
}

void RefreshRows(HWND dialog, const KeyDialog& d) {
    for (int row = 0; row < static_cast<int>(kKeyBindingCount); ++row) {
        RefreshRow(dialog, d, row);
    }
}

void AddColumn(HWND list, int index, int textId, int width) {
    StrBuf head;
    LanguageString(static_cast<uint32_t>(textId), &head);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(W(head.Text()));
    column.cx = width > 0 ? width : 0;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

void FillList(HWND dialog, const KeyDialog& d) {
    HWND list = List(dialog);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT client{};
    GetClientRect(list, &client);
    const int z = TextWidth(list, u"Z");
    const int prefix = TextWidth(list, u"Ctrl+Shift+");
    StrBuf longest;
    LanguageString(kStringMouseFirst + 2, &longest);
    int mouse = TextWidth(list, longest.Text());
    LanguageString(kStringMouseFirst + 11, &longest);
    const int other = TextWidth(list, longest.Text());
    mouse = (other > mouse ? other : mouse) + 12;
    AddColumn(list, 0, kStringColumnCommand,
              client.right - z - prefix - mouse - GetSystemMetrics(SM_CXVSCROLL) - 12);
    AddColumn(list, 1, kStringColumnCommand + 1, prefix + z + 12);
    AddColumn(list, 2, kStringColumnCommand + 2, mouse);
    for (uint32_t row = 0; row < kKeyBindingCount; ++row) {
        const int32_t command = d.bindings[row].command;
        const int32_t group = BindingGroupText(command);
        StrBuf text;
        LanguageString(static_cast<uint32_t>(group != 0 ? group : command), &text);
        if (group != 0) {
            StrBuf own;
            LanguageString(static_cast<uint32_t>(command), &own);
            if (!(text.Append(u" - ", 3) && text.Append(own.Text(), own.length))) {
                text.Assign(u"");
            }
        }
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(row);
        item.pszText = const_cast<wchar_t*>(W(text.Text()));
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    }
    RefreshRows(dialog, d);
}

void FillNames(HWND dialog) {
    HWND keys = GetDlgItem(dialog, IDC_KEYS_KEY_NAMES);
    for (uint32_t i = 0; i < kAssignableKeyCount; ++i) {
        SendMessageW(keys, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(KeyName(AssignableKey(i)))));
    }
    HWND actions = GetDlgItem(dialog, IDC_KEYS_MOUSE_NAMES);
    for (uint32_t i = 0; i < kMouseActionCount; ++i) {
        StrBuf name;
        LanguageString(kStringMouseFirst + i, &name);
        SendMessageW(actions, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(name.Text())));
    }
}

int SelectedKey(HWND dialog) {
    LRESULT i = SendDlgItemMessageW(dialog, IDC_KEYS_KEY_NAMES, LB_GETCURSEL, 0, 0);
    return i >= 0 && i < static_cast<LRESULT>(kAssignableKeyCount) ? AssignableKey(static_cast<uint32_t>(i))
                                                                   : 0;
}

void UpdateShiftBox(HWND dialog, const KeyDialog& d) {
    HWND shift = GetDlgItem(dialog, IDC_KEYS_SHIFT);
    const bool allowed = !d.mousePage && ShiftAllowed(static_cast<uint8_t>(SelectedKey(dialog)));
    if (!allowed && !d.mousePage) {
        CheckDlgButton(dialog, IDC_KEYS_SHIFT, BST_UNCHECKED);
    }
    EnableWindow(shift, allowed);
}

void ShowPage(HWND dialog, KeyDialog* d, bool mousePage) {
    d->mousePage = mousePage;
    CheckRadioButton(dialog, IDC_KEYS_PAGE_KEYS, IDC_KEYS_PAGE_MOUSE,
                     mousePage ? IDC_KEYS_PAGE_MOUSE : IDC_KEYS_PAGE_KEYS);
    ShowWindow(GetDlgItem(dialog, IDC_KEYS_KEY_NAMES), mousePage ? SW_HIDE : SW_SHOW);
    ShowWindow(GetDlgItem(dialog, IDC_KEYS_MOUSE_NAMES), mousePage ? SW_SHOW : SW_HIDE);
    EnableWindow(GetDlgItem(dialog, IDC_KEYS_CTRL), !mousePage);
    UpdateShiftBox(dialog, *d);
    InvalidateRect(List(dialog), nullptr, FALSE);
}

void Tell(HWND dialog, int textId) {
    StrBuf text;
    LanguageString(static_cast<uint32_t>(textId), &text);
    StrBuf caption;
    LanguageString(kStringCaption, &caption);
    MessageBoxW(dialog, W(text.Text()), W(caption.Text()), MB_OK | MB_ICONERROR);
}

int SelectedRow(HWND dialog) {
    LRESULT row = SendMessageW(List(dialog), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
    return row >= 0 && row < static_cast<LRESULT>(kKeyBindingCount) ? static_cast<int>(row) : -1;
}

void Assign(HWND dialog, KeyDialog* d) {
    const int row = SelectedRow(dialog);
    if (row < 0) {
        Tell(dialog, kStringNoRow);
        return;
    }
    AssignResult result;
    if (d->mousePage) {
        LRESULT action = SendDlgItemMessageW(dialog, IDC_KEYS_MOUSE_NAMES, LB_GETCURSEL, 0, 0);
        if (action < 0) {
            Tell(dialog, kStringNoKey);
            return;
        }
        result = AssignMouseAction(d->actions, static_cast<int32_t>(action), d->bindings[row].command);
        d->mouseChanged |= result == AssignResult::kAssigned;
        if (result == AssignResult::kAssigned) {
            RefreshRows(dialog, *d);  // the action may have left another row
        }
    } else {
        const int key = SelectedKey(dialog);
        if (key == 0) {
            Tell(dialog, kStringNoKey);
            return;
        }
        result = AssignKey(d->bindings, static_cast<uint32_t>(row), static_cast<uint8_t>(key),
                           IsDlgButtonChecked(dialog, IDC_KEYS_CTRL) == BST_CHECKED,
                           IsDlgButtonChecked(dialog, IDC_KEYS_SHIFT) == BST_CHECKED);
        d->keysChanged |= result == AssignResult::kAssigned;
        RefreshRow(dialog, *d, row);
    }
    if (result == AssignResult::kInUse) {
        Tell(dialog, kStringInUse);
    }
}

void Remove(HWND dialog, KeyDialog* d) {
    const int row = SelectedRow(dialog);
    if (row < 0) {
        Tell(dialog, kStringNoRow);
        return;
    }
    if (d->mousePage) {
        RemoveMouseAction(d->actions, d->bindings[row].command);
        d->mouseChanged = true;
    } else {
        RemoveKey(d->bindings, static_cast<uint32_t>(row));
        d->keysChanged = true;
    }
    RefreshRow(dialog, *d, row);
}

void RestoreDefaults(HWND dialog, KeyDialog* d) {
    StrBuf text;
    LanguageString(kStringDefaults, &text);
    StrBuf caption;
    LanguageString(IDC_KEYS_DEFAULTS, &caption);
    if (MessageBoxW(dialog, W(text.Text()), W(caption.Text()), MB_YESNO | MB_ICONQUESTION) != IDYES) {
        return;
    }
    if (d->mousePage) {
        SetDefaultMouseActions(d->actions);
        d->mouseChanged = true;
    } else {
        SetDefaultKeyBindings(d->bindings);
        d->keysChanged = true;
    }
    RefreshRows(dialog, *d);
}

// Closing keeps every change: the bindings go live, the actions into the settings.
void Close(HWND dialog, const KeyDialog& d) {
    if (d.keysChanged) {
        for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
            gSettings.keyBindings[i] = d.bindings[i];
        }
        ApplyBindings();
        RefreshToolTips();
    }
    if (d.mouseChanged) {
        for (uint32_t i = 0; i < kMouseActionCount; ++i) {
            gSettings.mouseActions[i] = d.actions[i];
        }
    }
    gSettings.keyDialogMousePage = d.mousePage;
    RemoveWindowSubclass(List(dialog), ListRedrawSubclass, IDC_KEYS_LIST);
    EndDialog(dialog, IDC_KEYS_CLOSE);
}

LRESULT CustomDraw(const KeyDialog& d, NMLVCUSTOMDRAW* cd) {
    switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT:
            return CDRF_NOTIFYSUBITEMDRAW;
        case CDDS_ITEMPREPAINT | CDDS_SUBITEM: {
            const bool grey = (cd->iSubItem == 1 && d.mousePage) || (cd->iSubItem == 2 && !d.mousePage);
            cd->clrText = grey ? kGreyColumn : GetSysColor(COLOR_WINDOWTEXT);
            return CDRF_NEWFONT;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

INT_PTR CALLBACK KeyProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* d = reinterpret_cast<KeyDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG:
            d = reinterpret_cast<KeyDialog*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            FillList(dialog, *d);
            FillNames(dialog);
            SetWindowSubclass(List(dialog), ListRedrawSubclass, IDC_KEYS_LIST, 0);
            ShowPage(dialog, d, d->mousePage);
            return TRUE;
        case WM_NOTIFY: {
            auto* header = reinterpret_cast<NMHDR*>(lParam);
            if (d != nullptr && header->idFrom == IDC_KEYS_LIST && header->code == NM_CUSTOMDRAW) {
                SetWindowLongPtrW(dialog, DWLP_MSGRESULT,
                                  CustomDraw(*d, reinterpret_cast<NMLVCUSTOMDRAW*>(lParam)));
                return TRUE;
            }
            return FALSE;
        }
        case WM_COMMAND:
            if (d == nullptr) {
                return FALSE;
            }
            switch (LOWORD(wParam)) {
                case IDC_KEYS_PAGE_KEYS:
                case IDC_KEYS_PAGE_MOUSE:
                    ShowPage(dialog, d, LOWORD(wParam) == IDC_KEYS_PAGE_MOUSE);
                    return TRUE;
                case IDC_KEYS_KEY_NAMES:
                    if (HIWORD(wParam) == LBN_SELCHANGE) {
                        UpdateShiftBox(dialog, *d);
                    }
                    return TRUE;
                case IDC_KEYS_ASSIGN:
                    Assign(dialog, d);
                    return TRUE;
                case IDC_KEYS_REMOVE:
                    Remove(dialog, d);
                    return TRUE;
                case IDC_KEYS_DEFAULTS:
                    RestoreDefaults(dialog, d);
                    return TRUE;
                case IDC_KEYS_CLOSE:
                case IDCANCEL:
                    Close(dialog, *d);
                    return TRUE;
                default:
                    return FALSE;
            }
        case WM_CLOSE:
            if (d != nullptr) {
                Close(dialog, *d);
            }
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

void RunKeyDialog(HWND owner) {
    KeyDialog d;
    // The working copy of the bindings comes from the live table, as at load.
    KeyBindingsFromAccelTable(gSettings.keyTable, gSettings.keyTableCount, d.bindings);
    for (uint32_t i = 0; i < kMouseActionCount; ++i) {
        d.actions[i] = gSettings.mouseActions[i];
    }
    d.mousePage = gSettings.keyDialogMousePage;
    (void)ShowDialog(owner, IDD_KEYS, KeyProc, reinterpret_cast<LPARAM>(&d));
}
