// The settings' platform queries on Windows: the program's module path, the
// current folder, file attributes, folder creation, and the shell's special
// folders through the known-folder query where the system has it (Vista on) and
// the special-folder location query before that.
#include <objbase.h>
#include <shlobj.h>
#include <windows.h>

#include "platform/owners_win.h"
#include "settings/settings_ops.h"

namespace {

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

bool AssignWide(StrBuf* out, const wchar_t* text) {
    out->Assign(u"");
    const char16_t* t = reinterpret_cast<const char16_t*>(text);
    return out->Append(t, TextLength(t));
}

bool ProgramPath(void*, StrBuf* out) {
    // Grow until the whole path fits: a truncated path would fail the name check.
    for (uint32_t cap = MAX_PATH; cap <= 32768; cap *= 2) {
        if (out->ResetReserve(cap) == nullptr) {
            return false;
        }
        DWORD n = GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(out->buffer), cap);
        if (n == 0) {
            return false;
        }
        if (n < cap) {
            out->length = n;
            out->buffer[n] = 0;
            return true;
        }
    }
    return false;
}

bool SetCurrentFolder(void*, const char16_t* folder) {
    return SetCurrentDirectoryW(W(folder)) != 0;
}

bool FileExists(void*, const char16_t* path) {
    DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool FolderExists(void*, const char16_t* path) {
    DWORD attributes = GetFileAttributesW(W(path));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool CreateFolder(void*, const char16_t* path) {
    return CreateDirectoryW(W(path), nullptr) != 0;
}

using KnownFolderPathFn = HRESULT(WINAPI*)(REFKNOWNFOLDERID, DWORD, HANDLE, PWSTR*);

// The known-folder query, looked up at run time so that the program still starts
// on systems that lack it.
KnownFolderPathFn KnownFolderQuery() {
    HMODULE shell = GetModuleHandleW(L"shell32.dll");
    if (shell == nullptr) {
        return nullptr;
    }
    FARPROC proc = GetProcAddress(shell, "SHGetKnownFolderPath");
    return reinterpret_cast<KnownFolderPathFn>(reinterpret_cast<void (*)()>(proc));
}

bool SpecialFolderPath(void*, SpecialFolder which, StrBuf* out) {
    const KNOWNFOLDERID* id = &FOLDERID_RoamingAppData;
    int csidl = CSIDL_APPDATA;
    switch (which) {
        case SpecialFolder::kDesktop:
            id = &FOLDERID_Desktop;
            csidl = CSIDL_DESKTOPDIRECTORY;
            break;
        case SpecialFolder::kDocuments:
            id = &FOLDERID_Documents;
            csidl = CSIDL_PERSONAL;
            break;
        case SpecialFolder::kPictures:
            id = &FOLDERID_Pictures;
            csidl = CSIDL_MYPICTURES;
            break;
        case SpecialFolder::kRoamingAppData:
            break;
    }
    if (KnownFolderPathFn query = KnownFolderQuery()) {
        TaskMemOwner<wchar_t> path;
        HRESULT hr = query(*id, 0, nullptr, path.out());
        return SUCCEEDED(hr) && path.valid() && AssignWide(out, path.get()) && out->length > 0;
    }
    PidlOwner pidl;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, csidl, pidl.out())) || !pidl.valid()) {
        return false;
    }
    wchar_t path[MAX_PATH] = {};
    return SHGetPathFromIDListW(pidl.get(), path) && AssignWide(out, path) && out->length > 0;
}

SettingsPlatformOps MakeOps() {
    SettingsPlatformOps ops;
    ops.programPath = ProgramPath;
    ops.setCurrentFolder = SetCurrentFolder;
    ops.fileExists = FileExists;
    ops.folderExists = FolderExists;
    ops.createFolder = CreateFolder;
    ops.specialFolder = SpecialFolderPath;
    return ops;
}

const SettingsPlatformOps kOps = MakeOps();

}  // namespace

const SettingsPlatformOps& PlatformSettingsOps() {
    return kOps;
}
