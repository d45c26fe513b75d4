#include "tests/ui/menu_test_support.h"

#include <cstdio>

#include "settings/key_names.h"
#include "settings/language.h"
#include "settings/settings_reader.h"
#include "ui/app_state.h"

namespace {

struct ModalScript {
    const wchar_t* className;
    std::function<void(HWND)> act;
    int ticks = 0;
    bool ran = false;
    UINT_PTR timer = 0;
};
ModalScript* gScript = nullptr;

std::wstring Artefacts() {
    std::wstring folder = BinFolder() + L"\\artefacts";
    CreateDirectoryW(folder.c_str(), nullptr);
    return folder;
}

}  // namespace

std::wstring Lang(uint32_t id) {
    StrBuf s;
    LanguageString(id, &s);
    return std::wstring(reinterpret_cast<const wchar_t*>(s.Text()), s.length);
}

std::wstring ItemString(UINT command) {
    wchar_t text[260] = {};
    GetMenuStringW(gApp.menus.get(), command, text, 260, MF_BYCOMMAND);
    return text;
}

const MenuItemRecord* RecordOf(HMENU menu, UINT command) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_DATA | MIIM_FTYPE;
    if (!GetMenuItemInfoW(menu, command, FALSE, &info) || (info.fType & MFT_OWNERDRAW) == 0) {
        return nullptr;
    }
    return reinterpret_cast<const MenuItemRecord*>(info.dwItemData);
}

uint32_t RowOf(uint16_t command) {
    for (uint32_t i = 0; i < kKeyBindingCount; ++i) {
        if (gSettings.keyBindings[i].command == command) {
            return i;
        }
    }
    return 0;
}

std::vector<ACCEL> LiveAccelerators() {
    std::vector<ACCEL> table(64);
    int n = gApp.accelerators.valid() ? CopyAcceleratorTableW(gApp.accelerators.get(), table.data(), 64) : 0;
    table.resize(n > 0 ? static_cast<size_t>(n) : 0);
    return table;
}

bool HasAccelerator(BYTE flags, WORD key, WORD command) {
    for (const ACCEL& a : LiveAccelerators()) {
        if (a.fVirt == flags && a.key == key && a.cmd == command) {
            return true;
        }
    }
    return false;
}

bool SaveScreenshot(HWND window, const std::wstring& name) {
    // What the script just changed is painted before the capture.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    GdiFlush();
    RECT r;
    GetWindowRect(window, &r);
    const int w = r.right - r.left;
    const int h = r.bottom - r.top;
    if (w <= 0 || h <= 0) {
        return false;
    }
    HDC screen = GetDC(nullptr);
    HDC mem = CreateCompatibleDC(screen);
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(mem, bmp);
    BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD size = static_cast<DWORD>((w * 3 + 3) & ~3) * static_cast<DWORD>(h);
    BITMAPFILEHEADER fh{0x4D42, 14 + 40 + size, 0, 0, 14 + 40};
    bi.bmiHeader.biSizeImage = size;
    bool ok = false;
    FILE* f = _wfopen((Artefacts() + L"\\" + name + L".bmp").c_str(), L"wb");
    if (f != nullptr) {
        ok = fwrite(&fh, 14, 1, f) == 1 && fwrite(&bi.bmiHeader, 40, 1, f) == 1 &&
             fwrite(bits, size, 1, f) == 1;
        fclose(f);
    }
    SelectObject(mem, old);
    DeleteObject(bmp);
    DeleteDC(mem);
    ReleaseDC(nullptr, screen);
    return ok;
}

static void CALLBACK ScriptTick(HWND, UINT, UINT_PTR, DWORD) {
    if (gScript == nullptr || gScript->ran) {
        return;
    }
    HWND window = FindWindowW(gScript->className, nullptr);
    if (window == nullptr || !IsWindowVisible(window) || ++gScript->ticks < 4) {
        return;
    }
    gScript->ran = true;
    KillTimer(nullptr, gScript->timer);
    gScript->act(window);
}

void RunScripted(const wchar_t* className,
                 std::function<void(HWND)> act,
                 const std::function<void()>& modal) {
    ModalScript script{className, std::move(act)};
    gScript = &script;
    script.timer = SetTimer(nullptr, 0, 60, ScriptTick);
    modal();
    KillTimer(nullptr, script.timer);
    gScript = nullptr;
    EXPECT_TRUE(script.ran) << "no window of the modal loop appeared";
}

void Click(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void SelectRow(HWND dialog, uint32_t row) {
    LVITEMW item{};
    item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    item.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(GetDlgItem(dialog, 2020), LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void SelectKey(HWND dialog, uint8_t key) {
    for (uint32_t i = 0; i < kAssignableKeyCount; ++i) {
        if (AssignableKey(i) == key) {
            HWND list = GetDlgItem(dialog, 2021);
            SendMessageW(list, LB_SETCURSEL, i, 0);
            SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(2021, LBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
        }
    }
}

void ReadBack(const std::wstring& path, Settings* s) {
    SettingsReader r;
    ASSERT_TRUE(SettingsReaderOpenFile(&r, reinterpret_cast<const char16_t*>(path.c_str())));
    SettingsReadMain(r, s, PlatformSettingsOps());
    SettingsReaderClose(&r);
}
