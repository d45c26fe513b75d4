// libFuzzer target over what a plug-in may hand back. The first byte picks the
// block: 0 a picture (the next two bytes give the BITMAPINFO block's length, the
// rest are the pixel rows), 1 an archive-information block, 2 a member's bytes.
// The blocks are copied to exactly sized heap blocks, so a read past what the
// plug-in returned shows under ASan. Any result is fine; crashes are not.
//   plugin_fuzzer CORPUS_DIR   (seeds: fuzz/plugin/make_seeds.py CORPUS_DIR)
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "archive/archive_member.h"
#include "archive/plugin_results.h"
#include "platform/heap.h"
#include "platform/vm.h"

namespace {
bool Latin1(const char* text, size_t n, StrBuf* out) {
    out->Assign(u"");
    for (size_t i = 0; i < n; ++i) {
        const char16_t c = static_cast<unsigned char>(text[i]);
        if (!out->Append(&c, 1)) {
            return false;
        }
    }
    return true;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    return AppHeapCreate() ? 0 : 1;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) {
        return 0;
    }
    const uint8_t mode = data[0] % 3;
    ++data;
    --size;
    if (mode == 0) {
        if (size < 2) {
            return 0;
        }
        size_t infoSize = data[0] | size_t{data[1]} << 8;
        data += 2;
        size -= 2;
        infoSize = infoSize < size ? infoSize : size;
        // A plug-in may announce a picture far larger than its rows (the rest
        // stays zero); the fuzzer leaves out what would pass its memory limit.
        if (infoSize >= 40) {
            int32_t width;
            int32_t height;
            std::memcpy(&width, data + 4, 4);
            std::memcpy(&height, data + 8, 4);
            if (width > 0 && height > 0 && uint64_t(width) * uint64_t(height) > (uint64_t{64} << 20)) {
                return 0;
            }
        }
        const std::vector<uint8_t> info(data, data + infoSize);
        const std::vector<uint8_t> bits(data + infoSize, data + size);
        DecodedImagePtr image(NewDecodedImage());
        if (image &&
            ConvertPluginPicture(info.data(), info.size(), bits.data(), bits.size(), 0, image.get())) {
            const uint32_t stride = RowStride(image->header.width, image->header.bitCount);
            volatile uint8_t last = image->pixels[size_t{stride} * uint32_t(image->header.height) - 1];
            (void)last;
        }
    } else if (mode == 1) {
        const std::vector<uint8_t> block(data, data + size);
        MemberListPtr list(ParseArchiveInfo(block.data(), block.size(), 0, Latin1));
    } else {
        const std::vector<uint8_t> bytes(data, data + size);
        uint32_t locator = 0;
        VmBlock block(CopyMemberBytes(bytes.data(), bytes.size(), &locator));
        if (block.get() != nullptr) {
            volatile uint8_t spare = block.get()[locator + 3];
            (void)spare;
        }
    }
    return 0;
}
