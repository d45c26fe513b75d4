// CRC-32 of ZIP entries and PNG chunks: reflected polynomial 0xEDB88320, register
// preset to all ones, result complemented, one 256-entry table.
#pragma once

#include <cstddef>
#include <cstdint>

uint32_t Crc32(const void* bytes, size_t length);
// Continues a CRC: pass the previous result (0 to start).
uint32_t Crc32Update(uint32_t crc, const void* bytes, size_t length);
