// Building the page list of a folder of 10,000 pictures against a bare
// enumeration of the same folder (book_corpus.h); the ratio of the two is the
// cost of the book's own work. A third figure splits out the natural sort.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "bench/book/book_corpus.h"
#include "platform/heap.h"
#include "platform/lock.h"
#include "view/book.h"

namespace {

BookCorpus gCorpus;

void BM_BareEnumeration(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(BareEnumeration(gCorpus));
    }
}
BENCHMARK(BM_BareEnumeration)->Unit(benchmark::kMillisecond);

void BM_BuildPageList(benchmark::State& state) {
    int64_t pages = 0;
    for (auto _ : state) {
        pages = BuildBookPages(gCorpus);
        benchmark::DoNotOptimize(pages);
    }
    state.counters["pages"] = static_cast<double>(pages);
}
BENCHMARK(BM_BuildPageList)->Unit(benchmark::kMillisecond);

// The sort alone, on the listed (unsorted) pages restored before each round.
void BM_SortPagesOnly(benchmark::State& state) {
    PageListBuilder listed{nullptr, 0, false};
    (void)ListFolder(gCorpus.path.c_str(), &listed, ExtensionSet{nullptr, 0});
    PageList* work = NewPageList(listed.count);
    for (auto _ : state) {
        state.PauseTiming();
        for (int32_t i = 0; i < listed.count; ++i) {
            work->entries[i].name.Assign(listed.list->entries[i].name.Text());
        }
        state.ResumeTiming();
        SortPages(work->entries, listed.count, false);
    }
    FreePageList(work);
    FreePageList(listed.list);
}
BENCHMARK(BM_SortPagesOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    AppLockInit();
    if (!MakeBookCorpus(&gCorpus)) {
        std::fputs("cannot write the benchmark folder\n", stderr);
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
