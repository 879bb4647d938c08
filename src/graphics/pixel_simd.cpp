// The row kernels at each level, and the choice of level at run time.
#include "graphics/pixel_kernels.h"

#include <atomic>
#include <cstring>

#include "graphics/pixel_ref.h"

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VOBE_X86 1
#endif

namespace vobe {

namespace {

namespace ref {
template <class F> void CopyKey(uint8_t* d, const uint8_t* s, int n, int64_t key) {
    pxref::CopyKey<F>(d, s, 1, n, key);
}
template <class F> void Alpha(uint8_t* d, const uint8_t* s, int n, uint32_t a, int64_t key) {
    pxref::Alpha<F>(d, s, 1, n, a, key);
}
template <class F> void Add(uint8_t* d, const uint8_t* s, int n, uint32_t l, int64_t key) {
    pxref::Add<F>(d, s, 1, n, l, key);
}
template <class F> void Mask(uint8_t* d, const uint8_t* s, const uint8_t* m, int n) {
    pxref::Mask<F>(d, s, m, 1, n);
}
template <class F> void MaskAlpha(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, uint32_t a) {
    pxref::MaskAlpha<F>(d, s, m, 1, n, a);
}
template <class F> void MaskAdd(uint8_t* d, const uint8_t* s, const uint8_t* m, int n, uint32_t l) {
    pxref::MaskAdd<F>(d, s, m, 1, n, l);
}
template <class F> void FillMask(uint8_t* d, const uint8_t* m, int n, uint32_t c, uint32_t a) {
    pxref::FillMask<F>(d, m, 1, n, c, a);
}
template <class F> constexpr TRowKernels Make() {
    return TRowKernels{pxref::Fill<F>,    CopyKey<F>,        Alpha<F>,   Add<F>,
                       Mask<F>,           MaskAlpha<F>,      MaskAdd<F>, pxref::FillAlpha<F>,
                       pxref::FillAdd<F>, pxref::FillSub<F>, FillMask<F>};
}
const TRowKernels K15 = Make<pxref::F15>();
const TRowKernels K16 = Make<pxref::F16>();
const TRowKernels K32 = Make<pxref::F32>();
} // namespace ref

#ifdef VOBE_X86

namespace sse2 {
#define VW 16
#define ADDS_U8(a, b) ((vu32)_mm_adds_epu8((__m128i)(a), (__m128i)(b)))
#define SUBS_U8(a, b) ((vu32)_mm_subs_epu8((__m128i)(a), (__m128i)(b)))
#define WIDEN_8_16(p)                                                                                        \
    _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)), _mm_setzero_si128())
#define WIDEN_8_32(p)                                                                                        \
    _mm_unpacklo_epi16(_mm_unpacklo_epi8(_mm_cvtsi32_si128(Load32(p)), _mm_setzero_si128()),                 \
                       _mm_setzero_si128())
static inline int Load32(const uint8_t* p) {
    int v;
    std::memcpy(&v, p, 4);
    return v;
}
#include "graphics/pixel_kernels.inc"
#undef VW
#undef ADDS_U8
#undef SUBS_U8
#undef WIDEN_8_16
#undef WIDEN_8_32
} // namespace sse2

#if defined(__clang__)
#pragma clang attribute push(__attribute__((target("avx2"))), apply_to = function)
#else
#pragma GCC push_options
#pragma GCC target("avx2")
#endif
namespace avx2 {
#define VW 32
#define ADDS_U8(a, b) ((vu32)_mm256_adds_epu8((__m256i)(a), (__m256i)(b)))
#define SUBS_U8(a, b) ((vu32)_mm256_subs_epu8((__m256i)(a), (__m256i)(b)))
#define WIDEN_8_16(p) _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)))
#define WIDEN_8_32(p) _mm256_cvtepu8_epi32(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)))
#include "graphics/pixel_kernels.inc"
#undef VW
#undef ADDS_U8
#undef SUBS_U8
#undef WIDEN_8_16
#undef WIDEN_8_32
} // namespace avx2
#if defined(__clang__)
#pragma clang attribute pop
#else
#pragma GCC pop_options
#endif

#endif // VOBE_X86

TSimdLevel DetectLevel() {
#ifdef VOBE_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return slAVX2;
    if (__builtin_cpu_supports("sse2")) return slSSE2;
#endif
    return slReference;
}

const TSimdLevel Best = DetectLevel();
std::atomic<int> Current{Best};

} // namespace

TSimdLevel BestSimdLevel() {
    return Best;
}
TSimdLevel GetSimdLevel() {
    return static_cast<TSimdLevel>(Current.load(std::memory_order_relaxed));
}

TSimdLevel SetSimdLevel(TSimdLevel level) {
    if (level > Best) level = Best;
    Current.store(level, std::memory_order_relaxed);
    return level;
}

const TRowKernels* RowKernelsAt(TSimdLevel level, int32_t bitCount) {
    int idx = bitCount == 15 ? 0 : bitCount == 16 ? 1 : bitCount == 32 ? 2 : -1;
    if (idx < 0) return nullptr;
    if (level > Best) level = Best;
#ifdef VOBE_X86
    static const TRowKernels* const Sse[3] = {&sse2::K15, &sse2::K16, &sse2::K32};
    static const TRowKernels* const Avx[3] = {&avx2::K15, &avx2::K16, &avx2::K32};
    if (level == slAVX2) return Avx[idx];
    if (level == slSSE2) return Sse[idx];
#endif
    static const TRowKernels* const Ref[3] = {&ref::K15, &ref::K16, &ref::K32};
    return Ref[idx];
}

const TRowKernels* RowKernels(int32_t bitCount) {
    return RowKernelsAt(GetSimdLevel(), bitCount);
}

} // namespace vobe
