// The surface kinds: clips, formats, colour conversion, assignment, the wave proxy and the colour tables.
#include <gtest/gtest.h>

#include "graphics/color_tables.h"
#include "graphics_test_util.h"

namespace vobe {
namespace {

using test::MakeSurface;

TEST(Surface, NewSurfaceAndClear) {
    TDIBX s;
    EXPECT_EQ(s.Width(), 1);
    EXPECT_EQ(s.Height(), 1);
    EXPECT_EQ(s.BitCount(), 15);
    EXPECT_EQ(s.TransparentColor, -1);
    s.SetSize(10, 4, 32);
    EXPECT_EQ(s.Pitch(), 40);
    EXPECT_EQ(s.BytesPerPixel(), 4);
    s.Clear();
    EXPECT_TRUE(s.IsEmpty());
    EXPECT_EQ(s.DIB()->Width(), 8);
    s.FillRect(TRect{0, 0, 8, 8}, 5); // nothing to draw into, nothing touched
    EXPECT_EQ(s.DIB()->GetPixel(0, 0), 0u);
}

TEST(Surface, FillKeepsToTheClip) {
    auto s = MakeSurface(4, 4, 32);
    s->AddClip(TRect{1, 1, 3, 3});
    s->Fill(0x123456);
    EXPECT_EQ(s->GetPixel(0, 0), 0u);
    EXPECT_EQ(s->GetPixel(2, 2), 0x123456u);
    s->ResetClip();
    s->Fill(7);
    EXPECT_EQ(s->GetPixel(0, 0), 7u);
}

TEST(Surface, ClipsCollapseIntoTheirBoundingBox) {
    auto s = MakeSurface(100, 50, 16);
    EXPECT_EQ(s->GetClipRect(), (TRect{0, 0, 100, 50}));
    s->AddClip(TRect{-10, -10, -1, 5}); // outside: unchanged
    EXPECT_EQ(s->ClipRect.Right, 0);
    s->AddClip(TRect{90, 40, 120, 70});
    EXPECT_EQ(s->GetClipRect(), (TRect{90, 40, 100, 50}));
    s->AddClip(TRect{10, 10, 20, 20});
    EXPECT_EQ(s->GetClipRect(), (TRect{10, 10, 100, 50}));
    s->ResetClip();
    EXPECT_EQ(s->GetClipRect(), (TRect{0, 0, 100, 50}));
}

TEST(Surface, FormatsMasksAndShifts) {
    auto s = MakeSurface(4, 4, 16);
    EXPECT_EQ(s->GreenMask(), 0x07E0u);
    s->SetBitCount(15);
    EXPECT_EQ(s->BitCount(), 15);
    EXPECT_EQ(s->StorageBitCount(), 16);
    EXPECT_EQ(s->GreenMask(), 0x03E0u);
    EXPECT_EQ(s->RedShift(), 10);
    EXPECT_EQ(s->GreenShift(), 5);
    s->SetBitCount(32);
    EXPECT_EQ(s->RedMask(), 0xFF0000u);
    EXPECT_EQ(s->RedShift(), 16);
    EXPECT_EQ(s->BlueShift(), 0);
}

TEST(Surface, ColorToPixelOnEveryKind) {
    const int32_t colour = 0x00FF8040; // blue FF, green 80, red 40
    struct {
        int32_t bits;
        int32_t expect;
    } cases[] = {{32, 0x4080FF},
                 {16, (0x40 >> 3) << 11 | (0x80 >> 2) << 5 | 0xFF >> 3},
                 {15, (0x40 >> 3) << 10 | (0x80 >> 3) << 5 | 0xFF >> 3},
                 {8, colour}};
    for (auto c : cases) {
        auto s = MakeSurface(1, 1, c.bits);
        EXPECT_EQ(s->ColorToPixel(colour), c.expect) << c.bits;
        EXPECT_EQ(s->ColorToPixel(-1), -1);
    }
    TCustomDIBX base;
    EXPECT_EQ(base.ColorToPixel(-1), -1);
    auto target = MakeSurface(4, 4, 16);
    TDIBXWave wave(target.get());
    EXPECT_EQ(wave.ColorToPixel(-1), -1);
    EXPECT_EQ(wave.ColorToPixel(colour), target->ColorToPixel(colour));
    EXPECT_EQ(wave.BitCount(), 16);
}

TEST(Surface, AssignMovesMemoryOrDraws) {
    auto a = MakeSurface(3, 2, 32), b = MakeSurface(3, 2, 32);
    a->SetPixel(2, 1, 0xFF123456);
    b->Assign(a.get());
    EXPECT_EQ(b->GetPixel(2, 1), 0xFF123456u);
    auto big = MakeSurface(5, 5, 32);
    big->Assign(a.get()); // different size: drawn at (0, 0)
    EXPECT_EQ(big->GetPixel(2, 1), 0xFF123456u);
    TDIBXWave wave(a.get());
    wave.SetSize(3, 2, 0);
    auto c = MakeSurface(3, 2, 32);
    c->Assign(&wave); // a wave holds no pixels: drawing it leaves the destination alone
    EXPECT_EQ(c->GetPixel(2, 1), 0u);
}

TEST(Surface, OperationsIgnoreMissingSources) {
    auto d = MakeSurface(4, 4, 32);
    d->Draw(0, 0, false, false, false, TRect{0, 0, 4, 4}, nullptr);
    d->DrawMask(0, 0, nullptr, false, false, TRect{0, 0, 4, 4}, nullptr);
    d->TileDraw(TRect{0, 0, 4, 4}, 0, 0, 0, false, TRect{0, 0, 0, 0}, nullptr, 0);
    d->DrawPalette8Add(0, 0, nullptr, 100, false, false, 0, TRect{0, 0, 4, 4}, nullptr);
    EXPECT_EQ(d->GetPixel(0, 0), 0u);
}

// A target that counts the calls it receives.
class TCounting : public TDIBX {
public:
    int draws = 0;
    std::vector<int32_t> xs;
    void Draw(int32_t x, int32_t y, bool flipV, bool flipH, bool transparent, TRect src,
              TCustomDIBX* source) override {
        ++draws;
        xs.push_back(x);
        TDIBX::Draw(x, y, flipV, flipH, transparent, src, source);
    }
};

TEST(Wave, EqualOffsetsForwardOnceAndRowsAreDisplaced) {
    TCounting target;
    target.SetSize(12, 6, 32);
    auto src = MakeSurface(4, 4, 32);
    for (int32_t y = 0; y < 4; ++y)
        for (int32_t x = 0; x < 4; ++x) src->SetPixel(x, y, 1 + y);
    TDIBXWave wave(&target);
    wave.OriginX = 2;
    wave.OriginY = 1;
    wave.SetSize(6, 4, 0);
    wave.Draw(3, 1, false, false, false, TRect{0, 0, 4, 4}, src.get());
    EXPECT_EQ(target.draws, 1);

    target.draws = 0;
    target.Fill(0);
    wave.Offsets = {0, 2, 2, -1};
    wave.Draw(3, 1, false, false, false, TRect{0, 0, 4, 4}, src.get());
    EXPECT_EQ(target.draws, 3);
    EXPECT_EQ(target.GetPixel(3, 1), 1u);
    EXPECT_EQ(target.GetPixel(5, 2), 2u); // row 1 moved right by 2
    EXPECT_EQ(target.GetPixel(3, 2), 0u);
    EXPECT_EQ(target.GetPixel(2, 4), 4u); // row 3 moved left by 1

    // Rows outside the wave surface are not drawn.
    target.Fill(0);
    wave.Offsets = {0, 0, 0, 0};
    wave.Draw(3, 0, false, false, false, TRect{0, 0, 4, 4}, src.get());
    EXPECT_EQ(target.GetPixel(3, 0), 0u);
    EXPECT_EQ(target.GetPixel(3, 1), 2u);
}

TEST(Wave, StretchedOutputIsClippedPerRowAndTheClipRestored) {
    auto target = MakeSurface(10, 3, 32);
    auto src = MakeSurface(1, 1, 32);
    src->Fill(0x202020);
    TDIBXWave wave(target.get());
    wave.SetSize(10, 3, 0);
    wave.Offsets = {0, 3, 0};
    wave.StretchDrawAdd(TRect{2, 0, 6, 3}, src.get(), 255, false, false, false, TRect{0, 0, 1, 1});
    EXPECT_EQ(target->GetPixel(2, 1), 0u);        // moved right by 3 ...
    EXPECT_EQ(target->GetPixel(5, 1), 0x1F1F1Fu); // ... and cut at the unshifted right edge
    EXPECT_EQ(target->GetPixel(6, 1), 0u);
    EXPECT_EQ(target->GetPixel(2, 0), 0x1F1F1Fu);
    EXPECT_EQ(target->ClipRect.Right, 0);
}

TEST(Wave, ClipsGoToTheTarget) {
    auto target = MakeSurface(50, 50, 16);
    TDIBXWave wave(target.get());
    wave.OriginX = 10;
    wave.OriginY = 10;
    wave.SetSize(20, 20, 0);
    wave.AddClip(TRect{0, 0, 15, 15});
    EXPECT_EQ(wave.ClipRect, (TRect{10, 10, 15, 15}));
    EXPECT_EQ(target->GetClipRect(), (TRect{10, 10, 15, 15}));
    wave.ResetClip();
    EXPECT_EQ(target->ClipRect.Right, 0);
}

TEST(ColorTables, GreyAndFire) {
    VobeInitColor(16);
    EXPECT_EQ(Grey16[255], 0xFFFFu);
    EXPECT_EQ(Grey16[128], (16u << 11) | (32u << 5) | 16u);
    EXPECT_EQ(Grey16[7], 0u | (1u << 5)); // 7 >> 2 = 1 in green only
    EXPECT_EQ(Grey32[0x80], 0x808080u);
    const struct {
        int at;
        uint32_t rgb;
    } keys[] = {{0, 0x000000},   {32, 0x662703},  {112, 0xD56107},
                {160, 0xF39D0D}, {192, 0xFFC037}, {255, 0xFFE6AF}};
    for (auto k : keys) EXPECT_EQ(Fire32[k.at], k.rgb) << k.at;
    // Halfway between 0 and 32: 102 x 16 / 32 = 51, 39 x 16 / 32 = 19, 3 x 16 / 32 = 1.
    EXPECT_EQ(Fire32[16], 0x331301u);
    EXPECT_EQ(Fire16[255], (31u << 11) | ((230u >> 2) << 5) | (175u >> 3));
    EXPECT_EQ(DisplayBitCount, 16);
    VobeInitColor(15);
    EXPECT_EQ(Grey16[255], 0x7FFFu);
    EXPECT_EQ(Fire16[255], (31u << 10) | ((230u >> 3) << 5) | (175u >> 3));
    VobeInitColor(24); // a 24-bit display draws in 32 bits
    EXPECT_EQ(DisplayBitCount, 32);
}

} // namespace
} // namespace vobe

