// Drawn comic pages for the benchmarks: panel frames, ink strokes, screentone,
// a photo-like gradient panel with grain, speech balloons and lettering.
#pragma once

#include <cstdint>
#include <vector>

struct PageArt {
    int width = 0;
    int height = 0;
    std::vector<uint8_t> grey;  // one byte a pixel, top row first
    std::vector<uint8_t> rgb;   // three bytes a pixel (red, green, blue), top row first
};

// Draws a page; `colour` fills the panels with flat colours (the rgb plane),
// otherwise only the grey plane is drawn. `grain` adds scanner noise.
PageArt DrawPage(int width, int height, bool colour, int grain, uint32_t seed);
