// Native folder watching: a fingerprint of the folder's non-folder entries (name
// and size, combined order-independently) taken at the start and again at each
// poll. Enough for tests and tools; it never blocks and keeps no thread.
#include <cstring>

#include "platform/dir.h"
#include "platform/heap.h"
#include "platform/utf.h"
#include "platform/watch.h"

namespace {
struct WatchState {
    char16_t* folder;
    uint64_t fingerprint;
    bool fired;
};

uint64_t HashEntry(const DirEntry& e) {
    uint64_t h = 1469598103934665603ull;  // FNV-1a
    for (uint32_t i = 0; i < e.nameLength; ++i) {
        h = (h ^ e.name[i]) * 1099511628211ull;
    }
    for (int i = 0; i < 8; ++i) {
        h = (h ^ ((e.size >> (8 * i)) & 0xFF)) * 1099511628211ull;
    }
    return h;
}

// Sum and count of the entry hashes; a folder that cannot be read has its own value.
uint64_t Fingerprint(const char16_t* folder) {
    DirReader reader;
    if (!reader.Open(folder)) {
        return 0x9E3779B97F4A7C15ull;
    }
    uint64_t sum = 0;
    uint64_t count = 0;
    DirEntry e{};
    while (reader.Next(&e)) {
        if (!e.isFolder) {
            sum += HashEntry(e);
            ++count;
        }
    }
    return sum ^ (count * 0x100000001B3ull);
}
}  // namespace

WatchId WatchStart(const char16_t* folder) {
    if (folder == nullptr || folder[0] == 0 || GetPathKind(folder) != PathKind::kFolder) {
        return kNoWatch;
    }
    size_t n = Utf16Length(folder);
    auto* state = static_cast<WatchState*>(AppAllocZero(sizeof(WatchState)));
    auto* copy = static_cast<char16_t*>(AppAlloc((n + 1) * sizeof(char16_t)));
    if (state == nullptr || copy == nullptr) {
        AppFree(state);
        AppFree(copy);
        return kNoWatch;
    }
    std::memcpy(copy, folder, (n + 1) * sizeof(char16_t));
    state->folder = copy;
    state->fingerprint = Fingerprint(copy);
    return reinterpret_cast<WatchId>(state);
}

bool WatchFired(WatchId watch) {
    if (watch == kNoWatch) {
        return false;
    }
    auto* state = reinterpret_cast<WatchState*>(watch);
    if (!state->fired) {
        state->fired = Fingerprint(state->folder) != state->fingerprint;
    }
    return state->fired;
}

void WatchClose(WatchId watch) {
    if (watch != kNoWatch) {
        auto* state = reinterpret_cast<WatchState*>(watch);
        AppFree(state->folder);
        AppFree(state);
    }
}
