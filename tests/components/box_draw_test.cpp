// The filled box on a base: frame and fill by the alpha convention, transparent colours, children.
#include <gtest/gtest.h>

#include "components/vobe_box.h"
#include "framework/vobe_base_list.h"
#include "graphics/dibx.h"

namespace vobe {
namespace {

class BoxDraw : public ::testing::Test {
protected:
    BoxDraw() {
        S.SetWidth(40);
        S.SetHeight(30);
        S.Base0->SetColor(-1); // the base leaves the pixels alone
    }
    TVobeBox* Box(TRect r, int32_t colour, TVobeControl* parent = nullptr) {
        TVobeBox* b = NewVobeObject<TVobeBox>(&S);
        b->SetParent(parent ? parent : S.Base0);
        b->SetBounds(r.Left, r.Top, r.Width(), r.Height());
        b->SetColor(colour);
        return b;
    }
    // Draws the base over a background of `bg` and answers pixel (x, y).
    uint32_t Drawn(int32_t x, int32_t y, uint32_t bg = 0x202020) {
        Surface().ClipRect = TRect{};
        Surface().Fill(bg);
        S.Base0->DirtyAll();
        S.Draw();
        return Surface().GetPixel(x, y);
    }
    TDIBX& Surface() { return *S.Base0->Surface; }
    TVobeBaseList S; // not the game's scene: the bases draw into their own surfaces (32 bits)
};

TEST_F(BoxDraw, FrameAndFillByTheAlphaConvention) {
    TVobeBox* b = Box({5, 5, 25, 20}, 0x0000FF); // red
    EXPECT_EQ(Drawn(10, 10), 0xFF0000u);
    EXPECT_EQ(Drawn(4, 10), 0x202020u);
    EXPECT_EQ(Drawn(25, 10), 0x202020u); // right edge exclusive

    b->SetBorderWidth(2);
    b->SetBorderColor(0x00FF00);
    EXPECT_EQ(Drawn(5, 5), 0x00FF00u);
    EXPECT_EQ(Drawn(6, 19), 0x00FF00u);
    EXPECT_EQ(Drawn(7, 7), 0xFF0000u);
    b->SetBorderColor(-1); // no frame, the fill keeps its inset
    EXPECT_EQ(Drawn(5, 5), 0x202020u);
    EXPECT_EQ(Drawn(7, 7), 0xFF0000u);
    b->SetColor(-1);
    b->SetBorderColor(0x00FF00);
    EXPECT_EQ(Drawn(10, 10), 0x202020u); // a frame only

    // Additive: each channel scaled by (alpha - 256) / 256 before it is added.
    b->SetBorderWidth(0);
    b->SetColor(0x804020);
    b->SetAlpha(256 + 128);
    EXPECT_EQ(Drawn(10, 10, 0x010101), 0x112141u);
    // Blended: the surface's own blend of the colour.
    b->SetAlpha(100);
    TDIBX ref;
    ref.SetSize(1, 1, 32);
    ref.Fill(0x202020);
    ref.FillRectAlpha(TRect{0, 0, 1, 1}, static_cast<uint32_t>(ref.ColorToPixel(0x804020)), 100);
    EXPECT_EQ(Drawn(10, 10), ref.GetPixel(0, 0));
    for (int32_t a : {0, -1, 512}) {
        b->SetAlpha(a);
        EXPECT_EQ(Drawn(10, 10), 0x202020u) << a;
    }
}

TEST_F(BoxDraw, ChildrenAreDrawnInsideTheirParent) {
    TVobeBox* p = Box({0, 0, 20, 20}, -1);
    p->SetAlpha(0); // the parent paints nothing, its children still show
    TVobeBox* c = Box({15, 15, 30, 30}, 0xFFFFFF, p);
    (void)c;
    EXPECT_EQ(Drawn(16, 16), 0xFFFFFFu);
    EXPECT_EQ(Drawn(22, 22), 0x202020u); // outside the parent
    p->SetVisible(false);
    EXPECT_EQ(Drawn(16, 16), 0x202020u);
}

} // namespace
} // namespace vobe
