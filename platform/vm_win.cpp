#include <windows.h>

#include "platform/heap.h"
#include "platform/vm.h"

void* VmAlloc(size_t bytes) {
    if (AppHeapInjectedFailure() || bytes == 0) {
        return nullptr;
    }
    return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void VmFree(void* block) {
    if (block != nullptr) {
        VirtualFree(block, 0, MEM_DECOMMIT);
        VirtualFree(block, 0, MEM_RELEASE);
    }
}

size_t VmBlockSize(void* block) {
    MEMORY_BASIC_INFORMATION info{};
    if (block == nullptr || VirtualQuery(block, &info, sizeof info) != sizeof info ||
        info.State != MEM_COMMIT || info.AllocationBase != block) {
        return 0;
    }
    // The committed run from the block's start: what VmAlloc committed, in whole pages.
    return info.RegionSize;
}
