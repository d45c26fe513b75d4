// Test harness for running the real program file in its own process: copy it
// (and chosen companions) into a scratch folder under another name, start it,
// find its windows, and stop it.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

// A scratch folder removed (with its files) when the object goes.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const std::wstring& path() const { return path_; }
    // Copies a file from the test program's own folder into the scratch folder.
    bool CopyFromBin(const wchar_t* name, const wchar_t* newName);

  private:
    std::wstring path_;
};

// The folder holding the running test program (and the program under test).
std::wstring BinFolder();

class ChildProcess {
  public:
    ~ChildProcess();
    // showCommand: the show command the child's start-up information carries (-1: none).
    bool Start(const std::wstring& exe,
               const std::wstring& args,
               const std::wstring& cwd,
               int showCommand = -1);
    // Polls for a top-level window of the child with the class name; null on timeout.
    HWND WaitForWindow(const wchar_t* className, DWORD timeoutMs) const;
    // Waits for the child to end; false on timeout.
    bool WaitForExit(DWORD timeoutMs, DWORD* exitCode);
    DWORD id() const { return info_.dwProcessId; }

  private:
    PROCESS_INFORMATION info_{};
};

std::wstring WindowText(HWND window);

// Settings for a child that must start without the notice: every slot absent but
// showNoticeAtStart (slot 12), which is off. The file counts as read, so the lists
// start empty rather than with a first start's folders.
bool WriteQuietSettings(const std::wstring& path);
// Slot n of a settings file as (a, b); (-1, -1) when it cannot be read.
std::pair<int32_t, int32_t> SettingsSlot(const std::wstring& path, int n);
// The notice the child shows at start (its caption in English), once it is shown
// (its initialisation done), or null when none
// appears within timeoutMs.
HWND WaitForNotice(const ChildProcess& child, DWORD timeoutMs);
// Polls until the window is visible (it is shown only once its children exist);
// false on timeout.
bool WaitForVisible(HWND window, DWORD timeoutMs);
