// Fuzzing build only: virtual-memory blocks from the C heap instead of mmap, so
// that the address sanitizer sees every byte read or written past a block (index
// buffers, gathered strips, strip tables, pixel blocks). Linked into the GIF and
// TIFF fuzz targets ahead of the platform library, whose version it replaces.
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
