// The ZIP reader against libzip and raw zlib on the same archives:
//   - listing an archive of 10,000 members (ours vs zip_open + zip_stat_index);
//   - reading every member of a 300-page CBZ of JPEG pages, stored and deflated
//     (ours vs zip_fopen_index + zip_fread, and vs the bare minimum: inflating the
//     same compressed bytes already in memory with zlib or libdeflate, or reading
//     the stored bytes).
// Argument /0 puts the references' output in reused or malloc'd memory, /1 in a
// fresh virtual-memory block per page, which is what our reader must deliver
// (each page is handed on and freed on its own); the /1 figures compare like
// with like where first-touch page faults are expensive.
// The archives are written once per run by libzip into the temporary folder.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>
#include <zip.h>
#include <zlib.h>

#include <libdeflate.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include <jpeglib.h>

#include "archive/zip_reader.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {

constexpr int kListMembers = 10000;
constexpr int kPages = 300;
constexpr int kUniquePages = 30;

// A comic-like page: white paper, panel frames, line strokes and screentone.
std::vector<uint8_t> MakeJpegPage(int seed) {
    const int w = 1100, h = 1600;
    std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3, 0xF8);
    uint32_t lcg = 12345u + static_cast<uint32_t>(seed) * 7919u;
    auto rnd = [&]() {
        lcg = lcg * 1664525u + 1013904223u;
        return lcg >> 8;
    };
    for (int panel = 0; panel < 6; ++panel) {
        int x0 = 40 + (panel % 2) * 520, y0 = 40 + (panel / 2) * 510;
        int x1 = x0 + 500, y1 = y0 + 490;
        int tone = 90 + static_cast<int>(rnd() % 120);
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                uint8_t* p = &rgb[(static_cast<size_t>(y) * w + x) * 3];
                bool frame = x < x0 + 4 || x >= x1 - 4 || y < y0 + 4 || y >= y1 - 4;
                bool dot = ((x / 4 + y / 4) & 1) != 0 && y > (y0 + y1) / 2;
                bool stroke = ((x * 3 + y * (panel + 2)) % 97) < 3;
                uint8_t v = frame || stroke ? 20 : dot ? static_cast<uint8_t>(tone) : 0xF8;
                v = static_cast<uint8_t>(v ^ (rnd() & 7));
                p[0] = v;
                p[1] = static_cast<uint8_t>(v - (v > 30 ? (panel * 5) : 0));
                p[2] = v;
            }
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
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 88, TRUE);
    jpeg_start_compress(&c, TRUE);
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = &rgb[static_cast<size_t>(c.next_scanline) * w * 3];
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    std::vector<uint8_t> jpeg(out, out + outSize);
    std::free(out);
    jpeg_destroy_compress(&c);
    return jpeg;
}

struct Member {
    uint64_t dataOffset;
    uint32_t compressed;
    uint32_t size;
    uint32_t locator;
};

struct Corpus {
    std::filesystem::path dir;
    std::string listZip;
    std::string storedCbz;
    std::string deflatedCbz;
    uint64_t pageBytes = 0;
};

void WriteWithLibzip(const std::string& path,
                     int count,
                     const std::vector<std::vector<uint8_t>>& contents,
                     bool deflate,
                     const char* nameFormat) {
    int error = 0;
    zip_t* z = zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error);
    for (int i = 0; i < count; ++i) {
        const std::vector<uint8_t>& data = contents[static_cast<size_t>(i) % contents.size()];
        zip_source_t* src = zip_source_buffer(z, data.data(), data.size(), 0);
        char name[128];
        std::snprintf(name, sizeof name, nameFormat, i / 100, i);
        zip_int64_t index = zip_file_add(z, name, src, ZIP_FL_ENC_UTF_8);
        zip_set_file_compression(z, static_cast<zip_uint64_t>(index), deflate ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                 6);
    }
    if (zip_close(z) != 0) {
        std::fprintf(stderr, "libzip could not write %s\n", path.c_str());
        std::exit(1);
    }
}

const Corpus& GetCorpus() {
    static Corpus* corpus = [] {
        auto* c = new Corpus;
        std::error_code ec;
        c->dir = std::filesystem::temp_directory_path(ec) / ("pw_zip_bench_" + std::to_string(getpid()));
        std::filesystem::create_directories(c->dir, ec);
        c->listZip = (c->dir / "list.zip").string();
        c->storedCbz = (c->dir / "stored.cbz").string();
        c->deflatedCbz = (c->dir / "deflated.cbz").string();
        std::vector<std::vector<uint8_t>> small;
        small.reserve(16);
        for (int i = 0; i < 16; ++i) {
            small.emplace_back(static_cast<size_t>(100 + i * 13), static_cast<uint8_t>(i));
        }
        WriteWithLibzip(c->listZip, kListMembers, small, false, "chapter%03d/page%05d.jpg");
        std::vector<std::vector<uint8_t>> pages;
        pages.reserve(kUniquePages);
        for (int i = 0; i < kUniquePages; ++i) {
            pages.push_back(MakeJpegPage(i));
        }
        for (int i = 0; i < kPages; ++i) {
            c->pageBytes += pages[static_cast<size_t>(i % kUniquePages)].size();
        }
        WriteWithLibzip(c->storedCbz, kPages, pages, false, "vol%02d/p%03d.jpg");
        WriteWithLibzip(c->deflatedCbz, kPages, pages, true, "vol%02d/p%03d.jpg");
        std::fprintf(stderr, "corpus: %d pages, %.1f MB of JPEG, mean page %.0f KB\n", kPages,
                     static_cast<double>(c->pageBytes) / 1e6,
                     static_cast<double>(c->pageBytes) / 1e3 / kPages);
        return c;
    }();
    return *corpus;
}

