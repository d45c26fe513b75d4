// The Windows build's figure for the page list of a folder of 10,000 pictures
// (Google Benchmark is not built for MinGW): the median of repeated runs of a
// bare enumeration and of the book's page-list build on the same folder
// (book_corpus.h), and their ratio. Run it under Wine or on Windows.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "bench/book/book_corpus.h"
#include "platform/heap.h"
#include "platform/lock.h"

namespace {

constexpr int kRounds = 15;

double MedianMs(int64_t (*step)(const BookCorpus&), const BookCorpus& corpus, int64_t* seen) {
    std::vector<double> ms;
    (void)step(corpus);  // warm the file system's caches
    for (int i = 0; i < kRounds; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        *seen = step(corpus);
        auto t1 = std::chrono::steady_clock::now();
        ms.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

}  // namespace

int main() {
    if (!AppHeapCreate()) {
        return 1;
    }
    AppLockInit();
    BookCorpus corpus;
    if (!MakeBookCorpus(&corpus)) {
        std::fputs("cannot write the benchmark folder\n", stderr);
        return 1;
    }
    int64_t entries = 0;
    int64_t pages = 0;
    double bare = MedianMs(BareEnumeration, corpus, &entries);
    double build = MedianMs(BuildBookPages, corpus, &pages);
    // The sort's own time, as SortListedPages measures it around the sort.
    std::vector<double> sortMs;
    for (int i = 0; i < kRounds; ++i) {
        sortMs.push_back(static_cast<double>(SortListedPages(corpus)) / 1e6);
    }
    std::sort(sortMs.begin(), sortMs.end());
    double sortOnly = sortMs[sortMs.size() / 2];
    std::printf("bare enumeration   %8.2f ms  (%lld entries)\n", bare, static_cast<long long>(entries));
    std::printf("build page list    %8.2f ms  (%lld pages)\n", build, static_cast<long long>(pages));
    std::printf("  of which sorting %8.2f ms\n", sortOnly);
    std::printf("ratio build/bare   %8.2f     (median of %d rounds)\n", bare > 0 ? build / bare : 0.0,
                kRounds);
    return pages == kCorpusPictures ? 0 : 1;
}
