#include "ui/options_dialog.h"

#include <commctrl.h>
#include <shlwapi.h>

#include <new>

#include "archive/plugin_host.h"
#include "archive/rar_library.h"
#include "browser/folder_tree.h"
#include "platform/lock.h"
#include "res/lang/lang_ids.h"
#include "settings/language.h"
#include "settings/option_edits.h"
#include "settings/settings.h"
#include "settings/show_dialog_win.h"
#include "ui/app_state.h"
#include "ui/choose_folder_win.h"

namespace {

constexpr UINT_PTR kSubclassId = 2500;
constexpr COLORREF kHintColour = RGB(128, 128, 128);
constexpr uint32_t kMaxPathChars = 260;

struct OptionsState {
    StrBuf folder;  // the dialog's copy of pluginFolder
};

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

// The grey hint of the empty folder edit, drawn over the edit's own paint.
void DrawHint(HWND edit) {
    if (GetWindowTextLengthW(edit) != 0) {
        return;
    }
    StrBuf hint;
    LanguageString(static_cast<uint32_t>(GetDlgCtrlID(edit)), &hint);
    RECT r{};
    SendMessageW(edit, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&r));
    HDC dc = GetDC(edit);
    if (dc == nullptr) {
        return;
    }
    HGDIOBJ old = SelectObject(dc, gApp.interfaceFont.get());
    SetTextColor(dc, kHintColour);
    SetBkMode(dc, TRANSPARENT);
    DrawTextW(dc, W(hint.Text()), -1, &r, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    SelectObject(dc, old);
    ReleaseDC(edit, dc);
}

LRESULT CALLBACK ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    const LRESULT result = DefSubclassProc(control, message, wParam, lParam);
    if (message == WM_PAINT && GetDlgCtrlID(control) == IDC_OPTIONS_PLUGIN_FOLDER) {
        DrawHint(control);
    } else if (message == WM_VSCROLL && LOWORD(wParam) == SB_ENDSCROLL) {
        // The rows' colours are drawn again whole once scrolling ends.
        InvalidateRect(control, nullptr, FALSE);
        UpdateWindow(control);
    }
    return result;
}

int CALLBACK CompareRows(LPARAM a, LPARAM b, LPARAM list) {
    wchar_t ta[kMaxPathChars + 1] = {};
    wchar_t tb[kMaxPathChars + 1] = {};
    ListView_GetItemText(reinterpret_cast<HWND>(list), static_cast<int>(a), 0, ta, kMaxPathChars + 1);
    ListView_GetItemText(reinterpret_cast<HWND>(list), static_cast<int>(b), 0, tb, kMaxPathChars + 1);
    return StrCmpLogicalW(ta, tb);
}

// One row per plug-in file of the folder the settings name (the copy is handed
// over only for the listing), checked unless disabled names it.
void FillList(HWND list, const StrBuf& folder, const TextList* disabled) {
    ListView_DeleteAllItems(list);
    PluginTextList files;
    {
        AppLockGuard lock;
        StrBuf kept = static_cast<StrBuf&&>(gSettings.pluginFolder);
        gSettings.pluginFolder.Assign(folder.Text());
        PluginList(&files);
        gSettings.pluginFolder = static_cast<StrBuf&&>(kept);
    }
    for (uint32_t i = 0; i < files.count; ++i) {
        const StrBuf& name = files.items[i];
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = static_cast<int>(i);
        item.pszText = const_cast<wchar_t*>(W(name.Text()));
        const int row = ListView_InsertItem(list, &item);
        if (row < 0) {
            continue;
        }
        ListView_SetCheckState(list, row, PluginEnabled(name.Text(), name.length, disabled) ? TRUE : FALSE);
        StrBuf patterns;
        StrBuf descriptions;
        {
            AppLockGuard lock;
            StrBuf kept = static_cast<StrBuf&&>(gSettings.pluginFolder);
            gSettings.pluginFolder.Assign(folder.Text());
            (void)PluginDescribe(name.Text(), &patterns, &descriptions);
            gSettings.pluginFolder = static_cast<StrBuf&&>(kept);
        }
        ListView_SetItemText(list, row, 1, const_cast<wchar_t*>(W(patterns.Text())));
        ListView_SetItemText(list, row, 2, const_cast<wchar_t*>(W(descriptions.Text())));
    }
    ListView_SortItemsEx(list, CompareRows, reinterpret_cast<LPARAM>(list));
}

