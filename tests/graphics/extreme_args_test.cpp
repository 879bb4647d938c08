// Arguments at the ends of their ranges: every operation must stay inside its buffers and return.
#include <gtest/gtest.h>

#include <climits>

#include "graphics_test_util.h"

namespace vobe {
namespace {

TEST(ExtremeArguments, EveryOperationReturnsWithoutTouchingOutside) {
    const int32_t vals[] = {INT32_MIN, INT32_MIN + 1, -100000, -1, 0, 1, 3, 100000, INT32_MAX - 1, INT32_MAX};
    auto d = test::MakeSurface(9, 7, 32), s = test::MakeSurface(5, 4, 32), m = test::MakeSurface(5, 4, 8);
    TDIBSurface g1(8, 8, 1), g4(8, 8, 4), p8(5, 4, 8);
    TDIBX glyph1(&g1), glyph4(&g4), pal8(&p8);
    uint32_t palette[256] = {};
    const std::array<uint32_t, 3> colours = {1, 2, 3};
    for (int32_t a : vals)
        for (int32_t b : vals) {
            const TRect r{a, b, a > INT32_MAX - 9 ? INT32_MAX : a + 9, b > INT32_MAX - 7 ? INT32_MAX : b + 7};
            const TRect wide{a, b, INT32_MAX, INT32_MAX};
            const TRect src{a % 7, b % 5, 5, 4};
            d->SetClipRect(TRect{0, 0, 0, 0});
            d->FillRect(wide, 1);
            d->FillRectAlpha(r, 2, a);
            d->FrameRect(wide, b, 3);
            d->Draw(a, b, true, true, true, src, s.get());
            d->DrawMaskAlpha(a, b, 128, m.get(), false, true, wide, s.get());
            d->DrawAdd(b, a, 255, true, false, wide, s.get());
            d->DrawRotate(a, b, 300, true, true, true, a, b, a, TRect{0, 0, 5, 4}, s.get(), 1, 1);
            d->DrawRotate(3, 3, 200, false, false, false, b, 1, 1, TRect{0, 0, 5, 4}, s.get(), a > 0 ? a : 1,
                          b > 0 ? b : 1);
            d->StretchDrawAlpha(r, s.get(), 100, true, false, true, wide);
            d->StretchDrawMaskAdd(wide, s.get(), 100, m.get(), false, true, TRect{0, 0, 5, 4});
            d->DrawGlyph(a, b, a, 200, false, false, 5, TRect{0, 0, 8, 8}, &glyph1);
            d->DrawGlyph3(b, a, 2, b, true, true, colours, TRect{0, 0, 8, 8}, &glyph4);
            d->TileDraw(TRect{0, 0, 9, 7}, a, b, a, true, TRect{0, 0, 5, 4}, s.get(), b);
            d->TileDrawMaskAlpha(r, -4, a, b, 100, m.get(), TRect{1, 1, 5, 4}, s.get(), -3);
            d->TileStretchDraw(TRect{0, 0, 9, 7}, a, b, a, 400, true, false, true, TRect{0, 0, 5, 4}, s.get(),
                               a > 0 ? a : 1, b > 0 ? b : 1, b);
            d->TileZoom(wide, a, 200, true, true, true, b, a, s.get(), b);
            d->TileFill(r, s.get(), true, false, a, b);
            d->FramePattern(TRect{0, 0, 9, 7}, b, a, b, s.get());
            d->DrawPalette4(a, b, palette, 300, false, true, 0, TRect{0, 0, 8, 8}, &glyph4);
            d->DrawPalette8Add(b, a, palette, 255, true, false, 0, wide, &pal8);
            d->StretchDrawPalette(r, &pal8, palette, 255, true, true, 1, wide);
            d->FillMask(a, b, 255, 7, true, true, TRect{0, 0, 5, 4}, m.get());
            d->AddClip(r);
            d->ResetClip();
            (void)TCustomDIBX::RotatedBounds(a, b, a, b, true, true, a, b, a, b, r, b);
        }
    // Through a wave surface whose offsets and origin are extreme too.
    TDIBXWave wave(d.get());
    wave.SetSize(3, 7, 0);
    wave.Offsets = {INT32_MIN, -5, 0, 5, INT32_MAX, 1, 2};
    for (int32_t a : vals) {
        wave.OriginX = a;
        wave.OriginY = a % 5;
        const TRect wide{a, a, INT32_MAX, INT32_MAX};
        wave.Fill(3);
        wave.FillRect(wide, 1);
        wave.Draw(a, 0, true, false, true, wide, s.get());
        wave.DrawRotate(a, 3, 255, false, false, false, a, 1, 1, TRect{0, 0, 5, 4}, s.get(), 256, 256);
        wave.StretchDrawAdd(wide, s.get(), 100, false, false, false, TRect{0, 0, 5, 4});
        wave.TileDraw(wide, -1, a, a, false, TRect{0, 0, 5, 4}, s.get(), -1);
        wave.DrawGlyph(a, 0, 2, 100, false, false, 1, TRect{0, 0, 8, 8}, &glyph1);
        wave.AddClip(wide);
        wave.ResetClip();
    }
    SUCCEED();
}

} // namespace
} // namespace vobe
