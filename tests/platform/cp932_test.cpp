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

namespace vobe {
namespace {

TEST(Cp932, CaseMapping) {
    struct Case {
        const char* utf8;
        const char* upper;
        const char* lower;
    } cases[] = {
        {"abcXYZ09_", "ABCXYZ09_", "abcxyz09_"},
        {"ａｚＡＺ", "ＡＺＡＺ", "ａｚａｚ"},
        {"αΩ", "ΑΩ", "αω"},
        {"яАоН", "ЯАОН", "яаон"},
        {"表示a", "表示A", "表示a"}, // 0x5C trail byte of 表 is not a letter; kanji untouched
    };
    for (const auto& c : cases) {
        EXPECT_EQ(AnsiUpperCase(SJ(c.utf8)), SJ(c.upper)) << c.utf8;
        EXPECT_EQ(AnsiLowerCase(SJ(c.utf8)), SJ(c.lower)) << c.utf8;
    }
    // A trail byte in the ASCII letter range stays as it is ("ア" is 0x83 0x41).
    EXPECT_EQ(AnsiLowerCase("\x83\x41"), "\x83\x41");
    EXPECT_TRUE(AnsiSameText("Label", "LABEL"));
    EXPECT_FALSE(AnsiSameText("a@", "A`"));
    EXPECT_TRUE(AnsiSameText(SJ("ｘ変数"), SJ("Ｘ変数")));
    EXPECT_FALSE(AnsiSameText("\\", "/"));
}

} // namespace
} // namespace vobe
