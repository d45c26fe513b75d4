#include "app/crc32.h"

#include <array>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define PW_CRC32_CLMUL 1
#endif

namespace {
constexpr std::array<uint32_t, 256> MakeTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t i = 0; i < 256; ++i) {
        uint32_t c = i;
        for (int k = 0; k < 8; ++k) {
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        }
        table[i] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kTable = MakeTable();

// c is the running register (already inverted).
uint32_t TableUpdate(uint32_t c, const uint8_t* p, size_t length) {
    for (size_t i = 0; i < length; ++i) {
        c = kTable[(c ^ p[i]) & 0xFF] ^ (c >> 8);
    }
    return c;
}

#ifdef PW_CRC32_CLMUL
// Folding with carry-less multiplication (Gopal et al., "Fast CRC Computation
// for Generic Polynomials Using PCLMULQDQ Instruction", Intel 2009), in the
// bit-reflected domain of polynomial 0xEDB88320: four 128-bit lanes fold 64
// bytes a step, then fold to one lane, to 64 bits, and Barrett-reduce to 32.
// The table loop above defines the result; this gives the same value faster.
// length is a multiple of 16 and at least 64; c is the inverted register.
#define PW_CLMUL_TARGET __attribute__((target("pclmul,sse4.1")))

PW_CLMUL_TARGET inline __m128i Load(const uint8_t* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
}

// x times the two folding constants in k, plus the next 16 bytes.
PW_CLMUL_TARGET inline __m128i Fold(__m128i x, __m128i k, __m128i next) {
    __m128i lo = _mm_clmulepi64_si128(x, k, 0x00);
    __m128i hi = _mm_clmulepi64_si128(x, k, 0x11);
    return _mm_xor_si128(_mm_xor_si128(hi, lo), next);
}

PW_CLMUL_TARGET uint32_t ClmulUpdate(uint32_t c, const uint8_t* p, size_t length) {
    alignas(16) static const uint64_t kK1K2[2] = {0x0154442bd4ull, 0x01c6e41596ull};
    alignas(16) static const uint64_t kK3K4[2] = {0x01751997d0ull, 0x00ccaa009eull};
    alignas(16) static const uint64_t kK5K0[2] = {0x0163cd6124ull, 0};
    alignas(16) static const uint64_t kPoly[2] = {0x01db710641ull, 0x01f7011641ull};
    __m128i x1 = _mm_xor_si128(Load(p), _mm_cvtsi32_si128(static_cast<int>(c)));
    __m128i x2 = Load(p + 16);
    __m128i x3 = Load(p + 32);
    __m128i x4 = Load(p + 48);
    p += 64;
    length -= 64;
    __m128i k = _mm_load_si128(reinterpret_cast<const __m128i*>(kK1K2));
    while (length >= 64) {
        x1 = Fold(x1, k, Load(p));
        x2 = Fold(x2, k, Load(p + 16));
        x3 = Fold(x3, k, Load(p + 32));
        x4 = Fold(x4, k, Load(p + 48));
        p += 64;
        length -= 64;
    }
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(kK3K4));
    x1 = Fold(x1, k, x2);
    x1 = Fold(x1, k, x3);
    x1 = Fold(x1, k, x4);
    while (length >= 16) {
        x1 = Fold(x1, k, Load(p));
        p += 16;
        length -= 16;
    }
    // 128 bits to 64.
    __m128i x2b = _mm_clmulepi64_si128(x1, k, 0x10);
    const __m128i mask32 = _mm_setr_epi32(~0, 0, ~0, 0);
    x1 = _mm_xor_si128(_mm_srli_si128(x1, 8), x2b);
    k = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(kK5K0));
    x2b = _mm_srli_si128(x1, 4);
    x1 = _mm_and_si128(x1, mask32);
    x1 = _mm_xor_si128(_mm_clmulepi64_si128(x1, k, 0x00), x2b);
    // Barrett reduction to 32 bits.
    k = _mm_load_si128(reinterpret_cast<const __m128i*>(kPoly));
    x2b = _mm_and_si128(x1, mask32);
    x2b = _mm_clmulepi64_si128(x2b, k, 0x10);
    x2b = _mm_and_si128(x2b, mask32);
    x2b = _mm_clmulepi64_si128(x2b, k, 0x00);
    x1 = _mm_xor_si128(x1, x2b);
    return static_cast<uint32_t>(_mm_extract_epi32(x1, 1));
}

bool HasClmul() {
    static const bool has = __builtin_cpu_supports("pclmul") && __builtin_cpu_supports("sse4.1");
    return has;
}
#endif
}  // namespace

uint32_t Crc32Update(uint32_t crc, const void* bytes, size_t length) {
    const auto* p = static_cast<const uint8_t*>(bytes);
    uint32_t c = ~crc;
#ifdef PW_CRC32_CLMUL
    if (length >= 64 && HasClmul()) {
        size_t blocks = length & ~size_t{15};
        c = ClmulUpdate(c, p, blocks);
        p += blocks;
        length -= blocks;
    }
#endif
    return ~TableUpdate(c, p, length);
}

uint32_t Crc32(const void* bytes, size_t length) {
    return Crc32Update(0, bytes, length);
}
