// Packing a book folder: ZipPackFolder (libdeflate, level 9, through a temporary
// file) against raw zlib level 9 (memory level 9) over the same bytes already in
// memory, which is the least any writer must spend; `zip -9 -r` on the same
// folder is a second figure. The folder (300 JPEG pages, 30 distinct, in
// chapter subfolders) is written once per run into the temporary folder.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "archive/file_job.h"
#include "archive/zip_writer.h"
#include "platform/heap.h"

namespace {

namespace fs = std::filesystem;
constexpr int kPages = 300;
constexpr int kUniquePages = 30;

// A comic-like page: paper, panel frames, strokes and screentone, with noise.
std::vector<uint8_t> MakePage(int seed) {
    const int w = 900, h = 1300;
    std::vector<uint8_t> gray(static_cast<size_t>(w) * h, 0xF8);
    uint32_t lcg = 12345u + static_cast<uint32_t>(seed) * 7919u;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            lcg = lcg * 1664525u + 1013904223u;
            const bool frame = x % 540 < 4 || y % 510 < 4;
            const bool stroke = ((x * 3 + y * (seed % 7 + 2)) % 97) < 3;
            const bool dot = ((x / 4 + y / 4) & 1) != 0 && (y % 510) > 255;
            const uint8_t v = frame || stroke ? 20 : dot ? static_cast<uint8_t>(90 + seed * 3) : 0xF8;
            gray[static_cast<size_t>(y) * w + x] = static_cast<uint8_t>(v ^ ((lcg >> 8) & 3));
        }
    }
    jpeg_compress_struct c{};
    jpeg_error_mgr err{};
    c.err = jpeg_std_error(&err);
    jpeg_create_compress(&c);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&c, &out, &outSize);
    c.image_width = w;
    c.image_height = h;
    c.input_components = 1;
    c.in_color_space = JCS_GRAYSCALE;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 88, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = &gray[static_cast<size_t>(c.next_scanline) * w];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> jpeg(out, out + outSize);
    std::free(out);
    jpeg_destroy_compress(&c);
    return jpeg;
}

struct Corpus {
    fs::path root;                            // holds Book/ and the archives
    std::vector<std::vector<uint8_t>> files;  // every page's bytes, in packing order
    uint64_t bytes = 0;
};

const Corpus& TheCorpus() {
    static Corpus corpus = [] {
        Corpus c;
        c.root = fs::temp_directory_path() / "pw_pack_bench";
        std::error_code ec;
        fs::remove_all(c.root, ec);
        std::vector<std::vector<uint8_t>> unique;
        unique.reserve(kUniquePages);
        for (int i = 0; i < kUniquePages; ++i) {
            unique.push_back(MakePage(i));
        }
        c.files.reserve(kPages);
        for (int i = 0; i < kPages; ++i) {
            const fs::path dir = c.root / "Book" / ("ch" + std::to_string(i / 100));
            fs::create_directories(dir);
            const std::vector<uint8_t>& page = unique[static_cast<size_t>(i % kUniquePages)];
            std::ofstream(dir / ("p" + std::to_string(1000 + i) + ".jpg"), std::ios::binary)
                .write(reinterpret_cast<const char*>(page.data()), static_cast<std::streamsize>(page.size()));
            c.files.push_back(page);
            c.bytes += page.size();
        }
        return c;
    }();
    return corpus;
}

std::u16string Program(const fs::path& p) {
    return p.u16string();
}

void BM_PackFolderLevel9(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    const std::u16string source = Program(c.root / "Book");
    const fs::path archive = c.root / "Book.zip";
    for (auto _ : state) {
        FileJob job;
        job.source.Assign(source.c_str());
        job.destination.Assign(Program(archive).c_str());
        job.mode = kJobPackDeflated;
        if (!ZipPackFolder(&job)) {
            state.SkipWithError("packing failed");
            break;
        }
        state.PauseTiming();
        std::error_code ec;
        fs::remove(archive, ec);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.bytes));
}

void BM_RawZlibLevel9(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    std::vector<uint8_t> out;
    for (auto _ : state) {
        for (const std::vector<uint8_t>& f : c.files) {
            z_stream z{};
            deflateInit2(&z, 9, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
            out.resize(deflateBound(&z, f.size()));
            z.next_in = const_cast<Bytef*>(f.data());
            z.avail_in = static_cast<uInt>(f.size());
            z.next_out = out.data();
            z.avail_out = static_cast<uInt>(out.size());
            deflate(&z, Z_FINISH);
            benchmark::DoNotOptimize(z.total_out);
            deflateEnd(&z);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.bytes));
}

void BM_ZipCommandLevel9(benchmark::State& state) {
    const Corpus& c = TheCorpus();
    const std::string command = "cd '" + c.root.string() + "' && zip -q -9 -r cmd.zip Book";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0) {
            state.SkipWithError("zip failed");
            break;
        }
        state.PauseTiming();
        std::error_code ec;
        fs::remove(c.root / "cmd.zip", ec);
        state.ResumeTiming();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(c.bytes));
}

BENCHMARK(BM_PackFolderLevel9)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_RawZlibLevel9)->Unit(benchmark::kMillisecond)->MinTime(3.0);
BENCHMARK(BM_ZipCommandLevel9)->Unit(benchmark::kMillisecond)->MinTime(3.0);

}  // namespace

int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    std::error_code ec;
    fs::remove_all(TheCorpus().root, ec);
    return 0;
}
