#include <windows.h>

#include "platform/lock.h"

namespace {
CRITICAL_SECTION gLock;
bool gReady = false;

void EnsureReady() {
    // Tests use the lock without the program's start-up.
    if (!gReady) {
        InitializeCriticalSection(&gLock);
        gReady = true;
    }
}
}  // namespace

void AppLockInit() {
    EnsureReady();
}

void AppLockDelete() {
    if (gReady) {
        DeleteCriticalSection(&gLock);
        gReady = false;
    }
}

void AppLockEnter() {
    EnsureReady();
    EnterCriticalSection(&gLock);
}

void AppLockLeave() {
    LeaveCriticalSection(&gLock);
}
