// The per-pixel reference rows of the run-time blends: every channel split with the format's masks,
// handled as its own unsigned integer and put back. The packed paths (pixel_kernels.h) must give the
// same bits; they also use these rows for their tails.
#pragma once

#include <cstdint>
#include <cstring>

namespace vobe::pxref {

// Formats as compile-time descriptions. Load/Store move one native value.
struct F8 {
    static constexpr int Bytes = 1;
    static constexpr uint32_t KeyMask = 0xFF;
    static constexpr int NCh = 1;
    static constexpr uint32_t Mask[3] = {0xFF, 0, 0};
    static constexpr int Shift[3] = {0, 0, 0};
    static uint32_t Load(const uint8_t* p) { return *p; }
    static void Store(uint8_t* p, uint32_t v) { *p = static_cast<uint8_t>(v); }
};
struct F15 {
    static constexpr int Bytes = 2;
    static constexpr uint32_t KeyMask = 0xFFFF;
    static constexpr int NCh = 3;
    static constexpr uint32_t Mask[3] = {0x7C00, 0x03E0, 0x001F};
    static constexpr int Shift[3] = {10, 5, 0};
    static uint32_t Load(const uint8_t* p) {
        uint16_t v;
        std::memcpy(&v, p, 2);
        return v;
    }
    static void Store(uint8_t* p, uint32_t v) {
        uint16_t w = static_cast<uint16_t>(v);
        std::memcpy(p, &w, 2);
    }
};
struct F16 : F15 {
    static constexpr uint32_t Mask[3] = {0xF800, 0x07E0, 0x001F};
    static constexpr int Shift[3] = {11, 5, 0};
};
struct F24 {
    static constexpr int Bytes = 3;
    static constexpr uint32_t KeyMask = 0xFFFFFF;
    static constexpr int NCh = 3;
    static constexpr uint32_t Mask[3] = {0x0000FF, 0x00FF00, 0xFF0000};
    static constexpr int Shift[3] = {0, 8, 16};
    static uint32_t Load(const uint8_t* p) {
        return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16);
    }
    static void Store(uint8_t* p, uint32_t v) {
        p[0] = static_cast<uint8_t>(v >> 16);
        p[1] = static_cast<uint8_t>(v >> 8);
        p[2] = static_cast<uint8_t>(v);
    }
};
struct F32 {
    static constexpr int Bytes = 4;
    // The top byte is ignored: keys and equality tests look at the colour only.
    static constexpr uint32_t KeyMask = 0xFFFFFF;
    static constexpr int NCh = 3;
    static constexpr uint32_t Mask[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    static constexpr int Shift[3] = {16, 8, 0};
    static uint32_t Load(const uint8_t* p) {
        uint32_t v;
        std::memcpy(&v, p, 4);
        return v;
    }
    static void Store(uint8_t* p, uint32_t v) { std::memcpy(p, &v, 4); }
};

// Applies op(s, d, M) to every channel; bits outside the channels become 0.
template <class F, class Op> inline uint32_t PerChannel(uint32_t s, uint32_t d, Op op) {
    uint32_t out = 0;
    for (int c = 0; c < F::NCh; ++c) {
        const uint32_t m = F::Mask[c];
        const int sh = F::Shift[c];
        out |= (op((s & m) >> sh, (d & m) >> sh, m >> sh) << sh) & m;
    }
    return out;
}

inline bool IsKey(uint32_t v, uint32_t keyMask, int64_t key) {
    return key >= 0 && (v & keyMask) == (static_cast<uint32_t>(key) & keyMask);
}

// `step` is +1 or -1: the direction in which the source (and its mask) is read.

template <class F> void Fill(uint8_t* d, int n, uint32_t v) {
    for (int i = 0; i < n; ++i, d += F::Bytes) F::Store(d, v);
}

template <class F> void CopyKey(uint8_t* d, const uint8_t* s, int step, int n, int64_t key) {
    const int ss = step * F::Bytes;
    for (int i = 0; i < n; ++i, d += F::Bytes, s += ss) {
        uint32_t sv = F::Load(s);
        if (!IsKey(sv, F::KeyMask, key)) F::Store(d, sv);
    }
}

template <class F> void Alpha(uint8_t* d, const uint8_t* s, int step, int n, uint32_t alpha, int64_t key) {
    const int ss = step * F::Bytes;
    const uint32_t ia = 255 - alpha;
    for (int i = 0; i < n; ++i, d += F::Bytes, s += ss) {
        uint32_t sv = F::Load(s), dv = F::Load(d);
        if (((sv ^ dv) & F::KeyMask) == 0 || IsKey(sv, F::KeyMask, key)) continue;
        F::Store(d, PerChannel<F>(
                        sv, dv, [&](uint32_t a, uint32_t b, uint32_t) { return (alpha * a + ia * b) >> 8; }));
    }
}

template <class F> void Add(uint8_t* d, const uint8_t* s, int step, int n, uint32_t level, int64_t key) {
    const int ss = step * F::Bytes;
    for (int i = 0; i < n; ++i, d += F::Bytes, s += ss) {
        uint32_t sv = F::Load(s), dv = F::Load(d);
        if (IsKey(sv, F::KeyMask, key)) continue;
        F::Store(d, PerChannel<F>(sv, dv, [&](uint32_t a, uint32_t b, uint32_t M) {
                     uint32_t r = b + ((level * a) >> 8);
                     return r > M ? M : r;
                 }));
    }
}

// Mask accumulation on 8-bit targets: the sum capped at 255, level ignored.
inline void AddBytes(uint8_t* d, const uint8_t* s, int step, int n, int64_t key) {
    for (int i = 0; i < n; ++i, ++d, s += step) {
        if (IsKey(*s, 0xFF, key)) continue;
        uint32_t r = *d + *s;
        *d = static_cast<uint8_t>(r > 255 ? 255 : r);
    }
}

template <class F> void Mask(uint8_t* d, const uint8_t* s, const uint8_t* m, int step, int n) {
    const int ss = step * F::Bytes;
    for (int i = 0; i < n; ++i, d += F::Bytes, s += ss, m += step) {
        uint32_t mv = *m;
        if (mv == 0) continue;
        uint32_t sv = F::Load(s);
        if (mv == 255) {
            F::Store(d, sv);
            continue;
        }
        F::Store(d, PerChannel<F>(sv, F::Load(d), [&](uint32_t a, uint32_t b, uint32_t) {
                     return ((255 - mv) * b + mv * a) >> 8;
                 }));
    }
}

template <class F>
void MaskAlpha(uint8_t* d, const uint8_t* s, const uint8_t* m, int step, int n, uint32_t alpha) {
    const int ss = step * F::Bytes;
    for (int i = 0; i < n; ++i, d += F::Bytes, s += ss, m += step) {
        if (*m == 0) continue;
        uint32_t b = (alpha * *m) >> 8;
        F::Store(d, PerChannel<F>(F::Load(s), F::Load(d), [&](uint32_t sc, uint32_t dc, uint32_t) {
                     return ((255 - b) * dc + b * sc) >> 8;
                 }));
    }
}

template <class F>
void MaskAdd(uint8_t* d, const uint8_t* s, const uint8_t* m, int step, int n, uint32_t level) {
    const int ss = step * F::Bytes;
    for (int i = 0; i < n; ++i, d += F::Bytes, s += ss, m += step) {
        if (*m == 0) continue;
        uint32_t k = (level * *m) >> 8;
        F::Store(d, PerChannel<F>(F::Load(s), F::Load(d), [&](uint32_t sc, uint32_t dc, uint32_t M) {
                     uint32_t r = dc + ((k * sc) >> 8);
                     return r > M ? M : r;
                 }));
    }
}

template <class F> void FillAlpha(uint8_t* d, int n, uint32_t v, uint32_t alpha) {
    const uint32_t ia = 255 - alpha;
    for (int i = 0; i < n; ++i, d += F::Bytes) {
        uint32_t dv = F::Load(d);
        if (((dv ^ v) & F::KeyMask) == 0) continue;
        F::Store(d, PerChannel<F>(
                        v, dv, [&](uint32_t a, uint32_t b, uint32_t) { return (alpha * a + ia * b) >> 8; }));
    }
}

template <class F> void FillAdd(uint8_t* d, int n, uint32_t v) {
    for (int i = 0; i < n; ++i, d += F::Bytes)
        F::Store(d, PerChannel<F>(v, F::Load(d), [](uint32_t a, uint32_t b, uint32_t M) {
                     uint32_t r = a + b;
                     return r > M ? M : r;
                 }));
}

template <class F> void FillSub(uint8_t* d, int n, uint32_t v) {
    for (int i = 0; i < n; ++i, d += F::Bytes)
        F::Store(d, PerChannel<F>(v, F::Load(d),
                                  [](uint32_t a, uint32_t b, uint32_t) { return b > a ? b - a : 0; }));
}

template <class F>
void FillMask(uint8_t* d, const uint8_t* m, int step, int n, uint32_t colour, uint32_t alpha) {
    for (int i = 0; i < n; ++i, d += F::Bytes, m += step) {
        if (*m == 0) continue;
        uint32_t r = (alpha * *m) >> 8;
        F::Store(d, PerChannel<F>(colour, F::Load(d), [&](uint32_t c, uint32_t dc, uint32_t) {
                     return ((255 - r) * dc + r * c) >> 8;
                 }));
    }
}

} // namespace vobe::pxref
