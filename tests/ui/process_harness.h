// Test harness for running the real program file in its own process: copy it
// (and chosen companions) into a scratch folder under another name, start it,
// find its windows, and stop it.
#pragma once

#include <windows.h>

#include <string>
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
// Polls until the window is visible (it is shown only once its children exist);
// false on timeout.
bool WaitForVisible(HWND window, DWORD timeoutMs);
