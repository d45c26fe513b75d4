// JPEG decoding: ours (JpegDecodeMemory) against libjpeg-turbo's own API on the
// same comic pages, both producing the same bytes: blue-green-red (JCS_EXT_BGR) or
// grey rows in a fresh block. The reference is the plain application loop:
// create, memory source, read header, start, jpeg_read_scanlines one row at a
// time into the block, finish, destroy. Both take their output block from VmAlloc,
// the allocator every pixel block of the program comes from, so the comparison is
// the decode path alone.
//
// The corpus is written by bench/jpeg/make_corpus.py (target jpeg_bench_corpus).
//   jpeg_bench [CORPUS_DIR] --benchmark_repetitions=9 --benchmark_report_aggregates_only=true
// After the runs the program prints each page's median CPU times, their ratio
// (ours/library), and the median ratio of the paired runs (both decodes in each
// iteration), the steadier figure on a shared machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "decode/jpeg.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {

struct Page {
    std::string name;
    std::vector<uint8_t> bytes;
};

std::vector<Page>& Pages() {
    static std::vector<Page> pages;
    return pages;
}

bool LoadCorpus(const std::string& dir) {
    std::error_code ec;
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (entry.path().extension() == ".jpg") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        Page page;
        page.name = path.stem().string();
        FILE* f = fopen(path.string().c_str(), "rb");
        if (f == nullptr) {
            continue;
        }
        uint8_t buf[65536];
        size_t n;
        while ((n = fread(buf, 1, sizeof buf, f)) > 0) {
            page.bytes.insert(page.bytes.end(), buf, buf + n);
        }
        fclose(f);
        Pages().push_back(std::move(page));
    }
    return !Pages().empty();
}

// ---- The library's own decode --------------------------------------------------

struct RefError {
    jpeg_error_mgr pub;
    jmp_buf jump;
};

[[noreturn]] void RefErrorExit(j_common_ptr cinfo) {
    longjmp(reinterpret_cast<RefError*>(cinfo->err)->jump, 1);
}

struct RefDecode {
    jpeg_decompress_struct cinfo;
    RefError error;
    uint8_t* pixels;
};

bool RefSteps(RefDecode* d, const std::vector<uint8_t>& jpeg) {
    jpeg_decompress_struct* cinfo = &d->cinfo;
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(cinfo, TRUE);
    if (cinfo->out_color_space == JCS_RGB) {
        cinfo->out_color_space = JCS_EXT_BGR;
    }
    jpeg_start_decompress(cinfo);
    size_t rowBytes = size_t{cinfo->output_width} * static_cast<size_t>(cinfo->output_components);
    d->pixels = static_cast<uint8_t*>(VmAlloc(rowBytes * cinfo->output_height));
    if (d->pixels == nullptr) {
        return false;
    }
    while (cinfo->output_scanline < cinfo->output_height) {
        JSAMPROW row = d->pixels + rowBytes * cinfo->output_scanline;
        jpeg_read_scanlines(cinfo, &row, 1);
    }
    jpeg_finish_decompress(cinfo);
    return true;
}

bool RefGuarded(RefDecode* d, const std::vector<uint8_t>& jpeg) {
    if (setjmp(d->error.jump) != 0) {
        return false;
    }
    return RefSteps(d, jpeg);
}

bool LibraryDecode(const std::vector<uint8_t>& jpeg) {
    RefDecode d{};
    d.cinfo.err = jpeg_std_error(&d.error.pub);
    d.error.pub.error_exit = RefErrorExit;
    bool ok = RefGuarded(&d, jpeg);
    jpeg_destroy_decompress(&d.cinfo);
    benchmark::DoNotOptimize(d.pixels);
    VmFree(d.pixels);
    return ok;
}

// ---- Benchmarks -----------------------------------------------------------------

