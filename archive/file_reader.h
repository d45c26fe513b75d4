// FileReader: positioned reads over an open file through one caller-supplied
// buffer, so that walking many small records (ZIP headers) costs one system call
// per buffer-full rather than one per field. Large reads bypass the buffer and
// land directly in the caller's memory.
//
// The reader neither opens, closes nor owns the file or the buffer. Failures are
// sticky: after a short or failed read `ok` stays false and every later read
// fails, so a caller may check once after a run of reads.
#pragma once

#include <cstdint>

#include "platform/file.h"

struct FileReader {
    FileId file = kNoFile;
    uint8_t* buffer = nullptr;
    uint32_t capacity = 0;
    uint64_t bufferStart = 0;   // file offset of buffer[0]
    uint32_t bufferLength = 0;  // valid bytes in buffer
    uint64_t pos = 0;           // file offset of the next read
    bool ok = true;
};

void ReaderInit(FileReader* r, FileId file, uint8_t* buffer, uint32_t capacity);
// Moves the read position; seeking past the end is allowed, the next read fails.
void ReaderSeek(FileReader* r, uint64_t offset);
void ReaderSkip(FileReader* r, uint64_t n);
// Reads exactly n bytes at the position and advances it; false (and ok cleared)
// when fewer are there or the system refuses.
[[nodiscard]] bool ReaderRead(FileReader* r, void* out, uint64_t n);

inline uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
inline uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
