// The blend formulas per depth, with pixel values checked by hand at the edges.
#include <gtest/gtest.h>

#include "graphics_test_util.h"

namespace vobe {
namespace {

using test::MakeSurface;

enum TOp {
    Alpha,
    Add,
    Mask,
    MaskAlpha,
    MaskAdd,
    FillAlpha,
    FillAdd,
    FillSub,
    FillMask,
    AlphaKeyed,
    AddMask8
};

struct TFormula {
    TOp op;
    int32_t bits;
    uint32_t s, d;
    int32_t a;  // alpha or level
    uint32_t m; // mask byte
    uint32_t expect;
};

// One pixel of destination d, source s (and mask m) after the operation, at every packed level.
uint32_t Apply(const TFormula& f) {
    auto d = MakeSurface(1, 1, f.bits), s = MakeSurface(1, 1, f.op == AddMask8 ? 8 : f.bits),
         m = MakeSurface(1, 1, 8);
    d->SetPixel(0, 0, f.d);
    s->SetPixel(0, 0, f.s);
    m->SetPixel(0, 0, f.m);
    const TRect one{0, 0, 1, 1};
    switch (f.op) {
    case Alpha: d->DrawAlpha(0, 0, f.a, false, false, false, one, s.get()); break;
    case AlphaKeyed:
        s->TransparentColor = static_cast<int32_t>(f.s);
        d->DrawAlpha(0, 0, f.a, false, false, true, one, s.get());
        break;
    case Add:
    case AddMask8: d->DrawAdd(0, 0, f.a, false, false, one, s.get()); break;
    case Mask: d->DrawMask(0, 0, m.get(), false, false, one, s.get()); break;
    case MaskAlpha: d->DrawMaskAlpha(0, 0, f.a, m.get(), false, false, one, s.get()); break;
    case MaskAdd: d->DrawMaskAdd(0, 0, f.a, m.get(), false, false, one, s.get()); break;
    case FillAlpha: d->FillRectAlpha(one, f.s, f.a); break;
    case FillAdd: d->FillRectAdd(one, f.s); break;
    case FillSub: d->FillRectSub(one, f.s); break;
    case FillMask: d->FillMask(0, 0, f.a, f.s, false, false, one, m.get()); break;
    }
    return d->GetPixel(0, 0);
}

// 5-6-5 and 5-5-5 from channels.
constexpr uint32_t P16(uint32_t r, uint32_t g, uint32_t b) {
    return (r << 11) | (g << 5) | b;
}
constexpr uint32_t P15(uint32_t r, uint32_t g, uint32_t b) {
    return (r << 10) | (g << 5) | b;
}

const TFormula Formulas[] = {
    // DrawAlpha: (a s + (255 - a) d) >> 8. 255 is not a copy: 255 x 255 >> 8 = 254.
    {Alpha, 32, 0xFF8001, 0x000000, 255, 0, 0xFE7F00},
    {Alpha, 32, 0xFFFFFF, 0x000000, 1, 0, 0x000000},
    {Alpha, 32, 0xFFFFFF, 0x102030, 254, 0, 0xFDFDFD},       // (254 x 255 + 0x30) >> 8 = 253
    {Alpha, 32, 0x000000, 0xFFFFFF, 128, 0, 0x7E7E7E},       // 127 x 255 >> 8 = 126
    {Alpha, 32, 0x123456, 0x123456, 128, 0, 0x123456},       // equal pixels are left alone
    {Alpha, 32, 0x00123456, 0xFF123456, 9, 0, 0xFF123456},   // the top byte is not part of the colour
    {Alpha, 32, 0x00FFFFFF, 0xFF000000, 255, 0, 0x00FEFEFE}, // blended pixels lose the top byte
    {Alpha, 32, 0xFFFFFF, 0x000000, 0, 0, 0x000000},
    {Alpha, 16, P16(31, 63, 31), 0, 255, 0, P16(30, 62, 30)},
    {Alpha, 16, P16(31, 63, 31), P16(31, 63, 31), 100, 0, P16(31, 63, 31)},
    {Alpha, 16, P16(0, 0, 0), P16(31, 63, 31), 1, 0, P16(30, 62, 30)}, // 254 x 31 >> 8 = 30
    {Alpha, 15, P15(31, 31, 31), 0, 255, 0, P15(30, 30, 30)},
    {Alpha, 15, P15(1, 2, 3), P15(31, 0, 16), 128, 0, P15(15, 1, 9)}, // 4065 >> 8, 256 >> 8, 2416 >> 8
    {AlphaKeyed, 32, 0x00FF00, 0x000000, 200, 0, 0x000000},
    // DrawAdd: min(M, d + ((level s) >> 8)).
    {Add, 32, 0x808080, 0x808080, 255, 0, 0xFFFFFF},
    {Add, 32, 0x808080, 0x808080, 1, 0, 0x808080},
    {Add, 32, 0xFF0000, 0x01FF00, 255, 0, 0xFFFF00},
    {Add, 32, 0xFFFFFF, 0xFF000000, 256, 0, 0x00FEFEFE}, // level capped at 255; top byte cleared
    {Add, 32, 0xFFFFFF, 0x000000, 0, 0, 0x000000},
    {Add, 16, P16(31, 63, 31), P16(1, 1, 1), 255, 0, P16(31, 63, 31)},
    {Add, 16, P16(31, 63, 31), 0, 255, 0, P16(30, 62, 30)},
    {Add, 15, P15(16, 16, 16), P15(20, 0, 31), 128, 0, P15(28, 8, 31)},
    {AddMask8, 8, 100, 200, 7, 0, 255}, // 8-bit targets sum, whatever the level
    {AddMask8, 8, 20, 30, 1, 0, 50},
    // DrawMask: 255 copies, 0 skips, else ((255 - m) d + m s) >> 8.
    {Mask, 32, 0xFFFFFF, 0x000000, 0, 128, 0x7F7F7F},
    {Mask, 32, 0xFFFFFF, 0x000000, 0, 1, 0x000000},
    {Mask, 32, 0xFFFFFF, 0x000000, 0, 254, 0xFDFDFD},
    {Mask, 32, 0xFF123456, 0x000000, 0, 255, 0xFF123456},
    {Mask, 32, 0xFFFFFF, 0xFF000000, 0, 0, 0xFF000000},
    {Mask, 16, P16(31, 63, 31), P16(0, 0, 0), 0, 128, P16(15, 31, 15)},
    {Mask, 15, P15(31, 31, 31), P15(31, 31, 31), 0, 200, P15(30, 30, 30)}, // 255 x 31 >> 8
    // DrawMaskAlpha: b = (alpha m) >> 8, then ((255 - b) d + b s) >> 8.
    {MaskAlpha, 32, 0xFFFFFF, 0x000000, 255, 255, 0xFDFDFD},
    {MaskAlpha, 32, 0xFFFFFF, 0x000000, 128, 255, 0x7E7E7E},
    {MaskAlpha, 32, 0xFFFFFF, 0x404040, 1, 255, 0x3F3F3F}, // b = 0: (255 x 64) >> 8 = 63
    {MaskAlpha, 32, 0xFFFFFF, 0x404040, 255, 0, 0x404040},
    {MaskAlpha, 16, P16(31, 63, 31), 0, 255, 255, P16(30, 62, 30)},
    // DrawMaskAdd: k = (level m) >> 8, then min(M, d + ((k s) >> 8)).
    {MaskAdd, 32, 0xFFFFFF, 0x000000, 255, 255, 0xFDFDFD},
    {MaskAdd, 32, 0xFFFFFF, 0x808080, 255, 255, 0xFFFFFF},
    {MaskAdd, 32, 0xFFFFFF, 0x101010, 255, 1, 0x101010},
    {MaskAdd, 16, P16(31, 63, 31), P16(31, 0, 0), 255, 128, P16(31, 31, 15)},
    // FillRectAlpha skips pixels that already have the value.
    {FillAlpha, 32, 0xFFFFFF, 0x000000, 255, 0, 0xFEFEFE},
    {FillAlpha, 32, 0xFFFFFF, 0xFFFFFF, 100, 0, 0xFFFFFF},
    {FillAlpha, 32, 0x000000, 0xFFFFFF, 1, 0, 0xFDFDFD},
    {FillAlpha, 16, P16(31, 63, 31), 0, 128, 0, P16(15, 31, 15)},
    {FillAlpha, 15, P15(0, 31, 0), P15(31, 0, 31), 254, 0, P15(0, 30, 0)},
    // FillRectAdd / FillRectSub per channel with saturation.
    {FillAdd, 32, 0x808080, 0x808080, 0, 0, 0xFFFFFF},
    {FillAdd, 32, 0x010203, 0x0A0B0C, 0, 0, 0x0B0D0F},
    {FillAdd, 16, P16(20, 40, 20), P16(20, 40, 1), 0, 0, P16(31, 63, 21)},
    {FillSub, 32, 0x201010, 0x102030, 0, 0, 0x001020},
    {FillSub, 15, P15(1, 31, 0), P15(0, 31, 31), 0, 0, P15(0, 0, 31)},
    // FillMask: r = (alpha m) >> 8, then ((255 - r) d + r colour) >> 8.
    {FillMask, 32, 0xFFFFFF, 0x000000, 255, 255, 0xFDFDFD},
    {FillMask, 32, 0xFFFFFF, 0x000000, 255, 0, 0x000000},
    {FillMask, 32, 0xFFFFFF, 0x000000, 0, 255, 0x000000},
    {FillMask, 16, P16(31, 63, 31), P16(0, 0, 0), 255, 128, P16(15, 31, 15)},
};

TEST(PixelFormula, HandCheckedValuesAtEveryLevel) {
    for (int l = slReference; l <= BestSimdLevel(); ++l) {
        test::TLevelScope level(static_cast<TSimdLevel>(l));
        int i = 0;
        for (const TFormula& f : Formulas) {
            EXPECT_EQ(Apply(f), f.expect)
                << "case " << i << " (op " << f.op << ", " << f.bits << " bits) level " << l;
            ++i;
        }
    }
}

// Wider rows than one pixel take the packed loops; the same values must come out there.
TEST(PixelFormula, SameValuesInLongRows) {
    for (int l = slReference; l <= BestSimdLevel(); ++l) {
        test::TLevelScope level(static_cast<TSimdLevel>(l));
        for (int32_t bits : {15, 16, 32}) {
            auto d = MakeSurface(40, 1, bits), s = MakeSurface(40, 1, bits);
            const uint32_t white = bits == 32 ? 0xFFFFFF : bits == 16 ? 0xFFFF : 0x7FFF;
            s->Fill(white);
            d->Fill(0);
            d->DrawAlpha(0, 0, 255, false, false, false, TRect{0, 0, 40, 1}, s.get());
            const uint32_t expect = bits == 32 ? 0xFEFEFE : bits == 16 ? P16(30, 62, 30) : P15(30, 30, 30);
            for (int x = 0; x < 40; ++x) ASSERT_EQ(d->GetPixel(x, 0), expect) << bits << " " << x;
        }
    }
}

} // namespace
} // namespace vobe

