// Test fixtures for the GIF decoder: an LZW encoder and a GIF file builder.
//
// BuildGif writes a header, the optional global table, raw extension blocks, one
// or more images (each with an optional graphic control extension and local
// table, its indices LZW-encoded and cut into sub-blocks) and the trailer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct Rgb {
    uint8_t r, g, b;
};

struct LzwOptions {
    bool endCode = true;        // finish with the end code
    bool clearWhenFull = true;  // a clear code once the table holds 4096 entries
    int clearEvery = 0;         // a clear code after every n data codes (0: never)
    bool doubleClear = false;   // every clear code is written twice
};

// Encodes `indices` (each below 2^minCodeSize) as a GIF LZW code stream,
// starting with a clear code.
std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& indices,
                               int minCodeSize,
                               const LzwOptions& options = {});

struct GifFrame {
    uint16_t left = 0;
    uint16_t top = 0;
    uint16_t width = 0;
    uint16_t height = 0;
    bool interlaced = false;       // the builder reorders the rows
    std::vector<Rgb> localTable;   // 2, 4, ..., 256 entries or none
    std::vector<uint8_t> indices;  // width * height, top row first
    int minCodeSize = 0;           // 0: from the table size, at least 2
    LzwOptions lzw;
    bool graphicControl = false;
    bool transparent = false;
    uint8_t transparentIndex = 0;
    size_t subBlockSize = 255;
    bool useRawData = false;  // write rawData as the code stream instead
    std::vector<uint8_t> rawData;
};

struct GifSpec {
    const char* version = "89a";
    uint16_t screenWidth = 0;
    uint16_t screenHeight = 0;
    uint8_t background = 0;
    std::vector<Rgb> globalTable;                  // 2, 4, ..., 256 entries or none
    std::vector<std::vector<uint8_t>> extensions;  // raw blocks written before the first image
    std::vector<GifFrame> frames;
    bool trailer = true;
};

std::vector<uint8_t> BuildGif(const GifSpec& recipe);

// A frame covering a whole w x h screen with indices from `pattern`.
GifFrame FullFrame(uint16_t width, uint16_t height, const std::vector<uint8_t>& indices);

// A table of n distinct colours (red rising, green falling).
std::vector<Rgb> RampTable(size_t n);

// Deterministic pseudo-random indices below `colors`, in runs of up to `maxRun`.
std::vector<uint8_t> RandomIndices(size_t n, int colors, int maxRun, uint32_t seed);
