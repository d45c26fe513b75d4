// Native heap for tests and tools: malloc with a size header, so that a grown
// block can zero exactly the bytes it added.
#include "platform/heap.h"

#include <cstdlib>
#include <cstring>

namespace {
constexpr size_t kHeader = 16;
bool gAlive = false;

size_t& SizeOf(void* block) {
    return *reinterpret_cast<size_t*>(static_cast<unsigned char*>(block) - kHeader);
}
}  // namespace

bool AppHeapCreate() {
    gAlive = true;
    return true;
}

void AppHeapDestroy() {
    gAlive = false;
}

bool AppHeapAlive() {
    return gAlive;
}

void* AppAlloc(size_t bytes) {
    if (AppHeapInjectedFailure() || bytes > SIZE_MAX - kHeader) {
        return nullptr;
    }
    auto* raw = static_cast<unsigned char*>(std::malloc(bytes + kHeader));
    if (raw == nullptr) {
        return nullptr;
    }
    *reinterpret_cast<size_t*>(raw) = bytes;
    return raw + kHeader;
}

void* AppAllocZero(size_t bytes) {
    void* p = AppAlloc(bytes);
    if (p != nullptr) {
        std::memset(p, 0, bytes);
    }
    return p;
}

void* AppReAllocZero(void* block, size_t bytes) {
    if (block == nullptr) {
        return AppAllocZero(bytes);
    }
    if (AppHeapInjectedFailure() || bytes > SIZE_MAX - kHeader) {
        return nullptr;
    }
    size_t old = SizeOf(block);
    auto* raw = static_cast<unsigned char*>(
        std::realloc(static_cast<unsigned char*>(block) - kHeader, bytes + kHeader));
    if (raw == nullptr) {
        return nullptr;
    }
    *reinterpret_cast<size_t*>(raw) = bytes;
    if (bytes > old) {
        std::memset(raw + kHeader + old, 0, bytes - old);
    }
    return raw + kHeader;
}

void AppFree(void* block) {
    if (block != nullptr) {
        std::free(static_cast<unsigned char*>(block) - kHeader);
    }
}
