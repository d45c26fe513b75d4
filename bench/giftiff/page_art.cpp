#include "bench/giftiff/page_art.h"

#include <algorithm>
#include <cmath>

namespace {

struct Canvas {
    PageArt* art;
    bool colour;

    void Set(int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        if (x < 0 || y < 0 || x >= art->width || y >= art->height) {
            return;
        }
        size_t i = static_cast<size_t>(y) * static_cast<size_t>(art->width) + static_cast<size_t>(x);
        art->grey[i] = static_cast<uint8_t>((r * 77 + g * 150 + b * 29) >> 8);
        if (colour) {
            art->rgb[i * 3] = r;
            art->rgb[i * 3 + 1] = g;
            art->rgb[i * 3 + 2] = b;
        }
    }
    void Ink(int x, int y, int width) {
        for (int dy = -width / 2; dy <= width / 2; dy++) {
            for (int dx = -width / 2; dx <= width / 2; dx++) {
                Set(x + dx, y + dy, 16, 16, 16);
            }
        }
    }
    void Line(int x0, int y0, int x1, int y1, int width) {
        int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) + 1;
        for (int i = 0; i <= steps; i++) {
            Ink(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps, width);
        }
    }
};

uint32_t Next(uint32_t* s) {
    *s = *s * 1103515245u + 12345u;
    return *s >> 8;
}

int Rand(uint32_t* s, int lo, int hi) {
    return lo + static_cast<int>(Next(s) % static_cast<uint32_t>(hi - lo + 1));
}

}  // namespace

PageArt DrawPage(int width, int height, bool colour, int grain, uint32_t seed) {
    PageArt art;
    art.width = width;
    art.height = height;
    size_t n = static_cast<size_t>(width) * static_cast<size_t>(height);
    art.grey.assign(n, 255);
    if (colour) {
        art.rgb.assign(n * 3, 255);
    }
    Canvas c{&art, colour};
    uint32_t s = seed;

    // Three rows of two panels; each panel is flat, screentone or a gradient.
    const int rows[4] = {0, height * 3 / 10, height * 62 / 100, height};
    for (int r = 0; r < 3; r++) {
        int y0 = rows[r] + 60;
        int y1 = rows[r + 1] - 30;
        int split = Rand(&s, width / 3, 2 * width / 3);
        int xs[2][2] = {{60, split - 20}, {split + 20, width - 60}};
        for (auto& span : xs) {
            int kind = Rand(&s, 0, 2);
            uint8_t pr = static_cast<uint8_t>(Rand(&s, 120, 250));
            uint8_t pg = static_cast<uint8_t>(Rand(&s, 120, 250));
            uint8_t pb = static_cast<uint8_t>(Rand(&s, 120, 250));
            for (int y = y0; y < y1; y++) {
                for (int x = span[0]; x < span[1]; x++) {
                    if (kind == 0) {
                        int dx = x % 8 - 4;
                        int dy = y % 8 - 4;
                        if (dx * dx + dy * dy < 6) {
                            c.Set(x, y, 90, 90, 90);
                        } else if (colour) {
                            c.Set(x, y, pr, pg, pb);
                        }
                    } else if (kind == 1) {
                        double t = static_cast<double>(y - y0) / (y1 - y0);
                        auto v = static_cast<uint8_t>(60 + 180 * t + 20 * std::sin(x * 0.01));
                        c.Set(x, y, colour ? static_cast<uint8_t>(v * pr / 255) : v, v,
                              colour ? static_cast<uint8_t>(v * pb / 255) : v);
                    } else if (colour) {
                        c.Set(x, y, pr, pg, pb);
                    }
                }
            }
            c.Line(span[0], y0, span[1], y0, 8);
            c.Line(span[0], y1, span[1], y1, 8);
            c.Line(span[0], y0, span[0], y1, 8);
            c.Line(span[1], y0, span[1], y1, 8);
        }
    }
    // Ink strokes.
    for (int i = 0; i < 900; i++) {
        int x = Rand(&s, 0, width - 1);
        int y = Rand(&s, 0, height - 1);
        int w = Rand(&s, 1, 4);
        for (int k = 0; k < 3; k++) {
            int nx = x + Rand(&s, -90, 90);
            int ny = y + Rand(&s, -90, 90);
            c.Line(x, y, nx, ny, w);
            x = nx;
            y = ny;
        }
    }
    // Balloons with lettering.
    for (int i = 0; i < 14; i++) {
        int cx = Rand(&s, 150, width - 150);
        int cy = Rand(&s, 150, height - 150);
        int rx = Rand(&s, 120, 260);
        int ry = Rand(&s, 60, 120);
        for (int y = cy - ry - 3; y <= cy + ry + 3; y++) {
            for (int x = cx - rx - 3; x <= cx + rx + 3; x++) {
                double d = std::pow((x - cx) / static_cast<double>(rx), 2) +
                           std::pow((y - cy) / static_cast<double>(ry), 2);
                if (d < 1.0) {
                    c.Set(x, y, 255, 255, 255);
                } else if (d < 1.06) {
                    c.Ink(x, y, 1);
                }
            }
        }
        for (int line = -ry / 2; line < ry / 2; line += 22) {
            for (int x = cx - rx / 2; x < cx + rx / 2; x += 12) {
                if (Next(&s) % 7 == 0) {
                    continue;
                }
                for (int y = cy + line; y < cy + line + 14; y++) {
                    for (int dx = 0; dx < 9; dx++) {
                        if (((x + dx) * 7 + y * 3) % 5 != 0) {
                            c.Set(x + dx, y, 20, 20, 20);
                        }
                    }
                }
            }
        }
    }
    if (grain > 0) {
        for (size_t i = 0; i < n; i++) {
            int d = static_cast<int>(Next(&s) % static_cast<uint32_t>(2 * grain + 1)) - grain;
            art.grey[i] = static_cast<uint8_t>(std::clamp(art.grey[i] + d, 0, 255));
            if (colour) {
                for (int k = 0; k < 3; k++) {
                    art.rgb[i * 3 + k] = static_cast<uint8_t>(std::clamp(art.rgb[i * 3 + k] + d, 0, 255));
                }
            }
        }
    }
    return art;
}
