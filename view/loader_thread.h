// The page-loader thread: started once at start-up, it decodes the read-ahead
// pages the view posts and hands each result to a LoaderSink, until it is told
// to quit. On Windows it is a thread with a message-only window of class
// "Pagewick_nxld_class" whose message queue holds the requests (loader_win.cpp);
// natively the same loop runs over a locked LoaderQueue (loader_thread_posix.cpp).
// Both keep the posting order and the cancel-marker sweep of loader.h.
//
// Call order (user-interface thread): StartLoader → LoaderOpsFor for the view →
// posts and priority changes → StopLoader at shut-down.
//
// Ownership: a request passes to the loader when its post succeeds; when a post
// fails the caller still owns it. Results are the sink's once delivered. Requests
// still queued at quit are freed by the loader.
#pragma once

#include <cstdint>

#include "view/loader.h"

struct LoaderThread;

// Starts the thread at idle priority and waits until it takes requests. decode
// and sink must outlive the thread; sink->deliver runs on the loader thread.
// Null when the thread or its window cannot be created.
[[nodiscard]] LoaderThread* StartLoader(const DecodeOps* decode, const LoaderSink* sink);
// True: the loader owns the request now.
[[nodiscard]] bool LoaderPostLoad(LoaderThread* loader, int32_t slot, LoadRequest* request);
bool LoaderPostCancel(LoaderThread* loader);
void LoaderSetPriority(LoaderThread* loader, LoaderPriority priority);
LoaderPriority LoaderCurrentPriority(const LoaderThread* loader);
// Raises the thread to normal priority, posts a cancel marker and then
// WM_LOADER_QUIT, and waits up to graceMs for it to end: the requests still
// queued are dropped undone, only a decode in progress is finished. A thread
// that does not end in time is stopped by force on Windows and abandoned
// natively. Frees the record. True when it ended itself.
bool StopLoader(LoaderThread* loader, uint32_t graceMs);

// The view's link to a running loader.
LoaderOps LoaderOpsFor(LoaderThread* loader);

#ifdef _WIN32
// The loader's window (an HWND), for the shell and the tests.
void* LoaderWindow(const LoaderThread* loader);
// A sink that posts WM_PAGE_LOADED (slot, result) to window (an HWND).
LoaderSink PostToWindowSink(void* window);
#endif
