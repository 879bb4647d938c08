// The hot pixel operations on an 800 x 600 surface at 16 and 32 bits, beside memcpy of the same bytes
// and pixman's nearest equivalent. Rates are in pixels per second (items_per_second).
#include <benchmark/benchmark.h>
#include <pixman.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <random>
#include <vector>

#include "graphics/dibx.h"
#include "graphics/pixel_kernels.h"

namespace {

using namespace vobe;

constexpr int32_t W = 800, H = 600;

struct TScene {
    std::unique_ptr<TDIBX> dst, src, mask;
    explicit TScene(int32_t bits) {
        dst = std::make_unique<TDIBX>();
        src = std::make_unique<TDIBX>();
        mask = std::make_unique<TDIBX>();
        dst->SetSize(W, H, bits);
        src->SetSize(W, H, bits);
        mask->SetSize(W, H, 8);
        std::mt19937 rng(7);
        for (int32_t y = 0; y < H; ++y)
            for (int32_t x = 0; x < W; ++x) {
                const uint32_t r = rng();
                // A picture with a transparent surround, as sprites have.
                const bool key = (x / 40 + y / 40) % 3 == 0;
                src->SetPixel(x, y, key ? 0 : (r & (bits == 32 ? 0xFFFFFF : 0xFFFF)) | 1);
                dst->SetPixel(x, y, rng() & (bits == 32 ? 0xFFFFFF : 0xFFFF));
                mask->SetPixel(x, y, key ? 0 : (x % 7 == 0 ? rng() & 0xFF : 255));
            }
        src->TransparentColor = 0;
    }
};

const TRect All{0, 0, W, H};

void Done(benchmark::State& st) {
    st.SetItemsProcessed(static_cast<int64_t>(st.iterations()) * W * H);
}

void BM_Fill(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        s.dst->FillRect(All, 0x1234);
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_Copy(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        s.dst->Draw(0, 0, false, false, false, All, s.src.get());
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_KeyedCopy(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        s.dst->Draw(0, 0, false, false, true, All, s.src.get());
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_AlphaBlend(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        s.dst->DrawAlpha(0, 0, 128, false, false, false, All, s.src.get());
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_AddBlend(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        s.dst->DrawAdd(0, 0, 200, false, false, All, s.src.get());
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_MaskAlphaBlend(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        s.dst->DrawMaskAlpha(0, 0, 200, s.mask.get(), false, false, All, s.src.get());
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_Stretch(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        s.dst->StretchDrawAlpha(All, s.src.get(), 255, false, false, false, TRect{100, 100, 500, 400});
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_RotateZoom(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        // A quarter-size picture at 30 degrees and double size: the box covers most of the screen.
        s.dst->DrawRotate(400, 300, 255, false, false, false, 21, 150, 200, TRect{0, 0, 400, 300},
                          s.src.get(), 512, 512);
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_TileDraw(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        s.dst->TileDrawAlpha(All, 0, 13, 17, 128, false, TRect{0, 0, 64, 64}, s.src.get(), 0);
        benchmark::ClobberMemory();
    }
    Done(st);
}

void BM_TileZoom(benchmark::State& st) {
    TScene s(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        // The whole picture repeated at 1.5 times its size, half transparent.
        s.dst->TileZoom(All, 384, 128, false, false, false, 13, 17, s.src.get(), 384);
        benchmark::ClobberMemory();
    }
    Done(st);
}

// ---- the same work in plain memcpy and in pixman ----------------------------------------------------

void BM_memcpy(benchmark::State& st) {
    const size_t bytes = static_cast<size_t>(W) * H * (st.range(0) / 8);
    std::vector<uint8_t> a(bytes, 1), b(bytes, 2);
    for (auto _ : st) {
        std::memcpy(b.data(), a.data(), bytes);
        benchmark::ClobberMemory();
    }
    Done(st);
}

struct TPixman {
    TScene s;
    pixman_image_t *dst, *src, *srcAlpha, *mask;
    explicit TPixman(int32_t bits) : s(bits) {
        const pixman_format_code_t f = bits == 32 ? PIXMAN_x8r8g8b8 : PIXMAN_r5g6b5;
        dst = pixman_image_create_bits(f, W, H, reinterpret_cast<uint32_t*>(s.dst->DIB()->Bits()),
                                       s.dst->Pitch());
        src = pixman_image_create_bits(f, W, H, reinterpret_cast<uint32_t*>(s.src->DIB()->Bits()),
                                       s.src->Pitch());
        // The keyed picture as pixman would hold it: alpha 0 where the key is.
        srcAlpha = pixman_image_create_bits(PIXMAN_a8r8g8b8, W, H, nullptr, 0);
        auto* p = pixman_image_get_data(srcAlpha);
        for (int32_t y = 0; y < H; ++y)
            for (int32_t x = 0; x < W; ++x) {
                uint32_t v = s.src->GetPixel(x, y);
                p[y * W + x] = v == 0 ? 0 : (0xFF000000u | v);
            }
        mask = pixman_image_create_bits(PIXMAN_a8, W, H, reinterpret_cast<uint32_t*>(s.mask->DIB()->Bits()),
                                        s.mask->Pitch());
    }
    ~TPixman() {
        pixman_image_unref(dst);
        pixman_image_unref(src);
        pixman_image_unref(srcAlpha);
        pixman_image_unref(mask);
    }
};

pixman_image_t* SolidAlpha(uint16_t a) {
    pixman_color_t c = {0, 0, 0, static_cast<uint16_t>(a * 257)};
    return pixman_image_create_solid_fill(&c);
}

void BM_pixman_Fill(benchmark::State& st) {
    TPixman p(static_cast<int32_t>(st.range(0)));
    const int bpp = static_cast<int>(st.range(0));
    for (auto _ : st) {
        pixman_fill(reinterpret_cast<uint32_t*>(p.s.dst->DIB()->Bits()), p.s.dst->Pitch() / 4, bpp, 0, 0, W,
                    H, 0x1234);
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_pixman_Copy(benchmark::State& st) {
    TPixman p(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_SRC, p.src, nullptr, p.dst, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_pixman_KeyedCopy_OVER(benchmark::State& st) {
    TPixman p(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_OVER, p.srcAlpha, nullptr, p.dst, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_pixman_AlphaBlend_OVER(benchmark::State& st) {
    TPixman p(static_cast<int32_t>(st.range(0)));
    pixman_image_t* a = SolidAlpha(128);
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_OVER, p.src, a, p.dst, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(a);
    Done(st);
}
void BM_pixman_AddBlend_ADD(benchmark::State& st) {
    TPixman p(static_cast<int32_t>(st.range(0)));
    pixman_image_t* a = SolidAlpha(200);
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_ADD, p.src, a, p.dst, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    pixman_image_unref(a);
    Done(st);
}
void BM_pixman_MaskAlphaBlend_OVER(benchmark::State& st) {
    TPixman p(static_cast<int32_t>(st.range(0)));
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_OVER, p.src, p.mask, p.dst, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_pixman_Stretch_SRC(benchmark::State& st) {
    TPixman p(static_cast<int32_t>(st.range(0)));
    pixman_transform_t t;
    pixman_transform_init_scale(&t, pixman_double_to_fixed(0.5), pixman_double_to_fixed(0.5));
    pixman_image_set_transform(p.src, &t);
    pixman_image_set_filter(p.src, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_SRC, p.src, nullptr, p.dst, 200, 200, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    Done(st);
}
void BM_pixman_RotateZoom_OVER(benchmark::State& st) {
    TPixman p(static_cast<int32_t>(st.range(0)));
    pixman_f_transform_t f;
    pixman_f_transform_init_identity(&f);
    pixman_f_transform_translate(&f, nullptr, -400, -300);
    pixman_f_transform_rotate(&f, nullptr, std::cos(-0.515), std::sin(-0.515));
    pixman_f_transform_scale(&f, nullptr, 0.5, 0.5);
    pixman_f_transform_translate(&f, nullptr, 200, 150);
    pixman_transform_t t;
    pixman_transform_from_pixman_f_transform(&t, &f);
    pixman_image_set_transform(p.srcAlpha, &t);
    pixman_image_set_filter(p.srcAlpha, PIXMAN_FILTER_NEAREST, nullptr, 0);
    for (auto _ : st) {
        pixman_image_composite32(PIXMAN_OP_OVER, p.srcAlpha, nullptr, p.dst, 0, 0, 0, 0, 0, 0, W, H);
        benchmark::ClobberMemory();
    }
    Done(st);
}

#define PIXEL_BENCH(fn) BENCHMARK(fn)->Arg(16)->Arg(32)->Unit(benchmark::kMillisecond)
PIXEL_BENCH(BM_Fill);
PIXEL_BENCH(BM_pixman_Fill);
PIXEL_BENCH(BM_memcpy);
PIXEL_BENCH(BM_Copy);
PIXEL_BENCH(BM_pixman_Copy);
PIXEL_BENCH(BM_KeyedCopy);
PIXEL_BENCH(BM_pixman_KeyedCopy_OVER);
PIXEL_BENCH(BM_AlphaBlend);
PIXEL_BENCH(BM_pixman_AlphaBlend_OVER);
PIXEL_BENCH(BM_AddBlend);
PIXEL_BENCH(BM_pixman_AddBlend_ADD);
PIXEL_BENCH(BM_MaskAlphaBlend);
PIXEL_BENCH(BM_pixman_MaskAlphaBlend_OVER);
PIXEL_BENCH(BM_TileDraw);
PIXEL_BENCH(BM_TileZoom);
PIXEL_BENCH(BM_Stretch);
PIXEL_BENCH(BM_pixman_Stretch_SRC);
PIXEL_BENCH(BM_RotateZoom);
PIXEL_BENCH(BM_pixman_RotateZoom_OVER);

} // namespace

BENCHMARK_MAIN();
