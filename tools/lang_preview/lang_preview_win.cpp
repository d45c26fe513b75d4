// lang_preview LIBRARY OUTPUT_FOLDER: renders every dialog of a language library,
// as the program would run it (a 9-point copy of the template) and with sample
// contents, into OUTPUT_FOLDER\dialog_NNNN.bmp, so that a layout can be looked at
// without the program. A development aid, built on request only:
//   cmake --build BUILD --target lang_preview
//   bash scripts/wine-run.sh BUILD/bin/lang_preview.exe Japanese 'Z:\tmp\shots'
#include <windows.h>

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/lang_resources_win.h"

namespace {

HMODULE gLibrary = nullptr;

std::wstring Text(uint32_t id) {
    wchar_t buf[128];
    int n = LoadStringW(gLibrary, id, buf, 128);
    return std::wstring(buf, n > 0 ? static_cast<size_t>(n) : 0);
}

void AddColumn(HWND list, int index, const std::wstring& title, int width) {
    LVCOLUMNW col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH;
    col.pszText = const_cast<wchar_t*>(title.c_str());
    col.cx = width;
    ListView_InsertColumn(list, index, &col);
}

void AddRow(HWND list, int row, const std::wstring& a, const std::wstring& b, const std::wstring& c) {
    LVITEMW item{};
    item.mask = LVIF_TEXT;
    item.iItem = row;
    item.pszText = const_cast<wchar_t*>(a.c_str());
    ListView_InsertItem(list, &item);
    ListView_SetItemText(list, row, 1, const_cast<wchar_t*>(b.c_str()));
    ListView_SetItemText(list, row, 2, const_cast<wchar_t*>(c.c_str()));
}

void FillSample(HWND dlg, uint32_t id) {
    switch (id) {
        case IDD_KEYS: {
            HWND list = GetDlgItem(dlg, IDC_KEYS_LIST);
            ListView_SetExtendedListViewStyle(list, LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
            // Column widths as the program sizes them, measured in the list's font.
            RECT rc;
            GetClientRect(list, &rc);
            HDC dc = GetDC(list);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(list, WM_GETFONT, 0, 0)));
            auto width = [dc](const std::wstring& t) {
                SIZE size{};
                GetTextExtentPoint32W(dc, t.c_str(), static_cast<int>(t.size()), &size);
                return static_cast<int>(size.cx);
            };
            int keyWidth = width(L"Ctrl+Shift+") + width(L"Z") + 12;
            int mouseWidth =
                std::max(width(Text(IDS_MOUSE_ACTION_FIRST + 2)), width(Text(IDS_MOUSE_ACTION_FIRST + 11))) +
                12;
            SelectObject(dc, old);
            ReleaseDC(list, dc);
            AddColumn(list, 0, Text(IDS_KEYS_COLUMN_COMMAND),
                      rc.right - keyWidth - mouseWidth - GetSystemMetrics(SM_CXVSCROLL));
            AddColumn(list, 1, Text(IDS_KEYS_COLUMN_KEY), keyWidth);
            AddColumn(list, 2, Text(IDS_KEYS_COLUMN_MOUSE), mouseWidth);
            AddRow(list, 0, Text(IDS_CMD_OPEN), L"Ctrl+O", L"");
            AddRow(list, 1, Text(IDS_CMD_NEXT_PAGE), L"Shift+Down", Text(IDS_MOUSE_ACTION_FIRST));
            AddRow(list, 2, Text(IDS_MENU_PANE) + L" - " + Text(IDS_CMD_PANE_DELAY), L"", L"");
            AddRow(list, 3, Text(IDS_CMD_TOGGLE_FULL_SCREEN), L"Enter", Text(IDS_MOUSE_ACTION_FIRST + 2));
            AddRow(list, 4, Text(IDS_CMD_TOGGLE_FULL_SCREEN_BAR), L"Ctrl+Shift+Z",
                   Text(IDS_MOUSE_ACTION_FIRST + 9));
            for (const wchar_t* key : {L"BackSpace", L"Tab", L"Enter", L"Esc", L"Space", L"PageUp"}) {
                SendDlgItemMessageW(dlg, IDC_KEYS_KEY_NAMES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(key));
            }
            CheckDlgButton(dlg, IDC_KEYS_PAGE_KEYS, BST_CHECKED);
            break;
        }
        case IDD_LANGUAGE:
            SendDlgItemMessageW(dlg, IDC_LANGUAGE_LIST, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(L"English"));
            SendDlgItemMessageW(dlg, IDC_LANGUAGE_LIST, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(L"Japanese"));
            SendDlgItemMessageW(dlg, IDC_LANGUAGE_LIST, CB_SETCURSEL, 1, 0);
            break;
        case IDD_FAVOURITES:
            SetDlgItemTextW(dlg, IDC_FAVOURITE_EDIT_FIRST, L"D:\\Comics");
            SetDlgItemTextW(dlg, IDC_FAVOURITE_EDIT_FIRST + 2, L"E:\\Scans\\Magazines\\2019");
            break;
        case IDD_BOOKMARKS:
            SetDlgItemTextW(dlg, IDC_BOOKMARK_EDIT_FIRST, L"D:\\Comics\\Series A\\vol01.zip - 37");
            SetDlgItemTextW(dlg, IDC_BOOKMARK_EDIT_FIRST + 1, L"D:\\Comics\\Series B\\vol12.cbr - 5");
            break;
        case IDD_OPTIONS: {
            HWND list = GetDlgItem(dlg, IDC_OPTIONS_PLUGIN_LIST);
            ListView_SetExtendedListViewStyle(list,
                                              LVS_EX_CHECKBOXES | LVS_EX_FULLROWSELECT | LVS_EX_GRIDLINES);
            RECT rc;
            GetClientRect(list, &rc);
            AddColumn(list, 0, Text(IDS_PLUGIN_COLUMN_FILE), 100);
            AddColumn(list, 1, Text(IDS_PLUGIN_COLUMN_EXTENSIONS), 135);
            AddColumn(list, 2, Text(IDS_PLUGIN_COLUMN_DESCRIPTION), rc.right - 235);
            AddRow(list, 0, L"ifwebp.spi", L"*.webp", L"WebP image");
            AddRow(list, 1, L"axlha.spi", L"*.lzh;*.lha", L"LHA archive");
            ListView_SetCheckState(list, 0, TRUE);
            break;
        }
        case IDD_PANE_DELAY:
            SetDlgItemTextW(dlg, IDC_PANE_DELAY_EDIT, L"500");
            break;
        default:
            break;
    }
}

