#include "ui/tool_bar.h"

#include <commctrl.h>

#include "settings/language.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/gdi_owner.h"
#include "ui/menus.h"
#include "ui/reader.h"
#include "view/navigate.h"

namespace {

constexpr int kSeparatorSlider = 9914;  // holds the page text and the slider
constexpr int kSeparatorAfterSlider = 9913;
constexpr int kPageTextWidth = 84;
constexpr int kControlHeight = 21;
constexpr UINT_PTR kSubclassId = kIdToolBar;
constexpr DWORD_PTR kSliderReference = 10;

struct ButtonSpec {
    int image;  // -1 for a separator
    int id;
    BYTE style;
};

const ButtonSpec kButtons[] = {
    {0, CMD_MENU_MAIN, BTNS_WHOLEDROPDOWN},
    {-1, 9910, BTNS_SEP},
    {1, CMD_MENU_FOLDERS, BTNS_WHOLEDROPDOWN},
    {2, CMD_MENU_BOOKMARKS, BTNS_WHOLEDROPDOWN},
    {-1, 9911, BTNS_SEP},
    {3, CMD_FIRST_PAGE, BTNS_BUTTON},
    {4, CMD_BACK_20, BTNS_BUTTON},
    {5, CMD_PREV_SPREAD, BTNS_BUTTON},
    {6, CMD_PREV_PAGE, BTNS_BUTTON},
    {7, CMD_NEXT_PAGE, BTNS_BUTTON},
    {8, CMD_NEXT_SPREAD, BTNS_BUTTON},
    {9, CMD_FORWARD_20, BTNS_BUTTON},
    {10, CMD_LAST_PAGE, BTNS_BUTTON},
    {-1, kSeparatorSlider, BTNS_SEP},
    {-1, kSeparatorAfterSlider, BTNS_SEP},
    {11, CMD_TOGGLE_LOUPE, BTNS_CHECK},
    {-1, 9912, BTNS_SEP},
    {12, CMD_TOGGLE_FULL_SCREEN, BTNS_CHECK},
    {13, CMD_MINIMIZE, BTNS_BUTTON},
    {14, CMD_CLOSE, BTNS_BUTTON},
};

// The button's rectangle in tool-bar coordinates.
bool ButtonRect(int id, RECT* rect) {
    return gApp.toolBar != nullptr && SendMessageW(gApp.toolBar, TB_GETRECT, static_cast<WPARAM>(id),
                                                   reinterpret_cast<LPARAM>(rect)) != 0;
}

void ToolTipText(int command, StrBuf* text) {
    LanguageString(static_cast<uint32_t>(command), text);
    // The key bound to the command follows in parentheses.
    StrBuf key;
    CommandKeyText(command, &key);
    if (key.length > 0 &&
        !(text->Append(u" (", 2) && text->Append(key.Text(), key.length) && text->AppendChar(u')'))) {
        LanguageString(static_cast<uint32_t>(command), text);
    }
}

TTTOOLINFOW ToolInfo(int command) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.hwnd = gApp.toolBar;
    info.uId = static_cast<UINT_PTR>(command);
    return info;
}

