#include "decode/picture_limit.h"

#include <atomic>

namespace {
std::atomic<uint64_t> gLimit{0};
thread_local uint64_t tLimit = 0;

constexpr uint64_t kMaxLimit = uint64_t{2} << 30;
}  // namespace

void SetPictureByteLimit(uint64_t bytes) {
    gLimit.store(bytes, std::memory_order_relaxed);
}

uint64_t PictureByteLimit() {
    return gLimit.load(std::memory_order_relaxed);
}

uint64_t DefaultPictureByteLimit(uint64_t physicalBytes) {
    const uint64_t quarter = physicalBytes / 4;
    return physicalBytes == 0 || quarter > kMaxLimit ? kMaxLimit : quarter;
}

bool PictureBlockAllowed(uint64_t bytes) {
    const uint64_t global = PictureByteLimit();
    return (global == 0 || bytes <= global) && (tLimit == 0 || bytes <= tLimit);
}

bool PictureWithinProgramLimit(uint64_t bytes) {
    const uint64_t global = PictureByteLimit();
    return global == 0 || bytes <= global;
}

PictureLimitScope::PictureLimitScope(uint64_t bytes) : saved_(tLimit) {
    if (bytes != 0 && (tLimit == 0 || bytes < tLimit)) {
        tLimit = bytes;
    }
}

PictureLimitScope::~PictureLimitScope() {
    tLimit = saved_;
}
