#include "decode/gif_lzw.h"

#include <cstring>

namespace {

// Bytes of one contiguous buffer.
struct FlatSource {
    const uint8_t* data;
    size_t size;
    size_t pos;

    bool Next(uint8_t* byte) {
        if (pos == size) {
            return false;
        }
        *byte = data[pos++];
        return true;
    }
};

// Bytes of a chain of data sub-blocks read where they lie: `left` data bytes in
// all, whose sub-blocks the caller has checked; the size bytes are skipped.
struct ChainSource {
    const uint8_t* p;
    uint64_t left;
    uint32_t inBlock;

    bool Next(uint8_t* byte) {
        if (left == 0) {
            return false;
        }
        if (inBlock == 0) {
            inBlock = *p++;
        }
        *byte = *p++;
        inBlock--;
        left--;
        return true;
    }
};

// Reads codes of a growing width, least significant bit first, refilling a byte
// at a time so it never asks the source for more than it holds.
template <typename Source>
struct CodeReader {
    Source src;
    uint64_t bits;
    unsigned count;

    bool Read(unsigned width, uint32_t* code) {
        while (count < width) {
            uint8_t byte;
            if (!src.Next(&byte)) {
                return false;
            }
            bits |= uint64_t{byte} << count;
            count += 8;
        }
        *code = static_cast<uint32_t>(bits & ((uint64_t{1} << width) - 1));
        bits >>= width;
        count -= width;
        return true;
    }
};

// Copies `n` bytes forward from `from` to `to` inside the output. The source may
// overlap the destination (a string followed by its own first byte), so short runs
// go byte by byte; long ones that cannot overlap go through memcpy.
inline void CopyRun(uint8_t* out, size_t to, size_t from, size_t n) {
    if (n >= 32 && from + n <= to) {
        std::memcpy(out + to, out + from, n);
        return;
    }
    for (size_t i = 0; i < n; i++) {
        out[to + i] = out[from + i];
    }
}

template <typename Source>
size_t Decode(Source source, unsigned minCodeSize, uint8_t* out, size_t outSize, GifLzwEntry* table) {
    if (minCodeSize < 2 || minCodeSize > 8) {
        return 0;
    }
    // Table entries keep 32-bit places; an index buffer never comes near that.
    if (outSize > UINT32_MAX) {
        outSize = UINT32_MAX;
    }
    const uint32_t clearCode = uint32_t{1} << minCodeSize;
    const uint32_t endCode = clearCode + 1;
    unsigned codeSize = minCodeSize + 1;
    uint32_t nextCode = endCode + 1;

    CodeReader<Source> reader = {source, 0, 0};
    size_t pos = 0;
    bool havePrev = false;  // false at the start and after a clear code
    size_t prevStart = 0;   // where the previous code's string lies in the output
    size_t prevLength = 0;

    uint32_t code = 0;
    while (reader.Read(codeSize, &code)) {
        if (code == clearCode) {
            codeSize = minCodeSize + 1;
            nextCode = endCode + 1;
            havePrev = false;
            continue;
        }
        if (code == endCode) {
            break;
        }
        if (!havePrev) {
            // Only the roots are defined right after a reset.
            if (code >= clearCode || pos >= outSize) {
                break;
            }
            out[pos] = static_cast<uint8_t>(code);
            prevStart = pos;
            prevLength = 1;
            pos++;
            havePrev = true;
            continue;
        }

        const size_t start = pos;
        size_t length;
        if (code < clearCode) {
            if (pos >= outSize) {
                break;
            }
            out[pos++] = static_cast<uint8_t>(code);
            length = 1;
        } else {
            size_t from;
            if (code < nextCode) {
                from = table[code].start;
                length = table[code].length;
            } else {
                // Not yet defined: the previous string followed by its own first
                // byte, which is a run of prevLength + 1 bytes starting at prevStart
                // because the previous string ends right where this one begins.
                from = prevStart;
                length = prevLength + 1;
            }
            size_t room = outSize - pos;
            size_t n = length < room ? length : room;
            CopyRun(out, pos, from, n);
            pos += n;
            if (n < length) {
                break;
            }
        }

        // The new string (previous string plus this string's first byte) is the
        // previous run extended by one byte: it lies contiguously in the output.
        if (nextCode < kGifLzwTableSize) {
            table[nextCode].start = static_cast<uint32_t>(prevStart);
            table[nextCode].length = static_cast<uint32_t>(prevLength + 1);
            nextCode++;
            if (codeSize < 12 && nextCode == (uint32_t{1} << codeSize)) {
                codeSize++;
            }
        }
        prevStart = start;
        prevLength = length;
    }
    return pos;
}

}  // namespace

size_t GifLzwDecode(const uint8_t* data,
                    size_t size,
                    unsigned minCodeSize,
                    uint8_t* out,
                    size_t outSize,
                    GifLzwEntry* table) {
    return Decode(FlatSource{data, size, 0}, minCodeSize, out, outSize, table);
}

size_t GifLzwDecodeSubBlocks(const uint8_t* chain,
                             uint64_t dataBytes,
                             unsigned minCodeSize,
                             uint8_t* out,
                             size_t outSize,
                             GifLzwEntry* table) {
    return Decode(ChainSource{chain, dataBytes, 0}, minCodeSize, out, outSize, table);
}
