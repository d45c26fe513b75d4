#include "archive/file_reader.h"

#include <cstring>

namespace {
// FileReadAt takes 32-bit counts; direct reads go in pieces of this size.
constexpr uint32_t kMaxPiece = 1u << 30;

bool ReadExact(FileId file, uint64_t offset, uint8_t* out, uint64_t n) {
    while (n > 0) {
        uint32_t piece = n < kMaxPiece ? static_cast<uint32_t>(n) : kMaxPiece;
        uint32_t got = 0;
        if (!FileReadAt(file, offset, out, piece, &got) || got != piece) {
            return false;
        }
        offset += piece;
        out += piece;
        n -= piece;
    }
    return true;
}
}  // namespace

void ReaderInit(FileReader* r, FileId file, uint8_t* buffer, uint32_t capacity) {
    *r = FileReader{};
    r->file = file;
    r->buffer = buffer;
    r->capacity = capacity;
}

void ReaderSeek(FileReader* r, uint64_t offset) {
    r->pos = offset;
}

void ReaderSkip(FileReader* r, uint64_t n) {
    r->pos = n <= UINT64_MAX - r->pos ? r->pos + n : UINT64_MAX;
}

bool ReaderRead(FileReader* r, void* out, uint64_t n) {
    if (!r->ok) {
        return false;
    }
    auto* dst = static_cast<uint8_t*>(out);
    // Take what the buffer already holds at the position.
    if (r->pos >= r->bufferStart && r->pos - r->bufferStart < r->bufferLength) {
        uint64_t at = r->pos - r->bufferStart;
        uint64_t have = r->bufferLength - at;
        uint64_t take = n < have ? n : have;
        std::memcpy(dst, r->buffer + at, static_cast<size_t>(take));
        dst += take;
        n -= take;
        r->pos += take;
    }
    if (n == 0) {
        return true;
    }
    if (n > UINT64_MAX - r->pos) {
        r->ok = false;
        return false;
    }
    if (n >= r->capacity) {
        if (!ReadExact(r->file, r->pos, dst, n)) {
            r->ok = false;
            return false;
        }
        r->pos += n;
        return true;
    }
    // Refill at the position; a short fill is fine as long as it covers n.
    uint32_t got = 0;
    r->bufferStart = r->pos;
    r->bufferLength = 0;
    if (!FileReadAt(r->file, r->pos, r->buffer, r->capacity, &got) || got < n) {
        r->ok = false;
        return false;
    }
    r->bufferLength = got;
    std::memcpy(dst, r->buffer, static_cast<size_t>(n));
    r->pos += n;
    return true;
}
