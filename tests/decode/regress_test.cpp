// Crash and hang inputs found by fuzzing, and the minimised fault inputs of each
// folder's make_cases.py, kept under tests/regress/<format>/ and replayed here:
// each must decode or fail cleanly, through the memory entry point and through
// OpenImageMemory.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "decode/blend_table.h"
#include "decode/bmp.h"
#include "decode/open_image.h"
#include "decode/png.h"
#include "platform/vm.h"
#include "tests/support/regress_inputs.h"

namespace {

using DecodeMemory = DecodedImage* (*)(const uint8_t*, size_t, DecodeStatus*);

void Replay(const char* folder, DecodeMemory decode) {
    FillBlendTable();
    for (const std::filesystem::path& path : RegressInputs(std::filesystem::path(PW_REGRESS_DIR) / folder)) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(bytes.empty()) << path.string() << ": unreadable";
        bytes.shrink_to_fit();
        DecodedImagePtr image(decode(bytes.data(), bytes.size(), nullptr));
        if (image) {
            EXPECT_GT(image->header.width, 0) << path.string();
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
