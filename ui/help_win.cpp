#include "ui/help.h"

#include <htmlhelp.h>
#include <shellapi.h>

#include <cwchar>

namespace {

bool SystemFileExists(const wchar_t* path) {
    DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool SystemShowHelpFile(const wchar_t* path) {
    return HtmlHelpW(nullptr, path, HH_DISPLAY_TOPIC, 0) != nullptr;
}

void SystemOpenAddress(const wchar_t* address) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_FLAG_NO_UI;
    info.lpVerb = L"open";
    info.lpFile = address;
    info.nShow = SW_SHOWNORMAL;
    (void)ShellExecuteExW(&info);
}

const HelpOps kSystemOps{SystemFileExists, SystemShowHelpFile, SystemOpenAddress};
const HelpOps* gOps = &kSystemOps;

}  // namespace

const HelpOps& CurrentHelpOps() {
    return *gOps;
}

void SetHelpOps(const HelpOps* ops) {
    gOps = ops != nullptr ? ops : &kSystemOps;
}

bool HelpFilePath(const wchar_t* programPath, wchar_t* out, size_t capacity) {
    const size_t n = wcslen(programPath);
    size_t end = n;
    for (size_t i = n; i > 0; --i) {
        const wchar_t c = programPath[i - 1];
        if (c == L'\\') {
            break;
        }
        if (c == L'.') {
            end = i - 1;
            break;
        }
    }
    if (n == 0 || end + 5 > capacity) {
        return false;
    }
    wmemcpy(out, programPath, end);
    wmemcpy(out + end, L".chm", 5);
    return true;
}

void ShowHelpFor(const wchar_t* programPath) {
    const HelpOps& ops = CurrentHelpOps();
    wchar_t chm[MAX_PATH + 8];
    // A help file that is there but cannot be shown still leaves the user with
    // help: the on-line page.
    if (HelpFilePath(programPath, chm, sizeof chm / sizeof chm[0]) && ops.fileExists(chm) &&
        ops.showHelpFile(chm)) {
        return;
    }
    ops.openAddress(kHelpAddress);
}

void ShowHelp() {
    wchar_t path[MAX_PATH + 1];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH + 1);
    // A truncated path names no file of ours: the on-line page.
    ShowHelpFor(n > 0 && n <= MAX_PATH ? path : L"");
}
