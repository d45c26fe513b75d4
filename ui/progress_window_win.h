// The file job's progress window ("acv_progress_class"): a bar and a cancel
// button, centred on the monitor under the mouse cursor. It belongs to the job
// thread, which creates it, polls it between members and destroys it; the
// thread has no message loop, so the window repaints and reacts only in
// ProgressCancelled.
#pragma once

#include <windows.h>

#include <cstdint>

struct ProgressWindow {
    uint32_t titleId = 0;   // caption string
    uint32_t buttonId = 0;  // cancel button string
    HWND window = nullptr;
    HWND bar = nullptr;
};

// Registers the class and shows the window (no owner); quietly nothing when the
// window cannot be made.
void ProgressOpen(ProgressWindow* progress);
void ProgressSetRange(ProgressWindow* progress, uint32_t last);
void ProgressStep(ProgressWindow* progress);
// Handles the window's waiting input: true at an Escape key press or a click on
// the cancel button; paints are passed on, other input is dropped.
[[nodiscard]] bool ProgressCancelled(ProgressWindow* progress);
// Destroys the window and unregisters its class.
void ProgressClose(ProgressWindow* progress);
