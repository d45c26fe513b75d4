#include <windows.h>
#include <windowsx.h>

#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/main_window.h"
#include "ui/pane.h"
#include "ui/pane_state.h"

namespace {

void DrawLine() {
    MoveToEx(gPane.dragDc, gPane.lineX, 0, nullptr);
    LineTo(gPane.dragDc, gPane.lineX, gPane.clientHeight);
}

void BeginDrag(HWND pane, int x) {
    RECT client{};
    if (gApp.client == nullptr || !GetClientRect(gApp.client, &client)) {
        return;
    }
    HDC dc = GetDCEx(gApp.client, nullptr, DCX_WINDOW | DCX_CACHE | DCX_CLIPSIBLINGS | DCX_PARENTCLIP);
    if (dc == nullptr) {
        return;
    }
    const LOGBRUSH brush{BS_SOLID, RGB(128, 128, 128), 0};
    HPEN pen = ExtCreatePen(PS_GEOMETRIC | PS_SOLID | PS_ENDCAP_FLAT, kSplitterWidth, &brush, 0, nullptr);
    if (pen == nullptr) {
        ReleaseDC(gApp.client, dc);
        return;
    }
    SetCapture(pane);
    gPane.dragDc = dc;
    gPane.dragPen = pen;
    gPane.oldPen = SelectObject(dc, pen);
    SetROP2(dc, R2_XORPEN);
    gPane.clientHeight = client.bottom;
    gPane.lineX = gSettings.paneWidth - 2;
    gPane.lineOffset = gSettings.paneWidth - x - 2;
    gPane.dragging = true;
    DrawLine();
}

void MoveDrag(int x) {
    DrawLine();
    int line = x + gPane.lineOffset;
    line = line < kSplitterLineMin ? kSplitterLineMin : line;
    line = line > kSplitterLineMax ? kSplitterLineMax : line;
    gPane.lineX = line;
    DrawLine();
}

void EndDrag() {
    gPane.dragging = false;
    ReleaseCapture();
    DrawLine();
    SelectObject(gPane.dragDc, gPane.oldPen);
    DeleteObject(gPane.dragPen);
    ReleaseDC(gApp.client, gPane.dragDc);
    gPane.dragDc = nullptr;
    gPane.dragPen = nullptr;
    gPane.oldPen = nullptr;
    gSettings.paneWidth = gPane.lineX + 2;
    RelayoutClient();
    gPane.overSplitter = false;
}

void HoverMove(HWND pane, WPARAM wParam, int x, int y) {
    if ((wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) == 0 && y == 0 && gApp.appActive &&
        gApp.fullScreen && gSettings.fullScreenBarAutoHide) {
        ShowBarIfHidden();
    } else {
        if (gApp.hoverTarget != kHoverPane) {
            TRACKMOUSEEVENT track{sizeof track, TME_LEAVE, pane, 0};
            TrackMouseEvent(&track);
            gApp.hoverTarget = kHoverPane;
        }
        if (gApp.paneTimerRunning) {
            KillTimer(gApp.mainWindow, kPaneTimer);
            gApp.paneTimerRunning = false;
        }
    }
    gPane.overSplitter = x >= gSettings.paneWidth - kSplitterWidth;
    SetCursor(gPane.overSplitter ? gApp.splitterCursor : gApp.arrowCursor);
}

}  // namespace

bool SplitterMouse(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    const int x = GET_X_LPARAM(lParam);
    const int y = GET_Y_LPARAM(lParam);
    switch (message) {
        case WM_MOUSEMOVE:
            if (gPane.dragging) {
                MoveDrag(x);
            } else if ((wParam & MK_LBUTTON) == 0) {
                HoverMove(pane, wParam, x, y);
            }
            return true;
        case WM_LBUTTONDOWN:
            if (gPane.overSplitter && !gPane.dragging) {
                BeginDrag(pane, x);
            }
            return true;
        case WM_LBUTTONUP:
            if (gPane.dragging) {
                EndDrag();
            }
            return true;
        case WM_CAPTURECHANGED:
            // Another window took the mouse: the drag ends where the line is.
            if (gPane.dragging && reinterpret_cast<HWND>(lParam) != pane) {
                EndDrag();
            }
            return true;
        default:
            return false;
    }
}
