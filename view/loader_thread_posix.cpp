// The native loader thread: the loop of the Windows loader window over a
// LoaderQueue guarded by a mutex, with a condition variable to wait on. The
// priority is only recorded; the native build serves tests and tools.
#include <pthread.h>

#include <atomic>
#include <cerrno>
#include <ctime>
#include <new>

#include "platform/heap.h"
#include "view/loader_queue.h"
#include "view/loader_thread.h"

struct LoaderThread {
    pthread_t thread;
    pthread_mutex_t mutex = PTHREAD_MUTEX_INITIALIZER;
    pthread_cond_t wake = PTHREAD_COND_INITIALIZER;
    LoaderQueue queue;
    bool quit = false;  // a quit message that could not be queued
    const DecodeOps* decode = nullptr;
    LoaderSink sink{};
    std::atomic<LoaderPriority> priority{LoaderPriority::kIdle};
};

namespace {

class MutexGuard {
  public:
    explicit MutexGuard(pthread_mutex_t* m) : m_(m) { pthread_mutex_lock(m_); }
    ~MutexGuard() { pthread_mutex_unlock(m_); }
    MutexGuard(const MutexGuard&) = delete;
    MutexGuard& operator=(const MutexGuard&) = delete;

  private:
    pthread_mutex_t* m_;
};

bool LockedPeek(void* ctx, uint32_t message) {
    auto* loader = static_cast<LoaderThread*>(ctx);
    MutexGuard guard(&loader->mutex);
    return LoaderQueuePeek(&loader->queue, message);
}

bool LockedTake(void* ctx, uint32_t first, uint32_t last, LoaderMessage* out) {
    auto* loader = static_cast<LoaderThread*>(ctx);
    MutexGuard guard(&loader->mutex);
    return LoaderQueueTake(&loader->queue, first, last, out);
}

void* LoaderMain(void* arg) {
    auto* loader = static_cast<LoaderThread*>(arg);
    const LoaderQueueOps ops{loader, LockedPeek, LockedTake};
    for (;;) {
        LoaderMessage m;
        {
            MutexGuard guard(&loader->mutex);
            while (loader->queue.count == 0 && !loader->quit) {
                pthread_cond_wait(&loader->wake, &loader->mutex);
            }
            if (!LoaderQueueTake(&loader->queue, 0, UINT32_MAX, &m)) {
                m = LoaderMessage{WM_LOADER_QUIT, 0, nullptr};
            }
        }
        if (!LoaderDispatch(loader->decode, &loader->sink, &ops, m)) {
            return nullptr;
        }
    }
}

bool Post(LoaderThread* loader, uint32_t message, int32_t slot, LoadRequest* request) {
    MutexGuard guard(&loader->mutex);
    if (!LoaderQueuePost(&loader->queue, message, slot, request)) {
        return false;
    }
    pthread_cond_signal(&loader->wake);
    return true;
}

void FreeLoader(LoaderThread* loader) {
    LoaderQueueClear(&loader->queue);
    pthread_cond_destroy(&loader->wake);
    pthread_mutex_destroy(&loader->mutex);
    loader->~LoaderThread();
    AppFree(loader);
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
    if (pthread_create(&loader->thread, nullptr, LoaderMain, loader) != 0) {
        FreeLoader(loader);
        return nullptr;
    }
    return loader;
}

bool LoaderPostLoad(LoaderThread* loader, int32_t slot, LoadRequest* request) {
    return Post(loader, WM_LOAD_PAGE, slot, request);
}

bool LoaderPostCancel(LoaderThread* loader) {
    return Post(loader, WM_CANCEL_LOADS, 0, nullptr);
}

void LoaderSetPriority(LoaderThread* loader, LoaderPriority priority) {
    loader->priority.store(priority, std::memory_order_relaxed);
}

LoaderPriority LoaderCurrentPriority(const LoaderThread* loader) {
    return loader->priority.load(std::memory_order_relaxed);
}

bool StopLoader(LoaderThread* loader, uint32_t graceMs) {
    if (loader == nullptr) {
        return true;
    }
    LoaderSetPriority(loader, LoaderPriority::kNormal);
    // The marker first, as on Windows: the quit waits for no queued request.
    (void)Post(loader, WM_CANCEL_LOADS, 0, nullptr);
    if (!Post(loader, WM_LOADER_QUIT, 0, nullptr)) {
        MutexGuard guard(&loader->mutex);
        loader->quit = true;
        pthread_cond_signal(&loader->wake);
    }
    timespec deadline;
    clock_gettime(CLOCK_REALTIME, &deadline);
    deadline.tv_sec += static_cast<time_t>(graceMs / 1000);
    deadline.tv_nsec += static_cast<long>(graceMs % 1000) * 1000000L;
    if (deadline.tv_nsec >= 1000000000L) {
        deadline.tv_sec += 1;
        deadline.tv_nsec -= 1000000000L;
    }
    if (pthread_timedjoin_np(loader->thread, nullptr, &deadline) != 0) {
        // A thread cannot be stopped by force here; it keeps its record.
        pthread_detach(loader->thread);
        return false;
    }
    FreeLoader(loader);
    return true;
}
