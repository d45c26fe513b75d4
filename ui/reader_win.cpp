#include "ui/reader.h"

#include <windows.h>

#include <commctrl.h>
#include <objbase.h>
#include <shlobj.h>

#include <atomic>

#include "browser/file_list.h"
#include "browser/folder_tree.h"
#include "decode/picture_limit.h"
#include "platform/lock.h"
#include "settings/settings.h"
#include "ui/app_state.h"
#include "ui/menus.h"
#include "ui/mouse_win.h"
#include "ui/pane.h"
#include "ui/plugins.h"
#include "ui/rar_shell.h"
#include "view/layout.h"
#include "view/loader_thread.h"
#include "view/navigate.h"
#include "view/page_cache.h"
#include "view/read_ahead.h"

BookState gBook;
ReadingView gView;
FileListOps gFileListOps{};

namespace {

LoaderThread* gLoader = nullptr;
// The window the loader posts its results to; read on the loader thread.
std::atomic<HWND> gResultWindow{nullptr};
// The page the loader decodes now, for the view's waits and budget.
LoaderBusy gLoaderBusy;

const wchar_t* Wide(const char16_t* text) {
    return reinterpret_cast<const wchar_t*>(text);
}

// --- The windows' steps of opening a book -------------------------------------

void SetSliderRange(int32_t pageCount) {
    if (gApp.pageSlider != nullptr) {
        const bool empty = pageCount == 0;
        SendMessageW(gApp.pageSlider, TBM_SETRANGEMIN, FALSE, empty ? 0 : 1);
        SendMessageW(gApp.pageSlider, TBM_SETRANGEMAX, TRUE, pageCount);
    }
}

void SetTitle(const char16_t* text) {
    if (gApp.mainWindow != nullptr) {
        SetWindowTextW(gApp.mainWindow, Wide(text));
    }
}

// --- ViewOps: what the reading view does to the windows ---------------------

void Invalidate(void*, const ViewRect* rect) {
    if (gApp.imageView == nullptr) {
        return;
    }
    if (rect == nullptr) {
        InvalidateRect(gApp.imageView, nullptr, FALSE);
        return;
    }
    RECT r{rect->left, rect->top, rect->right, rect->bottom};
    InvalidateRect(gApp.imageView, &r, FALSE);
}

void Update(void*) {
    if (gApp.imageView != nullptr) {
        UpdateWindow(gApp.imageView);
    }
}

void SetPageTextControl(void*, const char16_t* text) {
    if (gApp.pageText != nullptr) {
        SetWindowTextW(gApp.pageText, Wide(text));
    }
}

void SetSliderPosition(void*, int32_t position) {
    if (gApp.pageSlider != nullptr) {
        SendMessageW(gApp.pageSlider, TBM_SETPOS, TRUE, position);
    }
}

int32_t SliderPosition(void*) {
    if (gApp.pageSlider == nullptr) {
        return 0;
    }
    return static_cast<int32_t>(SendMessageW(gApp.pageSlider, TBM_GETPOS, 0, 0));
}

void SetViewCursor(void*, ViewCursor cursor) {
    SetCursor(cursor == ViewCursor::kWait ? gApp.waitCursor : gApp.arrowCursor);
}

void SetLoupeButton(void*, bool checked) {
    if (gApp.toolBar != nullptr) {
        SendMessageW(gApp.toolBar, TB_CHECKBUTTON, 5050, MAKELPARAM(checked ? TRUE : FALSE, 0));
    }
}

bool CursorPosition(void*, int32_t* x, int32_t* y) {
    POINT p;
    if (gApp.imageView == nullptr || !GetCursorPos(&p) || !ScreenToClient(gApp.imageView, &p)) {
        return false;
    }
    *x = p.x;
    *y = p.y;
    return true;
}

// The file list's rows; nothing while the pane has no list.
void RedrawRow(void*, int32_t row) {
    if (gApp.fileList != nullptr) {
        FileListRedraw(gApp.fileList, row);
    }
}

void SelectRow(void*, int32_t row) {
    if (gApp.fileList != nullptr) {
        FileListSelect(gApp.fileList, row);
    }
}

void ScrollToRow(void*, int32_t row) {
    if (gApp.fileList != nullptr) {
        FileListScrollTo(gApp.fileList, row);
    }
}

// The magnifier switched on takes the cursor's place as a move over the idle view.
void MagnifierMove(void*, int32_t x, int32_t y) {
    MouseIdleMove(&gMouse, x, y);
}

// --- The loader ---------------------------------------------------------------

bool DeliverToMainWindow(void*, int32_t slot, LoadResult* result) {
    HWND window = gResultWindow.load();
    return window != nullptr && PostMessageW(window, WM_PAGE_LOADED, static_cast<WPARAM>(slot),
                                             reinterpret_cast<LPARAM>(result)) != 0;
}

const LoaderSink kSink{nullptr, DeliverToMainWindow, &gLoaderBusy};

void SetLoaderPriority(void*, LoaderPriority priority) {
    if (gLoader != nullptr) {
        LoaderSetPriority(gLoader, priority);
    }
}

bool PostCancel(void*) {
    return gLoader != nullptr && LoaderPostCancel(gLoader);
}

bool PostLoad(void*, int32_t slot, LoadRequest* request) {
    return gLoader != nullptr && LoaderPostLoad(gLoader, slot, request);
}

// Hands the results already posted to the main window to the view.
void TakePostedResults(HWND window) {
    MSG msg;
    while (PeekMessageW(&msg, window, WM_PAGE_LOADED, WM_PAGE_LOADED, PM_REMOVE)) {
        OnPageLoaded(&gView, static_cast<int32_t>(msg.wParam), reinterpret_cast<LoadResult*>(msg.lParam));
    }
}

// The page wanted is the one the loader decodes: its result is waited for here,
// taking only the loader's results from the queue, so that no other message is
// handled in the middle of a show. The loader posts before it clears its busy
// mark, so once the mark is gone the result is in the queue.
bool AwaitPage(void*, uint32_t generation, int32_t pageIndex) {
    HWND window = gResultWindow.load();
    if (gLoader == nullptr || window == nullptr) {
        return false;
    }
    // A page delivered but not yet taken from the queue is taken, not decoded again.
    TakePostedResults(window);
    if (!LoaderBusyWith(&gLoaderBusy, generation, pageIndex)) {
        return false;
    }
    LoaderSetPriority(gLoader, LoaderPriority::kNormal);
    while (LoaderBusyWith(&gLoaderBusy, generation, pageIndex)) {
        TakePostedResults(window);
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_POSTMESSAGE | QS_SENDMESSAGE);
    }
    TakePostedResults(window);
    return true;
}

