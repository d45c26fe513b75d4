// Native blocks come from mmap; the mapping length sits in a 64-byte header so
// that VmFree needs only the pointer, as on Windows.
#include <sys/mman.h>

#include "platform/heap.h"
#include "platform/vm.h"

namespace {
constexpr size_t kHeader = 64;
}

void* VmAlloc(size_t bytes) {
    if (AppHeapInjectedFailure() || bytes > SIZE_MAX - kHeader - 4096) {
        return nullptr;
    }
    size_t total = bytes + kHeader;
    void* raw = mmap(nullptr, total, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (raw == MAP_FAILED) {
        return nullptr;
    }
    *static_cast<size_t*>(raw) = total;
    return static_cast<uint8_t*>(raw) + kHeader;
}

void VmFree(void* block) {
    if (block == nullptr) {
        return;
    }
    uint8_t* raw = static_cast<uint8_t*>(block) - kHeader;
    munmap(raw, *reinterpret_cast<size_t*>(raw));
}

size_t VmBlockSize(void* block) {
    if (block == nullptr) {
        return 0;
    }
    return *reinterpret_cast<size_t*>(static_cast<uint8_t*>(block) - kHeader) - kHeader;
}
