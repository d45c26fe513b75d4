// Decoding speed on the generated corpus (make_corpus.py): our PNG decoder against
// libpng and libspng, our BMP decoder against stb_image, each on the same bytes in
// memory, each producing its own natural output (ours: 8-bit indices or 24-bit BGR
// with transparency composited; libpng: rows as stored with 16 bits cut to 8, BGR
// order; libspng: rows as stored; stb_image: 8-bit RGB or grey per pixel).
// libpng and libspng write into a fresh VmAlloc block per picture, as ours does
// and as the reader needs (pixel blocks are virtual-memory blocks); stb_image
// allocates its own output with malloc.
//   decode_bench [CORPUS_DIR] [benchmark flags]    (ratios: ratios.py on --benchmark_format=json)
#include <benchmark/benchmark.h>
#include <png.h>
#include <spng.h>
#include <stb/stb_image.h>

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "decode/blend_table.h"
#include "decode/bmp.h"
#include "decode/png.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct MemoryReader {
    const Bytes* data;
    size_t pos;
};

void ReadFromMemory(png_structp png, png_bytep out, png_size_t n) {
    auto* r = static_cast<MemoryReader*>(png_get_io_ptr(png));
    if (n > r->data->size() - r->pos) {
        png_error(png, "short");
    }
    std::memcpy(out, r->data->data() + r->pos, n);
    r->pos += n;
}

bool LibpngDecode(const Bytes& file) {
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    uint8_t* pixels = nullptr;
    png_bytep* rows = nullptr;
    if (setjmp(png_jmpbuf(png))) {
        VmFree(pixels);
        std::free(rows);
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    MemoryReader reader{&file, 0};
    png_set_read_fn(png, &reader, ReadFromMemory);
    png_read_info(png, info);
    png_set_strip_16(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const uint32_t height = png_get_image_height(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    pixels = static_cast<uint8_t*>(VmAlloc(rowBytes * height + 4));
    rows = static_cast<png_bytep*>(std::malloc(sizeof(png_bytep) * height));
    for (uint32_t y = 0; y < height; ++y) {
        rows[y] = pixels + (height - 1 - y) * rowBytes;  // bottom-up, as ours
    }
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    benchmark::DoNotOptimize(pixels[0]);
    VmFree(pixels);
    std::free(rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

bool SpngDecode(const Bytes& file) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, file.data(), file.size());
    size_t size = 0;
    bool ok = spng_decoded_image_size(ctx, SPNG_FMT_PNG, &size) == 0;
    void* out = ok ? VmAlloc(size + 4) : nullptr;
    ok = ok && spng_decode_image(ctx, out, size, SPNG_FMT_PNG, 0) == 0;
    if (ok) {
        benchmark::DoNotOptimize(static_cast<uint8_t*>(out)[0]);
    }
    VmFree(out);
    spng_ctx_free(ctx);
    return ok;
}

bool StbDecode(const Bytes& file) {
    int w = 0, h = 0, n = 0;
    stbi_uc* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &n, 0);
    if (p == nullptr) {
        return false;
    }
    benchmark::DoNotOptimize(p[0]);
    stbi_image_free(p);
    return true;
}

// stb_image's pixels moved into a fresh VmAlloc block: what a reader built on it
// would do, since pixel blocks are virtual-memory blocks. Makes the first-touch
// cost of the block (page faults) the same on both sides.
bool StbDecodeIntoBlock(const Bytes& file) {
    int w = 0, h = 0, n = 0;
    stbi_uc* p = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &w, &h, &n, 0);
    if (p == nullptr) {
        return false;
    }
    size_t bytes = static_cast<size_t>(w) * static_cast<size_t>(h) * static_cast<size_t>(n);
    void* block = VmAlloc(bytes + 4);
    if (block != nullptr) {
        std::memcpy(block, p, bytes);
        benchmark::DoNotOptimize(static_cast<uint8_t*>(block)[0]);
    }
    VmFree(block);
    stbi_image_free(p);
    return block != nullptr;
}

bool OursPng(const Bytes& file) {
    DecodedImagePtr image(PngDecodeMemory(file.data(), file.size()));
    return static_cast<bool>(image);
}

bool OursBmp(const Bytes& file) {
    DecodedImagePtr image(BmpDecodeMemory(file.data(), file.size()));
    return static_cast<bool>(image);
}

std::vector<Bytes>& Corpus() {
    static std::vector<Bytes> files;
    return files;
}

void Run(benchmark::State& state, size_t index, bool (*decode)(const Bytes&)) {
    const Bytes& file = Corpus()[index];
    for (auto _ : state) {
        if (!decode(file)) {
            state.SkipWithError("decode failed");
            break;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(file.size()));
}

}  // namespace

int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    FillBlendTable();
    std::filesystem::path dir = PW_BENCH_CORPUS;
    if (argc > 1 && argv[1][0] != '-') {
        dir = argv[1];
        --argc;
        ++argv;
    }
    std::vector<std::filesystem::path> paths;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(dir, ec)) {
        std::string ext = e.path().extension().string();
        if (ext == ".png" || ext == ".bmp") {
            paths.push_back(e.path());
        }
    }
    if (paths.empty()) {
        std::fprintf(stderr, "no corpus in %s (run make_corpus.py)\n", dir.string().c_str());
        return 1;
    }
    std::sort(paths.begin(), paths.end());
    for (const auto& p : paths) {
        std::ifstream in(p, std::ios::binary);
        Corpus().emplace_back((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const size_t index = Corpus().size() - 1;
        const std::string name = p.filename().string();
        if (p.extension() == ".png") {
            benchmark::RegisterBenchmark(("png/ours/" + name).c_str(), Run, index, OursPng)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("png/libpng/" + name).c_str(), Run, index, LibpngDecode)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("png/spng/" + name).c_str(), Run, index, SpngDecode)
                ->Unit(benchmark::kMillisecond);
        } else {
            benchmark::RegisterBenchmark(("bmp/ours/" + name).c_str(), Run, index, OursBmp)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("bmp/stb/" + name).c_str(), Run, index, StbDecode)
                ->Unit(benchmark::kMillisecond);
            benchmark::RegisterBenchmark(("bmp/stb_block/" + name).c_str(), Run, index, StbDecodeIntoBlock)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
