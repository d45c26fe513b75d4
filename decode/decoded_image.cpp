#include "decode/decoded_image.h"

#include <cstring>

#include "decode/picture_blocks.h"
#include "decode/picture_limit.h"
#include "platform/heap.h"

DecodedImage* NewDecodedImage() {
    return static_cast<DecodedImage*>(AppAllocZero(sizeof(DecodedImage)));
}

void FreeDecodedImage(DecodedImage* image) {
    if (image == nullptr) {
        return;
    }
    GivePixelBlock(image->pixels);
    AppFree(image);
}

uint32_t RowStride(int64_t width, int bitCount) {
    if (width <= 0 || width > INT32_MAX) {
        return 0;
    }
    uint64_t bytes = static_cast<uint64_t>(width) * static_cast<uint64_t>(bitCount / 8);
    uint64_t stride = (bytes + 3) & ~uint64_t{3};
    return stride > UINT32_MAX ? 0 : static_cast<uint32_t>(stride);
}

namespace {

// written: the caller writes every pixel of every row, so only the rest is cleared.
bool Allocate(DecodedImage* image,
              int64_t width,
              int64_t height,
              int bitCount,
              DecodeStatus* status,
              bool written) {
    uint32_t stride = RowStride(width, bitCount);
    if (stride == 0 || height <= 0 || height > INT32_MAX || (bitCount != 8 && bitCount != 24)) {
        if (status != nullptr) {
            *status = kDecodeBadHeader;
        }
        return false;
    }
    uint64_t bytes = uint64_t{stride} * static_cast<uint64_t>(height);
    if (bytes > UINT32_MAX) {
        if (status != nullptr) {
            *status = kDecodeBadHeader;
        }
        return false;
    }
    const uint32_t rowBytes =
        written ? static_cast<uint32_t>(width) * static_cast<uint32_t>(bitCount / 8) : 0;
    // Past this thread's limit (a page read ahead into what the budget has
    // left) a block kept for reuse still serves: it adds nothing to what is held.
    void* block = nullptr;
    if (PictureBlockAllowed(bytes + 4)) {
        block = TakePixelBlock(stride, static_cast<uint32_t>(height), rowBytes);
    } else if (PictureWithinProgramLimit(bytes + 4)) {
        block = TakeKeptPixelBlock(stride, static_cast<uint32_t>(height), rowBytes);
    }
    if (block == nullptr) {
        if (status != nullptr) {
            *status = kDecodeNoMemory;
        }
        return false;
    }
    image->pixels = static_cast<uint8_t*>(block);
    BitmapInfoHeader& h = image->header;
    h.size = 40;
    h.width = static_cast<int32_t>(width);
    h.height = static_cast<int32_t>(height);
    h.planes = 1;
    h.bitCount = static_cast<uint16_t>(bitCount);
    h.compression = 0;
    h.sizeImage = 0;
    return true;
}

}  // namespace

bool AllocatePixels(DecodedImage* image, int64_t width, int64_t height, int bitCount, DecodeStatus* status) {
    return Allocate(image, width, height, bitCount, status, false);
}

bool AllocateWrittenPixels(DecodedImage* image,
                           int64_t width,
                           int64_t height,
                           int bitCount,
                           DecodeStatus* status) {
    return Allocate(image, width, height, bitCount, status, true);
}

bool OpenMappedInputFile(MappedInput* input, const char16_t* path, DecodedImage* image) {
    if (!input->file.Open(path)) {
        return false;
    }
    input->start = input->file.data();
    input->cursor = input->start;
    input->end = input->start + input->file.size();
    image->sourceSize = static_cast<uint32_t>(input->file.size());
    image->sourceTime = input->file.time();
    return true;
}

void OpenMappedInputMemory(MappedInput* input, const uint8_t* data, size_t size, DecodedImage* image) {
    input->start = data;
    input->cursor = data;
    input->end = data + size;
    image->sourceSize = static_cast<uint32_t>(size);
}