namespace vobe {
namespace {

// Operations that take one combined blend value read it as: 0 nothing, 1..254 alpha, 255 copy,
// 256..511 additive with level value - 256.
TEST(PixelFormula, CombinedBlendValues) {
    const struct {
        int32_t blend;
        uint32_t expect;
    } cases[] = {
        {0, 0x404040},   {-3, 0x404040},  {1, 0x404040},                    // (1 x 255 + 254 x 64) >> 8 = 64
        {254, 0xFDFDFD}, {255, 0xFFFFFF}, {256, 0x404040}, {257, 0x404040}, // level 1: (1 x 255) >> 8 = 0
        {384, 0xBFBFBF},                                                    // level 128: 64 + 127
        {511, 0xFFFFFF}, {700, 0xFFFFFF},
    };
    for (int l = slReference; l <= BestSimdLevel(); ++l) {
        test::TLevelScope level(static_cast<TSimdLevel>(l));
        for (int32_t bits : {15, 16, 32}) {
            for (auto c : cases) {
                auto s = MakeSurface(1, 1, bits), d = MakeSurface(1, 1, bits);
                s->Fill(s->ColorToPixel(0xFFFFFF));
                d->Fill(d->ColorToPixel(0x404040));
                d->DrawRotate(0, 0, c.blend, false, false, false, 0, 0, 0, TRect{0, 0, 1, 1}, s.get(), 256,
                              256);
                // The expectations are 8-bit channels; at 5 and 6 bits the same formula on the channel
                // values.
                uint32_t expect = static_cast<uint32_t>(d->ColorToPixel(static_cast<int32_t>(c.expect)));
                if (bits != 32) {
                    // Recompute per channel at the narrow width from the same blend rules.
                    const uint32_t base = static_cast<uint32_t>(d->ColorToPixel(0x404040));
                    auto ch = [&](uint32_t dv, uint32_t M) -> uint32_t {
                        if (c.blend <= 0) return dv;
                        if (c.blend < 255) return (c.blend * M + (255 - c.blend) * dv) >> 8;
                        if (c.blend == 255) return M;
                        const uint32_t lv = std::min(255, c.blend - 256);
                        if (lv == 0) return dv;
                        return std::min(M, dv + ((lv * M) >> 8));
                    };
                    const int gs = 5, rs = bits == 15 ? 10 : 11;
                    const uint32_t gm = bits == 15 ? 31 : 63;
                    expect = (ch((base >> rs) & 31, 31) << rs) | (ch((base >> gs) & gm, gm) << gs) |
                             ch(base & 31, 31);
                }
                EXPECT_EQ(d->GetPixel(0, 0), expect)
                    << "blend " << c.blend << " bits " << bits << " level " << l;
            }
        }
    }
}

} // namespace
} // namespace vobe
