// libFuzzer target over the settings reader, the slot dump and the writer's
// carry-over of an old file. Seeds: make_seeds.py.
#include <cstdlib>

#include "fuzz/settings/settings_fuzz_body.h"
#include "platform/heap.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool heap = AppHeapCreate();
    if (!heap) {
        return 0;
    }
    if (!SettingsFuzzOne(data, size)) {
        std::abort();
    }
    return 0;
}
