// DecodedImage: the one record in which every decoder hands over a picture, and
// the common input (MappedInput) and status codes of the built-in decoders.
//
// A decoder allocates the record (AppHeap, zeroed) and the pixel block (stride *
// height + 4 bytes, zero-filled; from decode/picture_blocks.h, which may reuse a
// block the view let go). On failure it frees both and returns
// null; on success both pass to the caller, who frees them with FreeDecodedImage
// or takes the pixel block over (TakePixels) and frees the record.
//
// Pixels: 8-bit indices into the palette or 24-bit blue-green-red; rows bottom-up,
// each padded to a multiple of 4 bytes.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/file.h"

// Same layout as the Windows BITMAPINFOHEADER (40 bytes).
struct BitmapInfoHeader {
    uint32_t size;
    int32_t width;
    int32_t height;
    uint16_t planes;
    uint16_t bitCount;
    uint32_t compression;
    uint32_t sizeImage;
    int32_t xPelsPerMeter;
    int32_t yPelsPerMeter;
    uint32_t clrUsed;
    uint32_t clrImportant;
};
static_assert(sizeof(BitmapInfoHeader) == 40);

// Same layout as the Windows RGBQUAD.
struct RgbQuad {
    uint8_t blue;
    uint8_t green;
    uint8_t red;
    uint8_t reserved;
};

enum ImageFormat : int32_t {
    kFormatUnknown = 0,
    kFormatBmp = 1,
    kFormatPng = 2,
    kFormatJpeg = 3,
    kFormatTiff = 4,
    kFormatGif = 5,
    kFormatUnopenable = 6,
};

struct DecodedImage {
    BitmapInfoHeader header;
    RgbQuad palette[256];
    int32_t sourceFormat;
    uint8_t* pixels;
    uint32_t sourceSize;
    int32_t sourceBits;
    uint64_t sourceTime;  // FILETIME of the source file; 0 for memory input
};

// The status every decoder keeps: set once at the first fault, then it stops.
enum DecodeStatus : int32_t {
    kDecodeOk = 50000,
    kDecodeNoMemory = 50001,
    kDecodeBadHeader = 50002,
    kDecodeShortInput = 50004,
};

// A zeroed record from the application heap, or null.
[[nodiscard]] DecodedImage* NewDecodedImage();
// Frees the pixel block (if any) and the record. Null is allowed.
void FreeDecodedImage(DecodedImage* image);

// Bytes per row of a picture width pixels wide at 8 or 24 bits, padded to 4; 0 when
// the width is not positive or the stride would not fit in 32 bits.
uint32_t RowStride(int64_t width, int bitCount);

// Fills the header (size 40, planes 1, the bit count, positive width and height)
// and allocates a zeroed pixel block of stride * height + 4 bytes. Fails (false,
// nothing allocated) when a dimension is not positive, exceeds INT32_MAX, the
// block size does not fit in 32 bits, the block is above the picture limit
// (decode/picture_limit.h) or memory runs out; *status (if given) says which:
// kDecodeBadHeader, or kDecodeNoMemory for the last two.
[[nodiscard]] bool AllocatePixels(DecodedImage* image,
                                  int64_t width,
                                  int64_t height,
                                  int bitCount,
                                  DecodeStatus* status = nullptr);
// The same for a decoder that writes every pixel of every row (width * bitCount
// / 8 bytes each) before the picture is handed on: the block may be one the
// view let go (decode/picture_blocks.h), and only the bytes after each row's
// pixels and the 4 spare bytes are cleared for it. A decoder that may stop
// short and still succeed uses AllocatePixels.
[[nodiscard]] bool AllocateWrittenPixels(DecodedImage* image,
                                         int64_t width,
                                         int64_t height,
                                         int bitCount,
                                         DecodeStatus* status = nullptr);

// Owns a DecodedImage (record and pixels).
class DecodedImagePtr {
  public:
    DecodedImagePtr() = default;
    explicit DecodedImagePtr(DecodedImage* p) : p_(p) {}
    DecodedImagePtr(const DecodedImagePtr&) = delete;
    DecodedImagePtr& operator=(const DecodedImagePtr&) = delete;
    DecodedImagePtr(DecodedImagePtr&& o) noexcept : p_(o.release()) {}
    DecodedImagePtr& operator=(DecodedImagePtr&& o) noexcept {
        reset(o.release());
        return *this;
    }
    ~DecodedImagePtr() { reset(); }
    DecodedImage* get() const { return p_; }
    DecodedImage* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    DecodedImage* release() {
        DecodedImage* p = p_;
        p_ = nullptr;
        return p;
    }
    void reset(DecodedImage* p = nullptr) {
        if (p_ != nullptr) {
            FreeDecodedImage(p_);
        }
        p_ = p;
    }

  private:
    DecodedImage* p_ = nullptr;
};

// The common input of the built-in decoders: a read-only byte range over a mapped
// file or over a caller's memory block, with a read cursor. start <= cursor <= end.
struct MappedInput {
    MappedFile file;  // open only for the file entry point
    const uint8_t* start = nullptr;
    const uint8_t* cursor = nullptr;
    const uint8_t* end = nullptr;

    uint64_t Remaining() const { return static_cast<uint64_t>(end - cursor); }
};

// File entry step shared by every decoder: maps the whole file (non-empty, below
// 4 GiB) and records its size and time in the image. False (status 50004) when the
// file cannot be opened or mapped.
[[nodiscard]] bool OpenMappedInputFile(MappedInput* input, const char16_t* path, DecodedImage* image);
// Memory entry step: the range is the caller's block.
void OpenMappedInputMemory(MappedInput* input, const uint8_t* data, size_t size, DecodedImage* image);
