#include "app/text.h"

#include <gtest/gtest.h>

#include <string>

#include "app/os_level.h"

namespace {

TEST(TextTest, EqualsNoCaseFoldsAsciiLettersOnly) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool equal;
    };
    static const Case kCases[] = {
        {u"A.JPG", u"a.jpg", true}, {u"[", u"{", false},  // differ by 32 like letters, but are not letters
        {u"@", u"`", false},        {u"\u00C4", u"\u00E4", false},  // no folding outside ASCII
        {u"abc", u"abcd", false},   {u"", u"", true},
        {nullptr, u"", true},       {u"Z", u"z", true},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(EqualsNoCase(c.a, c.b), c.equal) << "case #" << (&c - kCases);
        EXPECT_EQ(EqualsNoCase(c.b, c.a), c.equal) << "swapped case #" << (&c - kCases);
    }
    EXPECT_FALSE(EqualsNoCaseN(u"ab", 2, u"abc", 3));
    EXPECT_TRUE(EqualsNoCaseN(u"AbX", 2, u"aBy", 2));
}

TEST(TextTest, FormatDecimal) {
    struct Case {
        int32_t value;
        const char16_t* want;
    };
    static const Case kCases[] = {
        {0, u"0"},
        {7, u"7"},
        {-7, u"-7"},
        {1000, u"1000"},
        {INT32_MAX, u"2147483647"},
        {INT32_MIN, u"-2147483648"},
    };
    for (const Case& c : kCases) {
        char16_t out[12];
        uint32_t n = FormatDecimal(out, c.value);
        EXPECT_EQ(std::u16string(out), c.want) << c.value;
        EXPECT_EQ(n, std::u16string(c.want).size()) << c.value;
    }
}

TEST(TextTest, OsLevelFromVersion) {
    struct Case {
        uint32_t major;
        uint32_t minor;
        int level;
    };
    static const Case kCases[] = {
        {4, 10, 0}, {5, 0, 0}, {5, 1, 1}, {5, 2, 1}, {6, 0, 2},
        {6, 1, 3},  {6, 2, 4}, {6, 3, 5}, {6, 4, 5}, {10, 0, 5},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(OsLevelFromVersion(c.major, c.minor), c.level) << c.major << "." << c.minor;
    }
}

}  // namespace

#include "app/crc32.h"

namespace {

TEST(Crc32Test, KnownValues) {
    struct Case {
        const char* text;
        uint32_t crc;
    };
    static const Case kCases[] = {
        {"", 0x00000000u},
        {"a", 0xE8B7BE43u},
        {"123456789", 0xCBF43926u},
        {"The quick brown fox jumps over the lazy dog", 0x414FA339u},
    };
    for (const Case& c : kCases) {
        EXPECT_EQ(Crc32(c.text, std::char_traits<char>::length(c.text)), c.crc) << c.text;
    }
    // Feeding in pieces gives the same result as one call.
    uint32_t crc = Crc32Update(0, "1234", 4);
    EXPECT_EQ(Crc32Update(crc, "56789", 5), 0xCBF43926u);
}

}  // namespace
