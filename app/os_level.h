// osLevel: the operating-system level derived once at start from the version.
// 0 unsupported (below 5.1), 1 = 5.1/5.2, 2 = 6.0, 3 = 6.1, 4 = 6.2, 5 = 6.3 and later.
#pragma once

#include <cstdint>

int OsLevelFromVersion(uint32_t major, uint32_t minor);

// Set at start by the entry point; read by the recycle-bin reader and others.
extern int gOsLevel;
