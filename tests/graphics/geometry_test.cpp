// Where the operations put pixels: clipping at every edge, mirrored reads, rotation, stretching,
// tiling, glyphs and palette draws.
#include <gtest/gtest.h>

#include "graphics/pixel_ops.h"
#include "graphics_test_util.h"

namespace vobe {
namespace {

using test::MakeSurface;

// A source whose pixel values name their position: 100 + 10 y + x.
std::unique_ptr<TDIBX> Numbered(int32_t w, int32_t h) {
    auto s = MakeSurface(w, h, 32);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) s->SetPixel(x, y, 100 + 10 * y + x);
    return s;
}

// What a plain copy must leave, worked out pixel by pixel from the definition.
uint32_t Expected(int32_t X, int32_t Y, int32_t x, int32_t y, TRect src, bool flipH, bool flipV, TRect clip,
                  int32_t sw, int32_t sh) {
    if (X < clip.Left || X >= clip.Right || Y < clip.Top || Y >= clip.Bottom) return 0;
    const int32_t i = X - x, j = Y - y;
    if (i < 0 || j < 0 || i >= src.Width() || j >= src.Height()) return 0;
    const int32_t sx = flipH ? src.Right - 1 - i : src.Left + i;
    const int32_t sy = flipV ? src.Bottom - 1 - j : src.Top + j;
    if (sx < 0 || sy < 0 || sx >= sw || sy >= sh) return 0;
    return 100 + 10 * sy + sx;
}

TEST(Clipping, EveryEdgeWithNegativePositionsAndMirroring) {
    auto s = Numbered(5, 4);
    for (int32_t x = -6; x <= 8; ++x)
        for (int32_t y = -5; y <= 7; ++y)
            for (int flips = 0; flips < 4; ++flips) {
                const bool flipH = flips & 1, flipV = flips & 2;
                const TRect clip{1, 1, 6, 5};
                const TRect src{1, 0, 5, 3};
                auto d = MakeSurface(7, 6, 32);
                d->SetClipRect(clip);
                d->Draw(x, y, flipV, flipH, false, src, s.get());
                for (int32_t Y = 0; Y < 6; ++Y)
                    for (int32_t X = 0; X < 7; ++X)
                        ASSERT_EQ(d->GetPixel(X, Y), Expected(X, Y, x, y, src, flipH, flipV, clip, 5, 4))
                            << "at " << X << "," << Y << " drawn at " << x << "," << y << " flips " << flips;
            }
}

TEST(Clipping, MirroredDrawCutOnTheLeftDropsColumnsFromTheRightOfTheSource) {
    auto s = Numbered(4, 1);
    auto d = MakeSurface(4, 1, 32);
    d->SetClipRect(TRect{2, 0, 4, 1});
    d->Draw(0, 0, false, true, false, TRect{0, 0, 4, 1}, s.get());
    // Unclipped the row would read 103 102 101 100; the clip keeps the last two.
    EXPECT_EQ(d->GetPixel(0, 0), 0u);
    EXPECT_EQ(d->GetPixel(2, 0), 101u);
    EXPECT_EQ(d->GetPixel(3, 0), 100u);
}

TEST(Clipping, SourceRectangleOutsideTheSourceReadsNothingThere) {
    auto s = Numbered(3, 3);
    auto d = MakeSurface(8, 8, 32);
    d->Draw(2, 2, false, false, false, TRect{-1, -1, 5, 5}, s.get());
    EXPECT_EQ(d->GetPixel(2, 2), 0u);
    EXPECT_EQ(d->GetPixel(3, 3), 100u);
    EXPECT_EQ(d->GetPixel(5, 5), 122u);
    EXPECT_EQ(d->GetPixel(6, 6), 0u);
}

TEST(Clipping, DrawKeyedSkipsTheSourceKeyAndFormatMismatchDrawsNothing) {
    auto s = Numbered(3, 1);
    s->TransparentColor = 101;
    auto d = MakeSurface(3, 1, 32);
    d->Fill(7);
    d->Draw(0, 0, false, false, true, TRect{0, 0, 3, 1}, s.get());
    EXPECT_EQ(d->GetPixel(0, 0), 100u);
    EXPECT_EQ(d->GetPixel(1, 0), 7u);
    d->Draw(0, 0, false, false, false, TRect{0, 0, 3, 1}, s.get());
    EXPECT_EQ(d->GetPixel(1, 0), 101u);
    auto d16 = MakeSurface(3, 1, 16);
    d16->Draw(0, 0, false, false, false, TRect{0, 0, 3, 1}, s.get());
    EXPECT_EQ(d16->GetPixel(0, 0), 0u);
}

TEST(Clipping, MasksTooSmallOrNotEightBitsDrawNothing) {
    auto s = Numbered(4, 4);
    auto small = MakeSurface(3, 4, 8), wrong = MakeSurface(4, 4, 16);
    small->Fill(255);
    wrong->Fill(255);
    auto d = MakeSurface(4, 4, 32);
    d->DrawMask(0, 0, small.get(), false, false, TRect{0, 0, 2, 2}, s.get());
    d->DrawMask(0, 0, wrong.get(), false, false, TRect{0, 0, 2, 2}, s.get());
    d->DrawMaskAlpha(0, 0, 200, nullptr, false, false, TRect{0, 0, 2, 2}, s.get());
    EXPECT_EQ(d->GetPixel(0, 0), 0u);
}

TEST(Rotation, QuarterTurnClockwiseAndDoubleZoom) {
    // Source 3 x 1 with its pivot on the middle pixel.
    auto s = Numbered(3, 1);
    auto d = MakeSurface(9, 9, 32);
    d->DrawRotate(4, 4, 255, false, false, false, 64, 0, 1, TRect{0, 0, 3, 1}, s.get(), 256, 256);
    // A quarter turn clockwise on screen: left becomes up, right becomes down.
    EXPECT_EQ(d->GetPixel(4, 3), 100u);
    EXPECT_EQ(d->GetPixel(4, 4), 101u);
    EXPECT_EQ(d->GetPixel(4, 5), 102u);
    EXPECT_EQ(d->GetPixel(3, 4), 0u);
    EXPECT_EQ(d->GetPixel(5, 4), 0u);

    auto z = MakeSurface(9, 9, 32);
    z->DrawRotate(4, 4, 255, false, false, false, 0, 0, 1, TRect{0, 0, 3, 1}, s.get(), 512, 512);
    // Doubled around the pivot: two pixels per source pixel, the pivot at the centre.
    EXPECT_EQ(z->GetPixel(2, 4), 100u);
    EXPECT_EQ(z->GetPixel(3, 4), 100u);
    EXPECT_EQ(z->GetPixel(4, 4), 101u);
    EXPECT_EQ(z->GetPixel(5, 4), 101u);
    EXPECT_EQ(z->GetPixel(6, 4), 102u);
    EXPECT_EQ(z->GetPixel(7, 4), 102u);
    EXPECT_EQ(z->GetPixel(4, 5), 101u);
    EXPECT_EQ(z->GetPixel(4, 6), 0u);
}

TEST(Rotation, NothingForBlendZeroOrZoomNotPositiveAndAdditiveBlendValues) {
    auto s = MakeSurface(2, 2, 32);
    s->Fill(0x808080);
    auto d = MakeSurface(4, 4, 32);
    d->Fill(0x101010);
    d->DrawRotate(1, 1, 0, false, false, false, 0, 0, 0, TRect{0, 0, 2, 2}, s.get(), 256, 256);
    d->DrawRotate(1, 1, 255, false, false, false, 0, 0, 0, TRect{0, 0, 2, 2}, s.get(), 0, 256);
    EXPECT_EQ(d->GetPixel(1, 1), 0x101010u);
    d->DrawRotate(1, 1, 256 + 128, false, false, false, 0, 0, 0, TRect{0, 0, 2, 2}, s.get(), 256, 256);
    EXPECT_EQ(d->GetPixel(1, 1), 0x505050u); // 16 + (128 x 128 >> 8)
    d->DrawRotate(1, 1, 255, false, true, false, 0, 0, 0, TRect{0, 0, 2, 2}, s.get(), 256, 256);
    EXPECT_EQ(d->GetPixel(2, 2), 0x808080u);
}

TEST(Rotation, RotatedBoundsMirrorsThePivot) {
    // 4 x 2 picture, pivot (0, 0): unrotated it spans x .. x + 4.
    EXPECT_EQ(TCustomDIBX::RotatedBounds(10, 20, 0, 0, false, false, 4, 2, 256, 256, TRect{0, 0, 4, 2}, 0),
              (TRect{10, 20, 15, 23}));
    // Mirrored, the pivot becomes 4 - 0 - 1 = 3.
    EXPECT_EQ(TCustomDIBX::RotatedBounds(10, 20, 0, 0, true, false, 4, 2, 256, 256, TRect{0, 0, 4, 2}, 0),
              (TRect{7, 20, 12, 23}));
    // Double zoom doubles the extent.
    EXPECT_EQ(TCustomDIBX::RotatedBounds(0, 0, 0, 0, false, false, 4, 2, 512, 512, TRect{0, 0, 4, 2}, 0),
              (TRect{0, 0, 9, 5}));
}

TEST(Stretch, NearestSamplingClippingAndMirroring) {
    auto s = Numbered(2, 1);
    auto d = MakeSurface(6, 2, 32);
    d->StretchDrawAlpha(TRect{0, 0, 4, 2}, s.get(), 255, false, false, false, TRect{0, 0, 2, 1});
    // Alpha 255 is the blend formula: (255 s) >> 8 = s - 1 on an empty destination.
    EXPECT_EQ(d->GetPixel(0, 0), 99u);
    EXPECT_EQ(d->GetPixel(1, 1), 99u);
    EXPECT_EQ(d->GetPixel(2, 0), 100u);
    EXPECT_EQ(d->GetPixel(3, 1), 100u);
    EXPECT_EQ(d->GetPixel(4, 0), 0u);
    // Clipped on the left by one pixel: the source advances by half a pixel, kept as the sub-pixel start.
    auto c = MakeSurface(6, 1, 32);
    c->SetClipRect(TRect{1, 0, 6, 1});
    c->StretchDrawAdd(TRect{0, 0, 4, 1}, s.get(), 255, false, true, false, TRect{0, 0, 2, 1});
    EXPECT_EQ(c->GetPixel(0, 0), 0u);
    EXPECT_EQ(c->GetPixel(1, 0), 100u); // mirrored: 101 first, then 100
    EXPECT_EQ(c->GetPixel(2, 0), 99u);
    EXPECT_EQ(c->GetPixel(3, 0), 99u);
}

TEST(Tiling, WrappedOriginAndGaps) {
    EXPECT_EQ(px::WrapOrigin(5, 3), 2);
    EXPECT_EQ(px::WrapOrigin(-1, 3), 2);
    EXPECT_EQ(px::WrapOrigin(-3, 3), 3);
    auto s = Numbered(3, 2);
    auto d = MakeSurface(8, 4, 32);
    d->TileDraw(TRect{1, 0, 8, 4}, 0, 1, -1, false, TRect{0, 0, 3, 2}, s.get(), 0);
    // Seamless with gaps 0: column X reads (2 + X - 1) mod 3, row Y reads (1 + Y) mod 2.
    for (int32_t Y = 0; Y < 4; ++Y)
        for (int32_t X = 0; X < 8; ++X) {
            const uint32_t expect = X < 1 ? 0 : 100 + 10 * ((1 + Y) % 2) + (2 + X - 1) % 3;
            ASSERT_EQ(d->GetPixel(X, Y), expect) << X << "," << Y;
        }
    // The clip is narrowed to the destination only for the duration.
    EXPECT_EQ(d->ClipRect.Right, 0);
    auto g = MakeSurface(8, 1, 32);
    g->TileDraw(TRect{0, 0, 8, 1}, 1, 0, 0, false, TRect{0, 0, 2, 1}, s.get(), 0);
    const uint32_t row[8] = {100, 101, 0, 100, 101, 0, 100, 101};
    for (int32_t X = 0; X < 8; ++X) EXPECT_EQ(g->GetPixel(X, 0), row[X]) << X;
}

TEST(Tiling, TileFillFramePatternAndTileZoom) {
    auto s = Numbered(2, 2);
    auto d = MakeSurface(5, 5, 32);
    d->FramePattern(TRect{0, 0, 5, 5}, 1, 0, 0, s.get());
    EXPECT_EQ(d->GetPixel(0, 0), 100u);
    EXPECT_EQ(d->GetPixel(3, 0), 101u);
    EXPECT_EQ(d->GetPixel(0, 4), 100u); // the bottom strip starts its own pattern
    EXPECT_EQ(d->GetPixel(4, 1), 100u);
    EXPECT_EQ(d->GetPixel(2, 2), 0u);
    auto m = MakeSurface(4, 1, 32);
    m->TileFill(TRect{0, 0, 4, 1}, s.get(), false, true, 0, 1);
    EXPECT_EQ(m->GetPixel(0, 0), 100u); // mirrored reading from the wrapped origin
    EXPECT_EQ(m->GetPixel(1, 0), 101u);
    auto z = MakeSurface(8, 1, 32);
    z->TileZoom(TRect{0, 0, 8, 1}, 512, 255, false, false, false, 0, 0, s.get(), 512);
    const uint32_t row[8] = {100, 100, 101, 101, 100, 100, 101, 101};
    for (int32_t X = 0; X < 8; ++X) EXPECT_EQ(z->GetPixel(X, 0), row[X]) << X;
}

TEST(Tiling, TileStretchDrawRepeatsScaledCopies) {
    auto s = MakeSurface(2, 1, 32);
    s->Fill(0x101010);
    auto d = MakeSurface(10, 2, 32);
    // Period 3 x 2 = 6 source pixels... distance 3 at zoom 512: copies 4 wide every 6 pixels.
    d->TileStretchDraw(TRect{0, 0, 10, 2}, 3, 0, 0, 256 + 255, false, false, false, TRect{0, 0, 2, 1},
                       s.get(), 512, 512, 3);
    const uint32_t on = 0x0F0F0F;
    const uint32_t row[10] = {on, on, on, on, 0, 0, on, on, on, on};
    for (int32_t X = 0; X < 10; ++X) EXPECT_EQ(d->GetPixel(X, 0), row[X]) << X;
}

TEST(Glyphs, CoverageOfSubSamples) {
    // A 1-bit glyph drawn at 4 times the size: one destination pixel per 4 x 4 bits.
    TDIBSurface bits(8, 4, 1);
    bits.FillRect(TRect{0, 0, 8, 4}, 1);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) bits.SetPixel(x, y, 0); // left cell fully inked
    for (int32_t x = 4; x < 8; ++x) bits.SetPixel(x, 0, 0);     // right cell: 4 of 16
    TDIBX glyph(&bits);
    auto d = MakeSurface(2, 1, 32);
    d->Fill(0x000000);
    d->DrawGlyph(0, 0, 4, 255, false, false, 0xFFFFFF, TRect{0, 0, 8, 4}, &glyph);
    EXPECT_EQ(d->GetPixel(0, 0), 0xFFFFFFu); // c = 16: (255 x 16) >> 4
    EXPECT_EQ(d->GetPixel(1, 0), 0x3F3F3Fu); // c = 4: 1020 >> 4
    d->Fill(0x101010);
    d->DrawGlyph(0, 0, 4, 128, false, false, 0xFFFFFF, TRect{0, 0, 8, 4}, &glyph);
    EXPECT_EQ(d->GetPixel(0, 0), 0x878787u); // c = (128 x 16) >> 8 = 8: (255 x 8 + 16 x 8) >> 4
    EXPECT_EQ(d->GetPixel(1, 0), 0x2D2D2Du); // c = 2: (510 + 16 x 14) >> 4 = 45
    d->Fill(0);
    d->DrawGlyph(0, 0, 4, 255, false, true, 0xFFFFFF, TRect{0, 0, 8, 4}, &glyph);
    EXPECT_EQ(d->GetPixel(1, 0), 0xFFFFFFu);
}

