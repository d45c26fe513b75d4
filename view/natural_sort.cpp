#include "view/natural_sort.h"

namespace {

// Weight bands, low to high. Digit runs are handled before weights and sort
// before every band.
constexpr uint32_t kBandControl = 0x00080;
constexpr uint32_t kBandPunct = 0x00100;
constexpr uint32_t kBandSymbol = 0x00200;
constexpr uint32_t kBandLatin = 0x10000;
constexpr uint32_t kBandGreek = 0x20000;
constexpr uint32_t kBandCyrillic = 0x30000;
constexpr uint32_t kBandOther = 0x100000;
// Room for the variants of one base letter (rank 0 is the plain letter).
constexpr uint32_t kRanksPerLetter = 0x40;

// ASCII punctuation and space in collation order.
constexpr char16_t kPunctOrder[] = u"'- !\"#$%&()*,./:;?@[\\]^_`{|}~+<=>";

// Lowercase Latin-1 letters U+00DF..U+00FF: base letter and rank after it (0 for
// U+00F7, the division sign).
struct LatinVariant {
    char base;
    uint8_t rank;
};
constexpr LatinVariant kLatin1Lower[] = {
    {'s', 1},                                                              // DF sharp s
    {'a', 3}, {'a', 2}, {'a', 4}, {'a', 6}, {'a', 5}, {'a', 7}, {'a', 8},  // E0..E6
    {'c', 1},                                                              // E7
    {'e', 2}, {'e', 1}, {'e', 3}, {'e', 4},                                // E8..EB
    {'i', 2}, {'i', 1}, {'i', 3}, {'i', 4},                                // EC..EF
    {'d', 1}, {'n', 1},                                                    // F0 eth, F1
    {'o', 3}, {'o', 2}, {'o', 4}, {'o', 6}, {'o', 5},                      // F2..F6
    {0, 0},                                                                // F7
    {'o', 7},                                                              // F8
    {'u', 2}, {'u', 1}, {'u', 3}, {'u', 4},                                // F9..FC
    {'y', 1}, {'t', 1}, {'y', 2},                                          // FD, FE thorn, FF
};

// Extra Cyrillic lowercase letters U+0450..U+045F: base letter and rank.
struct CyrillicVariant {
    char16_t base;
    uint8_t rank;
};
constexpr CyrillicVariant kCyrillicExtra[] = {
    {u'е', 1}, {u'е', 2}, {u'д', 1}, {u'г', 1}, {u'е', 3}, {u'з', 1}, {u'й', 1}, {u'й', 2},
    {u'й', 3}, {u'л', 1}, {u'н', 1}, {u'т', 1}, {u'к', 1}, {u'и', 1}, {u'у', 1}, {u'ч', 1},
};

bool IsDigit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

uint32_t LatinWeight(char base, uint32_t rank) {
    return kBandLatin + static_cast<uint32_t>(base - 'a') * kRanksPerLetter + rank;
}

uint32_t GreekWeight(char16_t c) {
    // Accented letters: base and rank; uppercase forms first fold to lowercase.
    struct Accented {
        char16_t letter;
        char16_t base;
        uint8_t rank;
    };
    static constexpr Accented kAccented[] = {
        {u'ά', u'α', 1}, {u'έ', u'ε', 1}, {u'ή', u'η', 1}, {u'ί', u'ι', 1}, {u'ϊ', u'ι', 2}, {u'ΐ', u'ι', 3},
        {u'ό', u'ο', 1}, {u'ύ', u'υ', 1}, {u'ϋ', u'υ', 2}, {u'ΰ', u'υ', 3}, {u'ώ', u'ω', 1},
    };
    switch (c) {
        case u'Ά':
            c = u'ά';
            break;
        case u'Έ':
            c = u'έ';
            break;
        case u'Ή':
            c = u'ή';
            break;
        case u'Ί':
            c = u'ί';
            break;
        case u'Ό':
            c = u'ό';
            break;
        case u'Ύ':
            c = u'ύ';
            break;
        case u'Ώ':
            c = u'ώ';
            break;
        case u'Ϊ':
            c = u'ϊ';
            break;
        case u'Ϋ':
            c = u'ϋ';
            break;
        case u'ς':
            c = u'σ';
            break;
        default:
            if (c >= u'Α' && c <= u'Ω') {
                c = static_cast<char16_t>(c + 0x20);
            }
            break;
    }
    if (c >= u'α' && c <= u'ω') {
        return kBandGreek + static_cast<uint32_t>(c - u'α') * kRanksPerLetter;
    }
    for (const Accented& a : kAccented) {
        if (a.letter == c) {
            return kBandGreek + static_cast<uint32_t>(a.base - u'α') * kRanksPerLetter + a.rank;
        }
    }
    return 0;
}

uint32_t CyrillicWeight(char16_t c) {
    if (c >= 0x400 && c <= 0x40F) {
        c = static_cast<char16_t>(c + 0x50);
    } else if (c >= 0x410 && c <= 0x42F) {
        c = static_cast<char16_t>(c + 0x20);
    }
    if (c >= 0x430 && c <= 0x44F) {
        return kBandCyrillic + static_cast<uint32_t>(c - 0x430) * kRanksPerLetter;
    }
    if (c >= 0x450 && c <= 0x45F) {
        const CyrillicVariant& v = kCyrillicExtra[c - 0x450];
        return kBandCyrillic + static_cast<uint32_t>(v.base - 0x430) * kRanksPerLetter + v.rank;
    }
    return 0;
}

// Latin Extended-A case pairs, folded to the lowercase member.
char16_t FoldLatinExtendedA(char16_t c) {
    if ((c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177)) {
        return static_cast<char16_t>(c | 1);
    }
    if ((c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E)) {
        return (c & 1) != 0 ? static_cast<char16_t>(c + 1) : c;
    }
    return c;
}

struct AsciiWeights {
    uint32_t w[128];
};

constexpr AsciiWeights MakeAsciiWeights() {
    AsciiWeights t{};
    for (uint32_t c = 0; c < 128; ++c) {
        t.w[c] = kBandControl + c;
    }
    for (uint32_t i = 0; kPunctOrder[i] != 0; ++i) {
        t.w[kPunctOrder[i]] = kBandPunct + 2 * i;
    }
    for (uint32_t c = 'a'; c <= 'z'; ++c) {
        t.w[c] = kBandLatin + (c - 'a') * kRanksPerLetter;
        t.w[c - 'a' + 'A'] = t.w[c];
    }
    return t;
}

// Most names are ASCII: their weights come from one table.
constexpr AsciiWeights kAscii = MakeAsciiWeights();

uint32_t Weight(char16_t c) {
    if (c < 0x80) {
        return kAscii.w[c];
    }
    if (c < 0x100) {
        if (c == 0xA0) {
            return kBandPunct + 2 * 2 + 1;  // no-break space, right after space
        }
        if (c == 0xAA) {
            return LatinWeight('a', 1);  // feminine ordinal
        }
        if (c == 0xBA) {
            return LatinWeight('o', 1);  // masculine ordinal
        }
        if (c >= 0xC0 && c <= 0xDE && c != 0xD7) {
            c = static_cast<char16_t>(c + 0x20);
        }
        if (c >= 0xDF) {
            const LatinVariant& v = kLatin1Lower[c - 0xDF];
            if (v.base != 0) {
                return LatinWeight(v.base, v.rank);
            }
        }
        return kBandSymbol + c;
    }
    if (c == 0x178) {
        return LatinWeight('y', 2);  // uppercase of y with diaeresis
    }
    if (c >= 0x386 && c <= 0x3CE) {
        uint32_t w = GreekWeight(c);
        if (w != 0) {
            return w;
        }
    }
    if (c >= 0x400 && c <= 0x45F) {
        return CyrillicWeight(c);
    }
    if (c >= 0x100 && c <= 0x17F) {
        c = FoldLatinExtendedA(c);
    }
    return kBandOther + c;
}

// Compares the digit runs starting at *a and *b by value and moves both past
// their runs. Leading zeros carry no value, so "007" equals "7".
int CompareDigitRuns(const char16_t** a, const char16_t** b) {
    const char16_t* pa = *a;
    const char16_t* pb = *b;
    while (*pa == u'0') {
        ++pa;
    }
    while (*pb == u'0') {
        ++pb;
    }
    const char16_t* ea = pa;
    const char16_t* eb = pb;
    while (IsDigit(*ea)) {
        ++ea;
    }
    while (IsDigit(*eb)) {
        ++eb;
    }
    *a = ea;
    *b = eb;
    // More significant digits is the larger number, whatever the run's length.
    if (ea - pa != eb - pb) {
        return ea - pa < eb - pb ? -1 : 1;
    }
    for (; pa < ea; ++pa, ++pb) {
        if (*pa != *pb) {
            return *pa < *pb ? -1 : 1;
        }
    }
    return 0;
}

}  // namespace

int NaturalCompare(const char16_t* a, const char16_t* b) {
    if (a == nullptr) {
        a = u"";
    }
    if (b == nullptr) {
        b = u"";
    }
    for (;;) {
        if (*a == 0 || *b == 0) {
            return *a == 0 ? (*b == 0 ? 0 : -1) : 1;
        }
        bool da = IsDigit(*a);
        bool db = IsDigit(*b);
        if (da && db) {
            int r = CompareDigitRuns(&a, &b);
            if (r != 0) {
                return r;
            }
            continue;
        }
        if (da != db) {
            return da ? -1 : 1;
        }
        uint32_t wa = Weight(*a);
        uint32_t wb = Weight(*b);
        if (wa != wb) {
            return wa < wb ? -1 : 1;
        }
        ++a;
        ++b;
    }
}
