#include "app/str_buf.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/heap.h"

namespace {

std::u16string Str(const StrBuf& s) {
    return std::u16string(s.Text(), s.length);
}

// The growth rule other code relies on: capacity in bytes, 128-byte steps.
TEST(StrBufTest, ReserveFollowsTheGrowthRule) {
    struct Case {
        const char* name;
        uint32_t first;
        uint32_t second;
        uint32_t capacityAfterFirst;
        uint32_t capacityAfterSecond;
    };
    static const Case kCases[] = {
        {"zero allocates 128", 0, 0, 128, 128},
        {"63 fits in 128", 63, 63, 128, 128},
        {"64 needs 130 and grows to 256", 63, 64, 128, 256},
        {"smaller request keeps the buffer", 200, 10, 512, 512},
        {"exact fit 127 needs 256", 127, 127, 256, 256},
    };
    for (const Case& c : kCases) {
        StrBuf s;
        ASSERT_NE(s.Reserve(c.first), nullptr) << c.name;
        EXPECT_EQ(s.capacity, c.capacityAfterFirst) << c.name;
        ASSERT_NE(s.Reserve(c.second), nullptr) << c.name;
        EXPECT_EQ(s.capacity, c.capacityAfterSecond) << c.name;
        EXPECT_GE(s.capacity, 2 * c.second + 2) << c.name;
    }
}

TEST(StrBufTest, GrowingZeroFillsTheAddedBytes) {
    StrBuf s;
    s.Assign(u"abc");
    ASSERT_NE(s.Reserve(300), nullptr);
    for (uint32_t i = s.length; i < s.capacity / 2; ++i) {
        ASSERT_EQ(s.buffer[i], 0) << "unit " << i;
    }
    EXPECT_EQ(Str(s), u"abc");
}

TEST(StrBufTest, NullBufferReadsAsEmpty) {
    StrBuf s;
    ASSERT_NE(s.Text(), nullptr);
    EXPECT_EQ(s.Text()[0], 0);
    s.Assign(nullptr);
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.SyncLength()[0], 0);
}

TEST(StrBufTest, AppendAssignAndChars) {
    StrBuf s;
    s.Assign(u"page");
    ASSERT_TRUE(s.Append(u"12345", 2));
    ASSERT_NE(s.AppendChar(u'!'), nullptr);
    EXPECT_EQ(Str(s), u"page12!");
    EXPECT_EQ(s.buffer[s.length], 0);
    s.Assign(u"x");
    EXPECT_EQ(Str(s), u"x");
    ASSERT_NE(s.ResetReserve(10), nullptr);
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.buffer[0], 0);
}

TEST(StrBufTest, AppendOfItsOwnTextIsSafe) {
    StrBuf s;
    s.Assign(u"abcdefghijklmnopqrstuvwxyz0123456789");
    // Growing moves the buffer: the source must be read before it is freed.
    StrBuf copy;
    copy.Assign(s.Text());
    ASSERT_TRUE(copy.Append(copy.buffer, copy.length));
    ASSERT_TRUE(copy.Append(copy.buffer, copy.length));
    EXPECT_EQ(copy.length, 4 * s.length);
}

TEST(StrBufTest, SyncLengthAfterOutsideWriter) {
    StrBuf s;
    ASSERT_NE(s.ResetReserve(20), nullptr);
    std::memcpy(s.buffer, u"hello", 10);
    EXPECT_EQ(std::u16string(s.SyncLength()), u"hello");
    EXPECT_EQ(s.length, 5u);
    // A writer that filled every unit still leaves a terminated text.
    for (uint32_t i = 0; i < s.capacity / 2; ++i) {
        s.buffer[i] = u'z';
    }
    s.SyncLength();
    EXPECT_EQ(s.length, s.capacity / 2 - 1);
    EXPECT_EQ(s.buffer[s.length], 0);
}

TEST(StrBufTest, FailedGrowKeepsTheOldText) {
    StrBuf s;
    s.Assign(u"keep me");
    AppHeapFailAfter(0);
    EXPECT_EQ(s.Reserve(1000), nullptr);
    EXPECT_FALSE(s.Append(u"0123456789012345678901234567890123456789012345678901234567890123456789", 70));
    AppHeapFailAfter(-1);
    EXPECT_EQ(Str(s), u"keep me");
    EXPECT_EQ(s.buffer[s.length], 0);
}

TEST(StrBufTest, FailedFirstAllocationLeavesItEmpty) {
    StrBuf s;
    AppHeapFailAfter(0);
    s.Assign(u"lost");
    AppHeapFailAfter(-1);
    EXPECT_EQ(s.buffer, nullptr);
    EXPECT_EQ(s.length, 0u);
    EXPECT_EQ(s.capacity, 0u);
    EXPECT_EQ(s.Text()[0], 0);
}

TEST(StrBufTest, MoveLeavesTheSourceEmpty) {
    StrBuf a;
    a.Assign(u"moved");
    StrBuf b(static_cast<StrBuf&&>(a));
    EXPECT_EQ(a.buffer, nullptr);
    EXPECT_EQ(a.length, 0u);
    EXPECT_EQ(Str(b), u"moved");
    a = static_cast<StrBuf&&>(b);
    EXPECT_EQ(Str(a), u"moved");
    a.Release();
    EXPECT_EQ(a.capacity, 0u);
}

}  // namespace
