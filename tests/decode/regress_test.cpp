// Crash and hang inputs found by fuzzing, kept under tests/regress/<format>/ and
// replayed here: each must decode or fail cleanly, through the memory entry point
// and through OpenImageMemory.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "decode/blend_table.h"
#include "decode/bmp.h"
#include "decode/open_image.h"
#include "decode/png.h"
#include "platform/vm.h"

namespace {

using DecodeMemory = DecodedImage* (*)(const uint8_t*, size_t, DecodeStatus*);

void Replay(const char* folder, DecodeMemory decode) {
    FillBlendTable();
    std::filesystem::path dir = std::filesystem::path(PW_REGRESS_DIR) / folder;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(dir, ec)) {
        if (!entry.is_regular_file() || entry.path().filename().string()[0] == '.') {
            continue;
        }
        std::ifstream in(entry.path(), std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        bytes.shrink_to_fit();
        DecodedImagePtr image(decode(bytes.data(), bytes.size(), nullptr));
        if (image) {
            EXPECT_GT(image->header.width, 0) << entry.path();
        }
        auto* block = static_cast<uint8_t*>(VmAlloc(bytes.size() + 4));
        ASSERT_NE(block, nullptr);
        std::copy(bytes.begin(), bytes.end(), block);
        int32_t orientation = 1;
        DecodedImagePtr again(OpenImageMemory(u"regress", block, bytes.size(), &orientation));
    }
}

TEST(Regress, Bmp) {
    Replay("bmp", BmpDecodeMemory);
}

TEST(Regress, Png) {
    Replay("png", PngDecodeMemory);
}

}  // namespace
