#include "ui/image_view.h"

#include <cstring>

#include "settings/language.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/dispatch.h"
#include "ui/gdi_owner.h"
#include "ui/mouse_win.h"
#include "ui/paint_plan.h"
#include "ui/reader.h"
#include "view/layout.h"
#include "view/reduced_copy.h"

namespace {

constexpr int kStockBrushes[5] = {WHITE_BRUSH, LTGRAY_BRUSH, GRAY_BRUSH, DKGRAY_BRUSH, BLACK_BRUSH};

int BackgroundIndex() {
    int i = gView.prefs.backgroundColour;
    return i >= 0 && i <= 4 ? i : 2;
}

// Black text on the two light backgrounds, white on the three dark ones.
COLORREF TextColourFor(int background) {
    return background <= 1 ? RGB(0, 0, 0) : RGB(255, 255, 255);
}

void SetStretchModeOn(HDC dc, int mode) {
    SetStretchBltMode(dc, mode == 3 ? COLORONCOLOR : HALFTONE);
    if (mode != 3) {
        // Halftone needs the brush origin set again after it is chosen.
        SetBrushOrgEx(dc, 0, 0, nullptr);
    }
}

// The device context is set up once and kept (the class gives the view its own).
void SetUpDc(HDC dc) {
    SetStretchModeOn(dc, gView.prefs.stretchMode);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, TextColourFor(BackgroundIndex()));
    if (gApp.interfaceFont.valid()) {
        SelectObject(dc, gApp.interfaceFont.get());
    }
}

void DrawErrorText(HDC dc, const PaintRect& r) {
    StrBuf text;
    LanguageString(30002, &text);
    RECT rect{r.left, r.top, r.right, r.bottom};
    DrawTextW(dc, reinterpret_cast<const wchar_t*>(text.Text()), static_cast<int>(text.length), &rect,
              DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_WORD_ELLIPSIS | DT_NOPREFIX);
}

// StretchDIBits reports a refusal as 0 (or GDI_ERROR); anything else is the
// number of rows it drew.
bool Stretched(int result) {
    return result != 0 && result != static_cast<int>(GDI_ERROR);
}

bool StretchWhole(HDC dc, const PaintStretch& s) {
    // The page record keeps its header and palette back to back, as a
    // BITMAPINFO with a 256-entry colour table.
    const auto* info = reinterpret_cast<const BITMAPINFO*>(&s.page->header);
    return Stretched(StretchDIBits(dc, s.destX, s.destY, s.destWidth, s.destHeight, s.srcX, s.srcYFromBottom,
                                   s.srcWidth, s.srcHeight, s.page->pixels, info, DIB_RGB_COLORS, SRCCOPY));
}

// Draws the visible part from a reduced copy made for this paint and freed at
// once: the platform cannot take the picture whole.
bool StretchReduced(HDC dc, const PaintStretch& s) {
    PageImage copy{};
    const PicturePart part{s.srcX, s.srcYFromBottom, s.srcWidth, s.srcHeight};
    if (!ReducePicture(*s.page, part, s.destWidth, s.destHeight, &copy)) {
        return false;
    }
    const auto* info = reinterpret_cast<const BITMAPINFO*>(&copy.header);
    const bool ok =
        Stretched(StretchDIBits(dc, s.destX, s.destY, s.destWidth, s.destHeight, 0, 0, copy.header.width,
                                copy.header.height, copy.pixels, info, DIB_RGB_COLORS, SRCCOPY));
    ReleasePageImage(&copy);
    return ok;
}

// Draws the page's display copy 1:1 where the layout puts the page. An 8-bit copy
// takes the page's palette.
bool DrawCopy(HDC dc, const PaintStretch& s) {
    struct {
        BitmapInfoHeader header;
        RgbQuad colours[256];
    } info;
    info.header = s.copy->header;
    if (info.header.bitCount == 8) {
        static_assert(sizeof(info.colours) == sizeof(s.page->palette));
        memcpy(info.colours, s.page->palette, sizeof(info.colours));
    }
    const auto height = static_cast<UINT>(s.copy->header.height);
    const int rows =
        SetDIBitsToDevice(dc, s.destX, s.destY, static_cast<DWORD>(s.copy->header.width), height, 0, 0, 0,
                          height, s.copy->pixels, reinterpret_cast<const BITMAPINFO*>(&info), DIB_RGB_COLORS);
    return rows > 0;
}

// One page: from its display copy when one matches, whole when the platform can take it, else from a reduced
// copy; failing both, its region shows the background and the error text, so that nothing of the previous
// view stays under the page's rectangle.
void PaintPage(HDC dc, HBRUSH brush, const PaintStretch& s) {
    if (s.copy != nullptr && DrawCopy(dc, s)) {
        return;
    }
    if (FitsPlatformStretch(s.page->header) && StretchWhole(dc, s)) {
        return;
    }
    if (StretchReduced(dc, s)) {
        return;
    }
    RECT r{s.pageRect.left, s.pageRect.top, s.pageRect.right, s.pageRect.bottom};
    FillRect(dc, &r, brush);
    DrawErrorText(dc, s.region);
}

}  // namespace

void PaintView(HDC dc) {
    PaintPlan plan;
    PlanPaint(gView, &plan);
    HBRUSH brush = static_cast<HBRUSH>(GetStockObject(kStockBrushes[BackgroundIndex()]));
    for (uint32_t i = 0; i < plan.fillCount; ++i) {
        const PaintRect& f = plan.fills[i];
        RECT r{f.left, f.top, f.right, f.bottom};
        FillRect(dc, &r, brush);
    }
    for (uint32_t i = 0; i < plan.stretchCount; ++i) {
        PaintPage(dc, brush, plan.stretches[i]);
    }
    for (uint32_t i = 0; i < plan.textCount; ++i) {
        DrawErrorText(dc, plan.texts[i]);
    }
}

void RepaintView() {
    if (gApp.imageView != nullptr) {
        InvalidateRect(gApp.imageView, nullptr, FALSE);
        UpdateWindow(gApp.imageView);
    }
}

void ApplyStretchMode(int mode) {
    gView.prefs.stretchMode = mode == 3 ? 3 : 4;
    gSettings.stretchMode = gView.prefs.stretchMode;
    if (gApp.imageDc != nullptr) {
        SetStretchModeOn(gApp.imageDc, gView.prefs.stretchMode);
    }
    RepaintView();
}

void ApplyBackground(int index) {
    if (index < 0 || index > 4) {
        return;
    }
    gView.prefs.backgroundColour = index;
    gSettings.backgroundColour = index;
    if (gApp.imageDc != nullptr) {
        SetTextColor(gApp.imageDc, TextColourFor(index));
    }
    RepaintView();
}

LRESULT CALLBACK ImageViewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            gApp.imageView = window;
            gApp.imageDc = GetDC(window);
            SetUpDc(gApp.imageDc);
            return 0;
        case WM_SIZE:
            ResizeView(&gView, LOWORD(lParam), HIWORD(lParam));
            gView.magnifiedSide = kMagnifyNone;
            return 0;
        case WM_ERASEBKGND:
            return 1;  // the paint covers every pixel
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            int saved = SaveDC(dc);
            PaintView(dc);
            RestoreDC(dc, saved);
            EndPaint(window, &ps);
            return 0;
        }
        case WM_DESTROY:
            gApp.imageView = nullptr;
            gApp.imageDc = nullptr;
            return 0;
        default: {
            LRESULT result = 0;
            if (HandleViewMouse(window, message, wParam, lParam, &result)) {
                return result;
            }
            return DefWindowProcW(window, message, wParam, lParam);
        }
    }
}
