// LoaderQueue: a first-in, first-out queue of loader messages with the same
// order and the same cancel-marker semantics as the message queue of the
// Windows loader window. The native loader thread (loader_thread_posix.cpp)
// guards one with a mutex; tests use one directly as a synchronous loader: the
// view posts into it, and the test runs the loader's loop over what is queued
// when it chooses (RunLoaderQueue), on its own thread.
//
// Ownership: the queue owns the requests of its queued WM_LOAD_PAGE messages;
// LoaderQueueClear frees them. Not thread-safe by itself.
#pragma once

#include <cstdint>

#include "view/loader.h"

struct LoaderQueueNode;

struct LoaderQueue {
    LoaderQueueNode* head = nullptr;
    LoaderQueueNode* tail = nullptr;
    uint32_t count = 0;
    // What the view last asked of the loader, for the synchronous form.
    LoaderPriority priority = LoaderPriority::kIdle;
    uint32_t postedLoads = 0;    // WM_LOAD_PAGE messages accepted so far
    uint32_t postedMarkers = 0;  // WM_CANCEL_LOADS messages accepted so far
};

// Appends a message. False when the heap refuses (the request stays the caller's).
[[nodiscard]] bool LoaderQueuePost(LoaderQueue* queue, uint32_t message, int32_t slot, LoadRequest* request);
bool LoaderQueuePeek(const LoaderQueue* queue, uint32_t message);
// Removes the oldest message whose number lies in first..last.
bool LoaderQueueTake(LoaderQueue* queue, uint32_t first, uint32_t last, LoaderMessage* out);
// Removes every message, freeing the queued requests.
void LoaderQueueClear(LoaderQueue* queue);

// The loader's view of an unguarded queue.
LoaderQueueOps LoaderQueueOpsFor(LoaderQueue* queue);

// The loader's loop over an unguarded queue, on the caller's thread: handles the
// oldest message (RunLoaderQueueOnce) or every message until the queue is empty
// (RunLoaderQueue). False once WM_LOADER_QUIT was handled.
bool RunLoaderQueueOnce(LoaderQueue* queue, const DecodeOps* decode, const LoaderSink* sink);
bool RunLoaderQueue(LoaderQueue* queue, const DecodeOps* decode, const LoaderSink* sink);

// The view's link to a synchronous loader: posts go into the queue, the priority
// is recorded in it.
LoaderOps LoaderOpsForQueue(LoaderQueue* queue);
