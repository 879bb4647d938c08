#include "graphics/pixel_ops.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "graphics/pixel_kernels.h"
#include "graphics/pixel_ref.h"

namespace vobe::px {

namespace {

constexpr double Pi = 3.14159265358979323846;

int BytesOf(int32_t bits) {
    switch (bits) {
    case 8: return 1;
    case 15:
    case 16: return 2;
    case 24: return 3;
    case 32: return 4;
    default: return 0;
    }
}

// Targets of the run-time operations.
bool Drawable(const TPixelView& d) {
    return d.Valid() && BytesOf(d.BitCount) > 0;
}

bool SameFormat(const TPixelView& d, const TPixelView& s) {
    return s.Valid() && s.BitCount == d.BitCount;
}

bool MaskCovers(const TPixelView& m, int32_t w, int32_t h) {
    return m.Valid() && m.BitCount == 8 && m.Width >= w && m.Height >= h;
}

uint32_t Clamp255(int32_t v) {
    return v < 0 ? 0 : v > 255 ? 255 : static_cast<uint32_t>(v);
}

enum TRowOp { roCopy, roAlpha, roAdd, roMask, roMaskAlpha, roMaskAdd };

template <class F>
void RefRow(TRowOp op, uint8_t* d, const uint8_t* s, const uint8_t* m, int step, int n, uint32_t a,
            int64_t key) {
    switch (op) {
    case roCopy: pxref::CopyKey<F>(d, s, step, n, key); break;
    case roAlpha: pxref::Alpha<F>(d, s, step, n, a, key); break;
    case roAdd:
        if constexpr (F::Bytes == 1)
            pxref::AddBytes(d, s, step, n, key);
        else
            pxref::Add<F>(d, s, step, n, a, key);
        break;
    case roMask: pxref::Mask<F>(d, s, m, step, n); break;
    case roMaskAlpha: pxref::MaskAlpha<F>(d, s, m, step, n, a); break;
    case roMaskAdd: pxref::MaskAdd<F>(d, s, m, step, n, a); break;
    }
}

// One row of a blend; the packed kernels take the rows read forwards.
void ApplyRow(int32_t bits, TRowOp op, uint8_t* d, const uint8_t* s, const uint8_t* m, int step, int n,
              uint32_t a, int64_t key) {
    if (n <= 0) return;
    if (step == 1) {
        if (const TRowKernels* k = RowKernels(bits)) {
            switch (op) {
            case roCopy: k->CopyKey(d, s, n, key); return;
            case roAlpha: k->Alpha(d, s, n, a, key); return;
            case roAdd: k->Add(d, s, n, a, key); return;
            case roMask: k->Mask(d, s, m, n); return;
            case roMaskAlpha: k->MaskAlpha(d, s, m, n, a); return;
            case roMaskAdd: k->MaskAdd(d, s, m, n, a); return;
            }
        }
    }
    switch (bits) {
    case 8: RefRow<pxref::F8>(op, d, s, m, step, n, a, key); break;
    case 15: RefRow<pxref::F15>(op, d, s, m, step, n, a, key); break;
    case 16: RefRow<pxref::F16>(op, d, s, m, step, n, a, key); break;
    case 24: RefRow<pxref::F24>(op, d, s, m, step, n, a, key); break;
    case 32: RefRow<pxref::F32>(op, d, s, m, step, n, a, key); break;
    default: break;
    }
}

// A positioned copy after clipping: destination origin, size, and where and which way the source is read.
struct TPlan {
    int32_t dx, dy, w, h;
    int32_t sx, sy, sxStep, syStep;
};

// Clipping with mirroring. The source rectangle is first cut to the source's bounds (a rectangle reaching
// outside the source reads nothing there), then the destination to the clip: an overhang on the left
// drops source columns from the left, or from the right when mirrored.
bool PlanBlit(const TRect& clip, int32_t x, int32_t y, TRect S, bool flipH, bool flipV, int32_t sw,
              int32_t sh, TPlan& p) {
    int64_t X = x, Y = y;
    int64_t sl = S.Left, st = S.Top, sr = S.Right, sb = S.Bottom;
    if (sl < 0) {
        if (!flipH) X += -sl;
        sl = 0;
    }
    if (sr > sw) {
        if (flipH) X += sr - sw;
        sr = sw;
    }
    if (st < 0) {
        if (!flipV) Y += -st;
        st = 0;
    }
    if (sb > sh) {
        if (flipV) Y += sb - sh;
        sb = sh;
    }
    if (sl >= sr || st >= sb) return false;
    if (X < clip.Left) {
        int64_t o = clip.Left - X;
        if (flipH)
            sr -= o;
        else
            sl += o;
        X = clip.Left;
    }
    if (Y < clip.Top) {
        int64_t o = clip.Top - Y;
        if (flipV)
            sb -= o;
        else
            st += o;
        Y = clip.Top;
    }
    if (sl >= sr || st >= sb) return false;
    if (X + (sr - sl) > clip.Right) {
        if (flipH)
            sl = sr - (clip.Right - X);
        else
            sr = sl + (clip.Right - X);
    }
    if (Y + (sb - st) > clip.Bottom) {
        if (flipV)
            st = sb - (clip.Bottom - Y);
        else
            sb = st + (clip.Bottom - Y);
    }
    if (sl >= sr || st >= sb) return false;
    p.dx = static_cast<int32_t>(X);
    p.dy = static_cast<int32_t>(Y);
    p.w = static_cast<int32_t>(sr - sl);
    p.h = static_cast<int32_t>(sb - st);
    p.sx = static_cast<int32_t>(flipH ? sr - 1 : sl);
    p.sy = static_cast<int32_t>(flipV ? sb - 1 : st);
    p.sxStep = flipH ? -1 : 1;
    p.syStep = flipV ? -1 : 1;
    return true;
}

void BlitRows(const TPixelView& d, const TPixelView& s, const TPixelView* m, const TPlan& p, TRowOp op,
              uint32_t a, int64_t key) {
    const int bpp = BytesOf(d.BitCount);
    for (int32_t r = 0; r < p.h; ++r) {
        const int32_t sy = p.sy + r * p.syStep;
        uint8_t* dr = d.Row(p.dy + r) + static_cast<ptrdiff_t>(p.dx) * bpp;
        const uint8_t* sr = s.Row(sy) + static_cast<ptrdiff_t>(p.sx) * bpp;
        const uint8_t* mr = m ? m->Row(sy) + p.sx : nullptr;
        ApplyRow(d.BitCount, op, dr, sr, mr, p.sxStep, p.w, a, key);
    }
}

void Blit(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, bool flipV, bool flipH, TRect src,
          const TPixelView& s, const TPixelView* m, TRowOp op, uint32_t a, int64_t key) {
    if (!Drawable(d) || !SameFormat(d, s)) return;
    if (m && !MaskCovers(*m, s.Width, s.Height)) return;
    TPlan p;
    if (!PlanBlit(clip, x, y, src, flipH, flipV, s.Width, s.Height, p)) return;
    BlitRows(d, s, m, p, op, a, key);
}

// The destination rectangle cut to the clip; false when nothing is left.
bool ClipFill(const TRect& clip, TRect& r) {
    r = IntersectRect(r, clip);
    return !IsRectEmpty(r);
}

// Channel arithmetic with the masks of a format chosen at run time (the less travelled operations).
struct TFmt {
    TChannelLayout L;
    int n;
    uint32_t keyMask;
    explicit TFmt(int32_t bits) : L(ChannelLayout(bits)) {
        n = bits == 8 ? 1 : 3;
        keyMask = bits == 8 ? 0xFF : bits == 15 || bits == 16 ? 0xFFFF : 0xFFFFFF;
    }
    uint32_t Mask(int c) const { return c == 0 ? L.BMask : c == 1 ? L.GMask : L.RMask; }
    int Shift(int c) const { return c == 0 ? L.BShift : c == 1 ? L.GShift : L.RShift; }
    template <class Op> uint32_t Per(uint32_t s, uint32_t d, Op op) const {
        uint32_t out = 0;
        for (int c = 0; c < n; ++c) {
            uint32_t m = Mask(c);
            int sh = Shift(c);
            out |= (op((s & m) >> sh, (d & m) >> sh, m >> sh, c) << sh) & m;
        }
        return out;
    }
    uint32_t Ch(uint32_t v, int c) const { return (v & Mask(c)) >> Shift(c); }
};

// Source coordinates of the destination pixels along one axis of a stretch: stretch clipping and
// nearest-pixel sampling in 16.16 fixed point. -1 marks a sample outside the source.
bool PlanStretchAxis(int32_t dL, int32_t dR, int32_t sL, int32_t sR, int32_t cL, int32_t cR, bool flip,
                     int32_t sLimit, int32_t& d0, std::vector<int32_t>& idx) {
    const int64_t dw = static_cast<int64_t>(dR) - dL, sw = static_cast<int64_t>(sR) - sL;
    if (dw <= 0 || sw <= 0) return false;
    const double r = static_cast<double>(sw) / static_cast<double>(dw);
    const int64_t step = static_cast<int64_t>(r * 65536.0);
    int64_t start = 0, edge = 0, a = dL;
    if (a < cL) {
        const double adv = std::min(static_cast<double>(cL - a) * r, 4611686018427387904.0);
        edge = static_cast<int64_t>(adv);
        start = static_cast<int64_t>((adv - static_cast<double>(edge)) * 65536.0);
        a = cL;
    }
    const int64_t b = std::min<int64_t>(dR, cR);
    if (a >= b) return false;
    d0 = static_cast<int32_t>(a);
    idx.resize(static_cast<size_t>(b - a));
    // Walked incrementally and stopped at the source's far edge, so that no sum overflows.
    int64_t acc = start;
    for (int64_t i = 0; i < b - a; ++i, acc += step) {
        const int64_t k = edge + (acc >> 16);
        if (k >= sw) {
            std::fill(idx.begin() + i, idx.end(), -1);
            break;
        }
        const int64_t v = flip ? sR - 1 - k : sL + k;
        idx[i] = (v < 0 || v >= sLimit) ? -1 : static_cast<int32_t>(v);
    }
    return true;
}

// Gathers pixels into a forward row so that the row kernels can blend them.
struct TGather {
    std::vector<uint8_t> src, mask;
    int bpp = 0;
    int n = 0;
    void Begin(int bytes, int32_t cap) {
        bpp = bytes;
        n = 0;
        if (src.size() < static_cast<size_t>(cap) * bytes) src.resize(static_cast<size_t>(cap) * bytes);
        if (mask.size() < static_cast<size_t>(cap)) mask.resize(static_cast<size_t>(cap));
    }
    void Put(const TPixelView& s, const TPixelView* m, int32_t x, int32_t y) {
        uint8_t* g = &src[static_cast<size_t>(n) * bpp];
        const uint8_t* p = s.Row(y) + static_cast<ptrdiff_t>(x) * bpp;
        switch (bpp) {
        case 4: std::memcpy(g, p, 4); break;
        case 2: std::memcpy(g, p, 2); break;
        case 1: *g = *p; break;
        default: std::memcpy(g, p, 3); break;
        }
        if (m) mask[n] = m->Row(y)[x];
        ++n;
    }
    // A whole row of samples at once, every one inside the source.
    template <int B>
    void Row(const TPixelView& s, const TPixelView* m, const int32_t* xs, int32_t count, int32_t y) {
        const uint8_t* sr = s.Row(y);
        uint8_t* g = src.data();
        for (int32_t i = 0; i < count; ++i)
            std::memcpy(g + static_cast<size_t>(i) * B, sr + static_cast<ptrdiff_t>(xs[i]) * B, B);
        if (m) {
            const uint8_t* mr = m->Row(y);
            for (int32_t i = 0; i < count; ++i) mask[i] = mr[xs[i]];
        }
        n = count;
    }
    void Flush(const TPixelView& d, int32_t dx, int32_t dy, TRowOp op, uint32_t a, int64_t key) {
        if (n == 0) return;
        ApplyRow(d.BitCount, op, d.Row(dy) + static_cast<ptrdiff_t>(dx) * bpp, src.data(), mask.data(), 1, n,
                 a, key);
        n = 0;
    }
};

// The operation of a combined blend value; false when it draws nothing.
bool BlendOp(int32_t blend, bool masked, bool transparent, int64_t key, TRowOp& op, uint32_t& a, int64_t& k) {
    k = (!masked && transparent) ? key : -1;
    if (blend <= 0) return false;
    if (blend < 255) {
        op = masked ? roMaskAlpha : roAlpha;
        a = static_cast<uint32_t>(blend);
    } else if (blend == 255) {
        op = masked ? roMask : roCopy;
        a = 255;
    } else {
        a = std::min<uint32_t>(255, static_cast<uint32_t>(blend - 256));
        if (a == 0) return false;
        op = masked ? roMaskAdd : roAdd;
    }
    return true;
}

} // namespace

// ---- fills ---------------------------------------------------------------------------------------

void FillRect(const TPixelView& d, const TRect& clip, TRect r, uint32_t value) {
    if (!Drawable(d) || !ClipFill(clip, r)) return;
    const int bpp = BytesOf(d.BitCount);
    const TRowKernels* k = RowKernels(d.BitCount);
    for (int32_t y = r.Top; y < r.Bottom; ++y) {
        uint8_t* p = d.Row(y) + static_cast<ptrdiff_t>(r.Left) * bpp;
        if (k) {
            k->Fill(p, r.Width(), value);
        } else if (bpp == 1) {
            std::memset(p, static_cast<uint8_t>(value), static_cast<size_t>(r.Width()));
        } else {
            pxref::Fill<pxref::F24>(p, r.Width(), value);
        }
    }
}

template <class F> static void FillRowRef(int op, uint8_t* p, int n, uint32_t v, uint32_t a) {
    if (op == 0) pxref::FillAlpha<F>(p, n, v, a);
    if (op == 1) pxref::FillAdd<F>(p, n, v);
    if (op == 2) pxref::FillSub<F>(p, n, v);
}

static void FillBlend(const TPixelView& d, const TRect& clip, TRect r, uint32_t value, uint32_t alpha,
                      int op) {
    if (!Drawable(d) || !ClipFill(clip, r)) return;
    const int bpp = BytesOf(d.BitCount);
    const TRowKernels* k = RowKernels(d.BitCount);
    for (int32_t y = r.Top; y < r.Bottom; ++y) {
        uint8_t* p = d.Row(y) + static_cast<ptrdiff_t>(r.Left) * bpp;
        const int n = r.Width();
        if (k) {
            if (op == 0) k->FillAlpha(p, n, value, alpha);
            if (op == 1) k->FillAdd(p, n, value);
            if (op == 2) k->FillSub(p, n, value);
        } else if (bpp == 1) {
            FillRowRef<pxref::F8>(op, p, n, value, alpha);
        } else {
            FillRowRef<pxref::F24>(op, p, n, value, alpha);
        }
    }
}

void FillRectAlpha(const TPixelView& d, const TRect& clip, TRect r, uint32_t value, int32_t alpha) {
    const uint32_t a = Clamp255(alpha);
    if (a == 0) return;
    FillBlend(d, clip, r, value, a, 0);
}
void FillRectAdd(const TPixelView& d, const TRect& clip, TRect r, uint32_t value) {
    FillBlend(d, clip, r, value, 0, 1);
}
void FillRectSub(const TPixelView& d, const TRect& clip, TRect r, uint32_t value) {
    FillBlend(d, clip, r, value, 0, 2);
}

// ---- positioned copies and blends ------------------------------------------------------------------

void Draw(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, bool flipV, bool flipH,
          bool transparent, TRect src, const TPixelView& s, int64_t key) {
    Blit(d, clip, x, y, flipV, flipH, src, s, nullptr, roCopy, 0, transparent ? key : -1);
}

void DrawMask(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, const TPixelView& mask,
              bool flipV, bool flipH, TRect src, const TPixelView& s) {
    Blit(d, clip, x, y, flipV, flipH, src, s, &mask, roMask, 0, -1);
}

void DrawAlpha(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t alpha, bool flipV,
               bool flipH, bool transparent, TRect src, const TPixelView& s, int64_t key) {
    const uint32_t a = Clamp255(alpha);
    if (a == 0) return;
    Blit(d, clip, x, y, flipV, flipH, src, s, nullptr, roAlpha, a, transparent ? key : -1);
}

void DrawMaskAlpha(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t alpha,
                   const TPixelView& mask, bool flipV, bool flipH, TRect src, const TPixelView& s) {
    const uint32_t a = Clamp255(alpha);
    if (a == 0) return;
    Blit(d, clip, x, y, flipV, flipH, src, s, &mask, roMaskAlpha, a, -1);
}

void DrawAdd(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t level, bool flipV,
             bool flipH, TRect src, const TPixelView& s, int64_t key) {
    const uint32_t l = Clamp255(level);
    if (l == 0) return;
    Blit(d, clip, x, y, flipV, flipH, src, s, nullptr, roAdd, l, key);
}

void DrawMaskAdd(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t level,
                 const TPixelView& mask, bool flipV, bool flipH, TRect src, const TPixelView& s) {
    const uint32_t l = Clamp255(level);
    if (l == 0) return;
    Blit(d, clip, x, y, flipV, flipH, src, s, &mask, roMaskAdd, l, -1);
}

void FillMask(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t alpha, uint32_t colour,
              bool flipV, bool flipH, TRect src, const TPixelView& mask) {
    const uint32_t a = Clamp255(alpha);
    if (a == 0 || !Drawable(d) || !mask.Valid() || mask.BitCount != 8) return;
    if (src.Left < 0 || src.Top < 0 || src.Right > mask.Width || src.Bottom > mask.Height) return;
    TPlan p;
    if (!PlanBlit(clip, x, y, src, flipH, flipV, mask.Width, mask.Height, p)) return;
    const int bpp = BytesOf(d.BitCount);
    const TRowKernels* k = p.sxStep == 1 ? RowKernels(d.BitCount) : nullptr;
    for (int32_t r = 0; r < p.h; ++r) {
        uint8_t* dr = d.Row(p.dy + r) + static_cast<ptrdiff_t>(p.dx) * bpp;
        const uint8_t* mr = mask.Row(p.sy + r * p.syStep) + p.sx;
        if (k) {
            k->FillMask(dr, mr, p.w, colour, a);
            continue;
        }
        switch (d.BitCount) {
        case 8: pxref::FillMask<pxref::F8>(dr, mr, p.sxStep, p.w, colour, a); break;
        case 15: pxref::FillMask<pxref::F15>(dr, mr, p.sxStep, p.w, colour, a); break;
        case 16: pxref::FillMask<pxref::F16>(dr, mr, p.sxStep, p.w, colour, a); break;
        case 24: pxref::FillMask<pxref::F24>(dr, mr, p.sxStep, p.w, colour, a); break;
        case 32: pxref::FillMask<pxref::F32>(dr, mr, p.sxStep, p.w, colour, a); break;
        }
    }
}

// ---- rotation and zoom -------------------------------------------------------------------------------

namespace {

struct TRotation {
    double zx, zy, c, s;
    TRotation(int32_t angle, int32_t zoomX, int32_t zoomY) {
        zx = zoomX / 256.0;
        zy = zoomY / 256.0;
        const double w = angle * 2.0 * Pi / 256.0;
        c = std::cos(w);
        s = std::sin(w);
    }
    // Bounding box of the source rectangle's corners, relative to the pivot, scaled, turned and moved to
    // (x, y); the right and bottom edges + 1, truncated.
    TRect Box(double x, double y, double px, double py, double w, double h) const {
        double minX = 0, minY = 0, maxX = 0, maxY = 0;
        const double cx[4] = {-px, w - px, -px, w - px}, cy[4] = {-py, -py, h - py, h - py};
        for (int i = 0; i < 4; ++i) {
            double ux = cx[i] * zx, uy = cy[i] * zy;
            double X = ux * c - uy * s + x, Y = ux * s + uy * c + y;
            if (i == 0 || X < minX) minX = X;
            if (i == 0 || X > maxX) maxX = X;
            if (i == 0 || Y < minY) minY = Y;
            if (i == 0 || Y > maxY) maxY = Y;
        }
        auto T = [](double v) {
            v = std::clamp(v, -2147483648.0, 2147483647.0);
            return static_cast<int32_t>(v);
        };
        return TRect{T(minX), T(minY), T(maxX + 1), T(maxY + 1)};
    }
};

int64_t FloorDiv(int64_t a, int64_t b) { // b > 0
    return a >= 0 ? a / b : -((-a + b - 1) / b);
}

// Narrows [lo, hi) to the indices i with 0 <= f + i df < lim.
void Inside(int64_t f, int64_t df, int64_t lim, int64_t& lo, int64_t& hi) {
    if (df == 0) {
        if (f < 0 || f >= lim) hi = lo;
        return;
    }
    int64_t a, b; // a <= i < b
    if (df > 0) {
        a = FloorDiv(-f + df - 1, df);     // f + i df >= 0
        b = FloorDiv(lim - 1 - f, df) + 1; // f + i df <= lim - 1
    } else {
        const int64_t e = -df;
        a = FloorDiv(f - lim, e) + 1; // f - i e < lim
        b = FloorDiv(f, e) + 1;       // f - i e >= 0
    }
    lo = std::max(lo, a);
    hi = std::min(hi, b);
}

} // namespace

TRect RotatedBounds(int32_t x, int32_t y, int32_t pivotX, int32_t pivotY, bool flipH, bool flipV,
                    int32_t pictureWidth, int32_t pictureHeight, int32_t zoomX, int32_t zoomY, TRect src,
                    int32_t angle) {
    const double px = flipH ? static_cast<double>(pictureWidth) - pivotX - 1 : pivotX;
    const double py = flipV ? static_cast<double>(pictureHeight) - pivotY - 1 : pivotY;
    TRotation rot(angle, zoomX, zoomY);
    return rot.Box(x, y, px, py, static_cast<double>(RectW(src)), static_cast<double>(RectH(src)));
}

void DrawRotate(const TPixelView& d, const TRect& clip, int32_t cx, int32_t cy, int32_t blend, bool flipV,
                bool flipH, bool transparent, int32_t angle, int32_t pivotY, int32_t pivotX, TRect src,
                const TPixelView& s, int64_t key, int32_t zoomY, int32_t zoomX, const TPixelView* mask) {
    if (zoomX <= 0 || zoomY <= 0 || !Drawable(d) || !SameFormat(d, s)) return;
    if (mask && !MaskCovers(*mask, s.Width, s.Height)) return;
    TRowOp op;
    uint32_t a;
    int64_t k;
    if (!BlendOp(blend, mask != nullptr, transparent, key, op, a, k)) return;
    const int64_t sw = RectW(src), sh = RectH(src);
    if (sw <= 0 || sh <= 0) return;
    TRotation rot(angle, zoomX, zoomY);
    TRect area = IntersectRect(
        rot.Box(cx, cy, pivotX, pivotY, static_cast<double>(sw), static_cast<double>(sh)), clip);
    if (IsRectEmpty(area)) return;
    // Inverse mapping: destination steps in source pixels, 16.16.
    const int64_t xdx = static_cast<int64_t>(rot.c / rot.zx * 65536.0);
    const int64_t ydx = static_cast<int64_t>(-rot.s / rot.zy * 65536.0);
    const int64_t xdy = static_cast<int64_t>(rot.s / rot.zx * 65536.0);
    const int64_t ydy = static_cast<int64_t>(rot.c / rot.zy * 65536.0);
    TGather g;
    g.Begin(BytesOf(d.BitCount), area.Width());
    // The per-pixel tests are the reference; the packed levels take the interval of each row, which
    // needs the source rectangle inside the source.
    const bool fast = GetSimdLevel() != slReference && src.Left >= 0 && src.Top >= 0 &&
                      src.Right <= s.Width && src.Bottom <= s.Height;
    for (int32_t Y = area.Top; Y < area.Bottom; ++Y) {
        int64_t fx = (static_cast<int64_t>(pivotX) << 16) + xdx * (area.Left - static_cast<int64_t>(cx)) +
                     xdy * (Y - static_cast<int64_t>(cy));
        int64_t fy = (static_cast<int64_t>(pivotY) << 16) + ydx * (area.Left - static_cast<int64_t>(cx)) +
                     ydy * (Y - static_cast<int64_t>(cy));
        if (fast) {
            // The samples inside the source form one interval of the row: gather it without tests.
            int64_t lo = 0, hi = area.Width();
            Inside(fx, xdx, sw << 16, lo, hi);
            Inside(fy, ydx, sh << 16, lo, hi);
            if (lo >= hi) continue;
            fx += lo * xdx;
            fy += lo * ydx;
            for (int64_t i = lo; i < hi; ++i, fx += xdx, fy += ydx) {
                const int32_t sx = static_cast<int32_t>(fx >> 16), sy = static_cast<int32_t>(fy >> 16);
                g.Put(s, mask, flipH ? src.Right - sx - 1 : src.Left + sx,
                      flipV ? src.Bottom - sy - 1 : src.Top + sy);
            }
            g.Flush(d, area.Left + static_cast<int32_t>(lo), Y, op, a, k);
            continue;
        }
        int32_t runStart = area.Left;
        for (int32_t X = area.Left; X < area.Right; ++X, fx += xdx, fy += ydx) {
            const int64_t sx = fx >> 16, sy = fy >> 16;
            bool in = sx >= 0 && sy >= 0 && sx < sw && sy < sh;
            int64_t ax = 0, ay = 0;
            if (in) {
                ax = flipH ? src.Right - sx - 1 : src.Left + sx;
                ay = flipV ? src.Bottom - sy - 1 : src.Top + sy;
                in = ax >= 0 && ay >= 0 && ax < s.Width && ay < s.Height;
            }
            if (!in) {
                g.Flush(d, runStart, Y, op, a, k);
                runStart = X + 1;
                continue;
            }
            g.Put(s, mask, static_cast<int32_t>(ax), static_cast<int32_t>(ay));
        }
        g.Flush(d, runStart, Y, op, a, k);
    }
}

// ---- stretching ----------------------------------------------------------------------------------------

void StretchDraw(TStretchKind kind, const TPixelView& d, const TRect& clip, TRect dest, const TPixelView& s,
                 int32_t value, const TPixelView* mask, bool flipV, bool flipH, bool transparent, TRect src,
                 int64_t key) {
    const bool masked = kind == skMaskAlpha || kind == skMaskAdd;
    if (!Drawable(d) || !SameFormat(d, s)) return;
    if (masked && (!mask || !MaskCovers(*mask, s.Width, s.Height))) return;
    const uint32_t a = Clamp255(value);
    if (a == 0) return;
    const TRowOp op = kind == skAlpha       ? roAlpha
                      : kind == skMaskAlpha ? roMaskAlpha
                      : kind == skAdd       ? roAdd
                                            : roMaskAdd;
    const int64_t k = (!masked && transparent) ? key : -1;
    std::vector<int32_t> xs, ys;
    int32_t dx0, dy0;
    if (!PlanStretchAxis(dest.Left, dest.Right, src.Left, src.Right, clip.Left, clip.Right, flipH, s.Width,
                         dx0, xs))
        return;
    if (!PlanStretchAxis(dest.Top, dest.Bottom, src.Top, src.Bottom, clip.Top, clip.Bottom, flipV, s.Height,
                         dy0, ys))
        return;
    TGather g;
    g.Begin(BytesOf(d.BitCount), static_cast<int32_t>(xs.size()));
    const TPixelView* m = masked ? mask : nullptr;
    const bool allIn = std::find(xs.begin(), xs.end(), -1) == xs.end();
    const int32_t nx = static_cast<int32_t>(xs.size());
    for (size_t j = 0; j < ys.size(); ++j) {
        if (ys[j] < 0) continue;
        const int32_t Y = dy0 + static_cast<int32_t>(j);
        if (allIn) {
            switch (g.bpp) {
            case 4: g.Row<4>(s, m, xs.data(), nx, ys[j]); break;
            case 2: g.Row<2>(s, m, xs.data(), nx, ys[j]); break;
            case 1: g.Row<1>(s, m, xs.data(), nx, ys[j]); break;
            default: g.Row<3>(s, m, xs.data(), nx, ys[j]); break;
            }
            g.Flush(d, dx0, Y, op, a, k);
            continue;
        }
        int32_t runStart = dx0;
        for (size_t i = 0; i < xs.size(); ++i) {
            if (xs[i] < 0) {
                g.Flush(d, runStart, Y, op, a, k);
                runStart = dx0 + static_cast<int32_t>(i) + 1;
                continue;
            }
            g.Put(s, m, xs[i], ys[j]);
        }
        g.Flush(d, runStart, Y, op, a, k);
    }
}

// ---- glyphs ----------------------------------------------------------------------------------------------

namespace {

// Cells of sub x sub source pixels: the destination rectangle and where each cell's pixels start.
bool PlanCells(const TRect& clip, int32_t x, int32_t y, int32_t sub, const TRect& src, const TPixelView& s,
               bool flipH, bool flipV, TPlan& p) {
    if (sub <= 0 || src.Left < 0 || src.Top < 0 || src.Right > s.Width || src.Bottom > s.Height) return false;
    const int32_t cw = src.Width() / sub, ch = src.Height() / sub;
    if (cw <= 0 || ch <= 0) return false;
    return PlanBlit(clip, x, y, TRect{0, 0, cw, ch}, flipH, flipV, cw, ch, p);
}

} // namespace

void DrawGlyph(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t sub, int32_t alpha,
               bool flipV, bool flipH, uint32_t colour, TRect src, const TPixelView& s1) {
    const uint32_t a = Clamp255(alpha);
    if (a == 0 || !Drawable(d) || !s1.Valid() || s1.BitCount != 1) return;
    TPlan p;
    if (!PlanCells(clip, x, y, sub, src, s1, flipH, flipV, p)) return;
    const TFmt f(d.BitCount);
    const uint32_t nn = static_cast<uint32_t>(sub * sub);
    for (int32_t r = 0; r < p.h; ++r) {
        const int32_t cy = p.sy + r * p.syStep;
        for (int32_t i = 0; i < p.w; ++i) {
            const int32_t cx = p.sx + i * p.sxStep;
            uint32_t c = 0;
            for (int32_t v = 0; v < sub; ++v)
                for (int32_t u = 0; u < sub; ++u)
                    if (ReadPixel(s1, src.Left + cx * sub + u, src.Top + cy * sub + v) == 0) ++c;
            if (a < 255) c = (a * c) >> 8;
            if (c == 0) continue;
            const int32_t X = p.dx + i, Y = p.dy + r;
            uint32_t dv = ReadPixel(d, X, Y);
            WritePixel(d, X, Y, f.Per(colour, dv, [&](uint32_t sc, uint32_t dc, uint32_t M, int) {
                uint32_t o = (sc * c + dc * (nn > c ? nn - c : 0)) >> 4;
                return o > M ? M : o;
            }));
        }
    }
}

void DrawGlyph3(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t sub, int32_t blend,
                bool flipV, bool flipH, const std::array<uint32_t, 3>& colours, TRect src,
                const TPixelView& s4) {
    if (blend <= 0 || !Drawable(d) || !s4.Valid() || s4.BitCount != 4) return;
    TPlan p;
    if (!PlanCells(clip, x, y, sub, src, s4, flipH, flipV, p)) return;
    const TFmt f(d.BitCount);
    const uint64_t nn = static_cast<uint64_t>(sub) * sub;
    const bool additive = blend > 255;
    const uint64_t a = additive ? std::min(255, blend - 256) : static_cast<uint64_t>(blend);
    for (int32_t r = 0; r < p.h; ++r) {
        const int32_t cy = p.sy + r * p.syStep;
        for (int32_t i = 0; i < p.w; ++i) {
            const int32_t cx = p.sx + i * p.sxStep;
            uint64_t cnt[4] = {0, 0, 0, 0};
            for (int32_t v = 0; v < sub; ++v)
                for (int32_t u = 0; u < sub; ++u)
                    ++cnt[ReadPixel(s4, src.Left + cx * sub + u, src.Top + cy * sub + v) & 3];
            if (cnt[0] == nn) continue;
            const int32_t X = p.dx + i, Y = p.dy + r;
            if (blend == 255 && (cnt[1] == nn || cnt[2] == nn)) {
                WritePixel(d, X, Y, colours[cnt[1] == nn ? 0 : 1]);
                continue;
            }
            const uint64_t inked = (cnt[1] + cnt[2] + cnt[3]) * a;
            const uint64_t div = nn * 256;
            uint32_t dv = ReadPixel(d, X, Y);
            WritePixel(d, X, Y, f.Per(0, dv, [&](uint32_t, uint32_t dc, uint32_t M, int c) {
                uint64_t sum = 0;
                for (int k = 0; k < 3; ++k) sum += cnt[k + 1] * a * f.Ch(colours[k], c);
                uint64_t o = additive ? (sum + dc * div) / div : (sum + dc * (div - inked)) / div;
                return static_cast<uint32_t>(o > M ? M : o);
            }));
        }
    }
}

// ---- palette draws -------------------------------------------------------------------------------------

void DrawPalette4(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, const uint32_t* palette,
                  int32_t paletteCount, int32_t blend, bool flipV, bool flipH, TRect src,
                  const TPixelView& s4, int64_t key) {
    if (blend <= 0 || !palette || !Drawable(d) || !s4.Valid() || s4.BitCount != 4) return;
    TPlan p;
    if (!PlanBlit(clip, x, y, src, flipH, flipV, s4.Width, s4.Height, p)) return;
    const TFmt f(d.BitCount);
    const uint32_t level = blend > 255 ? std::min<uint32_t>(255, static_cast<uint32_t>(blend - 256)) : 0;
    if (blend > 255 && level == 0) return;
    for (int32_t r = 0; r < p.h; ++r) {
        const int32_t sy = p.sy + r * p.syStep;
        for (int32_t i = 0; i < p.w; ++i) {
            const uint32_t idx = ReadPixel(s4, p.sx + i * p.sxStep, sy);
            if ((key >= 0 && idx == static_cast<uint32_t>(key)) || static_cast<int32_t>(idx) >= paletteCount)
                continue;
            const uint32_t c = palette[idx];
            const int32_t X = p.dx + i, Y = p.dy + r;
            const uint32_t dv = ReadPixel(d, X, Y);
            if (blend == 255) {
                WritePixel(d, X, Y, c);
            } else if (blend < 255) {
                if (((c ^ dv) & f.keyMask) == 0) continue;
                const uint32_t al = static_cast<uint32_t>(blend);
                WritePixel(d, X, Y, f.Per(c, dv, [&](uint32_t sc, uint32_t dc, uint32_t, int) {
                    return (al * sc + (255 - al) * dc) >> 8;
                }));
            } else {
                const uint32_t all = f.Mask(0) | f.Mask(1) | f.Mask(2);
                if ((c & all) == 0 || (dv & all) == all) continue;
                WritePixel(d, X, Y, f.Per(c, dv, [&](uint32_t sc, uint32_t dc, uint32_t M, int) {
                    uint32_t o = dc + ((level * sc) >> 8);
                    return o > M ? M : o;
                }));
            }
        }
    }
}

namespace {

void AddPaletteColour(const TFmt& f, const TPixelView& d, int32_t X, int32_t Y, uint32_t c, uint32_t level) {
    const uint32_t dv = ReadPixel(d, X, Y);
    WritePixel(d, X, Y, f.Per(c, dv, [&](uint32_t sc, uint32_t dc, uint32_t M, int) {
        uint32_t o = dc + ((level * sc) >> 8);
        return o > M ? M : o;
    }));
}

} // namespace

void DrawPalette8Add(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, const uint32_t* palette,
                     int32_t paletteCount, int32_t level, bool flipV, bool flipH, TRect src,
                     const TPixelView& s8, int64_t key) {
    const uint32_t l = Clamp255(level);
    if (l == 0 || !palette || !Drawable(d) || !s8.Valid() || s8.BitCount != 8) return;
    TPlan p;
    if (!PlanBlit(clip, x, y, src, flipH, flipV, s8.Width, s8.Height, p)) return;
    const TFmt f(d.BitCount);
    for (int32_t r = 0; r < p.h; ++r) {
        const uint8_t* sr = s8.Row(p.sy + r * p.syStep);
        for (int32_t i = 0; i < p.w; ++i) {
            const int32_t idx = sr[p.sx + i * p.sxStep];
            if (idx <= key || idx >= paletteCount) continue;
            AddPaletteColour(f, d, p.dx + i, p.dy + r, palette[idx], l);
        }
    }
}

void StretchDrawPalette(const TPixelView& d, const TRect& clip, TRect dest, const TPixelView& s8,
                        const uint32_t* palette, int32_t paletteCount, int32_t level, bool flipV, bool flipH,
                        int32_t threshold, TRect src) {
    const uint32_t l = Clamp255(level);
    if (l == 0 || !palette || !Drawable(d) || !s8.Valid() || s8.BitCount != 8) return;
    std::vector<int32_t> xs, ys;
    int32_t dx0, dy0;
    if (!PlanStretchAxis(dest.Left, dest.Right, src.Left, src.Right, clip.Left, clip.Right, flipH, s8.Width,
                         dx0, xs))
        return;
    if (!PlanStretchAxis(dest.Top, dest.Bottom, src.Top, src.Bottom, clip.Top, clip.Bottom, flipV, s8.Height,
                         dy0, ys))
        return;
    const TFmt f(d.BitCount);
    for (size_t j = 0; j < ys.size(); ++j) {
        if (ys[j] < 0) continue;
        const uint8_t* sr = s8.Row(ys[j]);
        for (size_t i = 0; i < xs.size(); ++i) {
            if (xs[i] < 0) continue;
            const int32_t idx = sr[xs[i]];
            if (idx < threshold || idx >= paletteCount) continue;
            AddPaletteColour(f, d, dx0 + static_cast<int32_t>(i), dy0 + static_cast<int32_t>(j), palette[idx],
                             l);
        }
    }
}

// ---- tiling --------------------------------------------------------------------------------------------

int32_t WrapOrigin(int32_t o, int32_t w) {
    if (w <= 0) return 0;
    if (o >= 0) return o % w;
    return w - static_cast<int32_t>((-static_cast<int64_t>(o)) % w);
}

void TileZoom(const TPixelView& d, const TRect& clip, TRect dest, int32_t zoomX, int32_t blend, bool flipV,
              bool flipH, bool transparent, int32_t originY, int32_t originX, const TPixelView& s,
              int64_t key, int32_t zoomY, const TPixelView* mask) {
    if (zoomX <= 0 || zoomY <= 0 || !Drawable(d) || !SameFormat(d, s)) return;
    if (mask && !MaskCovers(*mask, s.Width, s.Height)) return;
    TRowOp op;
    uint32_t a;
    int64_t k;
    if (!BlendOp(blend, mask != nullptr, transparent, key, op, a, k)) return;
    TRect area = IntersectRect(dest, clip);
    if (IsRectEmpty(area)) return;
    const int64_t w16 = static_cast<int64_t>(s.Width) << 16, h16 = static_cast<int64_t>(s.Height) << 16;
    const int64_t stepX = std::min<int64_t>((int64_t{256} << 16) / zoomX, w16);
    const int64_t stepY = std::min<int64_t>((int64_t{256} << 16) / zoomY, h16);
    const int64_t startX = static_cast<int64_t>(WrapOrigin(originX, s.Width)) << 16;
    const int64_t startY = static_cast<int64_t>(WrapOrigin(originY, s.Height)) << 16;
    std::vector<int32_t> xs(static_cast<size_t>(area.Width()));
    for (int32_t X = area.Left; X < area.Right; ++X) {
        int32_t sx =
            static_cast<int32_t>(((startX + (X - static_cast<int64_t>(dest.Left)) * stepX) % w16) >> 16);
        xs[X - area.Left] = flipH ? s.Width - 1 - sx : sx;
    }
    TGather g;
    g.Begin(BytesOf(d.BitCount), area.Width());
    const int32_t nx = area.Width();
    for (int32_t Y = area.Top; Y < area.Bottom; ++Y) {
        int32_t sy =
            static_cast<int32_t>(((startY + (Y - static_cast<int64_t>(dest.Top)) * stepY) % h16) >> 16);
        if (flipV) sy = s.Height - 1 - sy;
        // Every sample lies inside the source: the row is gathered whole.
        switch (g.bpp) {
        case 4: g.Row<4>(s, mask, xs.data(), nx, sy); break;
        case 2: g.Row<2>(s, mask, xs.data(), nx, sy); break;
        case 1: g.Row<1>(s, mask, xs.data(), nx, sy); break;
        default: g.Row<3>(s, mask, xs.data(), nx, sy); break;
        }
        g.Flush(d, area.Left, Y, op, a, k);
    }
}

void TileFill(const TPixelView& d, const TRect& clip, TRect dest, const TPixelView& s, bool flipV, bool flipH,
              int32_t originY, int32_t originX) {
    if (!Drawable(d) || !SameFormat(d, s)) return;
    TRect area = IntersectRect(dest, clip);
    if (IsRectEmpty(area)) return;
    const int bpp = BytesOf(d.BitCount);
    const int32_t ox = WrapOrigin(originX, s.Width), oy = WrapOrigin(originY, s.Height);
    for (int32_t Y = area.Top; Y < area.Bottom; ++Y) {
        int32_t sy = static_cast<int32_t>((oy + (Y - static_cast<int64_t>(dest.Top))) % s.Height);
        if (flipV) sy = s.Height - 1 - sy;
        const uint8_t* sr = s.Row(sy);
        uint8_t* dr = d.Row(Y);
        int32_t sx = static_cast<int32_t>((ox + (area.Left - static_cast<int64_t>(dest.Left))) % s.Width);
        if (!flipH) {
            for (int32_t X = area.Left; X < area.Right;) {
                const int32_t n = std::min(s.Width - sx, area.Right - X);
                std::memcpy(dr + static_cast<ptrdiff_t>(X) * bpp, sr + static_cast<ptrdiff_t>(sx) * bpp,
                            static_cast<size_t>(n) * bpp);
                X += n;
                sx = 0;
            }
        } else {
            for (int32_t X = area.Left; X < area.Right; ++X) {
                std::memcpy(dr + static_cast<ptrdiff_t>(X) * bpp,
                            sr + static_cast<ptrdiff_t>(s.Width - 1 - sx) * bpp, bpp);
                if (++sx == s.Width) sx = 0;
            }
        }
    }
}

} // namespace vobe::px
