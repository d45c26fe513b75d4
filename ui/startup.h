// The process frame: start-up and shut-down in their fixed order. RunProgram is
// the whole life of the program between the entry point's first and last steps;
// it returns the exit code of the message loop (0 on the start-up failures).
#pragma once

#include <windows.h>

int RunProgram(HINSTANCE instance, int showCommand);

// Step 8 of start-up without the command line: cursors, fonts, the reader, the
// accelerators, the window classes and common controls, the loader thread, and
// the main window, created and shown. Null when the window cannot be created.
// The in-process tests start the real windows through it.
HWND CreateUserInterface(int showCommand);

// The interface font: face from language string 20000, 12-pixel height.
HFONT CreateInterfaceFont();

// The two texts compiled into the program, shown before any language library is
// loaded, captioned "Error".
inline constexpr wchar_t kTextFailedToExecute[] = L"Failed to execute file.";
inline constexpr wchar_t kTextLanguageNotFound[] = L"Language file not found.";

// True when the program file's name without folder and extension is "Pagewick"
// in any letter case.
bool ProgramNameIsOurs(const wchar_t* modulePath);
