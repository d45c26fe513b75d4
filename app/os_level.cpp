#include "app/os_level.h"

int gOsLevel = 0;

int OsLevelFromVersion(uint32_t major, uint32_t minor) {
    if (major < 5 || (major == 5 && minor == 0)) {
        return 0;
    }
    if (major == 5) {
        return 1;
    }
    if (major == 6) {
        switch (minor) {
            case 0:
                return 2;
            case 1:
                return 3;
            case 2:
                return 4;
            default:
                return 5;
        }
    }
    return 5;
}
