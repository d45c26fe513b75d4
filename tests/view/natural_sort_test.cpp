// The natural order of page names. The same tables run against the portable
// NaturalCompare and against LogicalCompare, which is the platform's
// StrCmpLogicalW in the Windows build: run under Wine, they show that the native
// build's order is the program's.
#include <gtest/gtest.h>

#include <string>

#include "tests/support/book_fixture.h"
#include "view/natural_sort.h"

namespace {

int Sign(int v) {
    return v < 0 ? -1 : (v > 0 ? 1 : 0);
}

struct PairCase {
    const char* what;
    const char16_t* a;
    const char16_t* b;
    int want;  // sign of compare(a, b)
};

// Pairs on which both comparisons must give the same answer.
const PairCase kAgreed[] = {
    {"digit runs by value", u"p2.jpg", u"p10.jpg", -1},
    {"case ignored before a number", u"P1.JPG", u"p2.jpg", -1},
    {"folder numbers", u"ch2\\01.jpg", u"ch10\\01.jpg", -1},
    {"case only", u"a", u"A", 0},
    {"case only, whole name", u"Page1.JPG", u"page1.jpg", 0},
    {"jpeg before jpg", u"x.jpeg", u"x.jpg", -1},
    {"leading zero is no value", u"01", u"1", 0},
    {"two leading zeros", u"001", u"01", 0},
    {"zero runs", u"0", u"00", 0},
    {"zero runs after a letter", u"a0", u"a00", 0},
    {"equal values go on to the rest", u"a01b", u"a1c", -1},
    {"equal values go on, reversed", u"a1c", u"a01b", 1},
    {"padded 7 before 10", u"p007.jpg", u"p10.jpg", -1},
    {"padded 10 after 9", u"p010.jpg", u"p9.jpg", 1},
    {"many zeros then 1", u"0000000000000000000000000001", u"2", -1},
    {"20 digits against 21", u"99999999999999999999", u"100000000000000000000", -1},
    {"23 digits, last differs", u"12345678901234567890123", u"12345678901234567890124", -1},
    {"past 32 bits", u"4294967296", u"4294967295", 1},
    {"past 31 bits", u"3000000000", u"2999999999", 1},
    {"11 digits", u"12345678901", u"12345678900", 1},
    {"letters around numbers", u"a2b", u"a10a", -1},
    {"second number decides", u"x1y2", u"x1y10", -1},
    {"version numbers", u"v1.2", u"v1.10", -1},
    {"decimal-looking", u"1.5", u"1.10", -1},
    {"volume then chapter", u"vol2ch10", u"vol10ch2", -1},
    {"third number decides", u"a1b2c3", u"a1b2c10", -1},
    {"letter after number", u"b", u"a10", 1},
    {"digit before letter", u"1", u"a", -1},
    {"digit before dot", u"a1.jpg", u"a.jpg", -1},
    {"digit before space", u"x1.jpg", u"x 2.jpg", -1},
    {"digit before hyphen", u"a1", u"a-1", -1},
    {"hyphen counts", u"a-b", u"ab", -1},
    {"punctuation before letters", u"_", u"a", -1},
    {"empty first", u"", u"a", -1},
    {"prefix first", u"a", u"a1", -1},
    {"accented capital", u"\u00c9", u"\u00e9", 0},
    {"umlaut capital", u"\u00c4", u"\u00e4", 0},
    {"numbers after an umlaut", u"\u00e41", u"\u00e410", -1},
    {"e acute before f", u"\u00e9", u"f", -1},
    {"e acute after e", u"\u00e9", u"e", 1},
    {"z after e acute", u"z", u"\u00e9", 1},
    {"accent decides at its place", u"ez", u"\u00e9a", -1},
    {"accent before the number", u"\u00e91", u"e2", 1},
    {"accented names with numbers", u"caf\u00e92.jpg", u"Caf\u00e910.jpg", -1},
    {"n tilde after n", u"\u00f1", u"n", 1},
    {"n tilde before o", u"\u00f1", u"o", -1},
    {"sharp s after s", u"\u00df", u"ss", 1},
    {"sharp s before t", u"\u00df", u"t", -1},
    {"Cyrillic case and numbers", u"\u0413\u043b\u0430\u0432\u04302", u"\u0433\u043b\u0430\u0432\u043010",
     -1},
    {"Cyrillic ya after a", u"\u042f", u"\u0430", 1},
    {"Cyrillic yo after ye", u"\u0451", u"\u0435", 1},
    {"Cyrillic yo decides first", u"\u0451\u0430", u"\u0435\u0431", 1},
    {"Cyrillic capital yo", u"\u0401\u043b\u043a\u0430", u"\u0435\u043b\u044c", 1},
    {"Greek case", u"\u03c9", u"\u03a9", 0},
    {"Greek sigma forms", u"\u03a3", u"\u03c2", 0},
    {"Greek tonos after its letter", u"\u03ac\u03b1", u"\u03b1\u03b2", 1},
    {"ideographs with numbers", u"\u7b2c2\u8a71", u"\u7b2c10\u8a71", -1},
    {"kana with numbers", u"\u3042\u30602", u"\u3042\u306010", -1},
};

// Ascending: every earlier name sorts before every later one.
const char16_t* const kLadder[] = {
    u"0",   u"1",      u"2",      u"10",     u"100",    u"a",      u"a1",     u"a2",
    u"a10", u"a-1",    u"a b",    u"a.jpg",  u"a_",     u"ab",     u"\u00e1", u"b",
    u"e",   u"\u00e9", u"\u00e8", u"\u00ea", u"\u00eb", u"f",      u"s",      u"\u00df",
    u"t",   u"z",      u"\u03b1", u"\u03c9", u"\u0430", u"\u0435", u"\u0451", u"\u044f",
};

void CheckPairs(const char* which, int (*compare)(const char16_t*, const char16_t*)) {
    for (const PairCase& c : kAgreed) {
        EXPECT_EQ(Sign(compare(c.a, c.b)), c.want)
            << which << ": " << c.what << " (" << Narrow(c.a) << " vs " << Narrow(c.b) << ")";
        EXPECT_EQ(Sign(compare(c.b, c.a)), -c.want)
            << which << ", swapped: " << c.what << " (" << Narrow(c.b) << " vs " << Narrow(c.a) << ")";
    }
}

void CheckLadder(const char* which, int (*compare)(const char16_t*, const char16_t*)) {
    const size_t n = sizeof kLadder / sizeof kLadder[0];
    for (size_t i = 0; i < n; ++i) {
        for (size_t j = i + 1; j < n; ++j) {
            EXPECT_LT(compare(kLadder[i], kLadder[j]), 0)
                << which << ": " << Narrow(kLadder[i]) << " before " << Narrow(kLadder[j]);
        }
    }
}

TEST(NaturalSortTest, PortableOrderOnTheTable) {
    CheckPairs("NaturalCompare", NaturalCompare);
    CheckLadder("NaturalCompare", NaturalCompare);
}

// In the Windows build this is StrCmpLogicalW: the same table, the same answers.
TEST(NaturalSortTest, PlatformOrderOnTheSameTable) {
    CheckPairs("LogicalCompare", LogicalCompare);
    CheckLadder("LogicalCompare", LogicalCompare);
}

// Cases the portable order settles on its own (Wine's StrCmpLogicalW answers
// the first one the wrong way round, so it is not part of the shared table).
TEST(NaturalSortTest, PortableOrderOwnCases) {
    static const PairCase kCases[] = {
        {"across 2^31", u"2147483647", u"2147483648", -1},
        {"60 digits", u"100000000000000000000000000000000000000000000000000000000000",
         u"99999999999999999999999999999999999999999999999999999999999", 1},
        {"null reads as empty", nullptr, u"", 0},
        {"null before text", nullptr, u"a", -1},
        {"latin extended case", u"\u0141", u"\u0142", 0},
    };
    for (const PairCase& c : kCases) {
        EXPECT_EQ(Sign(NaturalCompare(c.a, c.b)), c.want) << c.what;
        EXPECT_EQ(Sign(NaturalCompare(c.b, c.a)), -c.want) << c.what << ", swapped";
    }
}

}  // namespace
