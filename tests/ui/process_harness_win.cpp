#include "tests/ui/process_harness.h"

namespace {
struct FindData {
    DWORD process;
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK FindTopLevel(HWND window, LPARAM param) {
    auto* data = reinterpret_cast<FindData*>(param);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    wchar_t cls[128];
    if (owner == data->process && GetClassNameW(window, cls, 128) > 0 && wcscmp(cls, data->className) == 0) {
        data->found = window;
        return FALSE;
    }
    return TRUE;
}
}  // namespace

std::wstring BinFolder() {
    wchar_t path[MAX_PATH];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L'\\'));
}

ScratchFolder::ScratchFolder() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    path_ = std::wstring(temp) + L"pwtest-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(GetTickCount());
    CreateDirectoryW(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((path_ + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            if ((fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW((path_ + L"\\" + fd.cFileName).c_str());
            }
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(path_.c_str());
}

bool ScratchFolder::CopyFromBin(const wchar_t* name, const wchar_t* newName) {
    return CopyFileW((BinFolder() + L"\\" + name).c_str(), (path_ + L"\\" + newName).c_str(), FALSE) != 0;
}

ChildProcess::~ChildProcess() {
    if (info_.hProcess != nullptr) {
        DWORD code = 0;
        if (GetExitCodeProcess(info_.hProcess, &code) && code == STILL_ACTIVE) {
            TerminateProcess(info_.hProcess, 99);
            WaitForSingleObject(info_.hProcess, 5000);
        }
        CloseHandle(info_.hProcess);
        CloseHandle(info_.hThread);
    }
}

bool ChildProcess::Start(const std::wstring& exe,
                         const std::wstring& args,
                         const std::wstring& cwd,
                         int showCommand) {
    std::wstring command = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    if (showCommand >= 0) {
        si.dwFlags = STARTF_USESHOWWINDOW;
        si.wShowWindow = static_cast<WORD>(showCommand);
    }
    return CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, cwd.c_str(), &si,
                          &info_) != 0;
}

HWND ChildProcess::WaitForWindow(const wchar_t* className, DWORD timeoutMs) const {
    DWORD start = GetTickCount();
    for (;;) {
        FindData data{info_.dwProcessId, className, nullptr};
        EnumWindows(FindTopLevel, reinterpret_cast<LPARAM>(&data));
        if (data.found != nullptr) {
            return data.found;
        }
        if (GetTickCount() - start > timeoutMs) {
            return nullptr;
        }
        DWORD code = 0;
        if (GetExitCodeProcess(info_.hProcess, &code) && code != STILL_ACTIVE) {
            return nullptr;
        }
        Sleep(50);
    }
}

bool ChildProcess::WaitForExit(DWORD timeoutMs, DWORD* exitCode) {
    if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) {
        return false;
    }
    GetExitCodeProcess(info_.hProcess, exitCode);
    return true;
}

std::wstring WindowText(HWND window) {
    wchar_t text[512];
    int n = GetWindowTextW(window, text, 512);
    return std::wstring(text, n > 0 ? static_cast<size_t>(n) : 0);
}

bool WaitForVisible(HWND window, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!IsWindowVisible(window)) {
        if (GetTickCount() - start > timeoutMs || !IsWindow(window)) {
            return false;
        }
        Sleep(20);
    }
    return true;
}

bool WriteQuietSettings(const std::wstring& path) {
    // Header (13 entries, the writer's tag), then entries 0..12; entry 12 = (1, 0).
    uint32_t words[1 + 2 * 13] = {};
    words[0] = 0x05BF000D;
    words[1 + 2 * 12] = 1;
    HANDLE h =
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return false;
    }
    DWORD put = 0;
    const bool ok = WriteFile(h, words, sizeof words, &put, nullptr) && put == sizeof words;
    CloseHandle(h);
    return ok;
}

std::pair<int32_t, int32_t> SettingsSlot(const std::wstring& path, int n) {
    int32_t words[2] = {-1, -1};
    HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        return {-1, -1};
    }
    DWORD got = 0;
    SetFilePointer(h, 4 + 8 * n, nullptr, FILE_BEGIN);
    ReadFile(h, words, 8, &got, nullptr);
    CloseHandle(h);
    return got == 8 ? std::make_pair(words[0], words[1]) : std::make_pair(-1, -1);
}

HWND WaitForNotice(const ChildProcess& child, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    do {
        HWND box = child.WaitForWindow(L"#32770", 0);
        // Shown only once its initialisation has set the check box: a tick
        // sent before that would be undone.
        if (box != nullptr && WindowText(box) == L"Getting Started" && IsWindowVisible(box)) {
            return box;
        }
        Sleep(50);
    } while (GetTickCount() - start < timeoutMs);
    return nullptr;
}
