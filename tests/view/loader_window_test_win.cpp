// The Windows loader as the program runs it: a message-only window of class
// "Pagewick_nxld_class" on its own thread, whose results arrive as
// WM_PAGE_LOADED messages at a window of the receiving thread.
#include <windows.h>

#include <gtest/gtest.h>

#include "tests/support/view_fakes.h"
#include "view/commands.h"
#include "view/loader_thread.h"
#include "view/navigate.h"
#include "view/read_ahead.h"

namespace {

// A message-only window on the test's thread standing in for the main window:
// each WM_PAGE_LOADED is stored into the view as the main window stores it.
struct MainWindowStandIn {
    HWND window = nullptr;
    ReadingView* view = nullptr;
    int32_t received = 0;

    static LRESULT CALLBACK Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<MainWindowStandIn*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_PAGE_LOADED && self != nullptr) {
            ++self->received;
            auto* result = reinterpret_cast<LoadResult*>(lParam);
            if (self->view != nullptr) {
                OnPageLoaded(self->view, static_cast<int32_t>(wParam), result);
            } else {
                FreeLoadResult(result);
            }
            return 0;
        }
        return DefWindowProcW(hwnd, message, wParam, lParam);
    }

    MainWindowStandIn() {
        WNDCLASSEXW wc{};
        wc.cbSize = sizeof(wc);
        wc.lpfnWndProc = Proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"Pagewick_test_main_class";
        RegisterClassExW(&wc);
        window = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance,
                                 nullptr);
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
    ~MainWindowStandIn() {
        // Results still queued are taken before the window goes.
        view = nullptr;
        Pump(0, 0);
        DestroyWindow(window);
    }

    // Dispatches messages until `want` results came or timeoutMs passed.
    bool Pump(int32_t want, DWORD timeoutMs) {
        const ULONGLONG end = GetTickCount64() + timeoutMs;
        for (;;) {
            MSG m;
            while (PeekMessageW(&m, nullptr, 0, 0, PM_REMOVE)) {
                DispatchMessageW(&m);
            }
            if (received >= want) {
                return true;
            }
            const ULONGLONG now = GetTickCount64();
            if (now >= end) {
                return false;
            }
            MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLPOSTMESSAGE);
        }
    }
};

TEST(LoaderWindow, IsAMessageOnlyWindowOfItsClassOnItsOwnThread) {
    ViewHarness h(std::vector<FakePage>(2), false, false);
    MainWindowStandIn main;
    const LoaderSink sink = PostToWindowSink(main.window);
    LoaderThread* loader = StartLoader(&h.decoder.ops, &sink);
    ASSERT_NE(loader, nullptr);
    HWND window = static_cast<HWND>(LoaderWindow(loader));
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    EXPECT_STREQ(name, L"Pagewick_nxld_class");
    EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"Pagewick_nxld_class", nullptr), window);
    EXPECT_NE(GetWindowThreadProcessId(window, nullptr), GetCurrentThreadId());
    EXPECT_FALSE(IsWindowVisible(window));

    ASSERT_TRUE(LoaderPostLoad(loader, 1, NewLoadRequest(&h.book, 1)));
    ASSERT_TRUE(main.Pump(1, 20000));
    EXPECT_TRUE(StopLoader(loader, 1000));
    EXPECT_FALSE(IsWindow(window));
}

// Two loaders in one process (a test program starts many): the class is
// registered once and each loader has its own window.
TEST(LoaderWindow, SecondLoaderFindsTheClassRegistered) {
    ViewHarness h(std::vector<FakePage>(2), false, false);
    MainWindowStandIn main;
    const LoaderSink sink = PostToWindowSink(main.window);
    LoaderThread* first = StartLoader(&h.decoder.ops, &sink);
    LoaderThread* second = StartLoader(&h.decoder.ops, &sink);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(LoaderWindow(first), LoaderWindow(second));
    EXPECT_TRUE(StopLoader(first, 1000));
    EXPECT_TRUE(StopLoader(second, 1000));
}

TEST(LoaderWindow, ReadingForwardThroughPostedMessages) {
    for (bool rtl : {false, true}) {
        ViewHarness h(std::vector<FakePage>(14), true, rtl);
        MainWindowStandIn main;
        main.view = &h.view;
        const LoaderSink sink = PostToWindowSink(main.window);
        LoaderThread* loader = StartLoader(&h.decoder.ops, &sink);
        ASSERT_NE(loader, nullptr);
        h.view.loader = LoaderOpsFor(loader);
        h.Open(0);
        int32_t want = 0;
        while (h.view.endIndex < h.book.pageCount) {
            want += 2;
            ASSERT_TRUE(main.Pump(want, 20000)) << "rtl " << rtl;
            EXPECT_EQ(LoaderCurrentPriority(loader), LoaderPriority::kIdle);
            Navigate(&h.view, CMD_NEXT_SPREAD, 0);
            EXPECT_EQ(h.decoder.DecodesOf(h.view.currentIndex), 1)
                << "rtl " << rtl << " page " << h.view.currentIndex;
            EXPECT_EQ(h.decoder.DecodesOf(h.view.currentIndex + 1), 1) << "rtl " << rtl;
        }
        EXPECT_TRUE(StopLoader(loader, 1000));
    }
}

// Requests queued behind the quit message are freed undone when the loader
// ends; the request in hand is finished first.
TEST(LoaderWindow, QuitDropsTheRequestsBehindIt) {
    ViewHarness h(std::vector<FakePage>(6), false, false);
    MainWindowStandIn main;
    const LoaderSink sink = PostToWindowSink(main.window);
    LoaderThread* loader = StartLoader(&h.decoder.ops, &sink);
    ASSERT_NE(loader, nullptr);
    HWND window = static_cast<HWND>(LoaderWindow(loader));
    h.decoder.CloseGate();
    ASSERT_TRUE(LoaderPostLoad(loader, 0, NewLoadRequest(&h.book, 0)));
    h.decoder.WaitEntered(1);
    ASSERT_TRUE(PostMessageW(window, WM_LOADER_QUIT, 0, 0));
    ASSERT_TRUE(LoaderPostLoad(loader, 1, NewLoadRequest(&h.book, 1)));
    ASSERT_TRUE(LoaderPostCancel(loader));
    ASSERT_TRUE(LoaderPostLoad(loader, 0, NewLoadRequest(&h.book, 2)));
    h.decoder.OpenGate();
    ASSERT_TRUE(main.Pump(1, 20000));
    EXPECT_TRUE(StopLoader(loader, 5000));
    EXPECT_EQ(h.decoder.DecodesOf(0), 1);
    EXPECT_EQ(h.decoder.DecodesOf(1) + h.decoder.DecodesOf(2), 0);
    EXPECT_EQ(main.received, 1);
}

}  // namespace
