#include "settings/byte_buf.h"

#include <cstring>

#include "platform/heap.h"

void ByteBuf::Release() {
    if (data != nullptr && AppHeapAlive()) {
        AppFree(data);
    }
    data = nullptr;
    size = 0;
    capacity = 0;
    ok = true;
    tooLarge = false;
}

bool ByteBuf::Grow(uint64_t n) {
    if (!ok) {
        return false;
    }
    uint64_t need = uint64_t{size} + n;
    if (need > UINT32_MAX) {
        ok = false;
        tooLarge = true;
        return false;
    }
    if (need <= capacity) {
        return true;
    }
    // Double, so that a file built value by value costs few reallocations.
    uint64_t grown = capacity < 1024 ? 1024 : uint64_t{capacity} * 2;
    if (grown < need) {
        grown = need;
    }
    if (grown > UINT32_MAX) {
        grown = UINT32_MAX;
    }
    void* block = data == nullptr ? AppAlloc(grown) : AppReAllocZero(data, grown);
    if (block == nullptr) {
        ok = false;
        return false;
    }
    data = static_cast<uint8_t*>(block);
    capacity = static_cast<uint32_t>(grown);
    return true;
}

void ByteBuf::Append(const void* bytes, uint64_t n) {
    if (n == 0 || !Grow(n)) {
        return;
    }
    std::memcpy(data + size, bytes, n);
    size += static_cast<uint32_t>(n);
}

void ByteBuf::AppendByte(uint8_t b) {
    Append(&b, 1);
}

void ByteBuf::AppendU16(uint16_t v) {
    uint8_t b[2] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8)};
    Append(b, 2);
}

void ByteBuf::AppendU32(uint32_t v) {
    uint8_t b[4] = {static_cast<uint8_t>(v), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v >> 16),
                    static_cast<uint8_t>(v >> 24)};
    Append(b, 4);
}

void ByteBuf::AppendAscii(const char* text) {
    Append(text, std::strlen(text));
}

void ByteBuf::Take(ByteBuf* other) {
    Release();
    data = other->data;
    size = other->size;
    capacity = other->capacity;
    ok = other->ok;
    tooLarge = other->tooLarge;
    other->data = nullptr;
    other->size = 0;
    other->capacity = 0;
}

void ByteBuf::PutU32(uint32_t offset, uint32_t v) {
    if (!ok || offset > size || size - offset < 4) {
        return;
    }
    data[offset] = static_cast<uint8_t>(v);
    data[offset + 1] = static_cast<uint8_t>(v >> 8);
    data[offset + 2] = static_cast<uint8_t>(v >> 16);
    data[offset + 3] = static_cast<uint8_t>(v >> 24);
}
