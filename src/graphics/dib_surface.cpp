#include "graphics/dib_surface.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {

namespace {

bool ValidBitCount(int32_t b) {
    return b == 1 || b == 4 || b == 8 || b == 15 || b == 16 || b == 24 || b == 32;
}

// Ordered dither of the alpha draws on palette bitmaps.
constexpr uint8_t Dither[4][4] = {{0, 8, 2, 10}, {12, 4, 14, 6}, {3, 11, 1, 9}, {15, 7, 13, 5}};

// Applies op(s, d) to each channel of a direct-colour format; the bits outside the channels become 0.
template <class Op> uint32_t Channels(int32_t bits, uint32_t s, uint32_t d, Op op) {
    const TChannelLayout L = ChannelLayout(bits);
    const uint32_t m[3] = {L.RMask, L.GMask, L.BMask};
    const int32_t sh[3] = {L.RShift, L.GShift, L.BShift};
    uint32_t out = 0;
    for (int c = 0; c < 3; ++c) out |= (op((s & m[c]) >> sh[c], (d & m[c]) >> sh[c]) << sh[c]) & m[c];
    return out;
}

} // namespace

void TDIBSurface::SetSize(int32_t width, int32_t height, int32_t bitCount) {
    if (!ValidBitCount(bitCount)) bitCount = 24;
    if (width < 0 || height < 0 || width > MaxBitmapSide || height > MaxBitmapSide ||
        DibRowBytes(width, bitCount) * height > MaxBitmapBytes)
        throw EVobeError(SJ("画像のサイズが大きすぎます"));
    const bool newFormat = bitCount != FBitCount;
    FWidth = width;
    FHeight = height;
    FBitCount = bitCount;
    FPitch = static_cast<int32_t>(DibRowBytes(width, bitCount));
    FBits.assign(static_cast<size_t>(FPitch) * static_cast<size_t>(height), 0);
    FHasClip = false;
    if (newFormat && bitCount <= 8) SetGreyPalette();
    if (FMask) FMask->SetSize(width, height, 8);
}

void TDIBSurface::SetGreyPalette() {
    const int32_t n = FBitCount == 1 ? 2 : FBitCount == 4 ? 16 : 256;
    for (int32_t i = 0; i < 256; ++i) {
        uint32_t v = n > 1 && i < n ? static_cast<uint32_t>(i * 255 / (n - 1)) : 0;
        Palette[i] = v * 0x010101u;
    }
}

TPixelView TDIBSurface::View() const {
    TPixelView v;
    v.Bits = const_cast<uint8_t*>(Bits());
    v.Pitch = FPitch;
    v.Width = FWidth;
    v.Height = FHeight;
    v.BitCount = FBitCount;
    return v;
}

uint32_t TDIBSurface::GetPixel(int32_t x, int32_t y) const {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
    return ReadPixel(View(), x, y);
}

void TDIBSurface::SetPixel(int32_t x, int32_t y, uint32_t value) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    WritePixel(View(), x, y, value);
}

uint32_t TDIBSurface::PixelToColor(uint32_t value) const {
    if (FBitCount <= 8) {
        uint32_t e = Palette[value & 0xFF];
        return ((e >> 16) & 0xFF) | (e & 0xFF00) | ((e & 0xFF) << 16);
    }
    uint8_t r, g, b;
    PixelToRGB(FBitCount, value, r, g, b);
    return r | (g << 8) | (static_cast<uint32_t>(b) << 16);
}

uint32_t TDIBSurface::RGBToPixel(uint32_t r, uint32_t g, uint32_t b) const {
    r &= 0xFF;
    g &= 0xFF;
    b &= 0xFF;
    if (FBitCount > 8) return RGBToNative(FBitCount, r, g, b);
    const int32_t n = FBitCount == 1 ? 2 : FBitCount == 4 ? 16 : 256;
    uint32_t best = 0;
    int64_t bestD = -1;
    for (int32_t i = 0; i < n; ++i) {
        const int64_t dr = static_cast<int64_t>((Palette[i] >> 16) & 0xFF) - r;
        const int64_t dg = static_cast<int64_t>((Palette[i] >> 8) & 0xFF) - g;
        const int64_t db = static_cast<int64_t>(Palette[i] & 0xFF) - b;
        const int64_t dd = dr * dr + dg * dg + db * db;
        if (bestD < 0 || dd < bestD) {
            bestD = dd;
            best = static_cast<uint32_t>(i);
        }
    }
    return best;
}

