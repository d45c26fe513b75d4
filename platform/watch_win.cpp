// Folder watching through FindFirstChangeNotificationW, polled with a zero wait.
#include <windows.h>

#include "platform/watch.h"

namespace {
HANDLE H(WatchId w) {
    return reinterpret_cast<HANDLE>(w);
}
}  // namespace

WatchId WatchStart(const char16_t* folder) {
    if (folder == nullptr || folder[0] == 0) {
        return kNoWatch;
    }
    HANDLE h = FindFirstChangeNotificationW(reinterpret_cast<const wchar_t*>(folder), FALSE,
                                            FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_SIZE);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        return kNoWatch;
    }
    return reinterpret_cast<WatchId>(h);
}

bool WatchFired(WatchId watch) {
    return watch != kNoWatch && WaitForSingleObject(H(watch), 0) == WAIT_OBJECT_0;
}

void WatchClose(WatchId watch) {
    if (watch != kNoWatch) {
        FindCloseChangeNotification(H(watch));
    }
}
