// Replays the saved fuzzing finds in tests/regress/gif and tests/regress/tiff:
// each is a damaged file that must be refused cleanly (null, nothing leaked,
// nothing read or written out of bounds), through both entry points.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "decode/gif.h"
#include "decode/tiff.h"
#include "tests/decode/giftiff_util.h"
#include "tests/support/regress_inputs.h"

namespace {

using MemoryDecoder = DecodedImage* (*)(const uint8_t*, size_t);
using FileDecoder = DecodedImage* (*)(const char16_t*);

int Replay(const char* folder, MemoryDecoder fromMemory, FileDecoder fromFile) {
    int replayed = 0;
    for (const std::filesystem::path& path :
         RegressInputs(std::filesystem::path(PW_GIFTIFF_REGRESS_DIR) / folder)) {
        std::ifstream in(path, std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_FALSE(bytes.empty()) << path.string() << ": unreadable";
        std::vector<uint8_t> exact(bytes);
        exact.shrink_to_fit();
        DecodedImagePtr image(fromMemory(exact.data(), exact.size()));
        EXPECT_FALSE(image) << path.string() << " decoded from memory";
        ScratchFile file(bytes);
        DecodedImagePtr fileImage(fromFile(file.path()));
        EXPECT_FALSE(fileImage) << path.string() << " decoded from a file";
        ++replayed;
    }
    return replayed;
}

TEST(GifTiffRegress, SavedInputsFailCleanly) {
    int gif = Replay("gif", GifDecodeMemory, GifDecodeFile);
    int tiff = Replay("tiff", TiffDecodeMemory, TiffDecodeFile);
    RecordProperty("gif", gif);
    RecordProperty("tiff", tiff);
}

}  // namespace