void BM_Ours(benchmark::State& state, const Page* page) {
    for (auto _ : state) {
        int32_t orientation = 1;
        DecodedImagePtr image(JpegDecodeMemory(page->bytes.data(), page->bytes.size(), &orientation));
        if (!image) {
            state.SkipWithError("decode failed");
            break;
        }
        benchmark::DoNotOptimize(image->pixels);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->bytes.size()));
}

void BM_Library(benchmark::State& state, const Page* page) {
    for (auto _ : state) {
        if (!LibraryDecode(page->bytes)) {
            state.SkipWithError("decode failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page->bytes.size()));
}

double ThreadCpuMs() {
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) * 1e3 + static_cast<double>(ts.tv_nsec) / 1e6;
}

// Both decodes in every iteration, in alternating order, each timed on its own:
// load from other processes then weighs on both sides alike, which keeps the
// ratio steady on a busy machine.
void BM_Paired(benchmark::State& state, const Page* page) {
    double ours = 0;
    double library = 0;
    bool oursFirst = true;
    for (auto _ : state) {
        for (int side = 0; side < 2; ++side) {
            bool runOurs = (side == 0) == oursFirst;
            double start = ThreadCpuMs();
            if (runOurs) {
                int32_t orientation = 1;
                DecodedImagePtr image(JpegDecodeMemory(page->bytes.data(), page->bytes.size(), &orientation));
                benchmark::DoNotOptimize(image.get());
                image.reset();
                ours += ThreadCpuMs() - start;
            } else {
                LibraryDecode(page->bytes);
                library += ThreadCpuMs() - start;
            }
        }
        oursFirst = !oursFirst;
    }
    double n = static_cast<double>(state.iterations());
    state.counters["ours_ms"] = ours / n;
    state.counters["library_ms"] = library / n;
    state.counters["ratio"] = ours / library;
}

// Console output as usual, plus the medians kept for the closing table.
class RatioReporter : public benchmark::ConsoleReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.aggregate_name != "median" &&
                !(run.run_type == Run::RT_Iteration && run.repetitions <= 1)) {
                continue;
            }
            medians_[run.run_name.function_name] = run.GetAdjustedCPUTime();
            auto ratio = run.counters.find("ratio");
            if (ratio != run.counters.end()) {
                pairedRatios_[run.run_name.function_name] = ratio->second.value;
            }
        }
    }

    void PrintRatios() const {
        printf("\n%-22s %12s %12s %8s %8s\n", "page", "ours (ms)", "library (ms)", "ratio", "paired");
        for (const Page& page : Pages()) {
            auto ours = medians_.find("Ours/" + page.name);
            auto lib = medians_.find("Library/" + page.name);
            auto paired = pairedRatios_.find("Paired/" + page.name);
            if (ours == medians_.end() && paired == pairedRatios_.end()) {
                continue;  // filtered out
            }
            printf("%-22s %12.2f %12.2f %8.3f %8.3f\n", page.name.c_str(),
                   ours == medians_.end() ? 0.0 : ours->second, lib == medians_.end() ? 0.0 : lib->second,
                   ours == medians_.end() || lib == medians_.end() ? 0.0 : ours->second / lib->second,
                   paired == pairedRatios_.end() ? 0.0 : paired->second);
        }
    }

  private:
    std::map<std::string, double> medians_;
    std::map<std::string, double> pairedRatios_;
};

}  // namespace

int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    std::string dir = argc > 1 ? argv[1] : PW_JPEG_BENCH_CORPUS;
    if (!LoadCorpus(dir)) {
        fprintf(stderr, "no .jpg pages in %s: build the target jpeg_bench_corpus first\n", dir.c_str());
        return 1;
    }
    // Ours and the library's side by side for each page.
    for (const Page& page : Pages()) {
        benchmark::RegisterBenchmark(("Ours/" + page.name).c_str(), BM_Ours, &page)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Library/" + page.name).c_str(), BM_Library, &page)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("Paired/" + page.name).c_str(), BM_Paired, &page)
            ->Unit(benchmark::kMillisecond);
    }
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.PrintRatios();
    return 0;
}
