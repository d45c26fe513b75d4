// libFuzzer target over whole picture files: the header probe must never read
// outside the bytes, and whenever both it and the decoder read a picture they
// must agree on its size (pages are paired by the probe in place of a decode).
// Pictures above 256K pixels by the probe are not decoded, so that a run
// measures parsing, not page faults.
//   probe_fuzzer CORPUS_DIR   (seeds: fuzz/probe/make_seeds.py CORPUS_DIR)
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "decode/blend_table.h"
#include "decode/image_probe.h"
#include "decode/open_image.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {
constexpr uint64_t kMaxPixels = uint64_t{1} << 18;
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    FillBlendTable();
    return AppHeapCreate() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PictureProbe probe;
    if (!ProbeImageMemory(data, size, &probe) || uint64_t{probe.width} * probe.height > kMaxPixels) {
        return 0;
    }
    auto* block = static_cast<uint8_t*>(VmAlloc(size + 4));
    if (block == nullptr) {
        return 0;
    }
    std::memcpy(block, data, size);
    int32_t orientation = 1;
    DecodedImagePtr image(OpenImageMemory(u"page", block, size, &orientation));
    if (image) {
        const bool quarter = orientation == 6 || orientation == 8;
        const auto width = static_cast<uint32_t>(quarter ? image->header.height : image->header.width);
        const auto height = static_cast<uint32_t>(quarter ? image->header.width : image->header.height);
        if (width != probe.width || height != probe.height) {
            std::abort();  // the probe and the decoder disagree
        }
    }
    return 0;
}