uint64_t BusyBytes(void*) {
    return LoaderBusyBytes(&gLoaderBusy);
}

bool Decoding(void*, uint32_t generation, int32_t pageIndex) {
    return LoaderBusyWith(&gLoaderBusy, generation, pageIndex);
}

void ClaimPage(void*, uint32_t generation, int32_t pageIndex) {
    LoaderClaimPage(&gLoaderBusy, generation, pageIndex);
}

ViewPrefs PrefsFromSettings() {
    ViewPrefs p;
    p.spreadMode = gSettings.spreadMode;
    p.rightToLeft = gSettings.rightToLeft;
    p.enlargeSmallPages = gSettings.enlargeSmallPages;
    p.stretchMode = gSettings.stretchMode;
    p.backgroundColour = gSettings.backgroundColour;
    return p;
}

bool PathExists(const char16_t* path) {
    return GetFileAttributesW(Wide(path)) != INVALID_FILE_ATTRIBUTES;
}

}  // namespace

void ReaderInit() {
    // The picture budget: no picture above it is decoded, and the pages held at
    // once (shown, parked, read ahead) stay within it.
    MEMORYSTATUSEX memory{};
    memory.dwLength = sizeof memory;
    SetPictureByteLimit(DefaultPictureByteLimit(GlobalMemoryStatusEx(&memory) ? memory.ullTotalPhys : 0));
    // The plug-in host lists other archives and adds the plug-ins' extensions;
    // the RAR library lists RAR books.
    BookOps bookOps = PluginBookOps();
    RarShellInit();
    RarShellFillBookOps(&bookOps);
    // The folder tree shows RAR books as archive leaves only with the library present.
    TreeSetRarAvailable(RarOffered());
    BookInit(&gBook, &bookOps);

    ViewOps ops{};
    ops.invalidate = Invalidate;
    ops.update = Update;
    ops.setPageText = SetPageTextControl;
    ops.setSliderPosition = SetSliderPosition;
    ops.sliderPosition = SliderPosition;
    ops.setCursor = SetViewCursor;
    ops.setLoupeButton = SetLoupeButton;
    ops.cursorPosition = CursorPosition;
    ops.mouseMove = MagnifierMove;
    ops.redrawFileListRow = RedrawRow;
    ops.selectFileListRow = SelectRow;
    ops.scrollFileListTo = ScrollToRow;
    const LoaderOps loader{nullptr,   SetLoaderPriority, PostCancel, PostLoad,
                           AwaitPage, BusyBytes,         Decoding,   ClaimPage};
    ViewInit(&gView, &gBook, &ops, RealDecodeOps(), &loader);
    ApplyViewPrefs(&gView, PrefsFromSettings());
}

