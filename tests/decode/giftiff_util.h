// Shared helpers of the GIF and TIFF tests: decoding a byte vector with the
// status kept, reading pixels back in top-down coordinates, temporary files.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "decode/decoded_image.h"

struct DecodeResult {
    DecodeStatus status = kDecodeOk;
    DecodedImagePtr image;  // null unless status is kDecodeOk
};

using DecodeInputFn = DecodeStatus (*)(MappedInput*, DecodedImage*);

// Decodes from an exact-size heap copy of `bytes` (so that a read past the end is
// caught by the address sanitizer). On failure also checks that the decoder left
// no pixel block behind.
DecodeResult DecodeBytes(DecodeInputFn decode, const std::vector<uint8_t>& bytes);

// Index (8-bit) at column x of row y counted from the top.
uint8_t IndexAt(const DecodedImage* image, int x, int y);

struct Color {
    uint8_t r, g, b;
    bool operator==(const Color& o) const { return r == o.r && g == o.g && b == o.b; }
};
// The colour at (x, y from the top): through the palette for 8-bit pixels.
Color ColorAt(const DecodedImage* image, int x, int y);

// True when the two records hold the same picture: header, palette (8-bit),
// and every pixel byte inside the picture (row padding is ignored).
bool SamePicture(const DecodedImage* a, const DecodedImage* b, std::string* why);

// The most resident memory this process has had so far, in bytes (0 when the
// system does not say).
uint64_t ResidentPeakBytes();

// A file holding `bytes` for the duration of a test.
class ScratchFile {
  public:
    explicit ScratchFile(const std::vector<uint8_t>& bytes);
    ScratchFile(const ScratchFile&) = delete;
    ScratchFile& operator=(const ScratchFile&) = delete;
    ~ScratchFile();
    const char16_t* path() const { return path_.c_str(); }

  private:
    std::filesystem::path native_;
    std::u16string path_;
};
