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

// A table entry: the string's place relative to the output's start, shifted
// up by kLengthBits, and its length (1 to 4096) below. Roots lie in kRoots, so
// their places are negative; every longer string was written to the output.
constexpr unsigned kLengthBits = 13;
constexpr uint64_t kLengthMask = (uint64_t{1} << kLengthBits) - 1;

// Each root byte eight times over, so that a root is copied like any string.
constexpr struct Roots {
    uint8_t bytes[256 * 8];
    constexpr Roots() : bytes() {
        for (unsigned i = 0; i < 256 * 8; i++) {
            bytes[i] = static_cast<uint8_t>(i / 8);
        }
    }
} kRoots;

// No string is longer than the table has codes; with eight spare bytes beyond
// that, any string may be copied in whole 8-byte pieces.
constexpr size_t kFastRoom = kGifLzwTableSize + 8;

inline int64_t Place(intptr_t offset, size_t length) {
    return static_cast<int64_t>(static_cast<uint64_t>(offset) << kLengthBits | length);
}

inline const uint8_t* PlaceStart(const uint8_t* out, int64_t place) {
    return reinterpret_cast<const uint8_t*>(reinterpret_cast<intptr_t>(out) + (place >> kLengthBits));
}

inline void Copy8(uint8_t* to, const uint8_t* from) {
    uint8_t chunk[8];
    std::memcpy(chunk, from, 8);
    std::memcpy(to, chunk, 8);
}

// Copies n bytes of an earlier string from `from` to `to`, where the string
// ends at or before `to` (or lies in kRoots). With `room` bytes free from `to`
// on, it goes eight bytes at a time and may write up to seven bytes past its
// end: free output that later strings overwrite. Reads past the string's end
// only feed those spare bytes.
inline void CopyString(uint8_t* to, const uint8_t* from, size_t n, size_t room) {
    if (n > 32) {
        std::memcpy(to, from, n);
        return;
    }
    if (n + 7 <= room) {
        size_t i = 0;
        do {
            Copy8(to + i, from + i);
            i += 8;
        } while (i < n);
        return;
    }
    for (size_t i = 0; i < n; i++) {
        to[i] = from[i];
    }
}

// The string not yet in the table: the previous one (prevLength bytes at
// prevStart, ending right at `to`) and then its own first byte, `room` bytes
// being free from `to` on. Returns the bytes written (fewer when it does not fit).
inline size_t CopyPreviousPlusFirst(uint8_t* to, const uint8_t* prevStart, size_t prevLength, size_t room) {
    if (prevLength + 8 <= room) {
        // Chunks read bytes of the run being written only past prevLength; the
        // last byte is set after them.
        for (size_t i = 0; i < prevLength; i += 8) {
            Copy8(to + i, prevStart + i);
        }
        to[prevLength] = prevStart[0];
        return prevLength + 1;
    }
    const size_t n = prevLength + 1 < room ? prevLength + 1 : room;
    for (size_t i = 0; i < n; i++) {
        to[i] = prevStart[i];
    }
    return n;
}

// The decoding loop is shaped for noisy pages, where most codes are roots or
// short strings in no predictable order: roots sit in the table like any other
// string, so every defined code takes the same path (one table load, one 8-byte
// copy). Clear, end and not-yet-defined codes, and strings near the output's
// end, leave it for the careful path.
template <typename Source>
size_t Decode(Source source, unsigned minCodeSize, uint8_t* out, size_t outSize, GifLzwEntry* table) {
    if (minCodeSize < 2 || minCodeSize > 8) {
        return 0;
    }
    // Offsets share a word with lengths; an index buffer never comes near 4 GiB.
    if (outSize > UINT32_MAX) {
        outSize = UINT32_MAX;
    }
    const uint32_t clearCode = uint32_t{1} << minCodeSize;
    const uint32_t endCode = clearCode + 1;
    const intptr_t base = reinterpret_cast<intptr_t>(out);
    for (uint32_t c = 0; c < clearCode; c++) {
        table[c].place = Place(reinterpret_cast<intptr_t>(kRoots.bytes + size_t{c} * 8) - base, 1);
    }
    unsigned codeSize = minCodeSize + 1;
    uint32_t nextCode = endCode + 1;
    uint32_t widerAt = uint32_t{1} << codeSize;  // the code count that widens the codes

    CodeReader<Source> reader = {source, 0, 0};
    size_t pos = 0;
    int64_t prev = 0;  // the previous string's place in the output; 0 for none

    uint32_t code = 0;
    while (reader.Read(codeSize, &code)) {
        const size_t room = outSize - pos;
        size_t length;
        if (code < nextCode && code - clearCode > 1) {
            const int64_t place = table[code].place;
            length = static_cast<size_t>(place) & kLengthMask;
            const uint8_t* from = PlaceStart(out, place);
            if (room >= kFastRoom) {
                if (length <= 8) {
                    Copy8(out + pos, from);
                } else {
                    CopyString(out + pos, from, length, room);
                }
            } else {
                const size_t n = length < room ? length : room;
                CopyString(out + pos, from, n, room);
                if (n < length) {
                    return pos + n;
                }
            }
        } else if (code == clearCode) {
            codeSize = minCodeSize + 1;
            widerAt = uint32_t{1} << codeSize;
            nextCode = endCode + 1;
            prev = 0;
            continue;
        } else if (code == nextCode && prev != 0) {
            // Not yet defined: the previous string followed by its own first
            // byte, which is a run of prevLength + 1 bytes starting where the
            // previous string starts, since that one ends right here.
            const size_t prevLength = static_cast<size_t>(prev) & kLengthMask;
            length = prevLength + 1;
            const size_t n = CopyPreviousPlusFirst(out + pos, PlaceStart(out, prev), prevLength, room);
            if (n < length) {
                return pos + n;
            }
        } else {
            return pos;  // the end code, or a code not defined yet
        }

        // The new entry (previous string plus this one's first byte) is the
        // previous run extended by one byte. Right after a clear code only roots
        // are defined, and the first one adds nothing.
        if (prev != 0 && nextCode < kGifLzwTableSize) {
            table[nextCode].place = prev + 1;
            nextCode++;
            if (nextCode == widerAt && codeSize < 12) {
                codeSize++;
                widerAt <<= 1;
            }
        }
        prev = Place(static_cast<intptr_t>(pos), length);
        pos += length;
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
