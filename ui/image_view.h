// The image view: its private device context with the stretch mode, brush origin,
// background mode, text colour and font set once and kept; the paint of the
// reading view (background strips, the visible parts of the pages, the error
// text); and the stretch-mode and background commands.
#pragma once

#include <windows.h>

// The window procedure of the "Pagewick_imgbs_class" window.
LRESULT CALLBACK ImageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Paints the whole plan of the reading view onto dc (the update region clips it).
void PaintView(HDC dc);
// Commands 6211 (3, colour on colour) and 6212 (4, halftone): store the mode,
// set it on the view's device context and repaint.
void ApplyStretchMode(int mode);
// Commands 6221 .. 6225: store the background colour (0 white .. 4 black), set
// the matching text colour and repaint.
void ApplyBackground(int index);
// Invalidates the whole view without erasing and repaints it at once.
void RepaintView();
