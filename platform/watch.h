// Folder change watching: one folder (not its subfolders), for changes of file
// names and file sizes. Windows uses a change-notification handle; the native
// build compares a fingerprint of the folder's listing (names and sizes) taken at
// the start with one taken at each poll.
//
// Call order: WatchStart(folder) → WatchFired() any number of times (never waits)
// → WatchClose(). FolderWatch owns one watch. A watch that cannot be started is
// kNoWatch, which never fires.
#pragma once

#include <cstdint>

using WatchId = intptr_t;
constexpr WatchId kNoWatch = 0;

[[nodiscard]] WatchId WatchStart(const char16_t* folder);
// True when a change happened since the start (stays true once seen).
[[nodiscard]] bool WatchFired(WatchId watch);
void WatchClose(WatchId watch);

class FolderWatch {
  public:
    FolderWatch() = default;
    explicit FolderWatch(WatchId w) : w_(w) {}
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;
    FolderWatch(FolderWatch&& o) noexcept : w_(o.release()) {}
    FolderWatch& operator=(FolderWatch&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~FolderWatch() { reset(); }
    WatchId get() const { return w_; }
    bool valid() const { return w_ != kNoWatch; }
    WatchId release() {
        WatchId w = w_;
        w_ = kNoWatch;
        return w;
    }
    void reset(WatchId w = kNoWatch) {
        if (w_ != kNoWatch) {
            WatchClose(w_);
        }
        w_ = w;
    }

  private:
    WatchId w_ = kNoWatch;
};
