#include "tests/decode/gif_builder.h"

#include <algorithm>
#include <cstddef>

namespace {

struct BitWriter {
    std::vector<uint8_t> out;
    uint32_t bits = 0;
    int count = 0;

    void Put(uint32_t code, int width) {
        bits |= code << count;
        count += width;
        while (count >= 8) {
            out.push_back(static_cast<uint8_t>(bits));
            bits >>= 8;
            count -= 8;
        }
    }
    void Flush() {
        if (count > 0) {
            out.push_back(static_cast<uint8_t>(bits));
        }
        bits = 0;
        count = 0;
    }
};

int TableBits(size_t entries) {
    int bits = 1;
    while ((size_t{1} << bits) < entries) {
        bits++;
    }
    return bits;
}

void PutTable(std::vector<uint8_t>* out, const std::vector<Rgb>& table) {
    for (const Rgb& c : table) {
        out->push_back(c.r);
        out->push_back(c.g);
        out->push_back(c.b);
    }
}

void Put16(std::vector<uint8_t>* out, uint32_t v) {
    out->push_back(static_cast<uint8_t>(v));
    out->push_back(static_cast<uint8_t>(v >> 8));
}

std::vector<uint8_t> InterlaceRows(const std::vector<uint8_t>& indices, uint16_t width, uint16_t height) {
    static const int kStart[4] = {0, 4, 2, 1};
    static const int kStep[4] = {8, 8, 4, 2};
    std::vector<uint8_t> out;
    for (int pass = 0; pass < 4; pass++) {
        for (int y = kStart[pass]; y < height; y += kStep[pass]) {
            const std::ptrdiff_t row = std::ptrdiff_t{y} * width;
            out.insert(out.end(), indices.begin() + row, indices.begin() + row + width);
        }
    }
    return out;
}

}  // namespace

std::vector<uint8_t> LzwEncode(const std::vector<uint8_t>& indices,
                               int minCodeSize,
                               const LzwOptions& options) {
    const uint32_t clear = 1u << minCodeSize;
    const uint32_t end = clear + 1;
    uint32_t next = end + 1;
    int codeSize = minCodeSize + 1;
    // (prefix code, byte) -> code; an entry counts only when stamped with the
    // current generation, so a reset costs nothing.
    static std::vector<int16_t> child(size_t{4096} * 256);
    static std::vector<uint32_t> stamp(size_t{4096} * 256, 0);
    static uint32_t generation = 0;
    BitWriter w;

    auto reset = [&]() {
        generation++;
        next = end + 1;
        codeSize = minCodeSize + 1;
    };
    auto putClear = [&]() {
        w.Put(clear, codeSize);
        reset();
        if (options.doubleClear) {
            w.Put(clear, codeSize);
        }
    };
    // The decoder adds an entry after every code but the first after a clear and
    // widens its codes when its next entry reaches 2^size; the encoder is one
    // entry ahead, so it widens after writing once `next` has reached 2^size.
    auto emit = [&](uint32_t code) {
        w.Put(code, codeSize);
        if (next >= (1u << codeSize) && codeSize < 12) {
            codeSize++;
        }
    };

    putClear();
    if (!indices.empty()) {
        uint32_t cur = indices[0];
        int emitted = 0;
        for (size_t i = 1; i < indices.size(); i++) {
            uint8_t c = indices[i];
            if (stamp[cur * 256 + c] == generation) {
                cur = static_cast<uint32_t>(child[cur * 256 + c]);
                continue;
            }
            emit(cur);
            emitted++;
            if (next < 4096) {
                child[cur * 256 + c] = static_cast<int16_t>(next++);
                stamp[cur * 256 + c] = generation;
            }
            cur = c;
            if ((next == 4096 && options.clearWhenFull) ||
                (options.clearEvery > 0 && emitted % options.clearEvery == 0)) {
                putClear();
            }
        }
        emit(cur);
    }
    if (options.endCode) {
        w.Put(end, codeSize);
    }
    w.Flush();
    return w.out;
}

