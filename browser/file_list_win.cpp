#include "browser/file_list.h"

#include <commctrl.h>
#include <shellapi.h>

#include "view/book.h"

namespace {

// The highlight of the rows of the current view.
constexpr COLORREF kCurrentFrame = RGB(72, 144, 144);
constexpr COLORREF kLightFill = RGB(232, 255, 255);

// The column's width when the list was made, plus the small icon's: the room
// beside the widest name.
int gTextMargin = 0;

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

HWND ListOf(void* ctx) {
    return static_cast<HWND>(ctx);
}

void Clear(void* ctx) {
    ListView_DeleteAllItems(ListOf(ctx));
}

int32_t IconIndex(void*, const char16_t* key) {
    // Only the name's association is asked: the file is never opened.
    SHFILEINFOW info{};
    if (SHGetFileInfoW(Wide(key), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON) == 0) {
        return 0;
    }
    return info.iIcon;
}

void InsertRow(void* ctx, int32_t index, int32_t iconIndex) {
    LVITEMW item{};
    item.mask = LVIF_PARAM;
    item.iItem = index;
    item.lParam = iconIndex;
    ListView_InsertItem(ListOf(ctx), &item);
}

// A memory device context with the list's font: measuring through it asks
// nothing of the window system (a window's context per name made a 40000-page
// book take minutes to list).
class ListTextDc {
  public:
    ListTextDc() = default;
    explicit ListTextDc(HWND list) { Open(list); }
    ~ListTextDc() { Close(); }
    ListTextDc(const ListTextDc&) = delete;
    ListTextDc& operator=(const ListTextDc&) = delete;

    void Open(HWND list) {
        Close();
        dc_ = CreateCompatibleDC(nullptr);
        auto font = reinterpret_cast<HFONT>(SendMessageW(list, WM_GETFONT, 0, 0));
        if (dc_ != nullptr && font != nullptr) {
            old_ = SelectObject(dc_, font);
        }
    }
    void Close() {
        if (dc_ != nullptr) {
            if (old_ != nullptr) {
                SelectObject(dc_, old_);
            }
            DeleteDC(dc_);
        }
        dc_ = nullptr;
        old_ = nullptr;
    }
    bool IsOpen() const { return dc_ != nullptr; }

    int32_t Width(const char16_t* first,
                  uint32_t n1,
                  const char16_t* second = nullptr,
                  uint32_t n2 = 0) const {
        SIZE a{};
        SIZE b{};
        if (dc_ != nullptr && n1 > 0) {
            GetTextExtentPoint32W(dc_, Wide(first), static_cast<int>(n1), &a);
        }
        if (dc_ != nullptr && n2 > 0) {
            GetTextExtentPoint32W(dc_, Wide(second), static_cast<int>(n2), &b);
        }
        return a.cx + b.cx;
    }

