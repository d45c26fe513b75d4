// Owner-drawn menu items: the item text at the left, the key text at the right,
// a diamond for a check mark, and the program's highlight for the selected item.
#include "ui/menus.h"

#include "ui/app_state.h"

namespace {

constexpr COLORREF kHighlightFrame = RGB(72, 144, 144);
constexpr COLORREF kHighlightFill = RGB(232, 255, 255);
constexpr COLORREF kCheckFrame = RGB(144, 72, 144);
constexpr COLORREF kCheckFill = RGB(255, 224, 255);

const wchar_t* W(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

// The key text of a record: its modifier prefix and key name, or empty.
void RecordKeyText(const MenuItemRecord& r, StrBuf* out) {
    out->Assign(u"");
    if (r.keyText == nullptr) {
        return;
    }
    const char16_t* prefix = r.modifierText != nullptr ? r.modifierText : u"";
    if (!out->Append(prefix, TextLength(prefix)) || !out->Append(r.keyText, TextLength(r.keyText))) {
        out->Assign(u"");
    }
}

void FramedShape(HDC dc, COLORREF frame, COLORREF fill, const RECT* rect, const POINT* points) {
    PenOwner pen(CreatePen(PS_SOLID, 1, frame));
    BrushOwner brush(CreateSolidBrush(fill));
    SelectGuard p(dc, pen.valid() ? static_cast<HGDIOBJ>(pen.get()) : GetStockObject(BLACK_PEN));
    SelectGuard b(dc, brush.valid() ? static_cast<HGDIOBJ>(brush.get()) : GetStockObject(WHITE_BRUSH));
    if (rect != nullptr) {
        Rectangle(dc, rect->left, rect->top, rect->right, rect->bottom);
    } else {
        Polygon(dc, points, 4);
    }
}

// Rounds a quotient toward minus infinity.
int FloorDiv(int a, int b) {
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

}  // namespace

bool MeasureMenuItem(MEASUREITEMSTRUCT* mis) {
    if (mis->CtlType != ODT_MENU || mis->itemData == 0) {
        return false;
    }
    const auto* r = reinterpret_cast<const MenuItemRecord*>(mis->itemData);
    StrBuf line;
    MenuItemText(*r, &line);
    StrBuf key;
    RecordKeyText(*r, &key);
    if (!line.Append(key.Text(), key.length)) {
        line.Assign(u"");
    }
    HWND window = gApp.imageView != nullptr ? gApp.imageView : gApp.mainWindow;
    WindowDc dc(window);
    RECT rect{0, 0, 0, 0};
    if (dc.get() != nullptr) {
        SelectGuard font(dc.get(), gApp.menuFont.valid() ? static_cast<HGDIOBJ>(gApp.menuFont.get())
                                                         : GetStockObject(DEFAULT_GUI_FONT));
        DrawTextW(dc.get(), W(line.Text()), static_cast<int>(line.length), &rect,
                  DT_CALCRECT | DT_SINGLELINE | DT_HIDEPREFIX);
    }
    mis->itemWidth = static_cast<UINT>(rect.right - rect.left + 14);
    mis->itemHeight = static_cast<UINT>(rect.bottom - rect.top + 6);
    return true;
}

bool DrawMenuItem(const DRAWITEMSTRUCT* dis) {
    if (dis->CtlType != ODT_MENU || dis->itemData == 0) {
        return false;
    }
    const auto* r = reinterpret_cast<const MenuItemRecord*>(dis->itemData);
    HDC dc = dis->hDC;
    RECT rect = dis->rcItem;
    SetBkMode(dc, TRANSPARENT);
    if ((dis->itemState & (ODS_GRAYED | ODS_DISABLED)) != 0) {
        SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
    } else {
        if ((dis->itemState & ODS_SELECTED) != 0) {
            FramedShape(dc, kHighlightFrame, kHighlightFill, &rect, nullptr);
        } else {
            FillRect(dc, &rect, GetSysColorBrush(COLOR_MENU));
        }
        if ((dis->itemState & ODS_CHECKED) != 0) {
            const int m = rect.top + FloorDiv(rect.bottom - rect.top - 9, 2);
            const int x = rect.left;
            const POINT diamond[4] = {{x + 3, m + 4}, {x + 7, m + 8}, {x + 11, m + 4}, {x + 7, m}};
            FramedShape(dc, kCheckFrame, kCheckFill, nullptr, diamond);
        }
        SetTextColor(dc, GetSysColor(COLOR_MENUTEXT));
    }
    rect.left += 15;
    rect.right -= 4;
    SelectGuard font(dc, gApp.menuFont.valid() ? static_cast<HGDIOBJ>(gApp.menuFont.get())
                                               : GetStockObject(DEFAULT_GUI_FONT));
    StrBuf text;
    MenuItemText(*r, &text);
    DrawTextW(dc, W(text.Text()), static_cast<int>(text.length), &rect,
              DT_LEFT | DT_SINGLELINE | DT_VCENTER | DT_HIDEPREFIX);
    StrBuf key;
    RecordKeyText(*r, &key);
    if (key.length > 0) {
        DrawTextW(dc, W(key.Text()), static_cast<int>(key.length), &rect,
                  DT_RIGHT | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }
    return true;
}