std::u16string U16(const std::string& s) {
    return std::u16string(s.begin(), s.end());
}

// Members with their data offsets, from our own listing and local headers.
std::vector<Member> Members(const std::string& path) {
    std::vector<Member> members;
    FileHandle f(FileOpenRead(U16(path).c_str()));
    MemberListPtr list(ZipListMembers(f.get()));
    int fd = static_cast<int>(f.get());
    for (int32_t i = 0; list.get() != nullptr && i < list->count; ++i) {
        const ArchiveMember& m = list->members[i];
        uint8_t h[30];
        if (pread(fd, h, 30, m.locator) != 30) {
            std::abort();
        }
        auto le16 = [&](int at) { return static_cast<uint32_t>(h[at] | (h[at + 1] << 8)); };
        auto le32 = [&](int at) { return le16(at) | (le16(at + 2) << 16); };
        members.push_back(Member{m.locator + 30ull + le16(26) + le16(28), le32(18), m.size, m.locator});
    }
    return members;
}

// ---- listing ----

void BM_List_Ours(benchmark::State& state) {
    std::u16string path = U16(GetCorpus().listZip);
    for (auto _ : state) {
        FileHandle f(FileOpenRead(path.c_str()));
        MemberListPtr list(ZipListMembers(f.get()));
        if (list.get() == nullptr || list->count != kListMembers) {
            state.SkipWithError("listing failed");
            break;
        }
        benchmark::DoNotOptimize(list->members[kListMembers - 1].size);
    }
    state.SetItemsProcessed(state.iterations() * kListMembers);
}

void BM_List_Libzip(benchmark::State& state) {
    const std::string& path = GetCorpus().listZip;
    for (auto _ : state) {
        int error = 0;
        zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &error);
        zip_int64_t n = zip_get_num_entries(z, 0);
        zip_stat_t st;
        for (zip_int64_t i = 0; i < n; ++i) {
            zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
            benchmark::DoNotOptimize(st.name);
        }
        zip_discard(z);
        if (n != kListMembers) {
            state.SkipWithError("libzip listing failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * kListMembers);
}

// ---- reading every page ----

void ReadOurs(benchmark::State& state, const std::string& path) {
    std::u16string wide = U16(path);
    std::vector<Member> members = Members(path);
    for (auto _ : state) {
        FileHandle f(FileOpenRead(wide.c_str()));
        for (const Member& m : members) {
            uint32_t locator = m.locator;
            VmBlock block(ZipReadMember(f.get(), &locator, nullptr));
            if (block.get() == nullptr) {
                state.SkipWithError("read failed");
                return;
            }
            benchmark::DoNotOptimize(block.get()[0]);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GetCorpus().pageBytes));
}

void ReadLibzip(benchmark::State& state, const std::string& path) {
    const bool fresh = state.range(0) != 0;
    for (auto _ : state) {
        int error = 0;
        zip_t* z = zip_open(path.c_str(), ZIP_RDONLY, &error);
        zip_int64_t n = zip_get_num_entries(z, 0);
        for (zip_int64_t i = 0; i < n; ++i) {
            zip_stat_t st;
            zip_stat_index(z, static_cast<zip_uint64_t>(i), 0, &st);
            // A fresh buffer per page, as a reader that hands pages on must have:
            // from malloc, or with state.range(0) set a virtual-memory block as ours.
            VmBlock vm(fresh ? VmAlloc(st.size + 4) : nullptr);
            auto* buffer = fresh ? vm.get() : static_cast<uint8_t*>(std::malloc(st.size + 4));
            zip_file_t* file = zip_fopen_index(z, static_cast<zip_uint64_t>(i), 0);
            zip_int64_t got = zip_fread(file, buffer, st.size);
            zip_fclose(file);
            benchmark::DoNotOptimize(buffer[0]);
            if (!fresh) {
                std::free(buffer);
            }
            if (got != static_cast<zip_int64_t>(st.size)) {
                state.SkipWithError("libzip read failed");
                zip_discard(z);
                return;
            }
        }
        zip_discard(z);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GetCorpus().pageBytes));
}

// The floor for stored pages: the bytes read from the file into a buffer; with
// state.range(0) set, into a fresh virtual-memory block per page, as every
// reader that hands its pages on in such blocks must.
void BM_ReadStored_RawRead(benchmark::State& state) {
    const bool fresh = state.range(0) != 0;
    const std::string& path = GetCorpus().storedCbz;
    std::vector<Member> members = Members(path);
    std::vector<uint8_t> out(16 << 20);
    int fd = open(path.c_str(), O_RDONLY);
    for (auto _ : state) {
        for (const Member& m : members) {
            VmBlock block(fresh ? VmAlloc(m.size + 4ull) : nullptr);
            uint8_t* target = fresh ? block.get() : out.data();
            if (pread(fd, target, m.size, static_cast<off_t>(m.dataOffset)) != static_cast<ssize_t>(m.size)) {
                state.SkipWithError("read failed");
                break;
            }
            benchmark::DoNotOptimize(target[0]);
        }
    }
    close(fd);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GetCorpus().pageBytes));
}

