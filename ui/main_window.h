// The main window and the window tree under it: the window classes, the main
// window's creation (bar and client area), its message routing, the layout of the
// bar and the client area, the browser pane's placeholder window, and the
// shut-down sequence it runs on a close request.
//
// Call order: LoadCursorsAndMenuFont, RegisterWindowClasses (start-up, after the
// fonts and cursors exist)
// → CreateMainWindow (its creation message builds the children) → messages →
// a close request runs the shut-down sequence and destroys the window, which posts
// the quit message.
#pragma once

#include <windows.h>

inline constexpr wchar_t kMainClass[] = L"Pagewick_main_class";
inline constexpr wchar_t kBarClass[] = L"Pagewick_barbs_class";
inline constexpr wchar_t kClientClass[] = L"Pagewick_client_class";
inline constexpr wchar_t kPaneClass[] = L"Pagewick_lbase_class";
inline constexpr wchar_t kImageViewClass[] = L"Pagewick_imgbs_class";

// Loads the shared arrow, wait and no-entry cursors and creates the menu font
// from the system's metrics (at start and when a system setting changes).
void LoadCursorsAndMenuFont();
// Registers the five window classes of the tree (the loader registers its own).
// A class already registered in this process counts as registered.
bool RegisterWindowClasses(HINSTANCE instance);
// Creates the main window (hidden) at r, in screen coordinates; null when it
// cannot be created. PlaceMainWindow shows it.
HWND CreateMainWindow(const RECT& r);

// The bar and the client area for a main-window client size; the page slider
// takes the width left between the page text and the last buttons.
void LayoutMain(int width, int height);
// The browser pane and the image view for a client-area size.
void LayoutClient(int width, int height);
// The client area re-laid out at its current size (after a pane-mode change).
void RelayoutClient();

// The shut-down sequence; forced when the session ends. False when a running
// file job refused it (the window stays).
bool ShutDown(HWND window, bool forced);
