#include "archive/stream.h"

#include <cmath>
#include <cstring>
#include <limits>

#include <gtest/gtest.h>

#include "platform/cp932.h"

namespace vobe {
namespace {

TEST(StreamPrimitives, LittleEndianLayout) {
    TMemoryStream s;
    WriteInt32(s, -2);
    WriteByte(s, 0xAB);
    WriteBool(s, true);
    WriteStr(s, "ab");
    WriteStr(s, "");
    const uint8_t expected[] = {0xFE, 0xFF, 0xFF, 0xFF, 0xAB, 0x01, 2, 0, 0, 0, 'a', 'b', 0, 0, 0, 0};
    ASSERT_EQ(s.GetSize(), static_cast<int64_t>(sizeof(expected)));
    EXPECT_EQ(0, std::memcmp(s.Memory(), expected, sizeof(expected)));

    s.SetPosition(0);
    EXPECT_EQ(ReadInt32(s), -2);
    EXPECT_EQ(ReadByte(s), 0xAB);
    EXPECT_TRUE(ReadBool(s));
    EXPECT_EQ(ReadStr(s), "ab");
    EXPECT_EQ(ReadStr(s), "");
    EXPECT_THROW(ReadByte(s), EStreamError);
}

TEST(StreamPrimitives, NegativeStringLengthIsEmpty) {
    TMemoryStream s;
    WriteInt32(s, -7);
    WriteByte(s, 9);
    s.SetPosition(0);
    EXPECT_EQ(ReadStr(s), "");
    EXPECT_EQ(ReadByte(s), 9);
}

TEST(StreamPrimitives, StringLongerThanStreamIsRefused) {
    TMemoryStream s;
    WriteInt32(s, 0x7FFFFFFF);
    WriteStr(s, "xyz");
    s.SetPosition(0);
    EXPECT_THROW(ReadStr(s), EStreamError);
}

TEST(StreamPrimitives, ExtendedKnownEncodings) {
    struct Case {
        long double v;
        uint8_t bytes[10];
    } cases[] = {
        {1.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFF, 0x3F}},
        {-2.0L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0x00, 0xC0}},
        {0.5L, {0, 0, 0, 0, 0, 0, 0, 0x80, 0xFE, 0x3F}},
        {0.0L, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0}},
        {3.0L, {0, 0, 0, 0, 0, 0, 0, 0xC0, 0x00, 0x40}},
    };
    for (const auto& c : cases) {
        uint8_t fast[10], portable[10];
        EncodeExtended(c.v, fast);
        EncodeExtendedPortable(c.v, portable);
        EXPECT_EQ(0, std::memcmp(fast, c.bytes, 10)) << static_cast<double>(c.v);
        EXPECT_EQ(0, std::memcmp(portable, c.bytes, 10)) << static_cast<double>(c.v);
        EXPECT_EQ(DecodeExtended(c.bytes), c.v);
        EXPECT_EQ(DecodeExtendedPortable(c.bytes), c.v);
    }
}

TEST(StreamPrimitives, ExtendedPortableMatchesNativeRoundTrip) {
    const long double values[] = {3.14159265358979323846L, -1e-4950L, 1e4931L, 1e-300L,
                                  std::numeric_limits<long double>::denorm_min(),
                                  std::numeric_limits<long double>::infinity(), -0.0L, 123456789.125L};
    for (long double v : values) {
        uint8_t a[10], b[10];
        EncodeExtended(v, a);
        EncodeExtendedPortable(v, b);
        EXPECT_EQ(0, std::memcmp(a, b, 10)) << static_cast<double>(v);
        EXPECT_EQ(DecodeExtendedPortable(a), v);
    }
    uint8_t nan[10];
    EncodeExtendedPortable(NAN, nan);
    EXPECT_TRUE(std::isnan(DecodeExtendedPortable(nan)));
}

TEST(StreamPrimitives, JapaneseStringsStayBytes) {
    TMemoryStream s;
    std::string text = SJ("終了");
    ASSERT_EQ(text, "\x8F\x49\x97\xB9");
    WriteStr(s, text);
    s.SetPosition(0);
    EXPECT_EQ(ReadStr(s), text);
}

} // namespace
} // namespace vobe
