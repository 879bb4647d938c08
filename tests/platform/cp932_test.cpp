#include "platform/cp932.h"

#include <gtest/gtest.h>

namespace vobe {
namespace {

TEST(Cp932, RoundTripsAndBackslash) {
    struct Case {
        const char* utf8;
        const char* sjis;
    } cases[] = {
        {"abc", "abc"},
        {"\\", "\\"},                       // 0x5C stays a backslash, never a yen sign
        {"表", "\x95\x5C"},                 // trail byte 0x5C
        {"ｱ", "\xB1"},                      // half-width katakana
        {"①", "\x87\x40"},                  // NEC special character
        {"動作設定", "\x93\xAE\x8D\xEC\x90\xDD\x92\xE8"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Utf8ToSjis(c.utf8), c.sjis) << c.utf8;
        EXPECT_EQ(SjisToUtf8(c.sjis), c.utf8) << c.utf8;
    }
}

TEST(Cp932, StrictAndLenientFailures) {
    std::string out;
    EXPECT_FALSE(TryUtf8ToSjis("\xF0\x9F\x98\x80", out)); // an emoji has no CP932 form
    EXPECT_EQ(Utf8ToSjis("a\xF0\x9F\x98\x80z"), "a?z");
    EXPECT_FALSE(TrySjisToUtf8("\x81", out)); // a lone lead byte
    EXPECT_EQ(SjisToUtf8("a\x81"), "a\xEF\xBF\xBD");
}

} // namespace
} // namespace vobe
