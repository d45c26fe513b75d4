// inflate_timing FILE...: prints the PNG unfilter level chosen on this
// processor; for every file, the best of 5 runs of
//   - raw deflate of the file's bytes (zlib level 6) inflated in one call by zlib
//     and by libdeflate, each into a fresh VmAlloc block, and their ratio;
//   - for a .png, our decode of it from memory;
//   - for a TIFF, our decode with the channel order path chosen and with the
//     plain loop, against a copy of as many bytes as the picture holds into a
//     fresh block (the floor of an uncompressed page);
//   - for a GIF, our decode.
#include <libdeflate.h>
#include <zlib.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "decode/blend_table.h"
#include "decode/channel_order.h"
#include "decode/gif.h"
#include "decode/png.h"
#include "decode/png_internal.h"
#include "decode/tiff.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

template <typename F>
double BestMs(F&& run) {
    double best = 1e30;
    for (int i = 0; i < 5; ++i) {
        auto t0 = Clock::now();
        if (!run()) {
            return -1;
        }
        double ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
        best = ms < best ? ms : best;
    }
    return best;
}

Bytes RawDeflate(const Bytes& in) {
    z_stream s{};
    deflateInit2(&s, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    Bytes out(deflateBound(&s, static_cast<uLong>(in.size())));
    s.next_in = const_cast<Bytef*>(in.data());
    s.avail_in = static_cast<uInt>(in.size());
    s.next_out = out.data();
    s.avail_out = static_cast<uInt>(out.size());
    deflate(&s, Z_FINISH);
    out.resize(s.total_out);
    deflateEnd(&s);
    return out;
}

bool ZlibOnce(const Bytes& z, size_t size) {
    VmBlock block(VmAlloc(size + 4));
    z_stream s{};
    inflateInit2(&s, -MAX_WBITS);
    s.next_in = const_cast<Bytef*>(z.data());
    s.avail_in = static_cast<uInt>(z.size());
    s.next_out = block.get();
    s.avail_out = static_cast<uInt>(size);
    int rc = inflate(&s, Z_NO_FLUSH);
    inflateEnd(&s);
    return rc == Z_STREAM_END;
}

bool LibdeflateOnce(const Bytes& z, size_t size) {
    VmBlock block(VmAlloc(size + 4));
    libdeflate_decompressor* d = libdeflate_alloc_decompressor();
    libdeflate_result rc = libdeflate_deflate_decompress(d, z.data(), z.size(), block.get(), size, nullptr);
    libdeflate_free_decompressor(d);
    return rc == LIBDEFLATE_SUCCESS;
}

bool IsTiff(const Bytes& f) {
    return f.size() > 8 &&
           ((f[0] == 'I' && f[1] == 'I' && f[2] == 42) || (f[0] == 'M' && f[1] == 'M' && f[3] == 42));
}

void TimeTiff(const wchar_t* name, const Bytes& file) {
    DecodedImagePtr first(TiffDecodeMemory(file.data(), file.size()));
    if (!first) {
        std::printf("%ls: tiff does not decode\n", name);
        return;
    }
    const size_t bytes = static_cast<size_t>(first->header.height) * RowStride(first->header.width, 24);
    const size_t take = bytes < file.size() ? bytes : file.size();
    const auto decode = [&] {
        DecodedImagePtr image(TiffDecodeMemory(file.data(), file.size()));
        return static_cast<bool>(image);
    };
    const double ours = BestMs(decode);
    UsePlainChannelOrder(true);
    const double plain = BestMs(decode);
    UsePlainChannelOrder(false);
    const double copy = BestMs([&] {
        VmBlock block(VmAlloc(bytes + 4));
        if (block.get() != nullptr) {
            std::memcpy(block.get(), file.data() + (file.size() - take), take);
        }
        return block.get() != nullptr;
    });
    std::printf("%ls: tiff decode %.2f ms (plain loop %.2f ms), copy %.2f ms, ratio to the copy %.2f\n", name,
                ours, plain, copy, ours / copy);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (!AppHeapCreate()) {
        return 1;
    }
    FillBlendTable();
    std::printf("png unfilter level: %s\n", PngSimdLevelName(PngBestSimdLevel()));
    std::printf("channel order path: %s\n", ChannelOrderPath());
    for (int i = 1; i < argc; ++i) {
        std::ifstream in(argv[i], std::ios::binary);
        Bytes file((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (file.empty()) {
            std::printf("%ls: unreadable\n", argv[i]);
            continue;
        }
        const Bytes z = RawDeflate(file);
        double zl = BestMs([&] { return ZlibOnce(z, file.size()); });
        double ld = BestMs([&] { return LibdeflateOnce(z, file.size()); });
        std::printf("%ls: inflate zlib %.2f ms, libdeflate %.2f ms, ratio %.2f\n", argv[i], zl, ld, zl / ld);
        if (file.size() > 8 && file[1] == 'P' && file[2] == 'N' && file[3] == 'G') {
            double png = BestMs([&] {
                DecodedImagePtr image(PngDecodeMemory(file.data(), file.size()));
                return static_cast<bool>(image);
            });
            std::printf("%ls: png decode %.2f ms\n", argv[i], png);
        }
        if (IsTiff(file)) {
            TimeTiff(argv[i], file);
        }
        if (file.size() > 6 && file[0] == 'G' && file[1] == 'I' && file[2] == 'F') {
            double gif = BestMs([&] {
                DecodedImagePtr image(GifDecodeMemory(file.data(), file.size()));
                return static_cast<bool>(image);
            });
            std::printf("%ls: gif decode %.2f ms\n", argv[i], gif);
        }
    }
    return 0;
}
