// The Windows figure for RAR page reads: every member of a book read through
// RarReadMember (a context per read, as the page loader reads) against the same
// library driven bare: open, skip to the member, RAR_TEST with a callback that
// copies into a fresh block, close. Both sides write into fresh virtual-memory
// blocks and open the archive once per member. Prints the medians and the ratio
// (bare time / binding time: 1 means equal, above 0.95 is the target).
//   rar_timing.exe BOOK.cbr LIBRARY_FOLDER
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "archive/rar_archive.h"
#include "archive/rar_library.h"
#include "platform/heap.h"
#include "platform/lock.h"
#include "platform/vm.h"

namespace {

constexpr int kRounds = 7;

struct Bare {
    RarEntryPoints entry;
    uint8_t* at = nullptr;
    uint8_t* end = nullptr;
};

int BareCallback(uint32_t message, intptr_t user, intptr_t p1, intptr_t p2) {
    auto* b = reinterpret_cast<Bare*>(user);
    if (message == rar::kProcessData) {
        if (p2 < 0 || p2 > b->end - b->at) {
            return -1;
        }
        std::memcpy(b->at, reinterpret_cast<const void*>(p1), static_cast<size_t>(p2));
        b->at += p2;
    }
    return 0;
}

uint64_t BareRead(Bare* b, const char16_t* path, uint32_t index) {
    rar::OpenArchiveDataEx open{};
    open.ArcNameW = const_cast<char16_t*>(path);
    open.OpenMode = rar::kOpenExtract;
    open.Callback = BareCallback;
    open.UserData = reinterpret_cast<intptr_t>(b);
    void* arc = b->entry.openArchiveEx(&open);
    if (arc == nullptr) {
        return 0;
    }
    static rar::HeaderDataEx h;
    uint64_t got = 0;
    for (uint32_t i = 0; b->entry.readHeaderEx(arc, &h) == 0; ++i) {
        if (i < index) {
            (void)b->entry.processFileW(arc, rar::kSkip, nullptr, nullptr);
            continue;
        }
        VmBlock block(VmAlloc(static_cast<size_t>(h.UnpSize) + 4));
        b->at = block.get();
        b->end = block.get() + h.UnpSize;
        if (b->at != nullptr && b->entry.processFileW(arc, rar::kTest, nullptr, nullptr) == 0) {
            got = h.UnpSize;
        }
        break;
    }
    (void)b->entry.closeArchive(arc);
    return got;
}

uint64_t ThroughBinding(const char16_t* path, int32_t count) {
    uint64_t bytes = 0;
    for (int32_t i = 0; i < count; ++i) {
        RarContext c;
        uint32_t locator = static_cast<uint32_t>(i);
        VmBlock block(RarReadMember(&c, path, &locator));
        bytes += block.get() != nullptr ? locator : 0;
    }
    return bytes;
}

uint64_t Bared(Bare* b, const char16_t* path, int32_t count) {
    uint64_t bytes = 0;
    for (int32_t i = 0; i < count; ++i) {
        bytes += BareRead(b, path, static_cast<uint32_t>(i));
    }
    return bytes;
}

template <typename Fn>
double Ms(Fn fn, uint64_t* bytes) {
    const auto t0 = std::chrono::steady_clock::now();
    *bytes = fn();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 3 || !AppHeapCreate()) {
        std::fputs("usage: rar_timing BOOK.cbr LIBRARY_FOLDER\n", stderr);
        return 2;
    }
    AppLockInit();
    const auto* book = reinterpret_cast<const char16_t*>(argv[1]);
    RarSetPluginFolder(reinterpret_cast<const char16_t*>(argv[2]));
    RarContext lister;
    MemberListPtr list(RarListMembers(&lister, book));
    if (list.get() == nullptr || !RarLoadLibrary(&lister)) {
        std::fputs("rar_timing: the book cannot be listed (library or archive missing)\n", stderr);
        return 1;
    }
    Bare bare{lister.entry};
    const int32_t count = list->count;
    uint64_t bindingBytes = 0;
    uint64_t bareBytes = 0;
    (void)Bared(&bare, book, count);  // warm the file cache
    // Rounds alternate, so a change in the machine's load falls on both sides.
    std::vector<double> bareRuns;
    std::vector<double> bindingRuns;
    for (int i = 0; i < kRounds; ++i) {
        bareRuns.push_back(Ms([&] { return Bared(&bare, book, count); }, &bareBytes));
        bindingRuns.push_back(Ms([&] { return ThroughBinding(book, count); }, &bindingBytes));
    }
    const double bareMs = Median(bareRuns);
    const double bindingMs = Median(bindingRuns);
    std::printf("members %d, bytes %llu (bare %llu)\n", count, static_cast<unsigned long long>(bindingBytes),
                static_cast<unsigned long long>(bareBytes));
    std::printf("bare library  %8.1f ms\nRarReadMember %8.1f ms\nratio (bare/binding) %.3f\n", bareMs,
                bindingMs, bareMs / bindingMs);
    return bindingBytes == bareBytes && bareBytes > 0 ? 0 : 1;
}