TRect TDIBSurface::GetClipRect() const {
    const TRect all{0, 0, FWidth, FHeight};
    return FHasClip ? IntersectRect(FClip, all) : all;
}

void TDIBSurface::CreateMask() {
    if (!FMask) FMask = std::make_unique<TDIBSurface>();
    if (FMask->Width() != FWidth || FMask->Height() != FHeight || FMask->LogicalBitCount() != 8)
        FMask->SetSize(FWidth, FHeight, 8);
}

void TDIBSurface::MaskOpaque() {
    CreateMask();
    if (FMask->Bits()) std::memset(FMask->Bits(), 255, static_cast<size_t>(FMask->Pitch()) * FMask->Height());
}

void TDIBSurface::AssignMask(const TDIBSurface& source) {
    if (source.LogicalBitCount() != 8) return;
    CreateMask();
    const int32_t w = std::min(FWidth, source.Width()), h = std::min(FHeight, source.Height());
    if (w <= 0) return;
    for (int32_t y = 0; y < h; ++y)
        std::memcpy(FMask->ScanLine(y), source.ScanLine(y), static_cast<size_t>(w));
}

uint32_t TDIBSurface::Converted(const TDIBSurface& source, uint32_t v) const {
    if (source.LogicalBitCount() == FBitCount) return v;
    const uint32_t c = source.PixelToColor(v);
    return RGBToPixel(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

bool TDIBSurface::ClipTo(int32_t& x, int32_t& y, TRect& src, const TDIBSurface& source) const {
    // In 64 bits: the rectangle and position come from files and callers.
    int64_t X = x, Y = y, l = src.Left, t = src.Top, r = src.Right, b = src.Bottom;
    if (l < 0) X -= l, l = 0;
    if (t < 0) Y -= t, t = 0;
    r = std::min<int64_t>(r, source.Width());
    b = std::min<int64_t>(b, source.Height());
    const TRect c = GetClipRect();
    if (X < c.Left) l += c.Left - X, X = c.Left;
    if (Y < c.Top) t += c.Top - Y, Y = c.Top;
    if (X + (r - l) > c.Right) r = l + (c.Right - X);
    if (Y + (b - t) > c.Bottom) b = t + (c.Bottom - Y);
    if (l >= r || t >= b) return false;
    x = static_cast<int32_t>(X);
    y = static_cast<int32_t>(Y);
    src = TRect{static_cast<int32_t>(l), static_cast<int32_t>(t), static_cast<int32_t>(r),
                static_cast<int32_t>(b)};
    return true;
}

void TDIBSurface::DrawKeyed(int32_t x, int32_t y, int64_t key, TRect src, const TDIBSurface& source) {
    if (Empty() || source.Empty() || !ClipTo(x, y, src, source)) return;
    const bool same = source.LogicalBitCount() == FBitCount;
    if (key < 0 && same && FBitCount >= 8) {
        const int bpp = BitCount() / 8;
        for (int32_t r = 0; r < src.Height(); ++r)
            std::memcpy(ScanLine(y + r) + static_cast<ptrdiff_t>(x) * bpp,
                        source.ScanLine(src.Top + r) + static_cast<ptrdiff_t>(src.Left) * bpp,
                        static_cast<size_t>(src.Width()) * bpp);
        return;
    }
    const TPixelView d = View(), s = source.View();
    for (int32_t r = 0; r < src.Height(); ++r)
        for (int32_t i = 0; i < src.Width(); ++i) {
            uint32_t v = ReadPixel(s, src.Left + i, src.Top + r);
            if (key >= 0 && v == static_cast<uint32_t>(key)) continue;
            WritePixel(d, x + i, y + r, Converted(source, v));
        }
}

void TDIBSurface::DrawAlpha(int32_t x, int32_t y, int32_t alpha, int64_t key, TRect src,
                            const TDIBSurface& source) {
    if (alpha == 0) return;
    if (alpha > 254 || alpha < 0) return DrawKeyed(x, y, key, src, source);
    if (FBitCount <= 8 && alpha / 16 > 14) return DrawKeyed(x, y, key, src, source);
    if (Empty() || source.Empty() || !ClipTo(x, y, src, source)) return;
    const TPixelView d = View(), s = source.View();
    const uint32_t a = static_cast<uint32_t>(alpha), ia = 255 - a;
    const int32_t level = alpha / 16;
    for (int32_t r = 0; r < src.Height(); ++r)
        for (int32_t i = 0; i < src.Width(); ++i) {
            const uint32_t v = ReadPixel(s, src.Left + i, src.Top + r);
            if (key >= 0 && v == static_cast<uint32_t>(key)) continue;
            const int32_t X = x + i, Y = y + r;
            const uint32_t sv = Converted(source, v);
            if (FBitCount <= 8) {
                if (Dither[Y & 3][X & 3] <= level) WritePixel(d, X, Y, sv);
                continue;
            }
            const uint32_t dv = ReadPixel(d, X, Y);
            uint32_t out;
            if (FBitCount == 32)
                out = Channels(32, sv, dv, [&](uint32_t sc, uint32_t dc) { return (ia * dc + a * sc) >> 8; });
            else
                out = Channels(FBitCount, sv, dv,
                               [&](uint32_t sc, uint32_t dc) { return (ia * dc + a * sc) / 255; });
            WritePixel(d, X, Y, out);
        }
}

void TDIBSurface::DrawMasked(int32_t x, int32_t y, int32_t alpha, TRect src, const TDIBSurface& source) {
    const TDIBSurface* m = source.Mask();
    if (!m) return DrawAlpha(x, y, alpha, -1, src, source);
    if (alpha <= 0 || Empty() || source.Empty() || !ClipTo(x, y, src, source)) return;
    const TPixelView d = View(), s = source.View(), mv = m->View();
    const uint32_t a = static_cast<uint32_t>(std::min(alpha, 255));
    for (int32_t r = 0; r < src.Height(); ++r)
        for (int32_t i = 0; i < src.Width(); ++i) {
            const int32_t sx = src.Left + i, sy = src.Top + r;
            if (sx >= m->Width() || sy >= m->Height()) continue;
            uint32_t mm = mv.Row(sy)[sx];
            const int32_t X = x + i, Y = y + r;
            if (FBitCount <= 8) {
                if (mm >= 128) WritePixel(d, X, Y, Converted(source, ReadPixel(s, sx, sy)));
                continue;
            }
            if (FBitCount == 24 && a < 255) {
                if (a * mm < 256) continue;
                mm = (a * mm) >> 8;
            }
            if (mm == 0) continue;
            const uint32_t sv = Converted(source, ReadPixel(s, sx, sy));
            if (mm == 255) {
                WritePixel(d, X, Y, sv);
                continue;
            }
            const uint32_t dv = ReadPixel(d, X, Y);
            WritePixel(d, X, Y, Channels(FBitCount, sv, dv, [&](uint32_t sc, uint32_t dc) {
                           return ((255 - mm) * dc + mm * sc) >> 8;
                       }));
        }
}

void TDIBSurface::FillRect(TRect r, uint32_t value) {
    r = IntersectRect(r, TRect{0, 0, FWidth, FHeight});
    if (IsRectEmpty(r)) return;
    switch (FBitCount) {
    case 1: value &= 1; break;
    case 4: value &= 0xF; break;
    case 8: value &= 0xFF; break;
    case 15: value &= 0x7FFF; break;
    case 16: value &= 0xFFFF; break;
    case 24: value &= 0xFFFFFF; break;
    default: break;
    }
    const TPixelView d = View();
    for (int32_t y = r.Top; y < r.Bottom; ++y) {
        if (FBitCount == 8) {
            std::memset(ScanLine(y) + r.Left, static_cast<int>(value), static_cast<size_t>(r.Width()));
            continue;
        }
        for (int32_t x = r.Left; x < r.Right; ++x) WritePixel(d, x, y, value);
    }
}

void TDIBSurface::CopyFrom(const TDIBSurface& source, TRect r, bool withMask) {
    const int32_t w = Sat32(std::max<int64_t>(0, RectW(r))), h = Sat32(std::max<int64_t>(0, RectH(r)));
    auto tmp = std::make_unique<TDIBSurface>(w, h, source.LogicalBitCount());
    tmp->Palette = source.Palette;
    tmp->DrawKeyed(0, 0, -1, r, source);
    if (withMask && source.Mask()) {
        tmp->CreateMask();
        tmp->Mask()->DrawKeyed(0, 0, -1, r, *source.Mask());
    }
    FWidth = tmp->FWidth;
    FHeight = tmp->FHeight;
    FBitCount = tmp->FBitCount;
    FPitch = tmp->FPitch;
    FBits = std::move(tmp->FBits);
    Palette = tmp->Palette;
    FHasClip = false;
    if (tmp->FMask)
        FMask = std::move(tmp->FMask);
    else if (FMask)
        FMask->SetSize(FWidth, FHeight, 8);
}

void TDIBSurface::Crop(TRect r) {
    TDIBSurface tmp;
    tmp.CopyFrom(*this, r, true);
    const bool hadMask = FMask != nullptr;
    FWidth = tmp.FWidth;
    FHeight = tmp.FHeight;
    FBitCount = tmp.FBitCount;
    FPitch = tmp.FPitch;
    FBits = std::move(tmp.FBits);
    FHasClip = false;
    if (hadMask) FMask = std::move(tmp.FMask);
}

TRect TDIBSurface::ContentRect(int64_t key) const {
    const TRect all{0, 0, FWidth, FHeight};
    if (key < 0 || Empty()) return all;
    const TPixelView v = View();
    const uint32_t k = static_cast<uint32_t>(key);
    auto colHas = [&](int32_t x) {
        for (int32_t y = 0; y < FHeight; ++y)
            if (ReadPixel(v, x, y) != k) return true;
        return false;
    };
    auto rowHas = [&](int32_t y, int32_t l, int32_t r) {
        for (int32_t x = l; x < r; ++x)
            if (ReadPixel(v, x, y) != k) return true;
        return false;
    };
    int32_t l = 0;
    while (l < FWidth && !colHas(l)) ++l;
    if (l == FWidth) return TRect{0, 0, 0, 0};
    int32_t r = FWidth;
    while (r > l && !colHas(r - 1)) --r;
    int32_t t = 0;
    while (t < FHeight && !rowHas(t, l, r)) ++t;
    int32_t b = FHeight;
    while (b > t && !rowHas(b - 1, l, r)) --b;
    return TRect{l, t, r, b};
}

TRect TDIBSurface::Trim(int64_t key) {
    TRect c = ContentRect(key);
    if (IsRectEmpty(c)) c = TRect{0, 0, 1, 1};
    if (c != TRect{0, 0, FWidth, FHeight}) Crop(c);
    return c;
}

void TDIBSurface::Resample(int32_t width, int32_t height) {
    if (width == FWidth && height == FHeight) return;
    if (width <= 0 || height <= 0 || Empty()) {
        SetSize(std::max(width, 0), std::max(height, 0), 24);
        return;
    }
    // The old pixels as colours.
    const int32_t ow = FWidth, oh = FHeight;
    std::vector<uint8_t> old(static_cast<size_t>(ow) * oh * 3);
    for (int32_t y = 0; y < oh; ++y)
        for (int32_t x = 0; x < ow; ++x) {
            const uint32_t c = PixelToColor(GetPixel(x, y));
            uint8_t* p = &old[(static_cast<size_t>(y) * ow + x) * 3];
            p[0] = static_cast<uint8_t>(c);
            p[1] = static_cast<uint8_t>(c >> 8);
            p[2] = static_cast<uint8_t>(c >> 16);
        }
    auto at = [&](int32_t x, int32_t y, int c) -> double {
        if (x < 0 || y < 0 || x >= ow || y >= oh) return 0.0;
        return old[(static_cast<size_t>(y) * ow + x) * 3 + c];
    };
    SetSize(width, height, 24);
    const float fx = static_cast<float>(width) / static_cast<float>(ow);
    const float fy = static_cast<float>(height) / static_cast<float>(oh);
    auto round = [](double v) { return static_cast<uint32_t>(std::clamp(std::nearbyint(v), 0.0, 255.0)); };
    const bool bilinear = width > ow || height > oh;
    for (int32_t Y = 0; Y < height; ++Y)
        for (int32_t X = 0; X < width; ++X) {
            double ch[3];
            if (bilinear) {
                const float sx = static_cast<float>(X) / fx, sy = static_cast<float>(Y) / fy;
                const int32_t x0 = static_cast<int32_t>(sx), y0 = static_cast<int32_t>(sy);
                const float ax = sx - static_cast<float>(x0), ay = sy - static_cast<float>(y0);
                const float w00 = (1 - ax) * (1 - ay), w10 = ax * (1 - ay), w01 = (1 - ax) * ay,
                            w11 = ax * ay;
                for (int c = 0; c < 3; ++c)
                    ch[c] = w00 * at(x0, y0, c) + w10 * at(x0 + 1, y0, c) + w01 * at(x0, y0 + 1, c) +
                            w11 * at(x0 + 1, y0 + 1, c);
            } else {
                int32_t xa = static_cast<int32_t>(static_cast<float>(X) / fx);
                int32_t xb = static_cast<int32_t>(static_cast<float>(X + 1) / fx) - 1;
                int32_t ya = static_cast<int32_t>(static_cast<float>(Y) / fy);
                int32_t yb = static_cast<int32_t>(static_cast<float>(Y + 1) / fy) - 1;
                xa = std::clamp(xa, 0, ow - 1);
                ya = std::clamp(ya, 0, oh - 1);
                xb = std::clamp(xb, xa, ow - 1);
                yb = std::clamp(yb, ya, oh - 1);
                double sum[3] = {0, 0, 0};
                for (int32_t yy = ya; yy <= yb; ++yy)
                    for (int32_t xx = xa; xx <= xb; ++xx)
                        for (int c = 0; c < 3; ++c) sum[c] += at(xx, yy, c);
                const double n = static_cast<double>(xb - xa + 1) * (yb - ya + 1);
                for (int c = 0; c < 3; ++c) ch[c] = sum[c] / n;
            }
            SetPixel(X, Y, RGBToPixel(round(ch[0]), round(ch[1]), round(ch[2])));
        }
}

void TDIBSurface::ConvertFrom(const TDIBSurface& source) {
    const int32_t w = std::min(FWidth, source.Width()), h = std::min(FHeight, source.Height());
    if (w <= 0 || h <= 0) return;
    if (source.LogicalBitCount() == FBitCount && FBitCount >= 8) {
        const int bpp = BitCount() / 8;
        for (int32_t y = 0; y < h; ++y)
            std::memcpy(ScanLine(y), source.ScanLine(y), static_cast<size_t>(w) * bpp);
        return;
    }
    const TPixelView d = View(), s = source.View();
    // Palette sources convert each index once.
    std::vector<uint32_t> lut;
    if (source.LogicalBitCount() <= 8) {
        lut.resize(256);
        for (uint32_t i = 0; i < 256; ++i) lut[i] = Converted(source, i);
    }
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x) {
            const uint32_t v = ReadPixel(s, x, y);
            WritePixel(d, x, y, lut.empty() ? Converted(source, v) : lut[v & 0xFF]);
        }
}

} // namespace vobe
