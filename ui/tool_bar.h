// The bar above the client area and what it holds: the tool bar with its twenty
// buttons (images from bitmap 200), the page text and the page slider inside the
// separator 9914, the tool tips of the buttons, the custom drawing of hot and
// checked buttons, and the subclasses of the tool bar and the slider.
//
// The tool bar hands its commands to the main window as WM_COMMAND (a drop-down
// button sends its own command), so it never calls the dispatcher itself.
//
// Call order: the bar's creation message calls CreateBarControls; LayoutMain
// calls StretchPageSlider; shut-down calls RemoveBarSubclasses and then
// DestroyToolBarImages.
#pragma once

#include <windows.h>

// The window procedure of the "Pagewick_barbs_class" window.
LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Gives the separator 9914 the width left over in a main window this wide and
// stretches the slider inside it. extraButtons: the number of buttons after
// 9914 that are visible (2 normally, 4 in full screen).
void StretchPageSlider(int width, int extraButtons);
// Sets every tool tip's text again: the command's name, and " (key)" when a key
// is bound to the command.
void RefreshToolTips();
void RemoveBarSubclasses();
void DestroyToolBarImages();