void AddToolTips() {
    for (const ButtonSpec& b : kButtons) {
        if (b.image < 0) {
            continue;
        }
        StrBuf text;
        ToolTipText(b.id, &text);
        TTTOOLINFOW info = ToolInfo(b.id);
        // The tip window follows the tool bar's mouse messages itself.
        info.uFlags = TTF_SUBCLASS;
        info.hinst = gApp.instance;
        info.lpszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text.Text()));
        ButtonRect(b.id, &info.rect);
        SendMessageW(gApp.toolTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

// The tips cover their buttons; buttons after the stretched separator move with it.
void MoveToolTipRects() {
    if (gApp.toolTip == nullptr) {
        return;
    }
    for (const ButtonSpec& b : kButtons) {
        if (b.image < 0) {
            continue;
        }
        TTTOOLINFOW info = ToolInfo(b.id);
        if (!ButtonRect(b.id, &info.rect)) {
            SetRectEmpty(&info.rect);
        }
        SendMessageW(gApp.toolTip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

// The position a slider notification is about. The notification itself carries
// only 16 bits of it, too few past page 32,767; the control's own position has
// the full range and follows the thumb during a drag.
int32_t SliderScrollPosition() {
    return static_cast<int32_t>(SendMessageW(gApp.pageSlider, TBM_GETPOS, 0, 0));
}

LRESULT CALLBACK
ToolBarSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_HSCROLL:
            if (reinterpret_cast<HWND>(lParam) == gApp.pageSlider) {
                OnSliderScroll(&gView, LOWORD(wParam), SliderScrollPosition());
                return 0;
            }
            break;
        case WM_RBUTTONDOWN:
            return 0;
        default:
            break;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK
SliderSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    if (message == WM_SETFOCUS) {
        // Keys always reach the main window, also right after a drag.
        SetFocus(gApp.mainWindow);
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

bool CreateToolBarImages() {
    ImageListOwner list(ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 15, 0));
    BitmapOwner bitmap(
        static_cast<HBITMAP>(LoadImageW(gApp.instance, MAKEINTRESOURCEW(200), IMAGE_BITMAP, 0, 0, 0)));
    if (list.get() == nullptr || !bitmap.valid() ||
        ImageList_AddMasked(list.get(), bitmap.get(), RGB(255, 0, 255)) < 0) {
        return false;
    }
    gApp.toolBarImages = list.release();
    return true;
}

void CreateBarControls(HWND bar) {
    HWND tb = CreateWindowExW(
        0, TOOLBARCLASSNAMEW, nullptr, WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | CCS_NODIVIDER, 0, 0, 0, 0, bar,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdToolBar)), gApp.instance, nullptr);
    if (tb == nullptr) {
        return;
    }
    gApp.toolBar = tb;
    SendMessageW(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(tb, TB_SETBITMAPSIZE, 0, MAKELPARAM(16, 16));
    if (CreateToolBarImages()) {
        SendMessageW(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(gApp.toolBarImages));
    }
    TBBUTTON buttons[sizeof kButtons / sizeof kButtons[0]] = {};
    for (size_t i = 0; i < sizeof kButtons / sizeof kButtons[0]; ++i) {
        buttons[i].iBitmap = kButtons[i].image < 0 ? 0 : kButtons[i].image;
        buttons[i].idCommand = kButtons[i].id;
        buttons[i].fsState = TBSTATE_ENABLED;
        buttons[i].fsStyle = kButtons[i].style;
    }
    SendMessageW(tb, TB_ADDBUTTONSW, sizeof buttons / sizeof buttons[0], reinterpret_cast<LPARAM>(buttons));

    // The page text and the slider sit in the separator 9914, which LayoutMain widens.
    RECT sep{};
    ButtonRect(kSeparatorSlider, &sep);
    gApp.pageText =
        CreateWindowExW(0, L"STATIC", L"0/0", WS_CHILD | WS_VISIBLE | SS_CENTER | SS_CENTERIMAGE, sep.right,
                        1, kPageTextWidth, kControlHeight, tb,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPageText)), gApp.instance, nullptr);
    if (gApp.pageText != nullptr && gApp.interfaceFont.valid()) {
        SendMessageW(gApp.pageText, WM_SETFONT, reinterpret_cast<WPARAM>(gApp.interfaceFont.get()), FALSE);
    }
    gApp.pageSlider =
        CreateWindowExW(WS_EX_STATICEDGE, TRACKBAR_CLASSW, nullptr,
                        WS_CHILD | WS_VISIBLE | TBS_FIXEDLENGTH | TBS_NOTICKS | TBS_BOTH,
                        sep.right + kPageTextWidth, 1, 0, kControlHeight, tb,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdPageSlider)), gApp.instance, nullptr);
    if (gApp.pageSlider != nullptr) {
        SendMessageW(gApp.pageSlider, TBM_SETTHUMBLENGTH, 16, 0);
        SendMessageW(gApp.pageSlider, TBM_SETRANGE, FALSE, MAKELPARAM(0, 0));
        SendMessageW(gApp.pageSlider, TBM_SETPOS, FALSE, 0);
        SendMessageW(gApp.pageSlider, TBM_SETPAGESIZE, 0, 1);
        SetWindowSubclass(gApp.pageSlider, SliderSubclass, kSubclassId, kSliderReference);
    }
    SetWindowSubclass(tb, ToolBarSubclass, kSubclassId, 0);
    SendMessageW(tb, TB_HIDEBUTTON, CMD_MINIMIZE, MAKELPARAM(TRUE, 0));
    SendMessageW(tb, TB_HIDEBUTTON, CMD_CLOSE, MAKELPARAM(TRUE, 0));
    SendMessageW(tb, TB_AUTOSIZE, 0, 0);
    if (gApp.toolTip != nullptr) {
        SendMessageW(tb, TB_SETTOOLTIPS, reinterpret_cast<WPARAM>(gApp.toolTip), 0);
    }
    LRESULT size = SendMessageW(tb, TB_GETBUTTONSIZE, 0, 0);
    gApp.buttonSize = SIZE{LOWORD(size), HIWORD(size)};
    if (gApp.toolTip != nullptr) {
        AddToolTips();
    }
}

// A rounded rectangle behind a hot or checked button; the tool bar draws the
// image over it.
void DrawButtonBack(HDC dc, const RECT& r, COLORREF fill, COLORREF frame) {
    BrushOwner brush(CreateSolidBrush(fill));
    PenOwner pen(CreatePen(PS_SOLID, 1, frame));
    SelectGuard selectBrush(dc, brush.get());
    SelectGuard selectPen(dc, pen.get());
    RoundRect(dc, r.left, r.top, r.right, r.bottom, 5, 5);
}

