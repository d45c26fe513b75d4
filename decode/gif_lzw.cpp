#include "decode/gif_lzw.h"

#include <cstring>

namespace {

// Eight bytes, least significant first.
inline uint64_t Load64(const uint8_t* p) {
    uint64_t w = 0;
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
    std::memcpy(&w, p, 8);
#else
    for (int i = 7; i >= 0; --i) {
        w = w << 8 | p[i];
    }
#endif
    return w;
}

// Where the bit buffer takes its bytes. Refill tops it up to at least 56 bits,
// or to what is left. While eight bytes lie ahead it loads them as one word:
// the whole bytes it takes are counted, and the bits of a partly taken byte
// above them are the true bits of that byte, so loading it again later changes
// nothing.

// Bytes of one contiguous buffer.
struct FlatSource {
    const uint8_t* data;
    size_t size;
    size_t pos;

    void Refill(uint64_t* bits, unsigned* count) {
        if (size - pos >= 8) {
            *bits |= Load64(data + pos) << *count;
            pos += (63 - *count) >> 3;
            *count |= 56;
            return;
        }
        while (*count <= 56 && pos < size) {
            *bits |= uint64_t{data[pos++]} << *count;
            *count += 8;
        }
    }
};

// Bytes of a chain of data sub-blocks read where they lie: `left` data bytes in
// all, whose sub-blocks the caller has checked; the size bytes are skipped.
struct ChainSource {
    const uint8_t* p;
    uint64_t left;
    uint32_t inBlock;

    void Refill(uint64_t* bits, unsigned* count) {
        if (inBlock >= 8 && left >= 8) {
            *bits |= Load64(p) << *count;
            const unsigned taken = (63 - *count) >> 3;
            p += taken;
            inBlock -= taken;
            left -= taken;
            *count |= 56;
            return;
        }
        while (*count <= 56 && left > 0) {
            if (inBlock == 0) {
                inBlock = *p++;
            }
            *bits |= uint64_t{*p++} << *count;
            inBlock--;
            left--;
            *count += 8;
        }
    }
};

// Reads codes of a growing width, least significant bit first.
template <typename Source>
struct CodeReader {
    Source src;
    uint64_t bits;
    unsigned count;

    bool Read(unsigned width, uint32_t* code) {
        if (count < width) {
            src.Refill(&bits, &count);
            if (count < width) {
                return false;
            }
        }
        *code = static_cast<uint32_t>(bits & ((uint64_t{1} << width) - 1));
        bits >>= width;
        count -= width;
        return true;
    }
};

// Copies the string of n bytes at `from` to `to` in the output, where every
// byte of it lies before `to` (from + n <= to). With `room` bytes free from
// `to` on, short strings go eight bytes at a time and may write up to seven
// bytes past their end; those bytes are free output that later strings
// overwrite. Reads past the string's end only feed those spare bytes.
inline void CopyString(uint8_t* out, size_t to, size_t from, size_t n, size_t room) {
    if (n >= 32) {
        std::memcpy(out + to, out + from, n);
        return;
    }
    if (n + 7 <= room) {
        for (size_t i = 0; i < n; i += 8) {
            uint8_t chunk[8];
            std::memcpy(chunk, out + from + i, 8);
            std::memcpy(out + to + i, chunk, 8);
        }
        return;
    }
    for (size_t i = 0; i < n; i++) {
        out[to + i] = out[from + i];
    }
}

// The string not yet in the table: the previous one (prevLength bytes at
// prevStart, ending right at `to`) and then its own first byte.
inline void CopyPreviousPlusFirst(uint8_t* out, size_t to, size_t prevStart, size_t prevLength, size_t room) {
    if (prevLength + 8 <= room) {
        // Chunks read bytes of the run being written only past prevLength; the
        // last byte is set after them.
        for (size_t i = 0; i < prevLength; i += 8) {
            uint8_t chunk[8];
            std::memcpy(chunk, out + prevStart + i, 8);
            std::memcpy(out + to + i, chunk, 8);
        }
        out[to + prevLength] = out[prevStart];
        return;
    }
    for (size_t i = 0; i <= prevLength; i++) {
        out[to + i] = out[prevStart + i];
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
    uint32_t widerAt = uint32_t{1} << codeSize;  // the code count that widens the codes

    CodeReader<Source> reader = {source, 0, 0};
    size_t pos = 0;
    bool havePrev = false;  // false at the start and after a clear code
    size_t prevStart = 0;   // where the previous code's string lies in the output
    size_t prevLength = 0;

    uint32_t code = 0;
    while (reader.Read(codeSize, &code)) {
        const size_t start = pos;
        size_t length = 1;
        if (code < clearCode) {
            if (pos >= outSize) {
                break;
            }
            out[pos++] = static_cast<uint8_t>(code);
        } else if (code > endCode && havePrev) {
            const size_t room = outSize - pos;
            if (code < nextCode) {
                length = table[code].length;
                const size_t n = length < room ? length : room;
                CopyString(out, pos, table[code].start, n, room);
                pos += n;
            } else {
                // Not yet defined: the previous string followed by its own first
                // byte, which is a run of prevLength + 1 bytes starting at prevStart
                // because the previous string ends right where this one begins.
                length = prevLength + 1;
                if (length <= room) {
                    CopyPreviousPlusFirst(out, pos, prevStart, prevLength, room);
                    pos += length;
                } else {
                    CopyString(out, pos, prevStart, room, room);
                    pos += room;
                }
            }
            if (pos - start < length) {
                break;
            }
        } else if (code == clearCode) {
            codeSize = minCodeSize + 1;
            widerAt = uint32_t{1} << codeSize;
            nextCode = endCode + 1;
            havePrev = false;
            continue;
        } else {
            break;  // the end code, or a string code with no string before it
        }

        // The new string (previous string plus this string's first byte) is the
        // previous run extended by one byte: it lies contiguously in the output.
        if (havePrev && nextCode < kGifLzwTableSize) {
            table[nextCode].start = static_cast<uint32_t>(prevStart);
            table[nextCode].length = static_cast<uint32_t>(prevLength + 1);
            nextCode++;
            if (nextCode == widerAt && codeSize < 12) {
                codeSize++;
                widerAt <<= 1;
            }
        }
        havePrev = true;
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