bool ReaderStartLoader() {
    gLoader = StartLoader(RealDecodeOps(), &kSink);
    return gLoader != nullptr;
}

void ReaderStopLoader() {
    if (gLoader != nullptr) {
        StopLoader(gLoader, 1000);
        gLoader = nullptr;
    }
    // Results the loader posted before it ended are still queued: free them.
    HWND window = gResultWindow.exchange(nullptr);
    if (window != nullptr) {
        MSG msg;
        while (PeekMessageW(&msg, window, WM_PAGE_LOADED, WM_PAGE_LOADED, PM_REMOVE)) {
            FreeLoadResult(reinterpret_cast<LoadResult*>(msg.lParam));
        }
    }
}

void ReaderRelease() {
    ReleaseAll(&gView);
    BookRelease(&gBook);
    PluginsRelease();
}

void ReaderSetResultWindow(void* window) {
    gResultWindow.store(static_cast<HWND>(window));
}

void ReaderRecordResume() {
    if (!IsReopenable(&gBook)) {
        return;
    }
    gSettings.resumePath.Assign(gBook.book.path.Text());
    gSettings.resumePage = gView.currentIndex;
}

void ReaderSyncSettings() {
    gSettings.spreadMode = gView.prefs.spreadMode;
    gSettings.rightToLeft = gView.prefs.rightToLeft;
    gSettings.enlargeSmallPages = gView.prefs.enlargeSmallPages;
    gSettings.stretchMode = gView.prefs.stretchMode;
    gSettings.backgroundColour = gView.prefs.backgroundColour;
}

void ResolveShortcut(StrBuf* path) {
    if (!path->HasExtension(u".lnk")) {
        return;
    }
    IShellLinkW* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link)))) {
        return;
    }
    IPersistFile* file = nullptr;
    wchar_t target[MAX_PATH + 1] = {};
    bool ok = false;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        ok = SUCCEEDED(file->Load(Wide(path->Text()), STGM_READ)) &&
             SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0)) && target[0] != 0;
        file->Release();
    }
    link->Release();
    if (ok) {
        path->Assign(reinterpret_cast<const char16_t*>(target));
    }
}

void OpenBook(const OpenTarget* target, int32_t startIndex) {
    // Before the lock: a RAR listing may ask for a password.
    RarPrelistBook(&gBook);
    BeginOpen(&gView);
    {
        AppLockGuard lock;
        ResetReadAhead(&gView);
        // The rows go before the page list they are drawn from.
        ClearFileList(&gFileListOps);
        BuildPageList(&gBook);
        RarDropPrelisted();
        PublishToFileList(&gBook, &gFileListOps);
        SetSliderRange(gBook.pageCount);
        SetTitle(BookTitle(&gBook));
    }
    if (gBook.pages != nullptr) {
        const int32_t start = ChooseStartPage(&gBook, target, startIndex);
        if (IsReopenable(&gBook)) {
            AddToHistory(gBook.book.path.Text());
        }
        ShowForward(&gView, start, true);
        AfterShow(&gView);
    } else {
        ShowEmptyView(&gView);
    }
    EndOpen(&gView);
}

void OpenNamedBook(OpenTarget* target, uint32_t startLocator, int32_t startIndex) {
    // A new book also makes the folder tree forget the item that named the old one.
    if (SetBook(&gBook, target, startLocator)) {
        PaneForgetOpenedItem();
    }
    OpenBook(target, startIndex);
}

void ReloadIfChanged() {
    OpenTarget target;
    if (PrepareReload(&gBook, gView.currentIndex, &target)) {
        OpenBook(&target, 0);
    }
}

void ReaderOpenPath(const char16_t* path, uint32_t startLocator) {
    if (!PathExists(path)) {
        return;
    }
    OpenTarget target;
    target.path.Assign(path);
    ResolveShortcut(&target.path);
    OpenNamedBook(&target, startLocator, 0);
}

void ReaderOpenChosen(const char16_t* path) {
    OpenTarget target;
    target.path.Assign(path);
    OpenNamedBook(&target, 0, 0);
}

void ReaderPageLoaded(int32_t slot, void* result) {
    OnPageLoaded(&gView, slot, static_cast<LoadResult*>(result));
}