namespace vobe {
namespace {

TEST(Surface, StretchToDCConvertsAndScales) {
    auto s = test::MakeSurface(2, 1, 16);
    s->SetPixel(0, 0, 0xF800); // red
    s->SetPixel(1, 0, 0x001F); // blue
    std::vector<uint8_t> buf(4 * 4 * 2, 0);
    TPixelView dc{buf.data(), 16, 4, 2, 32};
    s->StretchToDC(dc, TRect{0, 0, 4, 2}, TRect{0, 0, 2, 1});
    EXPECT_EQ(ReadPixel(dc, 0, 0), 0xF80000u);
    EXPECT_EQ(ReadPixel(dc, 1, 1), 0xF80000u);
    EXPECT_EQ(ReadPixel(dc, 2, 0), 0x0000F8u);
    EXPECT_EQ(ReadPixel(dc, 3, 1), 0x0000F8u);
    // Same format and scale: the rows are copied as they are.
    std::vector<uint8_t> same(2 * 2, 0);
    TPixelView dc16{same.data(), 4, 2, 1, 16};
    s->StretchToDC(dc16, TRect{0, 0, 2, 1}, TRect{0, 0, 2, 1});
    EXPECT_EQ(ReadPixel(dc16, 0, 0), 0xF800u);
    EXPECT_EQ(ReadPixel(dc16, 1, 0), 0x001Fu);
}

} // namespace
} // namespace vobe
