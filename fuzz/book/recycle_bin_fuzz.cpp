// Recycle-bin records from arbitrary bytes: the input is read as a "$I" file and
// as a run of INFO2 records; every name taken from it must lie inside it.
#include <cstddef>
#include <cstdint>

#include "platform/heap.h"
#include "view/recycle_bin.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool heap = AppHeapCreate();
    if (!heap || size > (1u << 20)) {
        return 0;
    }
    auto n = static_cast<uint32_t>(size);
    RecycleInfo info{};
    if (ParseRecycleInfo(data, n, &info)) {
        StrBuf name;
        (void)AssignDeletedName(&name, info.widePath, info.pathUnits);
    }
    for (uint32_t at = 0; at < n; at += kInfo2RecordSize) {
        Info2Record record{};
        if (!ParseInfo2Record(data + at, n - at, &record)) {
            break;
        }
        StrBuf name;
        (void)AssignDeletedName(&name, record.widePath, kRecyclePathUnits);
    }
    return 0;
}