TEST(Glyphs, ThreeColourClasses) {
    TDIBSurface cls(4, 2, 4);
    // Left cell (2 x 2): all class 1; right cell: two of class 3, two background.
    cls.SetPixel(0, 0, 1);
    cls.SetPixel(1, 0, 1);
    cls.SetPixel(0, 1, 1);
    cls.SetPixel(1, 1, 1);
    cls.SetPixel(2, 0, 3);
    cls.SetPixel(3, 0, 3);
    TDIBX src(&cls);
    auto d = MakeSurface(3, 1, 32);
    d->Fill(0x000040);
    const std::array<uint32_t, 3> colours = {0xFF0000, 0x00FF00, 0x0000FF};
    d->DrawGlyph3(0, 0, 2, 255, false, false, colours, TRect{0, 0, 4, 2}, &src);
    EXPECT_EQ(d->GetPixel(0, 0), 0xFF0000u); // whole cell of class 1 takes its colour
    // Blue: (2 x 255 x 255 + 64 x (1024 - 510)) / 1024 = 159; red and green 0.
    EXPECT_EQ(d->GetPixel(1, 0), 0x00009Fu);
    EXPECT_EQ(d->GetPixel(2, 0), 0x000040u);
}

TEST(Palette, FourBitAndEightBitAdd) {
    TDIBSurface idx4(3, 1, 4);
    idx4.SetPixel(0, 0, 1);
    idx4.SetPixel(1, 0, 2);
    idx4.SetPixel(2, 0, 3);
    TDIBX src4(&idx4);
    src4.TransparentColor = 3;
    uint32_t pal[16] = {0, 0x102030, 0x808080, 0xFFFFFF};
    auto d = MakeSurface(3, 1, 32);
    d->Fill(0x010101);
    d->DrawPalette4(0, 0, pal, 255, false, false, 0, TRect{0, 0, 3, 1}, &src4);
    EXPECT_EQ(d->GetPixel(0, 0), 0x102030u);
    EXPECT_EQ(d->GetPixel(2, 0), 0x010101u); // the key index
    d->DrawPalette4(0, 0, pal, 256 + 255, false, false, 0, TRect{0, 0, 3, 1}, &src4);
    EXPECT_EQ(d->GetPixel(1, 0), 0xFFFFFFu); // 128 + 127 = 255, and white stays white

    TDIBSurface heat(4, 1, 8);
    for (int32_t x = 0; x < 4; ++x) heat.SetPixel(x, 0, static_cast<uint32_t>(15 + x));
    TDIBX src8(&heat);
    src8.TransparentColor = 16;
    uint32_t ramp[256] = {};
    for (int i = 0; i < 256; ++i) ramp[i] = 0x404040;
    auto f = MakeSurface(4, 1, 32);
    f->DrawPalette8Add(0, 0, ramp, 255, false, false, 17, TRect{0, 0, 4, 1}, &src8);
    EXPECT_EQ(f->GetPixel(0, 0), 0u);
    EXPECT_EQ(f->GetPixel(1, 0), 0u);
    EXPECT_EQ(f->GetPixel(2, 0), 0x3F3F3Fu);
    auto g = MakeSurface(8, 1, 32);
    g->StretchDrawPalette(TRect{0, 0, 8, 1}, &src8, ramp, 255, false, false, 17, TRect{0, 0, 4, 1});
    EXPECT_EQ(g->GetPixel(3, 0), 0u);
    EXPECT_EQ(g->GetPixel(4, 0), 0x3F3F3Fu);
}

} // namespace
} // namespace vobe