// The language list is owner-drawn in the program; draw its text plainly here.
INT_PTR CALLBACK PreviewProc(HWND, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_DRAWITEM) {
        auto* di = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        wchar_t text[64] = {};
        if (di->itemID != static_cast<UINT>(-1)) {
            SendMessageW(di->hwndItem, CB_GETLBTEXT, di->itemID, reinterpret_cast<LPARAM>(text));
        }
        FillRect(di->hDC, &di->rcItem, GetSysColorBrush(COLOR_WINDOW));
        RECT r = di->rcItem;
        r.left += 2;
        DrawTextW(di->hDC, text, -1, &r, DT_SINGLELINE | DT_VCENTER);
        return TRUE;
    }
    return message == WM_INITDIALOG ? TRUE : FALSE;
}

bool SaveWindowBitmap(HWND wnd, const std::wstring& path) {
    RECT r;
    GetWindowRect(wnd, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    DWORD stride = static_cast<DWORD>((w * 3 + 3) & ~3);
    DWORD imageSize = stride * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(14 + 40 + imageSize), 0, 0, 14 + 40};
    bi.bmiHeader.biSizeImage = imageSize;
    bool ok = false;
    FILE* f = _wfopen(path.c_str(), L"wb");
    if (f != nullptr) {
        ok = fwrite(&fh, 14, 1, f) == 1 && fwrite(&bi.bmiHeader, 40, 1, f) == 1 &&
             fwrite(bits, imageSize, 1, f) == 1;
        fclose(f);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

void Pump(DWORD ms) {
    DWORD end = GetTickCount() + ms;
    while (GetTickCount() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(10);
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        fwprintf(stderr, L"usage: lang_preview LIBRARY OUTPUT_FOLDER\n");
        return 2;
    }
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&icc);
    gLibrary = LoadLibraryW(argv[1]);
    if (gLibrary == nullptr) {
        fwprintf(stderr, L"cannot load %ls\n", argv[1]);
        return 1;
    }
    int failures = 0;
    for (uint32_t id : {IDD_KEYS, IDD_LANGUAGE, IDD_FAVOURITES, IDD_BOOKMARKS, IDD_NOTICE, IDD_OPTIONS,
                        IDD_PANE_DELAY, IDD_RAR_PASSWORD}) {
        ResourceBytes bytes = FindResourceBytes(gLibrary, MAKEINTRESOURCEW(5), id);
        DialogTemplate t = ParseDialogTemplate(bytes.data, bytes.size);
        if (!t.ok || !t.hasFont) {
            fwprintf(stderr, L"dialog %u: bad template\n", id);
            ++failures;
            continue;
        }
        std::vector<uint32_t> copy((t.size + 3) / 4);
        std::memcpy(copy.data(), bytes.data, t.size);
        reinterpret_cast<uint8_t*>(copy.data())[t.pointSizeOffset] = 9;
        reinterpret_cast<uint8_t*>(copy.data())[t.pointSizeOffset + 1] = 0;
        HWND dlg = CreateDialogIndirectParamW(GetModuleHandleW(nullptr),
                                              reinterpret_cast<LPCDLGTEMPLATEW>(copy.data()), nullptr,
                                              PreviewProc, 0);
        if (dlg == nullptr) {
            ++failures;
            continue;
        }
        FillSample(dlg, id);
        SetWindowPos(dlg, HWND_TOP, 20, 20, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
        UpdateWindow(dlg);
        Pump(400);
        wchar_t name[64];
        swprintf(name, 64, L"\\dialog_%u.bmp", id);
        if (!SaveWindowBitmap(dlg, std::wstring(argv[2]) + name)) {
            ++failures;
        }
        DestroyWindow(dlg);
    }
    return failures == 0 ? 0 : 1;
}
