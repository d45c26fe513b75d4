// The ways of naming a book from outside (command line, open dialog, drop) and
// the shared error box.
#include <windows.h>

#include <commdlg.h>
#include <shellapi.h>

#include "settings/language.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/dispatch.h"
#include "ui/image_view.h"
#include "ui/plugins.h"
#include "ui/rar_shell.h"
#include "ui/reader.h"

namespace {

// The picture patterns every build reads.
constexpr char16_t kPicturePatterns[] = u"*.bmp;*.png;*.jpg;*.jpe;*.jpeg;*.tif;*.tiff;*.gif";

// One filter entry: the label, its terminator, the patterns, their terminator.
void AddFilter(StrBuf* out, const StrBuf& label, const char16_t* patterns) {
    (void)out->Append(label.Text(), label.length);
    (void)out->Append(u"", 1);
    (void)out->Append(patterns, TextLength(patterns));
    (void)out->Append(u"", 1);
}

void AddFilter(StrBuf* out, uint32_t labelId, const char16_t* patterns) {
    StrBuf label;
    LanguageString(labelId, &label);
    AddFilter(out, label, patterns);
}

bool IsDigit(wchar_t c) {
    return c >= L'0' && c <= L'9';
}

const wchar_t* Wide(const char16_t* s) {
    return reinterpret_cast<const wchar_t*>(s);
}

}  // namespace

bool ParseCommandLine(const wchar_t* const* argv, int argc, CommandLineTarget* out) {
    if (argc < 2) {
        return false;
    }
    const wchar_t* option = argv[1];
    const wchar_t* path = option;
    out->startLocator = 0;
    if (option[0] == L'/') {
        if (argc < 3) {
            return false;
        }
        path = argv[2];
        if (option[1] == L'z') {
            uint64_t locator = 0;
            for (const wchar_t* p = option + 2; IsDigit(*p); ++p) {
                locator = locator * 10 + static_cast<uint64_t>(*p - L'0');
                if (locator > UINT32_MAX) {
                    // No member has such a locator: start at the first page.
                    locator = 0;
                    break;
                }
            }
            out->startLocator = static_cast<uint32_t>(locator);
        }
    }
    out->path.Assign(reinterpret_cast<const char16_t*>(path));
    return out->path.length > 0;
}

void OpenCommandLine() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argv == nullptr) {
        return;
    }
    CommandLineTarget target;
    if (ParseCommandLine(argv, argc, &target)) {
        ReaderOpenPath(target.path.Text(), target.startLocator);
    }
    LocalFree(argv);
}

void BuildOpenFilter(bool rarPresent, const char16_t* pluginPatterns, StrBuf* out) {
    out->ResetReserve(512);
    const uint32_t pluginLength = TextLength(pluginPatterns);
    StrBuf all;
    all.Assign(kPicturePatterns);
    (void)all.Append(u";*.zip", 6);
    if (rarPresent) {
        (void)all.Append(u";*.rar", 6);
    }
    if (pluginLength > 0) {
        (void)all.Append(u";", 1);
        (void)all.Append(pluginPatterns, pluginLength);
    }
    AddFilter(out, 21000, all.Text());
    AddFilter(out, 21002, u"*.bmp");
    AddFilter(out, 21003, u"*.png");
    AddFilter(out, 21004, u"*.jpg;*.jpe;*.jpeg");
    AddFilter(out, 21005, u"*.tif;*.tiff");
    AddFilter(out, 21006, u"*.gif");
    AddFilter(out, 21001, u"*.zip");
    if (rarPresent) {
        AddFilter(out, 21009, u"*.rar");
    }
    if (pluginLength > 0) {
        StrBuf label;
        LanguageString(21008, &label);
        (void)label.Append(u" (", 2);
        (void)label.Append(pluginPatterns, pluginLength);
        (void)label.Append(u")", 1);
        AddFilter(out, label, pluginPatterns);
    }
    AddFilter(out, 21007, u"*.*");
    // The list ends with an empty entry.
    (void)out->Append(u"", 1);
}

void OpenDialog(const char16_t* folder) {
    StrBuf filter;
    StrBuf pluginPatterns;
    PluginOpenPatterns(&pluginPatterns);
    BuildOpenFilter(RarOffered(), pluginPatterns.Text(), &filter);
    wchar_t file[MAX_PATH + 1] = {};
    OPENFILENAMEW ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = gApp.mainWindow;
    ofn.lpstrFilter = Wide(filter.Text());
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = file;
    ofn.nMaxFile = MAX_PATH;
    ofn.lpstrInitialDir = folder != nullptr && folder[0] != 0 ? Wide(folder) : nullptr;
    ofn.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameW(&ofn)) {
        return;
    }
    RepaintView();
    const auto* chosen = reinterpret_cast<const char16_t*>(file);
    const uint32_t n = TextLength(chosen);
    // A file at a drive's root leaves "C:\", not "C:" (the drive's current folder).
    const uint32_t folderLength = ContainingFolderLength(chosen, n);
    gSettings.openDialogFolder.ResetReserve(0);
    if (folderLength < n) {
        (void)gSettings.openDialogFolder.Append(chosen, folderLength);
    }
    ReaderOpenChosen(chosen);
}

void OpenDropped(HDROP drop) {
    const UINT n = DragQueryFileW(drop, 0, nullptr, 0);
    StrBuf path;
    if (n > 0 && path.ResetReserve(n + 1) != nullptr &&
        DragQueryFileW(drop, 0, reinterpret_cast<wchar_t*>(path.buffer), n + 1) > 0) {
        path.SyncLength();
        if (gApp.mainWindow != nullptr) {
            SetForegroundWindow(gApp.mainWindow);
        }
        ResolveShortcut(&path);
        ReaderOpenChosen(path.Text());
    }
    DragFinish(drop);
}

void ShowErrorBox(HWND owner, int id) {
    StrBuf caption;
    StrBuf text;
    if (id >= 30001 && id <= 30005) {
        LanguageString(30000, &caption);
        LanguageString(static_cast<uint32_t>(id), &text);
    } else if (id >= 50001 && id <= 50024) {
        LanguageString(50000, &caption);
        if (id >= 50011) {
            LanguageString(50007, &text);
        }
        StrBuf detail;
        LanguageString(static_cast<uint32_t>(id), &detail);
        (void)text.Append(detail.Text(), detail.length);
    }
    MessageBoxW(owner, Wide(text.Text()), Wide(caption.Text()), MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}
