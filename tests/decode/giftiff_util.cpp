#include "tests/decode/giftiff_util.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
// after windows.h, which it needs
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

DecodeResult DecodeBytes(DecodeInputFn decode, const std::vector<uint8_t>& bytes) {
    DecodeResult result;
    uint8_t* copy = static_cast<uint8_t*>(std::malloc(bytes.empty() ? 1 : bytes.size()));
    if (!bytes.empty()) {
        std::memcpy(copy, bytes.data(), bytes.size());
    }
    DecodedImagePtr image(NewDecodedImage());
    MappedInput input;
    OpenMappedInputMemory(&input, copy, bytes.size(), image.get());
    result.status = decode(&input, image.get());
    std::free(copy);
    if (result.status == kDecodeOk) {
        result.image = std::move(image);
    } else {
        EXPECT_EQ(image->pixels, nullptr) << "pixel block left behind on failure " << result.status;
    }
    return result;
}

uint8_t IndexAt(const DecodedImage* image, int x, int y) {
    uint32_t stride = RowStride(image->header.width, 8);
    return image->pixels[static_cast<size_t>(image->header.height - 1 - y) * stride + static_cast<size_t>(x)];
}

Color ColorAt(const DecodedImage* image, int x, int y) {
    if (image->header.bitCount == 8) {
        const RgbQuad& q = image->palette[IndexAt(image, x, y)];
        return {q.red, q.green, q.blue};
    }
    uint32_t stride = RowStride(image->header.width, 24);
    const uint8_t* p = image->pixels + static_cast<size_t>(image->header.height - 1 - y) * stride +
                       static_cast<size_t>(x) * 3;
    return {p[2], p[1], p[0]};
}

bool SamePicture(const DecodedImage* a, const DecodedImage* b, std::string* why) {
    if (std::memcmp(&a->header, &b->header, sizeof(a->header)) != 0) {
        *why = "headers differ";
        return false;
    }
    if (a->header.bitCount == 8 && std::memcmp(a->palette, b->palette, sizeof(a->palette)) != 0) {
        *why = "palettes differ";
        return false;
    }
    uint32_t stride = RowStride(a->header.width, a->header.bitCount);
    size_t rowBytes = static_cast<size_t>(a->header.width) * (a->header.bitCount / 8);
    for (int32_t y = 0; y < a->header.height; y++) {
        if (std::memcmp(a->pixels + static_cast<size_t>(y) * stride,
                        b->pixels + static_cast<size_t>(y) * stride, rowBytes) != 0) {
            *why = "pixels differ in block row " + std::to_string(y);
            return false;
        }
    }
    return true;
}

ScratchFile::ScratchFile(const std::vector<uint8_t>& bytes) {
    static std::atomic<int> counter{0};
    std::error_code ec;
    native_ = std::filesystem::temp_directory_path(ec) /
              ("pw_giftiff_" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()) +
               "_" + std::to_string(counter++) + ".bin");
    path_ = native_.u16string();
    FILE* f = std::fopen(native_.string().c_str(), "wb");
    if (f != nullptr) {
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
}

ScratchFile::~ScratchFile() {
    std::error_code ec;
    std::filesystem::remove(native_, ec);
}

uint64_t ResidentPeakBytes() {
#ifdef _WIN32
    PROCESS_MEMORY_COUNTERS counters = {};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) {
        return 0;
    }
    return counters.PeakWorkingSetSize;
#else
    rusage usage = {};
    if (getrusage(RUSAGE_SELF, &usage) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
#endif
}
