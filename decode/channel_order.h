// Rows of RGB samples turned into the BGR order of the pixel blocks, with the
// high byte kept of 16-bit samples. On x86-64 processors with SSSE3 sixteen
// pixels go through byte shuffles at a time (chosen once, at first use); the
// plain loop does the rest of each row and everything elsewhere.
#pragma once

#include <cstdint>

// 8-bit RGB (3 bytes a pixel) to BGR. src and dst must not overlap.
void RgbToBgrRow(const uint8_t* src, uint8_t* dst, uint32_t pixels);
// 16-bit RGB (6 bytes a pixel, samples in the file's byte order) to 8-bit BGR,
// the high byte of each sample. src and dst must not overlap.
void Rgb48ToBgrRow(const uint8_t* src, uint8_t* dst, uint32_t pixels, bool bigEndian);

// Tests and benchmarks: the plain loops only (true) or the best the processor
// has (false). Not for use while other threads decode.
void UsePlainChannelOrder(bool plain);
// "ssse3" or "plain": what the rows go through now.
const char* ChannelOrderPath();