bool FolderExists(const StrBuf& folder) {
    if (folder.length == 0) {
        return false;
    }
    const DWORD a = GetFileAttributesW(W(folder.Text()));
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void AddColumn(HWND list, int index, uint32_t textId, int width) {
    StrBuf text;
    LanguageString(textId, &text);
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.pszText = const_cast<wchar_t*>(W(text.Text()));
    column.cx = width;
    ListView_InsertColumn(list, index, &column);
}

void InitDialog(HWND dialog, OptionsState* state) {
    HWND edit = GetDlgItem(dialog, IDC_OPTIONS_PLUGIN_FOLDER);
    HWND list = GetDlgItem(dialog, IDC_OPTIONS_PLUGIN_LIST);
    SendMessageW(edit, EM_SETLIMITTEXT, kMaxPathChars, 0);
    if (state->folder.length > 0) {
        SetWindowTextW(edit, W(state->folder.Text()));
    }
    SetWindowSubclass(edit, ControlProc, kSubclassId, 0);
    SetWindowSubclass(list, ControlProc, kSubclassId, 0);
    ListView_SetExtendedListViewStyle(list, LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
    RECT client{};
    GetClientRect(list, &client);
    AddColumn(list, 0, IDS_PLUGIN_COLUMN_FILE, 100);
    AddColumn(list, 1, IDS_PLUGIN_COLUMN_EXTENSIONS, 135);
    AddColumn(list, 2, IDS_PLUGIN_COLUMN_DESCRIPTION, client.right - 235);
    if (FolderExists(state->folder)) {
        FillList(list, state->folder, &gSettings.disabledPlugins);
    }
}

// The edit left with another folder than the copy: the copy follows, every
// plug-in of the new folder listed enabled.
void TakeEditedFolder(HWND dialog, OptionsState* state) {
    StrBuf text;
    (void)AssignFromDialogItem(dialog, IDC_OPTIONS_PLUGIN_FOLDER, &text);
    if (text.length > kMaxPathChars || !PluginFolderChanged(state->folder, text.Text(), text.length)) {
        return;
    }
    state->folder = static_cast<StrBuf&&>(text);
    FillList(GetDlgItem(dialog, IDC_OPTIONS_PLUGIN_LIST), state->folder, nullptr);
}

// Browse: the chooser titled with the copy after its label, starting there; a
// chosen folder becomes the copy and is listed with every plug-in enabled.
void BrowseFolder(HWND dialog, OptionsState* state) {
    TakeEditedFolder(dialog, state);
    StrBuf title;
    LanguageString(IDS_PLUGIN_FOLDER_CHOOSER, &title);
    if (!title.Append(state->folder.Text(), state->folder.length)) {
        return;
    }
    StrBuf chosen;
    chosen.Assign(state->folder.Text());
    if (!ChooseFolderTitled(dialog, title.Text(), &chosen) || chosen.length > kMaxPathChars) {
        return;
    }
    state->folder = static_cast<StrBuf&&>(chosen);
    SetDlgItemTextW(dialog, IDC_OPTIONS_PLUGIN_FOLDER, W(state->folder.Text()));
    FillList(GetDlgItem(dialog, IDC_OPTIONS_PLUGIN_LIST), state->folder, nullptr);
}

// OK: the folder and the unchecked rows become the settings, then the tree's
// inputs follow. False (the dialog stays open, nothing changed) when the heap
// refuses the row names.
bool Apply(HWND dialog, OptionsState* state) {
    HWND list = GetDlgItem(dialog, IDC_OPTIONS_PLUGIN_LIST);
    const int rows = ListView_GetItemCount(list);
    const uint32_t count = rows > 0 ? static_cast<uint32_t>(rows) : 0;
    TextList names;
    bool* checked = count > 0 ? new (std::nothrow) bool[count] : nullptr;
    if (count > 0 && checked == nullptr) {
        return false;
    }
    StrBuf* rowNames = count > 0 ? new (std::nothrow) StrBuf[count] : nullptr;
    bool ok = count == 0 || rowNames != nullptr;
    for (uint32_t i = 0; ok && i < count; ++i) {
        wchar_t name[kMaxPathChars + 1] = {};
        ListView_GetItemText(list, static_cast<int>(i), 0, name, kMaxPathChars + 1);
        ok = rowNames[i].Append(reinterpret_cast<const char16_t*>(name), static_cast<uint32_t>(wcslen(name)));
        checked[i] = ListView_GetCheckState(list, static_cast<int>(i)) != 0;
    }
    if (ok) {
        AppLockGuard lock;
        ok = DisabledFromRows(rowNames, checked, count, &gSettings.disabledPlugins);
        if (ok) {
            gSettings.pluginFolder.Assign(state->folder.Text());
        }
    }
    delete[] rowNames;
    delete[] checked;
    if (!ok) {
        return false;
    }
    PluginTextList extensions;
    bool rar = false;
    {
        AppLockGuard lock;
        rar = RarLibraryAvailable(gSettings.pluginFolder.Text());
        PluginExtensions(kPluginArchive, false, &extensions);
    }
    TextList list2;
    for (uint32_t i = 0; i < extensions.count; ++i) {
        (void)list2.Append(extensions.items[i].Text(), extensions.items[i].length);
    }
    TreeSetRarAvailable(rar);
    TreeSetPluginExtensions(&list2);
    return true;
}

// A plug-in's own settings dialog runs its own loop, so the host leaves AppLock
// free for it. Only when the dialog lists another folder than the settings name
// is that folder handed over, under the lock for the whole call.
void ConfigurePlugin(HWND dialog, const StrBuf& folder, const char16_t* name) {
    if (!PluginFolderChanged(gSettings.pluginFolder, folder.Text(), folder.length)) {
        PluginConfigure(dialog, name);
        return;
    }
    AppLockGuard lock;
    StrBuf kept = static_cast<StrBuf&&>(gSettings.pluginFolder);
    gSettings.pluginFolder.Assign(folder.Text());
    PluginConfigure(dialog, name);
    gSettings.pluginFolder = static_cast<StrBuf&&>(kept);
}

void Finish(HWND dialog, int button) {
    RemoveWindowSubclass(GetDlgItem(dialog, IDC_OPTIONS_PLUGIN_FOLDER), ControlProc, kSubclassId);
    RemoveWindowSubclass(GetDlgItem(dialog, IDC_OPTIONS_PLUGIN_LIST), ControlProc, kSubclassId);
    EndDialog(dialog, button);
}

INT_PTR CALLBACK OptionsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<OptionsState*>(GetWindowLongPtrW(dialog, DWLP_USER));
    if (message == WM_INITDIALOG) {
        state = reinterpret_cast<OptionsState*>(lParam);
        SetWindowLongPtrW(dialog, DWLP_USER, lParam);
        InitDialog(dialog, state);
        return TRUE;
    }
    if (state == nullptr) {
        return FALSE;
    }
    if (message == WM_NOTIFY) {
        const auto* hdr = reinterpret_cast<const NMHDR*>(lParam);
        if (hdr->idFrom == IDC_OPTIONS_PLUGIN_LIST && hdr->code == NM_DBLCLK) {
            const auto* act = reinterpret_cast<const NMITEMACTIVATE*>(lParam);
            if (act->iItem >= 0 && ListView_GetItemState(hdr->hwndFrom, act->iItem, LVIS_SELECTED) != 0) {
                wchar_t name[kMaxPathChars + 1] = {};
                ListView_GetItemText(hdr->hwndFrom, act->iItem, 0, name, kMaxPathChars + 1);
                ConfigurePlugin(dialog, state->folder, reinterpret_cast<const char16_t*>(name));
            }
        }
        return FALSE;
    }
    if (message != WM_COMMAND) {
        return FALSE;
    }
    switch (LOWORD(wParam)) {
        case IDC_OPTIONS_PLUGIN_FOLDER:
            if (HIWORD(wParam) == EN_KILLFOCUS) {
                TakeEditedFolder(dialog, state);
            }
            return TRUE;
        case IDC_OPTIONS_BROWSE:
            BrowseFolder(dialog, state);
            return TRUE;
        case IDC_OPTIONS_CLEAR:
            state->folder.Assign(u"");
            SetDlgItemTextW(dialog, IDC_OPTIONS_PLUGIN_FOLDER, L"");
            ListView_DeleteAllItems(GetDlgItem(dialog, IDC_OPTIONS_PLUGIN_LIST));
            return TRUE;
        case IDOK:
            // A folder typed just before OK counts, as if the edit had lost the focus.
            TakeEditedFolder(dialog, state);
            if (Apply(dialog, state)) {
                Finish(dialog, IDOK);
            }
            return TRUE;
        case IDCANCEL:
            Finish(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

INT_PTR RunOptionsDialog(HWND owner) {
    OptionsState state;
    state.folder.Assign(gSettings.pluginFolder.Text());
    return ShowDialog(owner, IDD_OPTIONS, OptionsProc, reinterpret_cast<LPARAM>(&state));
}
