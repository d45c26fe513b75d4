// WebP pages through the plug-in host and our WebP plug-in (file form, as a
// folder book reads them; memory form, as an archive book does) against
// libwebp's own decode of the same file (read, then WebPDecodeBGR), in the same
// run: the median of repeated rounds and the ratio bare / host (1.0 = as fast).
// Run under Wine or on Windows: wine build/win64/bin/webp_timing.exe
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "archive/plugin_host.h"
#include "archive/plugin_platform.h"
#include "platform/heap.h"
#include "platform/lock.h"
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

template <typename Step>
double MedianMs(Step step) {
    (void)step();  // warm caches
    std::vector<double> ms;
    for (int i = 0; i < kRounds; ++i) {
        auto t0 = std::chrono::steady_clock::now();
        if (!step()) {
            return -1;
        }
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
    gFolder = WinePath(PW_PLUGIN_DIR);
    SetPluginHost(SystemPluginPlatform(), &kSource);
    int failures = 0;
    for (const char* page : {"photo-lossy", "scan-lossless", "photo-alpha"}) {
        const std::u16string path = WinePath(std::string(PW_BENCH_PAGES) + "/" + page + ".webp");
        const double bare = MedianMs([&] {
            std::vector<uint8_t> bytes = ReadAll(path);
            int w = 0;
            int h = 0;
            uint8_t* bgr = WebPDecodeBGR(bytes.data(), bytes.size(), &w, &h);
            WebPFree(bgr);
            return bgr != nullptr;
        });
        const double file = MedianMs([&] {
            DecodedImagePtr image(PluginOpenPictureFile(path.c_str()));
            return static_cast<bool>(image);
        });
        const std::vector<uint8_t> bytes = ReadAll(path);
        const double memory = MedianMs([&] {
            DecodedImagePtr image(PluginOpenPictureMemory(u"page.webp", bytes.data(), bytes.size()));
            return static_cast<bool>(image);
        });
        if (bare < 0 || file < 0 || memory < 0) {
            std::printf("%-14s failed to decode\n", page);
            ++failures;
            continue;
        }
        std::printf(
            "%-14s libwebp %7.2f ms  host+plug-in file %7.2f ms (ratio %.2f)  memory %7.2f ms (ratio %.2f)\n",
            page, bare, file, bare / file, memory, bare / memory);
    }
    std::printf("ratio = libwebp / host+plug-in, median of %d rounds; 1.00 is as fast as libwebp alone\n",
                kRounds);
    SetPluginHost(nullptr, nullptr);
    return failures == 0 ? 0 : 1;
}
