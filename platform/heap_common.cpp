#include "platform/heap.h"

#include <atomic>

namespace {
std::atomic<int64_t> gFailCountdown{-1};
}

void AppHeapFailAfter(int64_t n) {
    gFailCountdown.store(n);
}

bool AppHeapInjectedFailure() {
    int64_t n = gFailCountdown.load(std::memory_order_relaxed);
    if (n < 0) {
        return false;
    }
    if (n == 0) {
        return true;
    }
    gFailCountdown.store(n - 1, std::memory_order_relaxed);
    return false;
}
