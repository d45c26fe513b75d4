// The settings' accelerator records as the platform's accelerator table: the
// table is made from them at start and copied back into them before the save.
#include <windows.h>

#include "settings/settings.h"

void* CreateAccelTableFromSettings(const Settings& s) {
    ACCEL accel[kMaxAccelRecords];
    uint32_t count = s.keyTableCount < kMaxAccelRecords ? s.keyTableCount : kMaxAccelRecords;
    for (uint32_t i = 0; i < count; ++i) {
        accel[i].fVirt = s.keyTable[i].flags;
        accel[i].key = s.keyTable[i].key;
        accel[i].cmd = s.keyTable[i].command;
    }
    return count == 0 ? nullptr : CreateAcceleratorTableW(accel, static_cast<int>(count));
}

bool StoreAccelTableInSettings(void* table, Settings* s) {
    if (table == nullptr) {
        s->keyTableCount = 0;
        return true;
    }
    // A table always holds a record: none copied is a failed copy, and the
    // records read at start stay rather than an empty table being saved.
    ACCEL accel[kMaxAccelRecords];
    int count = CopyAcceleratorTableW(static_cast<HACCEL>(table), accel, static_cast<int>(kMaxAccelRecords));
    if (count <= 0) {
        return false;
    }
    s->keyTableCount = 0;
    for (int i = 0; i < count && i < static_cast<int>(kMaxAccelRecords); ++i) {
        s->keyTable[i].flags = accel[i].fVirt;
        s->keyTable[i].key = accel[i].key;
        s->keyTable[i].command = accel[i].cmd;
        ++s->keyTableCount;
    }
    return true;
}
