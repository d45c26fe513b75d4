// Fuzzing build only: pixel blocks from the C heap instead of mmap, so that the
// address sanitizer sees every byte written or read past a block. Linked into the
// fuzz targets ahead of the platform library, whose mmap version it replaces.
#include <cstdlib>

#include "platform/heap.h"
#include "platform/vm.h"

void* VmAlloc(size_t bytes) {
    if (AppHeapInjectedFailure()) {
        return nullptr;
    }
    return std::calloc(bytes == 0 ? 1 : bytes, 1);
}

void VmFree(void* block) {
    std::free(block);
}

// Unknown: blocks from the C heap are never kept for reuse.
size_t VmBlockSize(void*) {
    return 0;
}
