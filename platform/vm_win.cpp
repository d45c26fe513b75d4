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
