// WebP pages through the plug-in host and our WebP plug-in (file form, as a
// folder book reads them; memory form, as an archive book does) against
// libwebp's own decode of the same file (read, then WebPDecodeBGR, or
// WebPDecodeBGRA for a page with alpha, which needs the channel), in the same
// run: the median of repeated rounds and the ratio bare / host (1.0 = as fast).
// Two passes, like for like: with fresh blocks on both sides (no reserve; libwebp
// allocates its output per call), then with reused blocks on both sides (the
// reserve kept as the reader keeps it; libwebp decodes into one kept buffer).
// Run under Wine or on Windows: wine build/win64/bin/webp_timing.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "archive/plugin_host.h"
#include "archive/plugin_platform.h"
#include "decode/block_reserve.h"
#include "decode/picture_blocks.h"
#include "platform/heap.h"
#include "platform/lock.h"
#include "platform/vm.h"
#include "webp/decode.h"

namespace {

constexpr int kRounds = 15;

std::u16string WinePath(const std::string& unixPath) {
    std::u16string out = u"Z:";
    for (char c : unixPath) {
        out += c == '/' ? u'\\' : static_cast<char16_t>(c);
    }
    return out;
}

std::u16string gFolder;
void Folder(void*, StrBuf* out) {
    out->Assign(gFolder.c_str());
}
bool NoneDisabled(void*, const char16_t*) {
    return false;
}
const PluginSource kSource = {nullptr, Folder, NoneDisabled};

std::vector<uint8_t> ReadAll(const std::u16string& path) {
    std::vector<uint8_t> bytes;
    HANDLE h = CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_READ, FILE_SHARE_READ,
                           nullptr, OPEN_EXISTING, 0, nullptr);
    LARGE_INTEGER size{};
    if (h != INVALID_HANDLE_VALUE && GetFileSizeEx(h, &size)) {
        bytes.resize(static_cast<size_t>(size.QuadPart));
        DWORD got = 0;
        if (!ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr) ||
            got != bytes.size()) {
            bytes.clear();
        }
    }
    if (h != INVALID_HANDLE_VALUE) {
        CloseHandle(h);
    }
    return bytes;
}

double Median(std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

// Times the three steps once per round, interleaved so that a change in the
// machine's load falls on all of them alike. False when a step fails.
template <typename A, typename B, typename C>
bool Rounds(A a, B b, C c, double* ms) {
    std::vector<double> t[3];
    if (!a() || !b() || !c()) {  // also warms the caches
        return false;
    }
    for (int i = 0; i < kRounds; ++i) {
        int k = 0;
        auto time = [&](auto& f) {
            auto t0 = std::chrono::steady_clock::now();
            const bool ok = f();
            t[k++].push_back(
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count());
            return ok;
        };
        if (!time(a) || !time(b) || !time(c)) {
            return false;
        }
    }
    for (int k = 0; k < 3; ++k) {
        ms[k] = Median(t[k]);
    }
    return true;
}

// Where the host's time goes on one page, each step timed alone: loading and
// releasing the plug-in the search tries first (pwtar declines the page), the
// WebP plug-in's GetPicture on a library loaded for that call alone (as every
// host operation loads it) and on one kept loaded, and the copy of its pixels
// into a fresh block as the host makes it.
bool Breakdown(const std::u16string& folder, const std::u16string& page) {
    const std::u16string webp = folder + u"\\pwwebp.sph";
    const std::u16string tar = folder + u"\\pwtar.sph";
    auto load = [](const std::u16string& path) {
        return LoadLibraryExW(reinterpret_cast<const wchar_t*>(path.c_str()), nullptr,
                              LOAD_WITH_ALTERED_SEARCH_PATH);
    };
    std::string ansi;
    for (char16_t c : page) {
        ansi += static_cast<char>(c);
    }
    size_t bytes = 0;
    auto decode = [&](HMODULE m) {
        auto getPicture = reinterpret_cast<SusieGetPicture>(
            reinterpret_cast<void*>(m != nullptr ? GetProcAddress(m, "GetPicture") : nullptr));
        SusieHandle info = nullptr;
        SusieHandle bits = nullptr;
        if (getPicture == nullptr || getPicture(ansi.c_str(), 0, 0, &info, &bits, nullptr, 0) != kSusieOk) {
            return false;
        }
        bytes = LocalSize(bits);
        LocalFree(info);
        LocalFree(bits);
        return true;
    };
    auto loadTar = [&] {
        HMODULE m = load(tar);
        return m != nullptr && FreeLibrary(m);
    };
    auto fresh = [&] {
        HMODULE m = load(webp);
        const bool ok = decode(m);
        return m != nullptr && FreeLibrary(m) && ok;
    };
    std::vector<uint8_t> source(8u << 20, 1);
    auto copy = [&] {
        const size_t n = bytes != 0 ? bytes : source.size();
        VmBlock block(VmAlloc(n));
        if (block.get() == nullptr) {
            return false;
        }
        std::memcpy(block.get(), source.data(), n < source.size() ? n : source.size());
        return true;
    };
    // The same copy into a block taken back from the reserve, as the reader's
    // second and later pages of a size get.
    ReserveSetCap(PictureReserve(), 256u << 20);
    auto copyReused = [&] {
        const size_t n = bytes != 0 ? bytes : source.size();
        uint8_t* block = TakePixelBlock(static_cast<uint32_t>(n), 1, static_cast<uint32_t>(n));
        if (block == nullptr) {
            return false;
        }
        std::memcpy(block, source.data(), n < source.size() ? n : source.size());
        GivePixelBlock(block);
        return true;
    };
    double first[3];
    double kept[3];
    double reused[3];
    if (!Rounds(loadTar, fresh, copy, first) ||
        !Rounds(
            copyReused, [] { return true; }, [] { return true; }, reused)) {
        return false;
    }
    BlockReserveRelease(PictureReserve());
    ReserveSetCap(PictureReserve(), 0);
    HMODULE m = load(webp);
    const bool ok = Rounds([&] { return decode(m); }, [] { return true; }, [] { return true; }, kept);
    if (m != nullptr) {
        FreeLibrary(m);
    }
    if (ok) {
        std::printf(
            "steps of one host decode (%zu bytes of pixels): load+release pwtar %.2f ms; "
            "pwwebp load+GetPicture+release %.2f ms, GetPicture on a kept library %.2f ms; "
            "copy into a fresh block %.2f ms, into a reused block %.2f ms\n",
            bytes, first[0], first[1], kept[0], first[2], reused[0]);
    }
    return ok;
}

}  // namespace

