// AppLock: the one program-wide re-entrant lock. Initialised at start before the
// settings are read, deleted after the message loop ends. Never held across a
// window message round trip.
#pragma once

void AppLockInit();
void AppLockDelete();
void AppLockEnter();
void AppLockLeave();

class AppLockGuard {
  public:
    AppLockGuard() { AppLockEnter(); }
    ~AppLockGuard() { AppLockLeave(); }
    AppLockGuard(const AppLockGuard&) = delete;
    AppLockGuard& operator=(const AppLockGuard&) = delete;
};
