#include <windows.h>

#include <commctrl.h>
#include <htmlhelp.h>
#include <objbase.h>

#include "app/os_level.h"
#include "app/text.h"
#include "browser/folder_tree.h"
#include "platform/heap.h"
#include "platform/lock.h"
#include "settings/language.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/command_table.h"
#include "ui/dispatch.h"
#include "ui/full_screen_win.h"
#include "ui/main_window.h"
#include "ui/menus.h"
#include "ui/mouse_win.h"
#include "ui/plugins.h"
#include "ui/reader.h"
#include "ui/settings_io.h"
#include "ui/startup.h"

AppState gApp;

namespace {

using RtlGetVersionFn = LONG(WINAPI*)(OSVERSIONINFOW*);

int QueryOsLevel() {
    // GetVersionEx reports what the manifest allows; the kernel's own call does not.
    OSVERSIONINFOW info{};
    info.dwOSVersionInfoSize = sizeof info;
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    auto fn = ntdll != nullptr ? reinterpret_cast<RtlGetVersionFn>(
                                     reinterpret_cast<void*>(GetProcAddress(ntdll, "RtlGetVersion")))
                               : nullptr;
    if (fn == nullptr || fn(&info) != 0) {
        return 0;
    }
    return OsLevelFromVersion(info.dwMajorVersion, info.dwMinorVersion);
}

void ShowStartError(const wchar_t* text) {
    MessageBoxW(nullptr, text, L"Error", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

bool ProgramLocationOk() {
    wchar_t path[MAX_PATH + 1];
    DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    return n > 0 && n < MAX_PATH && ProgramNameIsOurs(path);
}

// The accelerator table of the settings' key records (the built-in keys until
// the settings file says otherwise).
HACCEL CreateAccelerators() {
    ACCEL table[kMaxAccelRecords];
    uint32_t n = 0;
    for (uint32_t i = 0; i < gSettings.keyTableCount && i < kMaxAccelRecords; ++i) {
        const AccelRecord& r = gSettings.keyTable[i];
        table[n++] = ACCEL{r.flags, r.key, r.command};
    }
    return n > 0 ? CreateAcceleratorTableW(table, static_cast<int>(n)) : nullptr;
}

int MessageLoop() {
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!gApp.acceleratorsSuspended && gApp.accelerators.valid() &&
            TranslateAcceleratorW(gApp.mainWindow, gApp.accelerators.get(), &msg)) {
            continue;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return static_cast<int>(msg.wParam);
}

// Steps 8 to 10: the user interface, the command line and the message loop.
int RunInterface(int showCommand, SettingsReader* settings) {
    if (CreateUserInterface(showCommand) == nullptr) {
        SettingsReaderClose(settings);
        return 0;
    }
    OpenCommandLine();
    // A first start (a fresh settings file) greets the user with the notice.
    if (gSettings.showNoticeAtStart) {
        Dispatch(CMD_SHOW_NOTICE, nullptr);
    }
    SettingsReaderClose(settings);
    return MessageLoop();
}

}  // namespace

HFONT CreateInterfaceFont() {
    StrBuf face;
    LanguageString(20000, &face);
    LOGFONTW lf{};
    lf.lfHeight = -12;
    lf.lfWeight = FW_NORMAL;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfPitchAndFamily = VARIABLE_PITCH | FF_SWISS;
    uint32_t n = face.length < 31 ? face.length : 31;
    for (uint32_t i = 0; i < n; ++i) {
        lf.lfFaceName[i] = static_cast<wchar_t>(face.buffer[i]);
    }
    return CreateFontIndirectW(&lf);
}

HWND CreateUserInterface(int showCommand) {
    LoadCursorsAndMenuFont();
    if (!gApp.interfaceFont.valid()) {
        gApp.interfaceFont.reset(CreateInterfaceFont());
    }
    ReaderInit();
    LoadGestureCursors(gApp.instance);
    MouseInitShell();
    if (!gApp.accelerators.valid()) {
        gApp.accelerators.reset(CreateAccelerators());
    }
    if (!gApp.menus.valid()) {
        BuildMenus();
    }
    INITCOMMONCONTROLSEX icc{sizeof icc,
                             ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&icc);
    if (!RegisterWindowClasses(gApp.instance)) {
        return nullptr;
    }
    // The plug-ins are the decoders' fallback from the first page on.
    PluginsInit();
    // Without a loader the pages are decoded as they are shown.
    (void)ReaderStartLoader();
    HWND window = PlaceMainWindow(showCommand);
    if (window == nullptr) {
        ReaderStopLoader();
    }
    return window;
}

bool ProgramNameIsOurs(const wchar_t* modulePath) {
    const wchar_t* name = modulePath;
    for (const wchar_t* p = modulePath; *p != 0; ++p) {
        if (*p == L'\\' || *p == L'/') {
            name = p + 1;
        }
    }
    const wchar_t* dot = nullptr;
    for (const wchar_t* p = name; *p != 0; ++p) {
        if (*p == L'.') {
            dot = p;
        }
    }
    uint32_t n = static_cast<uint32_t>(dot != nullptr ? dot - name : static_cast<ptrdiff_t>(wcslen(name)));
    return EqualsNoCaseN(reinterpret_cast<const char16_t*>(name), n, u"Pagewick", 8);
}

int RunProgram(HINSTANCE instance, int showCommand) {
    // The folder tree's heap and child-check thread exist before anything else,
    // so that the pane finds them ready; a failure only leaves items unchecked.
    (void)TreeInit();
    if (!AppHeapCreate()) {
        TreeDestroy();
        return 0;
    }
    gApp.instance = instance;
    gOsLevel = QueryOsLevel();
    HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    DWORD_PTR helpCookie = 0;
    HtmlHelpW(nullptr, nullptr, HH_INITIALIZE, reinterpret_cast<DWORD_PTR>(&helpCookie));
    AppLockInit();

    int exitCode = 0;
    SettingsReader settings;
    if (gOsLevel == 0 || !ProgramLocationOk() || !BeginSettingsLoad(&settings)) {
        ShowStartError(kTextFailedToExecute);
    } else if (!LoadLanguage(&gSettings.languageFile)) {
        SettingsReaderClose(&settings);
        ShowStartError(kTextLanguageNotFound);
    } else {
        FinishSettingsLoad(&settings);
        exitCode = RunInterface(showCommand, &settings);
        FreeLanguage();
    }

    // The tree's last release needs COM and the application heap.
    TreeDestroy();
    AppLockDelete();
    HtmlHelpW(nullptr, nullptr, HH_UNINITIALIZE, helpCookie);
    if (SUCCEEDED(com)) {
        CoUninitialize();
    }
    SettingsRelease(&gSettings);
    gSettingsPath.Release();
    AppHeapDestroy();
    gApp.interfaceFont.reset();
    return exitCode;
}