  private:
    HDC dc_ = nullptr;
    HGDIOBJ old_ = nullptr;
};

// Open while the rows of a book are published.
ListTextDc gMeasure;

void BeginRows(void* ctx, int32_t count) {
    HWND list = ListOf(ctx);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    ListView_SetItemCountEx(list, count, LVSICF_NOINVALIDATEALL);
    gMeasure.Open(list);
}

void EndRows(void* ctx) {
    gMeasure.Close();
    HWND list = ListOf(ctx);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

int32_t MeasureName(void* ctx, const char16_t* name, uint32_t n) {
    if (gMeasure.IsOpen()) {
        return gMeasure.Width(name, n);
    }
    return ListTextDc(ListOf(ctx)).Width(name, n);
}

void SetColumnWidth(void* ctx, int32_t widestName) {
    ListView_SetColumnWidth(ListOf(ctx), 0, widestName + gTextMargin);
}

// The rectangle of a row with the frame colour and the fill colour.
void FrameRow(HDC dc, const RECT& r, COLORREF frame, COLORREF fill) {
    HPEN pen = CreatePen(PS_SOLID, 1, frame);
    HBRUSH brush = CreateSolidBrush(fill);
    if (pen == nullptr || brush == nullptr) {
        // Without the pen or brush the row is at least filled plainly.
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    } else {
        HGDIOBJ oldPen = SelectObject(dc, pen);
        HGDIOBJ oldBrush = SelectObject(dc, brush);
        Rectangle(dc, r.left, r.top, r.right, r.bottom);
        SelectObject(dc, oldBrush);
        SelectObject(dc, oldPen);
    }
    if (pen != nullptr) {
        DeleteObject(pen);
    }
    if (brush != nullptr) {
        DeleteObject(brush);
    }
}

}  // namespace

HWND FileListCreate(HWND pane, int x, int y, int w, int h, HFONT font) {
    const DWORD style = WS_CHILD | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDRAWFIXED |
                        LVS_NOCOLUMNHEADER | LVS_NOSORTHEADER | LVS_SHAREIMAGELISTS;
    HWND list =
        CreateWindowExW(WS_EX_STATICEDGE, WC_LISTVIEWW, nullptr, style, x, y, w, h, pane,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFileListId)),
                        reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(pane, GWLP_HINSTANCE)), nullptr);
    if (list == nullptr) {
        return nullptr;
    }
    if (font != nullptr) {
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    LVCOLUMNW column{};
    column.mask = LVCF_FMT;
    column.fmt = LVCFMT_LEFT;
    ListView_InsertColumn(list, 0, &column);
    SHFILEINFOW info{};
    auto images = reinterpret_cast<HIMAGELIST>(
        SHGetFileInfoW(L".jpg", FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                       SHGFI_USEFILEATTRIBUTES | SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
    if (images != nullptr) {
        ListView_SetImageList(list, images, LVSIL_SMALL);
    }
    gTextMargin = ListView_GetColumnWidth(list, 0) + GetSystemMetrics(SM_CXSMICON);
    return list;
}

FileListOps FileListOpsFor(HWND list) {
    FileListOps ops{};
    ops.context = list;
    if (list != nullptr) {
        ops.clear = Clear;
        ops.iconIndex = IconIndex;
        ops.insertRow = InsertRow;
        ops.measureName = MeasureName;
        ops.setColumnWidth = SetColumnWidth;
        ops.beginRows = BeginRows;
        ops.endRows = EndRows;
    }
    return ops;
}

void DrawFileListRow(const DRAWITEMSTRUCT* dis, const BookState* book, FileListMarks marks) {
    const auto row = static_cast<int32_t>(dis->itemID);
    if (book->pages == nullptr || row < 0 || row >= book->pageCount) {
        return;
    }
    HDC dc = dis->hDC;
    const int saved = SaveDC(dc);
    const RECT& r = dis->rcItem;
    if (row == marks.current) {
        FrameRow(dc, r, kCurrentFrame, kLightFill);
    } else if (marks.secondShown && row == marks.current + 1) {
        FrameRow(dc, r, kLightFill, kLightFill);
    } else {
        FillRect(dc, &r, GetSysColorBrush(COLOR_WINDOW));
    }
    auto font = reinterpret_cast<HFONT>(SendMessageW(dis->hwndItem, WM_GETFONT, 0, 0));
    if (font != nullptr) {
        SelectObject(dc, font);
    }
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkMode(dc, TRANSPARENT);
    RECT label{};
    label.left = LVIR_LABEL;
    if (SendMessageW(dis->hwndItem, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                     reinterpret_cast<LPARAM>(&label)) == 0) {
        label = r;
    }
    label.left += 2;
    const StrBuf& name = book->pages->entries[row].name;
    DrawTextW(dc, Wide(name.Text()), static_cast<int>(name.length), &label,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    RECT icon{};
    icon.left = LVIR_ICON;
    HIMAGELIST images = ListView_GetImageList(dis->hwndItem, LVSIL_SMALL);
    if (images != nullptr && SendMessageW(dis->hwndItem, LVM_GETITEMRECT, static_cast<WPARAM>(row),
                                          reinterpret_cast<LPARAM>(&icon)) != 0) {
        ImageList_Draw(images, static_cast<int>(dis->itemData), dc, icon.left, icon.top, ILD_TRANSPARENT);
    }
    RestoreDC(dc, saved);
}

void MeasureFileListRow(MEASUREITEMSTRUCT* mis, HFONT font) {
    int height = GetSystemMetrics(SM_CYSMICON);
    HDC dc = GetDC(nullptr);
    if (dc != nullptr) {
        HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
        TEXTMETRICW tm{};
        if (GetTextMetricsW(dc, &tm) && tm.tmHeight > height) {
            height = tm.tmHeight;
        }
        if (old != nullptr) {
            SelectObject(dc, old);
        }
        ReleaseDC(nullptr, dc);
    }
    mis->itemHeight = static_cast<UINT>(height + 2);
}

void RetextFileList(HWND list, HFONT font, const BookState* book) {
    if (list == nullptr) {
        return;
    }
    if (font != nullptr) {
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    if (book->pages == nullptr) {
        return;
    }
    int32_t widest = 0;
    const ListTextDc text(list);
    for (int32_t i = 0; i < book->pageCount; ++i) {
        const PageEntry& e = book->pages->entries[i];
        const int32_t w = text.Width(e.location.Text(), e.location.length, e.name.Text(), e.name.length);
        if (w > widest) {
            widest = w;
        }
    }
    SetColumnWidth(list, widest);
}

void FileListSelect(HWND list, int32_t row) {
    const UINT both = LVIS_SELECTED | LVIS_FOCUSED;
    ListView_SetItemState(list, row, both, both);
}

void FileListRedraw(HWND list, int32_t row) {
    ListView_RedrawItems(list, row, row);
}

void FileListScrollTo(HWND list, int32_t row) {
    ListView_EnsureVisible(list, row, FALSE);
}

void FileListDeleteRow(HWND list, int32_t row) {
    ListView_DeleteItem(list, row);
    UpdateWindow(list);
}
