#include <mutex>

#include "platform/lock.h"

namespace {
std::recursive_mutex gLock;
}

void AppLockInit() {}
void AppLockDelete() {}

void AppLockEnter() {
    gLock.lock();
}

void AppLockLeave() {
    gLock.unlock();
}
