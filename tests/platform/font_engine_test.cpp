#include "platform/font_engine.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"

namespace vobe {
namespace {

TEST(FontEngine, MapsWindowsNamesToInstalledFonts) {
    auto& fe = TFontEngine::Instance();
    for (const char* name : {"ＭＳ Ｐゴシック", "ＭＳ ゴシック", "ＭＳ 明朝", "MS PGothic"})
        EXPECT_FALSE(fe.FindFontFile(SJ(name)).empty()) << name;
    EXPECT_NE(fe.FindFontFile(SJ("ＭＳ Ｐゴシック")), fe.FindFontFile(SJ("ＭＳ ゴシック")));
    EXPECT_TRUE(fe.FindFontFile("No Such Font 12345").empty());
    // An unknown name still opens, as "ＭＳ ゴシック".
    auto face = fe.OpenFont("No Such Font 12345", -12, 0);
    ASSERT_TRUE(face);
    EXPECT_EQ(face->FileName(), fe.FindFontFile(SJ("ＭＳ ゴシック")));
}

TEST(FontEngine, RendersCoverageAndMetrics) {
    auto face = TFontEngine::Instance().OpenFont(SJ("ＭＳ ゴシック"), 24, 0);
    ASSERT_TRUE(face);
    const TFontMetrics& m = face->Metrics();
    EXPECT_EQ(m.Height, m.Ascent + m.Descent);
    EXPECT_NEAR(m.Height, 24, 1); // a positive height is the cell
    TGlyphImage g;
    uint32_t code = 0x8CEA; // 語
    ASSERT_TRUE(face->RenderGlyph(code, true, g));
    ASSERT_TRUE(g.HasInk());
    EXPECT_LE(g.OriginY, m.Ascent + 1);
    EXPECT_GT(g.AdvanceX, 0);
    int full = 0, partial = 0;
    for (uint8_t c : g.Coverage) full += c == 255, partial += c > 0 && c < 255;
    EXPECT_GT(full, 0);
    EXPECT_GT(partial, 0); // antialiased
    TGlyphImage mono;
    ASSERT_TRUE(face->RenderGlyph(code, false, mono));
    for (uint8_t c : mono.Coverage) ASSERT_TRUE(c == 0 || c == 255);
    // A space has an advance and no ink; a half-width letter is narrower than a full-width one.
    TGlyphImage space;
    ASSERT_TRUE(face->RenderGlyph(' ', true, space));
    EXPECT_FALSE(space.HasInk());
    EXPECT_GT(space.AdvanceX, 0);
    EXPECT_LT(face->Advance('A'), face->Advance(code));
    // Bold is wider than regular; a character without a Unicode form does not render.
    auto bold = TFontEngine::Instance().OpenFont(SJ("ＭＳ ゴシック"), 24, FontStyleBold);
    TGlyphImage b;
    ASSERT_TRUE(bold->RenderGlyph(code, true, b));
    EXPECT_GT(b.Width, g.Width);
    EXPECT_FALSE(face->RenderGlyph(0x81, true, g));
    EXPECT_EQ(SjisCodeToUnicode(0x82A0), 0x3042u); // あ
    EXPECT_EQ(SjisCodeToUnicode(0x5C), 0x5Cu);
}

} // namespace
} // namespace vobe