// The floor for deflated pages: raw inflate of the same compressed bytes, already
// in memory, into one reused buffer (no file, no CRC, no allocation); with
// state.range(0) set, into a fresh virtual-memory block per page.
void BM_ReadDeflated_RawInflate(benchmark::State& state) {
    const bool fresh = state.range(0) != 0;
    const std::string& path = GetCorpus().deflatedCbz;
    std::vector<Member> members = Members(path);
    std::vector<std::vector<uint8_t>> compressed;
    int fd = open(path.c_str(), O_RDONLY);
    for (const Member& m : members) {
        std::vector<uint8_t> bytes(m.compressed);
        if (pread(fd, bytes.data(), m.compressed, static_cast<off_t>(m.dataOffset)) !=
            static_cast<ssize_t>(m.compressed)) {
            std::abort();
        }
        compressed.push_back(std::move(bytes));
    }
    close(fd);
    std::vector<uint8_t> out(16 << 20);
    for (auto _ : state) {
        for (size_t i = 0; i < members.size(); ++i) {
            VmBlock block(fresh ? VmAlloc(members[i].size + 4ull) : nullptr);
            z_stream s{};
            inflateInit2(&s, -MAX_WBITS);
            s.next_in = compressed[i].data();
            s.avail_in = static_cast<uInt>(compressed[i].size());
            s.next_out = fresh ? block.get() : out.data();
            s.avail_out = members[i].size;
            int rc = inflate(&s, Z_NO_FLUSH);
            inflateEnd(&s);
            if (rc != Z_STREAM_END) {
                state.SkipWithError("inflate failed");
                return;
            }
            benchmark::DoNotOptimize(out[0]);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GetCorpus().pageBytes));
}

// The same floor with libdeflate's one-call inflate (what our reader uses), on
// the same bytes into the same kind of memory: the inflate ratio alone.
void BM_ReadDeflated_RawLibdeflate(benchmark::State& state) {
    const bool fresh = state.range(0) != 0;
    const std::string& path = GetCorpus().deflatedCbz;
    std::vector<Member> members = Members(path);
    std::vector<std::vector<uint8_t>> compressed;
    int fd = open(path.c_str(), O_RDONLY);
    for (const Member& m : members) {
        std::vector<uint8_t> bytes(m.compressed);
        if (pread(fd, bytes.data(), m.compressed, static_cast<off_t>(m.dataOffset)) !=
            static_cast<ssize_t>(m.compressed)) {
            std::abort();
        }
        compressed.push_back(std::move(bytes));
    }
    close(fd);
    std::vector<uint8_t> out(16 << 20);
    for (auto _ : state) {
        for (size_t i = 0; i < members.size(); ++i) {
            VmBlock block(fresh ? VmAlloc(members[i].size + 4ull) : nullptr);
            libdeflate_decompressor* d = libdeflate_alloc_decompressor();
            uint8_t* target = fresh ? block.get() : out.data();
            libdeflate_result rc = libdeflate_deflate_decompress(
                d, compressed[i].data(), compressed[i].size(), target, members[i].size, nullptr);
            libdeflate_free_decompressor(d);
            if (rc != LIBDEFLATE_SUCCESS) {
                state.SkipWithError("inflate failed");
                return;
            }
            benchmark::DoNotOptimize(target[0]);
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * GetCorpus().pageBytes));
}

void BM_ReadStored_Ours(benchmark::State& state) {
    ReadOurs(state, GetCorpus().storedCbz);
}
void BM_ReadStored_Libzip(benchmark::State& state) {
    ReadLibzip(state, GetCorpus().storedCbz);
}
void BM_ReadDeflated_Ours(benchmark::State& state) {
    ReadOurs(state, GetCorpus().deflatedCbz);
}
void BM_ReadDeflated_Libzip(benchmark::State& state) {
    ReadLibzip(state, GetCorpus().deflatedCbz);
}

BENCHMARK(BM_List_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_List_Libzip)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStored_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStored_Libzip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadStored_RawRead)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDeflated_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDeflated_Libzip)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDeflated_RawInflate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReadDeflated_RawLibdeflate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    benchmark::Initialize(&argc, argv);
    GetCorpus();
    benchmark::RunSpecifiedBenchmarks();
    std::error_code ec;
    std::filesystem::remove_all(GetCorpus().dir, ec);
    return 0;
}
