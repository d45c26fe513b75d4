// The private Win32 heap: created with no flags, 64 KiB initially, growable.
#include <windows.h>

#include "platform/heap.h"

namespace {
HANDLE gHeap = nullptr;

HANDLE Heap() {
    // Tests and tools may allocate before (or without) the program's start-up.
    return gHeap != nullptr ? gHeap : GetProcessHeap();
}
}  // namespace

bool AppHeapCreate() {
    gHeap = HeapCreate(0, 0x10000, 0);
    return gHeap != nullptr;
}

void AppHeapDestroy() {
    if (gHeap != nullptr) {
        HeapDestroy(gHeap);
        gHeap = nullptr;
    }
}

bool AppHeapAlive() {
    return gHeap != nullptr;
}

void* AppAlloc(size_t bytes) {
    if (AppHeapInjectedFailure()) {
        return nullptr;
    }
    return HeapAlloc(Heap(), 0, bytes);
}

void* AppAllocZero(size_t bytes) {
    if (AppHeapInjectedFailure()) {
        return nullptr;
    }
    return HeapAlloc(Heap(), HEAP_ZERO_MEMORY, bytes);
}

void* AppReAllocZero(void* block, size_t bytes) {
    if (block == nullptr) {
        return AppAllocZero(bytes);
    }
    if (AppHeapInjectedFailure()) {
        return nullptr;
    }
    return HeapReAlloc(Heap(), HEAP_ZERO_MEMORY, block, bytes);
}

void AppFree(void* block) {
    if (block != nullptr) {
        HeapFree(Heap(), 0, block);
    }
}
