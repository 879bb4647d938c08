#include "values/sjis_text.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {
namespace {

TEST(SjisText, CountingAndPositions) {
    const std::string mixed = SJ("aあbい"); // a, 2 bytes, b, 2 bytes
    EXPECT_EQ(CharLength(""), 0);
    EXPECT_EQ(CharLength(mixed), 4);
    EXPECT_EQ(CharLength("\xB6\xB7"), 2); // half-width katakana are single bytes
    EXPECT_EQ(CharLength("ab\x82"), 3);   // a lone lead byte at the end is a character
    EXPECT_EQ(CharPos(mixed, 0), 1);
    EXPECT_EQ(CharPos(mixed, 3), 4);
    EXPECT_EQ(CharPos(mixed, 4), 5);
    EXPECT_EQ(CharPos(mixed, 9), 7);
    EXPECT_EQ(CharPos("a\x82", 3), 3); // past the lone lead byte: one past the end
    EXPECT_EQ(CharCodeAt(mixed, 2), 0x82A0);
    EXPECT_EQ(CharCodeAt(mixed, 3), 'b');
    EXPECT_EQ(CharCodeAt(mixed, 5), 0);

    EXPECT_FALSE(IsTrailByte(mixed, 1));
    EXPECT_FALSE(IsTrailByte(mixed, 2));
    EXPECT_TRUE(IsTrailByte(mixed, 3));
    EXPECT_TRUE(IsTrailByte("\x81\x81\x81\x40", 4)); // (81 81)(81 40)
    EXPECT_FALSE(IsTrailByte("\x81\x81\x40", 3));    // (81 81) 40
    EXPECT_THROW(IsTrailByte("ab", 0), EVobeError);
    EXPECT_THROW(IsTrailByte("ab", 3), EVobeError);
}

TEST(SjisText, CopyInsertDelete) {
    const std::string s = SJ("あいうえお");
    EXPECT_EQ(CharCopy(s, 2, 2), SJ("いう"));
    EXPECT_EQ(CharCopy(s, 4, 10), SJ("えお"));
    EXPECT_EQ(CharCopy(s, 9, 1), "");
    EXPECT_EQ(CharCopy("", 1, 1), "");

    struct InsertCase {
        int n;
        std::string expected;
    } inserts[] = {
        {-3, SJ("xあいう")}, {1, SJ("xあいう")}, {3, SJ("あいxう")}, {4, SJ("あいうx")}, {99, SJ("あいうx")}};
    for (const auto& c : inserts) {
        std::string t = SJ("あいう");
        CharInsert("x", t, c.n);
        EXPECT_EQ(t, c.expected) << c.n;
    }

    struct DeleteCase {
        int start, count;
        std::string expected;
    } deletes[] = {{2, 1, SJ("あう")}, {2, 9, SJ("あ")}, {4, 1, SJ("あいう")}, {1, 0, SJ("あいう")}};
    for (const auto& c : deletes) {
        std::string t = SJ("あいう");
        CharDelete(t, c.start, c.count);
        EXPECT_EQ(t, c.expected) << c.start << "," << c.count;
    }
}

TEST(SjisText, FindTrimSplit) {
    // "ア" is 83 41; "A" would match its trail byte but matches start on characters only.
    EXPECT_EQ(CharFind("A", SJ("アA")), 2);
    EXPECT_EQ(CharFind(SJ("う"), SJ("あいう")), 3);
    // 82 A0 82 A2 (あい): the piece A0 82 exists only across the boundary.
    EXPECT_EQ(CharFind("\xA0\x82", SJ("あい")), 0);
    EXPECT_EQ(CharFind("", "abc"), 0);

    EXPECT_EQ(CharTrim(SJ("　 a b　 ")), "a b");
    EXPECT_EQ(CharTrim("\ta\t"), "\ta\t");
    // 0x81 0x81 0x40: the final 0x40 follows the pair (81 81), so it is no double-byte space.
    EXPECT_EQ(CharTrim("\x81\x81\x40"), "\x81\x81\x40");

    std::string t = SJ("ア,b;c");
    EXPECT_EQ(SplitFirst(t, ",;"), SJ("ア"));
    EXPECT_EQ(t, "b;c");
    std::string u = "\x83\x41x"; // trail byte 'A' is not a separator
    EXPECT_EQ(SplitFirst(u, "A"), "\x83\x41x");
    EXPECT_EQ(u, "");
    std::string v = "abc";
    EXPECT_EQ(SplitFirst(v, ""), "abc");
    EXPECT_EQ(v, "");
}

TEST(SjisText, HanToZen) {
    struct Case {
        std::string in, out;
    } cases[] = {
        {"Az09 !\"'`\\~", SJ("Ａｚ０９　！”’‘￥～")},
        {"\xB6\xDE\xB3\xDE", SJ("ガウ゛")}, // voiced ka; u keeps its mark separate
        {"\xCA\xDF\xCA\xDE\xCA", SJ("パバハ")},
        {"\xC1\xDE\xC2\xDE\xC5\xDE", SJ("ヂヅナ゛")},
        {"\xA1\xA2\xA3\xA4\xA5\xA6\xA7\xAF\xB0\xDD", SJ("。「」、・ヲァッーン")},
        {"a\r\nb\x7F\x80\xA0\xFD", SJ("ａｂ")},
        {SJ("漢x"), SJ("漢ｘ")},
    };
    for (const auto& c : cases) EXPECT_EQ(HanToZen(c.in), c.out) << c.in;
}

TEST(SjisText, ZenToHanReversesHanToZen) {
    EXPECT_EQ(ZenToHan(SJ("漢字ＡＢｃ１あx　“”")), "ABc1x \"\"");
    EXPECT_EQ(ZenToHan(SJ("ガパポン")), "\xB6\xDE\xCA\xDF\xCE\xDF\xDD");
    // Every byte with a full-width form comes back.
    std::string all;
    for (int c = 0x20; c <= 0x7E; ++c) all += static_cast<char>(c);
    for (int c = 0xA1; c <= 0xDF; ++c) all += static_cast<char>(c);
    EXPECT_EQ(ZenToHan(HanToZen(all)), all);
}

TEST(SjisText, EucToSjis) {
    EXPECT_EQ(EucToSjis("\xA4\xA2"), "\x82\xA0"); // hiragana a
    EXPECT_EQ(EucToSjis("a\x8E\xB1z"), "a\xB1z"); // half-width katakana
    EXPECT_EQ(EucToSjis("\xB4\xC1\xBB\xFA"), SJ("漢字"));
    EXPECT_EQ(EucToSjis("\xA5\xE0"), SJ("ム")); // odd row, trail above 0x5F
    EXPECT_EQ(EucToSjis("x\xA4"), "x");         // a cut-off character is dropped
}

} // namespace
} // namespace vobe