int main() {
    if (!AppHeapCreate()) {
        return 1;
    }
    AppLockInit();
    gFolder = WinePath(PW_PLUGIN_DIR);
    SetPluginHost(SystemPluginPlatform(), &kSource);
    int failures = 0;
    std::vector<uint8_t> kept;  // libwebp's output buffer in the reused pass
    for (bool reuse : {false, true}) {
        BlockReserveRelease(PictureReserve());
        ReserveSetCap(PictureReserve(), reuse ? 256u << 20 : 0);
        std::printf("%s\n", reuse ? "reused blocks on both sides:" : "fresh blocks on both sides:");
        for (const char* page : {"photo-lossy", "scan-lossless", "photo-alpha"}) {
            const std::u16string path = WinePath(std::string(PW_BENCH_PAGES) + "/" + page + ".webp");
            const bool alpha = std::strstr(page, "alpha") != nullptr;
            const std::vector<uint8_t> bytes = ReadAll(path);
            auto bare = [&] {
                std::vector<uint8_t> file = ReadAll(path);
                int w = 0;
                int h = 0;
                if (reuse) {
                    if (!WebPGetInfo(file.data(), file.size(), &w, &h)) {
                        return false;
                    }
                    const int stride = w * (alpha ? 4 : 3);
                    kept.resize(static_cast<size_t>(stride) * static_cast<size_t>(h));
                    return (alpha ? WebPDecodeBGRAInto(file.data(), file.size(), kept.data(), kept.size(),
                                                       stride)
                                  : WebPDecodeBGRInto(file.data(), file.size(), kept.data(), kept.size(),
                                                      stride)) != nullptr;
                }
                // A page with alpha needs the alpha channel to be composited.
                uint8_t* bgr = alpha ? WebPDecodeBGRA(file.data(), file.size(), &w, &h)
                                     : WebPDecodeBGR(file.data(), file.size(), &w, &h);
                WebPFree(bgr);
                return bgr != nullptr;
            };
            auto viaFile = [&] {
                DecodedImagePtr image(PluginOpenPictureFile(path.c_str()));
                return static_cast<bool>(image);
            };
            auto viaMemory = [&] {
                DecodedImagePtr image(PluginOpenPictureMemory(u"page.webp", bytes.data(), bytes.size()));
                return static_cast<bool>(image);
            };
            double ms[3];
            if (!Rounds(bare, viaFile, viaMemory, ms)) {
                std::printf("%-14s failed to decode\n", page);
                ++failures;
                continue;
            }
            std::printf(
                "%-14s libwebp %7.2f ms  host+plug-in file %7.2f ms (ratio %.2f)  memory %7.2f ms (ratio "
                "%.2f)\n",
                page, ms[0], ms[1], ms[0] / ms[1], ms[2], ms[0] / ms[2]);
        }
    }
    BlockReserveRelease(PictureReserve());
    ReserveSetCap(PictureReserve(), 0);
    if (!Breakdown(gFolder, WinePath(std::string(PW_BENCH_PAGES) + "/photo-lossy.webp"))) {
        std::printf("steps of one host decode: failed\n");
        ++failures;
    }
    std::printf(
        "ratio = libwebp / host+plug-in, median of %d interleaved rounds; 1.00 is as fast as libwebp alone\n",
        kRounds);
    SetPluginHost(nullptr, nullptr);
    return failures == 0 ? 0 : 1;
}