std::vector<uint8_t> BuildGif(const GifSpec& recipe) {
    std::vector<uint8_t> out;
    for (const char* p : {"GIF", recipe.version}) {
        for (int i = 0; i < 3; i++) {
            out.push_back(static_cast<uint8_t>(p[i]));
        }
    }
    Put16(&out, recipe.screenWidth);
    Put16(&out, recipe.screenHeight);
    uint8_t flags = 0;
    if (!recipe.globalTable.empty()) {
        flags = static_cast<uint8_t>(0x80 | (TableBits(recipe.globalTable.size()) - 1));
    }
    out.push_back(flags);
    out.push_back(recipe.background);
    out.push_back(0);
    PutTable(&out, recipe.globalTable);
    for (const auto& ext : recipe.extensions) {
        out.insert(out.end(), ext.begin(), ext.end());
    }
    for (const GifFrame& f : recipe.frames) {
        if (f.graphicControl) {
            out.insert(out.end(), {0x21, 0xF9, 0x04, static_cast<uint8_t>(f.transparent ? 1 : 0), 0, 0,
                                   f.transparentIndex, 0x00});
        }
        out.push_back(0x2C);
        Put16(&out, f.left);
        Put16(&out, f.top);
        Put16(&out, f.width);
        Put16(&out, f.height);
        uint8_t packed = f.interlaced ? 0x40 : 0;
        if (!f.localTable.empty()) {
            packed = static_cast<uint8_t>(packed | 0x80 | (TableBits(f.localTable.size()) - 1));
        }
        out.push_back(packed);
        PutTable(&out, f.localTable);
        size_t tableSize = !f.localTable.empty() ? f.localTable.size() : recipe.globalTable.size();
        int minCodeSize = f.minCodeSize;
        if (minCodeSize == 0) {
            minCodeSize = tableSize > 4 ? TableBits(tableSize) : 2;
        }
        out.push_back(static_cast<uint8_t>(minCodeSize));
        std::vector<uint8_t> data;
        if (f.useRawData) {
            data = f.rawData;
        } else {
            data = LzwEncode(f.interlaced ? InterlaceRows(f.indices, f.width, f.height) : f.indices,
                             minCodeSize, f.lzw);
        }
        for (size_t pos = 0; pos < data.size(); pos += f.subBlockSize) {
            size_t n = std::min(f.subBlockSize, data.size() - pos);
            out.push_back(static_cast<uint8_t>(n));
            out.insert(out.end(), data.begin() + static_cast<ptrdiff_t>(pos),
                       data.begin() + static_cast<ptrdiff_t>(pos + n));
        }
        out.push_back(0);
    }
    if (recipe.trailer) {
        out.push_back(0x3B);
    }
    return out;
}

GifFrame FullFrame(uint16_t width, uint16_t height, const std::vector<uint8_t>& indices) {
    GifFrame f;
    f.width = width;
    f.height = height;
    f.indices = indices;
    return f;
}

std::vector<Rgb> RampTable(size_t n) {
    std::vector<Rgb> t(n);
    for (size_t i = 0; i < n; i++) {
        uint8_t v = static_cast<uint8_t>(n > 1 ? i * 255 / (n - 1) : 0);
        t[i] = {v, static_cast<uint8_t>(255 - v), static_cast<uint8_t>(v / 2)};
    }
    return t;
}

std::vector<uint8_t> RandomIndices(size_t n, int colors, int maxRun, uint32_t seed) {
    std::vector<uint8_t> out;
    out.reserve(n);
    uint32_t s = seed * 2654435761u + 1;
    while (out.size() < n) {
        s = s * 1103515245u + 12345u;
        uint8_t v = static_cast<uint8_t>((s >> 16) % static_cast<uint32_t>(colors));
        s = s * 1103515245u + 12345u;
        size_t run = 1 + (s >> 16) % static_cast<uint32_t>(maxRun);
        for (size_t i = 0; i < run && out.size() < n; i++) {
            out.push_back(v);
        }
    }
    return out;
}
