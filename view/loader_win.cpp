// The Windows loader: a thread that owns a hidden message-only window of class
// "Pagewick_nxld_class" and runs a get-and-dispatch loop. Requests, cancel
// markers and the quit message are posted to that window, so the thread's
// message queue is the request queue; the cancel sweep looks into it with
// PeekMessage.
#include <windows.h>

#include <new>

#include "platform/heap.h"
#include "platform/owners_win.h"
#include "view/loader_thread.h"

struct LoaderThread {
    KernelHandle thread;
    KernelHandle ready;
    HWND window = nullptr;
    const DecodeOps* decode = nullptr;
    LoaderSink sink{};
    volatile LONG priority = 0;  // a LoaderPriority
};

namespace {

constexpr wchar_t kLoaderClass[] = L"Pagewick_nxld_class";

bool WindowPeek(void* ctx, uint32_t message) {
    MSG m;
    return PeekMessageW(&m, static_cast<HWND>(ctx), message, message, PM_NOREMOVE | PM_NOYIELD) != 0;
}

bool WindowTake(void* ctx, uint32_t first, uint32_t last, LoaderMessage* out) {
    MSG m;
    if (PeekMessageW(&m, static_cast<HWND>(ctx), first, last, PM_REMOVE | PM_NOYIELD) == 0) {
        return false;
    }
    out->message = m.message;
    out->slot = static_cast<int32_t>(m.wParam);
    out->request = m.message == WM_LOAD_PAGE ? reinterpret_cast<LoadRequest*>(m.lParam) : nullptr;
    return true;
}

LRESULT CALLBACK LoaderWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* loader = reinterpret_cast<LoaderThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    const LoaderQueueOps ops{window, WindowPeek, WindowTake};
    switch (message) {
        case WM_LOAD_PAGE:
            LoaderHandleLoad(loader->decode, &loader->sink, &ops, static_cast<int32_t>(wParam),
                             reinterpret_cast<LoadRequest*>(lParam));
            return 0;
        case WM_CANCEL_LOADS:
            return 0;
        case WM_LOADER_QUIT:
            DrainLoads(&ops);
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            return DefWindowProcW(window, message, wParam, lParam);
    }
}

DWORD WINAPI LoaderMain(void* arg) {
    auto* loader = static_cast<LoaderThread*>(arg);
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = LoaderWindowProc;
    wc.hInstance = instance;
    wc.lpszClassName = kLoaderClass;
    // A second loader in the same process (tests) finds the class registered.
    if (RegisterClassExW(&wc) == 0 && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
        SetEvent(loader->ready.get());
        return 1;
    }
    HWND window =
        CreateWindowExW(0, kLoaderClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
    if (window == nullptr) {
        SetEvent(loader->ready.get());
        return 1;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(loader));
    loader->window = window;
    SetEvent(loader->ready.get());
    MSG m;
    while (GetMessageW(&m, nullptr, 0, 0) > 0) {
        DispatchMessageW(&m);
    }
    return 0;
}

// The record's owners close the thread and event handles.
void FreeLoader(LoaderThread* loader) {
    loader->~LoaderThread();
    AppFree(loader);
}

bool PostResultToWindow(void* ctx, int32_t slot, LoadResult* result) {
    return PostMessageW(static_cast<HWND>(ctx), WM_PAGE_LOADED, static_cast<WPARAM>(slot),
                        reinterpret_cast<LPARAM>(result)) != 0;
}

}  // namespace

LoaderThread* StartLoader(const DecodeOps* decode, const LoaderSink* sink) {
    void* raw = AppAllocZero(sizeof(LoaderThread));
    if (raw == nullptr) {
        return nullptr;
    }
    auto* loader = new (raw) LoaderThread();
    loader->decode = decode;
    loader->sink = *sink;
    loader->ready.reset(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!loader->ready.valid()) {
        FreeLoader(loader);
        return nullptr;
    }
    loader->thread.reset(CreateThread(nullptr, 0, LoaderMain, loader, 0, nullptr));
    if (!loader->thread.valid()) {
        FreeLoader(loader);
        return nullptr;
    }
    SetThreadPriority(loader->thread.get(), THREAD_PRIORITY_IDLE);
    HANDLE waits[2] = {loader->ready.get(), loader->thread.get()};
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    if (loader->window == nullptr) {
        WaitForSingleObject(loader->thread.get(), INFINITE);
        FreeLoader(loader);
        return nullptr;
    }
    return loader;
}

bool LoaderPostLoad(LoaderThread* loader, int32_t slot, LoadRequest* request) {
    return PostMessageW(loader->window, WM_LOAD_PAGE, static_cast<WPARAM>(slot),
                        reinterpret_cast<LPARAM>(request)) != 0;
}

bool LoaderPostCancel(LoaderThread* loader) {
    return PostMessageW(loader->window, WM_CANCEL_LOADS, 0, 0) != 0;
}

void LoaderSetPriority(LoaderThread* loader, LoaderPriority priority) {
    InterlockedExchange(&loader->priority, static_cast<LONG>(priority));
    SetThreadPriority(loader->thread.get(),
                      priority == LoaderPriority::kNormal ? THREAD_PRIORITY_NORMAL : THREAD_PRIORITY_IDLE);
}

LoaderPriority LoaderCurrentPriority(const LoaderThread* loader) {
    return static_cast<LoaderPriority>(loader->priority);
}

bool StopLoader(LoaderThread* loader, uint32_t graceMs) {
    if (loader == nullptr) {
        return true;
    }
    LoaderSetPriority(loader, LoaderPriority::kNormal);
    // A loader that already quit has no window left to post to. A marker goes
    // ahead of the quit: the read-ahead still queued is dropped undone, so the
    // grace covers at most the page being decoded, not the pages behind it.
    bool ended = WaitForSingleObject(loader->thread.get(), 0) == WAIT_OBJECT_0;
    if (!ended) {
        PostMessageW(loader->window, WM_CANCEL_LOADS, 0, 0);
        // A loader already on its way out (a quit posted before) may have
        // destroyed its window, so these posts fail; it is waited for all the
        // same, never cut off in the middle of its clean-up.
        PostMessageW(loader->window, WM_LOADER_QUIT, 0, 0);
        ended = WaitForSingleObject(loader->thread.get(), graceMs) == WAIT_OBJECT_0;
    }
    if (!ended) {
        TerminateThread(loader->thread.get(), 0);
        WaitForSingleObject(loader->thread.get(), INFINITE);
    }
    FreeLoader(loader);
    return ended;
}

void* LoaderWindow(const LoaderThread* loader) {
    return loader->window;
}

LoaderSink PostToWindowSink(void* window) {
    return LoaderSink{window, PostResultToWindow};
}
