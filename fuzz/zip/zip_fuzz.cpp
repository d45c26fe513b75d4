// libFuzzer target over whole ZIP archives: the input becomes an in-memory file
// (memfd), which is listed; every listed member is then read, and so is a member
// at offset 0 and at the input's own first bytes taken as a locator. Any result is
// fine; crashes, leaks and out-of-bounds accesses are not.
//   zip_fuzzer CORPUS_DIR   (seeds: fuzz/zip/make_seeds.py CORPUS_DIR)
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>

#include "archive/file_reader.h"
#include "archive/zip_reader.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {
void ReadAt(FileId file, uint32_t locator) {
    uint64_t modified = 0;
    VmBlock block(ZipReadMember(file, &locator, &modified));
    if (block.get() != nullptr) {
        // Touch the promised spare bytes so that a short block shows under ASan.
        volatile uint8_t spare = block.get()[locator + 3];
        (void)spare;
    }
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return AppHeapCreate() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int fd = memfd_create("zip_fuzz", MFD_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    size_t written = 0;
    while (written < size) {
        ssize_t n = write(fd, data + written, size - written);
        if (n <= 0) {
            close(fd);
            return 0;
        }
        written += static_cast<size_t>(n);
    }
    FileId file = fd;
    (void)ZipFindEnd(file);
    MemberListPtr list(ZipListMembers(file));
    for (int32_t i = 0; list.get() != nullptr && i < list->count; ++i) {
        ReadAt(file, list->members[i].locator);
    }
    ReadAt(file, 0);
    if (size >= 4) {
        ReadAt(file, Le32(data) % static_cast<uint32_t>(size));
    }
    close(fd);
    return 0;
}
