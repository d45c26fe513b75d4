// The one background file job of the shell: the pane's extract and pack
// commands start it, a thread of its own runs the job body with the progress
// window, and the main window hears of the end through WM_FILE_JOB (0x8001).
//
// The current-job slot is occupied from a start command that passes its checks
// until EndJob; while it is, further start commands do nothing. All calls on
// the user-interface thread.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <cstdint>

constexpr UINT kFileJobMessage = 0x8001;  // WM_FILE_JOB: wParam 0, lParam the job's result

// Command 7050 on the tree item: extracts its archive into a chosen folder.
void StartExtractJob(HTREEITEM item);
// Commands 7060 and 7061 on the tree item: packs its folder, stored (mode 1) or
// deflated (mode 2), into a chosen folder.
void StartPackJob(HTREEITEM item, uint32_t mode, uint32_t titleId);
// WM_FILE_JOB: reports a failure (message 30004 or 30005) and ends the job.
LRESULT OnJobFinished(WPARAM wParam, LPARAM lParam);
// Waits up to 258 ms for the thread, ends it if it still runs, and empties the slot.
void EndJob();
// The part of the start commands after the folder chooser: runs a job on
// source into destination (extraction: the folder; packing: the archive path).
// False when a job exists or the thread cannot start.
[[nodiscard]] bool StartFileJob(const char16_t* source,
                                const char16_t* destination,
                                uint32_t mode,
                                uint32_t titleId);
// The current-job slot is occupied.
[[nodiscard]] bool FileJobActive();
// A job's thread is running: the main window refuses to close.
[[nodiscard]] bool FileJobRunning();