LRESULT CustomDraw(NMTBCUSTOMDRAW* cd) {
    switch (cd->nmcd.dwDrawStage) {
        case CDDS_PREPAINT:
            return CDRF_NOTIFYITEMDRAW;
        case CDDS_ITEMPREPAINT: {
            HDC dc = cd->nmcd.hdc;
            SetBkMode(dc, TRANSPARENT);
            if ((cd->nmcd.uItemState & CDIS_HOT) != 0) {
                DrawButtonBack(dc, cd->nmcd.rc, 0xFFFFE8, 0x909048);
            } else if ((cd->nmcd.uItemState & CDIS_CHECKED) != 0) {
                DrawButtonBack(dc, cd->nmcd.rc, 0xFFFFFF, 0x904890);
            }
            return TBCDRF_NOBACKGROUND | TBCDRF_NOEDGES | TBCDRF_NOOFFSET;
        }
        default:
            return CDRF_DODEFAULT;
    }
}

LRESULT OnNotify(NMHDR* header) {
    if (header->idFrom != static_cast<UINT_PTR>(kIdToolBar)) {
        return 0;
    }
    switch (header->code) {
        case TBN_DROPDOWN: {
            // The main window dispatches the button's command, which shows the
            // cursor and pops up the button's menu.
            const auto* drop = reinterpret_cast<NMTOOLBARW*>(header);
            SendMessageW(gApp.mainWindow, WM_COMMAND, MAKEWPARAM(drop->iItem, 0),
                         reinterpret_cast<LPARAM>(gApp.toolBar));
            return TBDDRET_DEFAULT;
        }
        case NM_CUSTOMDRAW:
            return CustomDraw(reinterpret_cast<NMTBCUSTOMDRAW*>(header));
        default:
            return 0;
    }
}

}  // namespace

LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CREATE:
            gApp.bar = window;
            CreateBarControls(window);
            return 0;
        case WM_SIZE:
            if (gApp.toolBar != nullptr) {
                SendMessageW(gApp.toolBar, WM_SIZE, wParam, lParam);
            }
            return 0;
        case WM_PAINT: {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(window, &ps);
            RECT r;
            GetClientRect(window, &r);
            FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
            EndPaint(window, &ps);
            return 0;
        }
        case WM_NOTIFY:
            return OnNotify(reinterpret_cast<NMHDR*>(lParam));
        case WM_COMMAND:
            // Button commands go to the main window, which dispatches every command.
            if (gApp.mainWindow != nullptr) {
                SendMessageW(gApp.mainWindow, WM_COMMAND, wParam, lParam);
            }
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

void StretchPageSlider(int width, int visibleButtonsAfter) {
    RECT sep{};
    RECT after{};
    if (!ButtonRect(kSeparatorSlider, &sep) || !ButtonRect(kSeparatorAfterSlider, &after)) {
        return;
    }
    const int sepWidth = after.right - after.left;
    int w = width - sep.left - 2 * sepWidth - visibleButtonsAfter * gApp.buttonSize.cx;
    if (w < 0) {
        w = 0;
    }
    TBBUTTONINFOW info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_SIZE;
    info.cx = static_cast<WORD>(w);
    SendMessageW(gApp.toolBar, TB_SETBUTTONINFOW, kSeparatorSlider, reinterpret_cast<LPARAM>(&info));
    int sliderWidth = w - sepWidth - kPageTextWidth - 2;
    if (sliderWidth < 0) {
        sliderWidth = 0;
    }
    if (gApp.pageSlider != nullptr) {
        RECT text{};
        GetWindowRect(gApp.pageText, &text);
        MapWindowPoints(nullptr, gApp.toolBar, reinterpret_cast<POINT*>(&text), 2);
        SetWindowPos(gApp.pageSlider, nullptr, text.left + kPageTextWidth, 1, sliderWidth, kControlHeight,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    MoveToolTipRects();
}

void RefreshToolTips() {
    if (gApp.toolTip == nullptr || gApp.toolBar == nullptr) {
        return;
    }
    for (const ButtonSpec& b : kButtons) {
        if (b.image < 0) {
            continue;
        }
        StrBuf text;
        ToolTipText(b.id, &text);
        TTTOOLINFOW info = ToolInfo(b.id);
        info.hinst = gApp.instance;
        info.lpszText = const_cast<wchar_t*>(reinterpret_cast<const wchar_t*>(text.Text()));
        SendMessageW(gApp.toolTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void RemoveBarSubclasses() {
    if (gApp.pageSlider != nullptr) {
        RemoveWindowSubclass(gApp.pageSlider, SliderSubclass, kSubclassId);
    }
    if (gApp.toolBar != nullptr) {
        RemoveWindowSubclass(gApp.toolBar, ToolBarSubclass, kSubclassId);
    }
}

void DestroyToolBarImages() {
    if (gApp.toolBar != nullptr) {
        SendMessageW(gApp.toolBar, TB_SETIMAGELIST, 0, 0);
    }
    ImageListOwner list(gApp.toolBarImages);
    gApp.toolBarImages = nullptr;
}
