// The packed paths against the per-pixel reference: random pixels, sizes, clips and arguments at every
// target depth; the results must be the same bits.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "graphics/pixel_kernels.h"
#include "graphics_test_util.h"

namespace vobe {
namespace {

using test::MakeSurface;

struct TCase {
    int32_t op, x, y, alpha, gx, gy, ox, oy;
    bool flipV, flipH, transparent;
    TRect src, dest, clip;
    uint32_t value;
};

const char* const OpNames[] = {
    "FillRect",         "FillRectAlpha",      "FillRectAdd",   "FillRectSub",  "Draw",
    "DrawMask",         "DrawAlpha",          "DrawMaskAlpha", "DrawAdd",      "DrawMaskAdd",
    "FillMask",         "TileDraw",           "TileDrawAlpha", "TileDrawAdd",  "TileDrawMaskAlpha",
    "StretchDrawAlpha", "StretchDrawMaskAdd", "DrawRotate",    "TileZoomMask", "FrameRectAlpha"};
constexpr int32_t OpCount = 20;

void RunCase(const TCase& c, TDIBX& d, TDIBX& s, TDIBX& m) {
    d.SetClipRect(c.clip);
    switch (c.op) {
    case 0: d.FillRect(c.dest, c.value); break;
    case 1: d.FillRectAlpha(c.dest, c.value, c.alpha); break;
    case 2: d.FillRectAdd(c.dest, c.value); break;
    case 3: d.FillRectSub(c.dest, c.value); break;
    case 4: d.Draw(c.x, c.y, c.flipV, c.flipH, c.transparent, c.src, &s); break;
    case 5: d.DrawMask(c.x, c.y, &m, c.flipV, c.flipH, c.src, &s); break;
    case 6: d.DrawAlpha(c.x, c.y, c.alpha, c.flipV, c.flipH, c.transparent, c.src, &s); break;
    case 7: d.DrawMaskAlpha(c.x, c.y, c.alpha, &m, c.flipV, c.flipH, c.src, &s); break;
    case 8: d.DrawAdd(c.x, c.y, c.alpha, c.flipV, c.flipH, c.src, &s); break;
    case 9: d.DrawMaskAdd(c.x, c.y, c.alpha, &m, c.flipV, c.flipH, c.src, &s); break;
    case 10: d.FillMask(c.x, c.y, c.alpha, c.value, c.flipV, c.flipH, c.src, &m); break;
    case 11: d.TileDraw(c.dest, c.gx, c.oy, c.ox, c.transparent, c.src, &s, c.gy); break;
    case 12: d.TileDrawAlpha(c.dest, c.gx, c.oy, c.ox, c.alpha, c.transparent, c.src, &s, c.gy); break;
    case 13: d.TileDrawAdd(c.dest, c.gx, c.oy, c.ox, c.alpha, c.src, &s, c.gy); break;
    case 14: d.TileDrawMaskAlpha(c.dest, c.gx, c.oy, c.ox, c.alpha, &m, c.src, &s, c.gy); break;
    case 15: d.StretchDrawAlpha(c.dest, &s, c.alpha, c.flipV, c.flipH, c.transparent, c.src); break;
    case 16: d.StretchDrawMaskAdd(c.dest, &s, c.alpha, &m, c.flipV, c.flipH, c.src); break;
    case 17:
        d.DrawRotate(c.x, c.y, c.alpha * 2, c.flipV, c.flipH, c.transparent, c.gx * 9, c.oy, c.ox, c.src, &s,
                     200 + c.gy * 20, 180 + c.gx * 30);
        break;
    case 18:
        d.TileZoomMask(c.dest, 100 + c.gx * 40, c.alpha * 2, &m, c.flipV, c.flipH, c.oy, c.ox, &s, 300);
        break;
    case 19: d.FrameRectAlpha(c.dest, 1 + c.gx % 3, c.alpha, c.value); break;
    }
}

class SimdDiff : public ::testing::TestWithParam<int32_t> {};

TEST_P(SimdDiff, PackedPathsGiveTheReferenceBits) {
    const int32_t bits = GetParam();
    const TSimdLevel best = BestSimdLevel();
    if (best == slReference) GTEST_SKIP() << "no packed level on this processor";
    std::mt19937 rng(1234 + bits);
    auto R = [&](int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
    };
    const int32_t alphas[] = {0, 1, 2, 127, 128, 254, 255, 256, 511, -5};
    for (int iter = 0; iter < 1500; ++iter) {
        const int32_t dw = R(1, 75), dh = R(1, 7), sw = R(1, 70), sh = R(1, 7);
        auto d0 = MakeSurface(dw, dh, bits), s = MakeSurface(sw, sh, bits), m = MakeSurface(sw, sh, 8);
        // Frequent values make equal pixels and colour keys occur.
        std::vector<uint32_t> common;
        for (int i = 0; i < 3; ++i) common.push_back(test::RandomPixel(rng, bits, {}));
        test::Randomize(*d0, rng, common);
        test::Randomize(*s, rng, common);
        test::RandomMask(*m, rng);
        s->TransparentColor =
            (rng() & 1) ? static_cast<int32_t>(common[0] & (bits == 32 ? 0xFFFFFF : 0xFFFF)) : -1;
        TCase c;
        c.op = R(0, OpCount - 1);
        c.x = R(-sw, dw);
        c.y = R(-sh, dh);
        c.alpha = (rng() & 1) ? alphas[rng() % 10] : R(0, 255);
        c.gx = R(-1, 3);
        c.gy = R(-1, 3);
        c.ox = R(-30, 30);
        c.oy = R(-10, 10);
        c.flipV = rng() & 1;
        c.flipH = (rng() % 3) == 0;
        c.transparent = rng() & 1;
        c.src = TRect{R(-2, sw - 1), R(-1, sh - 1), 0, 0};
        c.src.Right = c.src.Left + R(1, sw + 2);
        c.src.Bottom = c.src.Top + R(1, sh + 1);
        c.dest = TRect{R(-10, dw), R(-3, dh), 0, 0};
        c.dest.Right = c.dest.Left + R(0, dw + 20);
        c.dest.Bottom = c.dest.Top + R(0, dh + 4);
        c.clip = (rng() % 4) == 0
                     ? TRect{}
                     : TRect{R(-5, dw / 2), R(-2, dh / 2), R(dw / 2 + 1, dw + 5), R(dh / 2 + 1, dh + 3)};
        c.value = test::RandomPixel(rng, bits, common);

        std::vector<uint8_t> expect;
        {
            test::TLevelScope level(slReference);
            auto d = MakeSurface(dw, dh, bits);
            d->Assign(d0.get());
            RunCase(c, *d, *s, *m);
            expect = test::Pixels(*d);
        }
        for (int l = slSSE2; l <= best; ++l) {
            test::TLevelScope level(static_cast<TSimdLevel>(l));
            auto d = MakeSurface(dw, dh, bits);
            d->Assign(d0.get());
            RunCase(c, *d, *s, *m);
            ASSERT_EQ(test::Pixels(*d), expect) << OpNames[c.op] << " at level " << l << ", iteration "
                                                << iter << ", " << dw << "x" << dh << ", alpha " << c.alpha;
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Depths, SimdDiff, ::testing::Values(15, 16, 32),
                         [](const ::testing::TestParamInfo<int32_t>& i) {
                             return "Bits" + std::to_string(i.param);
                         });

// Long rows reach the main loops of the widest vectors, not only their tails.
TEST(SimdDiffRows, EveryKernelOnLongRows) {
    const TSimdLevel best = BestSimdLevel();
    if (best == slReference) GTEST_SKIP();
    std::mt19937 rng(99);
    for (int32_t bits : {15, 16, 32}) {
        const int bpp = bits == 32 ? 4 : 2;
        for (int n : {1, 7, 8, 15, 16, 17, 31, 33, 64, 131}) {
            std::vector<uint8_t> src(n * bpp), dst(n * bpp), mask(n);
            std::vector<uint32_t> common = {test::RandomPixel(rng, bits, {}),
                                            test::RandomPixel(rng, bits, {})};
            for (int i = 0; i < n; ++i) {
                uint32_t a = test::RandomPixel(rng, bits, common), b = test::RandomPixel(rng, bits, common);
                if (i % 5 == 0) b = a;
                std::memcpy(&src[i * bpp], &a, bpp);
                std::memcpy(&dst[i * bpp], &b, bpp);
                mask[i] = static_cast<uint8_t>(i % 4 == 0 ? 0 : i % 4 == 1 ? 255 : rng());
            }
            const int64_t key = common[0] & (bits == 32 ? 0xFFFFFF : 0xFFFF);
            for (uint32_t a : {1u, 128u, 254u, 255u}) {
                auto check = [&](const char* name,
                                 const std::function<void(const TRowKernels*, uint8_t*)>& f) {
                    std::vector<uint8_t> ref = dst;
                    f(RowKernelsAt(slReference, bits), ref.data());
                    for (int l = slSSE2; l <= best; ++l) {
                        std::vector<uint8_t> got = dst;
                        f(RowKernelsAt(static_cast<TSimdLevel>(l), bits), got.data());
                        ASSERT_EQ(got, ref)
                            << name << " bits " << bits << " n " << n << " a " << a << " level " << l;
                    }
                };
                uint32_t v;
                std::memcpy(&v, src.data(), bpp);
                check("Fill", [&](const TRowKernels* k, uint8_t* d) { k->Fill(d, n, v); });
                check("CopyKey",
                      [&](const TRowKernels* k, uint8_t* d) { k->CopyKey(d, src.data(), n, key); });
                check("Alpha", [&](const TRowKernels* k, uint8_t* d) { k->Alpha(d, src.data(), n, a, key); });
                check("AlphaNoKey",
                      [&](const TRowKernels* k, uint8_t* d) { k->Alpha(d, src.data(), n, a, -1); });
                check("Add", [&](const TRowKernels* k, uint8_t* d) { k->Add(d, src.data(), n, a, key); });
                check("Mask",
                      [&](const TRowKernels* k, uint8_t* d) { k->Mask(d, src.data(), mask.data(), n); });
                check("MaskAlpha", [&](const TRowKernels* k, uint8_t* d) {
                    k->MaskAlpha(d, src.data(), mask.data(), n, a);
                });
                check("MaskAdd", [&](const TRowKernels* k, uint8_t* d) {
                    k->MaskAdd(d, src.data(), mask.data(), n, a);
                });
                check("FillAlpha", [&](const TRowKernels* k, uint8_t* d) { k->FillAlpha(d, n, v, a); });
                check("FillAdd", [&](const TRowKernels* k, uint8_t* d) { k->FillAdd(d, n, v); });
                check("FillSub", [&](const TRowKernels* k, uint8_t* d) { k->FillSub(d, n, v); });
                check("FillMask",
                      [&](const TRowKernels* k, uint8_t* d) { k->FillMask(d, mask.data(), n, v, a); });
            }
        }
    }
}

} // namespace
} // namespace vobe

namespace vobe {
namespace {

// Rotation: the packed levels find each row's run of samples by arithmetic, the reference tests every
// pixel; both must cover exactly the same pixels.
TEST(SimdDiffRotate, RowIntervalsMatchThePerPixelTests) {
    if (BestSimdLevel() == slReference) GTEST_SKIP();
    std::mt19937 rng(4242);
    auto R = [&](int32_t lo, int32_t hi) {
        return lo + static_cast<int32_t>(rng() % static_cast<uint32_t>(hi - lo + 1));
    };
    for (int iter = 0; iter < 600; ++iter) {
        const int32_t bits = (iter % 3 == 0) ? 15 : (iter % 3 == 1) ? 16 : 32;
        const int32_t sw = R(1, 24), sh = R(1, 24);
        auto s = test::MakeSurface(sw, sh, bits), m = test::MakeSurface(sw, sh, 8);
        test::Randomize(*s, rng, {});
        test::RandomMask(*m, rng);
        auto d0 = test::MakeSurface(48, 40, bits);
        test::Randomize(*d0, rng, {});
        const TRect src{R(0, sw - 1), R(0, sh - 1), 0, 0};
        const TRect src2{src.Left, src.Top, R(src.Left + 1, sw), R(src.Top + 1, sh)};
        const int32_t angle = R(-300, 300), zx = R(1, 900), zy = R(1, 900), blend = R(1, 511);
        const int32_t cx = R(-10, 58), cy = R(-10, 50), px = R(-5, 30), py = R(-5, 30);
        const bool fv = rng() & 1, fh = rng() & 1, masked = rng() & 1;
        auto run = [&](TSimdLevel l) {
            test::TLevelScope level(l);
            auto d = test::MakeSurface(48, 40, bits);
            d->Assign(d0.get());
            if (masked)
                d->DrawRotateMask(cx, cy, blend, fv, fh, m.get(), angle, py, px, src2, s.get(), zy, zx);
            else
                d->DrawRotate(cx, cy, blend, fv, fh, true, angle, py, px, src2, s.get(), zy, zx);
            return test::Pixels(*d);
        };
        const auto expect = run(slReference);
        ASSERT_EQ(run(BestSimdLevel()), expect)
            << "iteration " << iter << " angle " << angle << " zoom " << zx << "," << zy;
    }
}

} // namespace
} // namespace vobe
