// ByteBuf: a growable byte buffer on the application heap with a sticky failure
// flag, used to build the settings file and the slot dump in memory.
//
// Once an append fails (the heap refused, or the size would pass the 4 GiB the
// file format can address), ok stays false and later appends do nothing; the
// caller checks ok once at the end. The buffer frees itself.
#pragma once

#include <cstddef>
#include <cstdint>

struct ByteBuf {
    uint8_t* data = nullptr;
    uint32_t size = 0;
    uint32_t capacity = 0;
    bool ok = true;
    bool tooLarge = false;  // the failure was the 4 GiB limit, not the heap

    ByteBuf() = default;
    ByteBuf(const ByteBuf&) = delete;
    ByteBuf& operator=(const ByteBuf&) = delete;
    ~ByteBuf() { Release(); }

    void Release();
    // Makes room for n more bytes; false (and ok false) when it cannot.
    [[nodiscard]] bool Grow(uint64_t n);
    void Append(const void* bytes, uint64_t n);
    void AppendByte(uint8_t b);
    void AppendU16(uint16_t v);
    void AppendU32(uint32_t v);
    // ASCII text, without its terminator.
    void AppendAscii(const char* text);
    // Takes over other's bytes (this buffer's own are freed); other becomes empty.
    void Take(ByteBuf* other);
    // Overwrites 4 bytes at offset (which must lie inside the buffer).
    void PutU32(uint32_t offset, uint32_t v);
};

// Little-endian reads from a buffer the caller has bounds-checked.
inline uint16_t LoadU16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t LoadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
