#include <windows.h>

#include <shlobj.h>

#include "settings/language.h"
#include "ui/choose_folder_win.h"

namespace {
constexpr UINT kChooserFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;  // 0x41

int CALLBACK Preselect(HWND dialog, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED && data != 0) {
        SendMessageW(dialog, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}
}  // namespace

bool ChooseFolder(HWND owner, uint32_t titleId, StrBuf* folder) {
    StrBuf title;
    LanguageString(titleId, &title);
    return ChooseFolderTitled(owner, title.Text(), folder);
}

bool ChooseFolderTitled(HWND owner, const char16_t* title, StrBuf* folder) {
    wchar_t display[MAX_PATH + 1] = L"";
    BROWSEINFOW info{};
    info.hwndOwner = owner;
    info.pszDisplayName = display;
    info.lpszTitle = reinterpret_cast<const wchar_t*>(title);
    info.ulFlags = kChooserFlags;
    info.lpfn = Preselect;
    info.lParam = folder->length > 0 ? reinterpret_cast<LPARAM>(folder->Text()) : 0;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
    if (chosen == nullptr) {
        return false;
    }
    wchar_t path[MAX_PATH + 1] = L"";
    const bool ok = SHGetPathFromIDListW(chosen, path) != FALSE && path[0] != 0;
    CoTaskMemFree(chosen);
    if (ok) {
        folder->Assign(reinterpret_cast<const char16_t*>(path));
    }
    return ok && folder->length > 0;
}
