#include "decode/picture_blocks.h"

#include <cstring>

#include "decode/block_reserve.h"
#include "platform/vm.h"

namespace {

void* Alloc(void*, size_t bytes) {
    return VmAlloc(bytes);
}

void Free(void*, void* block) {
    VmFree(block);
}

size_t Capacity(void*, void* block) {
    return VmBlockSize(block);
}

BlockReserve* Make() {
    static BlockReserve reserve;
    BlockReserveInit(&reserve, BlockSourceOps{nullptr, Alloc, Free, Capacity});
    return &reserve;
}

}  // namespace

BlockReserve* PictureReserve() {
    static BlockReserve* const reserve = Make();
    return reserve;
}

uint8_t* TakeClearBlock(uint64_t bytes) {
    if (bytes == 0 || bytes > SIZE_MAX) {
        return nullptr;
    }
    bool reused = false;
    auto* block = static_cast<uint8_t*>(ReserveTake(PictureReserve(), static_cast<size_t>(bytes), &reused));
    if (block != nullptr && reused) {
        std::memset(block, 0, static_cast<size_t>(bytes));
    }
    return block;
}

namespace {

// Clears what the caller will not write in a block that held another picture.
uint8_t* Take(uint32_t stride, uint32_t rows, uint32_t rowBytes, bool keptOnly) {
    const uint64_t bytes = uint64_t{stride} * rows + 4;
    if (stride == 0 || rows == 0 || rowBytes > stride || bytes > SIZE_MAX) {
        return nullptr;
    }
    bool reused = keptOnly;
    auto* block =
        static_cast<uint8_t*>(keptOnly ? ReserveTakeKept(PictureReserve(), static_cast<size_t>(bytes))
                                       : ReserveTake(PictureReserve(), static_cast<size_t>(bytes), &reused));
    if (block == nullptr || !reused) {
        return block;
    }
    if (rowBytes == 0) {
        std::memset(block, 0, static_cast<size_t>(bytes));
        return block;
    }
    if (rowBytes < stride) {
        for (uint32_t y = 0; y < rows; ++y) {
            std::memset(block + uint64_t{stride} * y + rowBytes, 0, stride - rowBytes);
        }
    }
    std::memset(block + uint64_t{stride} * rows, 0, 4);
    return block;
}

}  // namespace

uint8_t* TakePixelBlock(uint32_t stride, uint32_t rows, uint32_t rowBytes) {
    return Take(stride, rows, rowBytes, false);
}

uint8_t* TakeKeptPixelBlock(uint32_t stride, uint32_t rows, uint32_t rowBytes) {
    return Take(stride, rows, rowBytes, true);
}

void GivePixelBlock(void* block) {
    ReserveGive(PictureReserve(), block);
}
