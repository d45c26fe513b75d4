// The shell's side of RAR books: the password dialog the RAR reader asks
// through, the plug-in folder it searches, and the book's listing taken before
// the open sequence locks the program.
#include "ui/rar_shell.h"

#include "app/text.h"
#include "archive/rar_archive.h"
#include "archive/rar_library.h"
#include "settings/settings.h"
#include "settings/show_dialog_win.h"
#include "ui/app_state.h"

namespace {

struct PasswordDialog {
    StrBuf* password;
    bool done = false;
    bool confirmed = false;
};

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// Over the owner's middle, or the middle of the screen's work area without one.
void Centre(HWND dialog, HWND owner) {
    RECT area{};
    if (owner == nullptr || !GetWindowRect(owner, &area)) {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    }
    RECT box{};
    GetWindowRect(dialog, &box);
    const int w = box.right - box.left;
    const int h = box.bottom - box.top;
    SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - w) / 2,
                 area.top + (area.bottom - area.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK PasswordProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* state = reinterpret_cast<PasswordDialog*>(GetWindowLongPtrW(dialog, DWLP_USER));
    switch (message) {
        case WM_INITDIALOG: {
            state = reinterpret_cast<PasswordDialog*>(lParam);
            SetWindowLongPtrW(dialog, DWLP_USER, lParam);
            const int edit = kRarPasswordDialog + 1;
            if (state->password->length > 0) {
                SetDlgItemTextW(dialog, edit, Wide(state->password->Text()));
            }
            Centre(dialog, GetWindow(dialog, GW_OWNER));
            SetFocus(GetDlgItem(dialog, edit));
            return FALSE;  // the focus is set
        }
        case WM_COMMAND:
            if (state == nullptr) {
                return FALSE;
            }
            if (LOWORD(wParam) == IDOK) {
                (void)AssignFromDialogItem(dialog, kRarPasswordDialog + 1, state->password);
                state->confirmed = true;
                state->done = true;
                return TRUE;
            }
            if (LOWORD(wParam) == IDCANCEL) {
                state->done = true;
                return TRUE;
            }
            return FALSE;
        case WM_CLOSE:
            if (state != nullptr) {
                state->done = true;
            }
            return TRUE;
        default:
            return FALSE;
    }
}

// Modal run of the dialog on the calling thread. Without an owner (a page read,
// perhaps on the loader thread) only the dialog's own messages are taken, so the
// thread's other windows (the loader's request queue) wait untouched instead of
// being run from inside the read that asked.
bool AskPassword(void*, void* ownerWindow, int32_t dialogId, StrBuf* password) {
    HWND owner = static_cast<HWND>(ownerWindow);
    PasswordDialog state{password};
    HWND dialog = CreateLanguageDialog(owner, dialogId, PasswordProc, reinterpret_cast<LPARAM>(&state));
    if (dialog == nullptr) {
        return false;
    }
    const bool ownerEnabled = owner != nullptr && EnableWindow(owner, FALSE) == 0;
    ShowWindow(dialog, SW_SHOW);
    SetForegroundWindow(dialog);
    HWND filter = owner != nullptr ? nullptr : dialog;
    MSG m;
    while (!state.done) {
        const BOOL got = GetMessageW(&m, filter, 0, 0);
        if (got == 0 || got == -1) {
            if (got == 0) {
                PostQuitMessage(static_cast<int>(m.wParam));  // the loop above ours ends too
            }
            state.confirmed = false;
            break;
        }
        if (!IsDialogMessageW(dialog, &m)) {
            TranslateMessage(&m);
            DispatchMessageW(&m);
        }
    }
    if (ownerEnabled) {
        EnableWindow(owner, TRUE);
    }
    DestroyWindow(dialog);
    return state.confirmed;
}

// The listing taken outside the lock, handed to the book inside it.
MemberListPtr gPrelisted;
StrBuf gPrelistedPath;

ArchiveMemberList* TakePrelisted(void*, const char16_t* path) {
    if (gPrelisted.get() == nullptr || !EqualsNoCase(path, gPrelistedPath.Text())) {
        return nullptr;
    }
    gPrelistedPath.Release();
    return gPrelisted.release();
}

}  // namespace

void RarShellInit() {
    static const RarPromptOps kPrompt{nullptr, AskPassword};
    RarSetPromptOps(&kPrompt);
    RarSetPluginFolder(gSettings.pluginFolder.Text());
}

void RarShellFillBookOps(BookOps* ops) {
    ops->listRar = TakePrelisted;
}

void RarPrelistBook(const BookState* book) {
    gPrelisted.reset();
    gPrelistedPath.Release();
    if (!book->book.isOpen || book->book.kind != kBookRar) {
        return;
    }
    RarContext context;
    context.ownerWindow = gApp.mainWindow;
    gPrelisted.reset(RarListMembers(&context, book->book.path.Text()));
    gPrelistedPath.Assign(book->book.path.Text());
}

void RarDropPrelisted() {
    gPrelisted.reset();
    gPrelistedPath.Release();
}

bool RarOffered() {
    StrBuf folder;
    RarCopyPluginFolder(&folder);
    return RarLibraryAvailable(folder.Text());
}
