#include "graphics/dibx.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "graphics/image_loader.h"
#include "graphics/pixel_ops.h"
#include "graphics/vask_image.h"
#include "platform/cp932.h"
#include "platform/error.h"

namespace vobe {

namespace {

TLayeredImageReader LayeredReader = ReadVaskFirstFrame;

// A surface locked for the duration of one operation.
struct TLocked {
    TCustomDIBX* s;
    TPixelView v;
    explicit TLocked(TCustomDIBX* surface) : s(surface) {
        if (!s) return;
        uint8_t* p = s->Lock(0, 0);
        if (!p) return;
        v.Bits = p;
        v.Pitch = s->Pitch();
        v.Width = s->Width();
        v.Height = s->Height();
        v.BitCount = s->BitCount();
    }
    ~TLocked() {
        if (v.Bits) s->Unlock();
    }
    TLocked(const TLocked&) = delete;
    TLocked& operator=(const TLocked&) = delete;
};

int64_t KeyOf(TCustomDIBX* s) {
    return (s && s->TransparentColor >= 0) ? s->TransparentColor : -1;
}

// Restores a surface's clip on every way out.
struct TClipKeeper {
    TCustomDIBX* s;
    TRect saved;
    explicit TClipKeeper(TCustomDIBX* surface) : s(surface), saved(surface->ClipRect) {}
    ~TClipKeeper() { s->ClipRect = saved; }
};

bool SameExt(const std::string& name, const char* ext) {
    const size_t n = std::strlen(ext);
    return name.size() >= n && AnsiLowerCase(name.substr(name.size() - n)) == ext;
}

} // namespace

void SetLayeredImageReader(TLayeredImageReader reader) {
    LayeredReader = reader;
}

// ---- TCustomDIBX ---------------------------------------------------------------------------------------

bool TCustomDIBX::IsEmpty() {
    return Width() == 0 || Height() == 0;
}
int32_t TCustomDIBX::BitCount() {
    return 0;
}
void TCustomDIBX::SetBitCount(int32_t) {}
uint32_t TCustomDIBX::RedMask() {
    return 0;
}
uint32_t TCustomDIBX::GreenMask() {
    return 0;
}
uint32_t TCustomDIBX::BlueMask() {
    return 0;
}
int32_t TCustomDIBX::Pitch() {
    return 0;
}
uint32_t TCustomDIBX::GetPixel(int32_t, int32_t) {
    return 0;
}
void TCustomDIBX::SetPixel(int32_t, int32_t, uint32_t) {}
int32_t TCustomDIBX::BlueShift() {
    return 0;
}
int32_t TCustomDIBX::GreenShift() {
    return 0;
}
int32_t TCustomDIBX::RedShift() {
    return 0;
}
int32_t TCustomDIBX::Height() {
    return FHeight;
}
int32_t TCustomDIBX::Width() {
    return FWidth;
}
TCustomDIBX* TCustomDIBX::Target() {
    return nullptr;
}
int32_t TCustomDIBX::StorageBitCount() {
    return BitCount();
}

void TCustomDIBX::SetSize(int32_t width, int32_t height, int32_t) {
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
}

uint8_t* TCustomDIBX::Lock(int32_t, int32_t) {
    return nullptr;
}
void TCustomDIBX::Unlock() {}
void TCustomDIBX::ResetClip() {
    ClipRect.Right = 0;
}

void TCustomDIBX::AddClip(TRect r) {
    r.Left = std::max(r.Left, 0);
    r.Top = std::max(r.Top, 0);
    r.Right = std::min(r.Right, Width());
    r.Bottom = std::min(r.Bottom, Height());
    if (IsRectEmpty(r)) return;
    ClipRect = ClipRect.Right == 0 ? r : UnionRect(ClipRect, r);
}

int32_t TCustomDIBX::ColorToPixel(int32_t colour) {
    return colour;
}

TRect TCustomDIBX::DrawClip() {
    return IntersectRect(GetClipRect(), BoundsRect());
}

// The whole surface within the clip: a container redrawing a dirty area touches only that area.
void TCustomDIBX::Fill(uint32_t value) {
    FillRect(BoundsRect(), value);
}

void TCustomDIBX::FillRect(TRect r, uint32_t value) {
    TLocked d(this);
    if (d.v.Valid()) px::FillRect(d.v, DrawClip(), r, value);
}
void TCustomDIBX::FillRectAlpha(TRect r, uint32_t value, int32_t alpha) {
    TLocked d(this);
    if (d.v.Valid()) px::FillRectAlpha(d.v, DrawClip(), r, value, alpha);
}
void TCustomDIBX::FillRectAdd(TRect r, uint32_t value) {
    TLocked d(this);
    if (d.v.Valid()) px::FillRectAdd(d.v, DrawClip(), r, value);
}
void TCustomDIBX::FillRectSub(TRect r, uint32_t value) {
    TLocked d(this);
    if (d.v.Valid()) px::FillRectSub(d.v, DrawClip(), r, value);
}

namespace {

// The four strips of a frame of width w: top and bottom full width, left and right between them.
template <class Fn> void FrameStrips(const TRect& r, int32_t w, Fn fill) {
    if (w <= 0) return;
    fill(TRect{r.Left, r.Top, r.Right, Sat32(static_cast<int64_t>(r.Top) + w)});
    fill(TRect{r.Left, Sat32(static_cast<int64_t>(r.Bottom) - w), r.Right, r.Bottom});
    const int64_t inner = RectH(r) - 2 * static_cast<int64_t>(w);
    if (inner > 0) {
        fill(SatBounds(r.Left, static_cast<int64_t>(r.Top) + w, w, inner));
        fill(SatBounds(static_cast<int64_t>(r.Right) - w, static_cast<int64_t>(r.Top) + w, w, inner));
    }
}

} // namespace

void TCustomDIBX::FrameRect(TRect r, int32_t width, uint32_t value) {
    FrameStrips(r, width, [&](TRect s) { FillRect(s, value); });
}
void TCustomDIBX::FrameRectAlpha(TRect r, int32_t width, int32_t alpha, uint32_t value) {
    if (alpha <= 0) return;
    FrameStrips(r, width, [&](TRect s) { FillRectAlpha(s, value, alpha); });
}
void TCustomDIBX::FrameRectAdd(TRect r, int32_t width, uint32_t value) {
    FrameStrips(r, width, [&](TRect s) { FillRectAdd(s, value); });
}

void TCustomDIBX::Assign(TCustomDIBX* source) {
    if (!source) return;
    Draw(0, 0, false, false, false, source->BoundsRect(), source);
}

void TCustomDIBX::Draw(int32_t x, int32_t y, bool flipV, bool flipH, bool transparent, TRect src,
                       TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::Draw(d.v, DrawClip(), x, y, flipV, flipH, transparent, src, s.v, KeyOf(source));
}

void TCustomDIBX::DrawMask(int32_t x, int32_t y, TCustomDIBX* mask, bool flipV, bool flipH, TRect src,
                           TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source), m(mask);
    px::DrawMask(d.v, DrawClip(), x, y, m.v, flipV, flipH, src, s.v);
}

void TCustomDIBX::DrawAlpha(int32_t x, int32_t y, int32_t alpha, bool flipV, bool flipH, bool transparent,
                            TRect src, TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::DrawAlpha(d.v, DrawClip(), x, y, alpha, flipV, flipH, transparent, src, s.v, KeyOf(source));
}

void TCustomDIBX::DrawMaskAlpha(int32_t x, int32_t y, int32_t alpha, TCustomDIBX* mask, bool flipV,
                                bool flipH, TRect src, TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source), m(mask);
    px::DrawMaskAlpha(d.v, DrawClip(), x, y, alpha, m.v, flipV, flipH, src, s.v);
}

void TCustomDIBX::DrawAdd(int32_t x, int32_t y, int32_t level, bool flipV, bool flipH, TRect src,
                          TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::DrawAdd(d.v, DrawClip(), x, y, level, flipV, flipH, src, s.v, KeyOf(source));
}

void TCustomDIBX::DrawMaskAdd(int32_t x, int32_t y, int32_t level, TCustomDIBX* mask, bool flipV, bool flipH,
                              TRect src, TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source), m(mask);
    px::DrawMaskAdd(d.v, DrawClip(), x, y, level, m.v, flipV, flipH, src, s.v);
}

void TCustomDIBX::DrawRotate(int32_t cx, int32_t cy, int32_t blend, bool flipV, bool flipH, bool transparent,
                             int32_t angle, int32_t pivotY, int32_t pivotX, TRect src, TCustomDIBX* source,
                             int32_t zoomY, int32_t zoomX) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::DrawRotate(d.v, DrawClip(), cx, cy, blend, flipV, flipH, transparent, angle, pivotY, pivotX, src, s.v,
                   KeyOf(source), zoomY, zoomX, nullptr);
}

void TCustomDIBX::DrawRotateMask(int32_t cx, int32_t cy, int32_t blend, bool flipV, bool flipH,
                                 TCustomDIBX* mask, int32_t angle, int32_t pivotY, int32_t pivotX, TRect src,
                                 TCustomDIBX* source, int32_t zoomY, int32_t zoomX) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source), m(mask);
    if (!m.v.Valid()) return;
    px::DrawRotate(d.v, DrawClip(), cx, cy, blend, flipV, flipH, false, angle, pivotY, pivotX, src, s.v, -1,
                   zoomY, zoomX, &m.v);
}

void TCustomDIBX::StretchDrawAlpha(TRect dest, TCustomDIBX* source, int32_t alpha, bool flipV, bool flipH,
                                   bool transparent, TRect src) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::StretchDraw(px::skAlpha, d.v, DrawClip(), dest, s.v, alpha, nullptr, flipV, flipH, transparent, src,
                    KeyOf(source));
}

void TCustomDIBX::StretchDrawMaskAlpha(TRect dest, TCustomDIBX* source, int32_t alpha, TCustomDIBX* mask,
                                       bool flipV, bool flipH, TRect src) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source), m(mask);
    px::StretchDraw(px::skMaskAlpha, d.v, DrawClip(), dest, s.v, alpha, &m.v, flipV, flipH, false, src, -1);
}

void TCustomDIBX::StretchDrawAdd(TRect dest, TCustomDIBX* source, int32_t level, bool flipV, bool flipH,
                                 bool transparent, TRect src) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::StretchDraw(px::skAdd, d.v, DrawClip(), dest, s.v, level, nullptr, flipV, flipH, transparent, src,
                    KeyOf(source));
}

void TCustomDIBX::StretchDrawMaskAdd(TRect dest, TCustomDIBX* source, int32_t level, TCustomDIBX* mask,
                                     bool flipV, bool flipH, TRect src) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source), m(mask);
    px::StretchDraw(px::skMaskAdd, d.v, DrawClip(), dest, s.v, level, &m.v, flipV, flipH, false, src, -1);
}

void TCustomDIBX::DrawGlyph(int32_t x, int32_t y, int32_t sub, int32_t alpha, bool flipV, bool flipH,
                            uint32_t colour, TRect src, TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::DrawGlyph(d.v, DrawClip(), x, y, sub, alpha, flipV, flipH, colour, src, s.v);
}

void TCustomDIBX::DrawGlyph3(int32_t x, int32_t y, int32_t sub, int32_t blend, bool flipV, bool flipH,
                             const std::array<uint32_t, 3>& colours, TRect src, TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::DrawGlyph3(d.v, DrawClip(), x, y, sub, blend, flipV, flipH, colours, src, s.v);
}

// Pieces of the source drawn in rows and columns from the wrapped origin, the clip narrowed to the
// destination meanwhile. piece(x, y, source rectangle of the piece).
template <class Fn>
void TCustomDIBX::TileGeneric(TRect dest, int32_t gapX, int32_t originY, int32_t originX, TRect src,
                              int32_t gapY, Fn piece) {
    if (RectW(src) <= 0 || RectH(src) <= 0 || RectW(src) > INT32_MAX || RectH(src) > INT32_MAX) return;
    const int32_t w = src.Width(), h = src.Height();
    TClipKeeper keep(this);
    const TRect c = IntersectRect(DrawClip(), dest);
    if (IsRectEmpty(c)) return;
    ClipRect = c;
    const int32_t ox = px::WrapOrigin(originX, w), oy = px::WrapOrigin(originY, h);
    // Later pieces repeat with these periods; at least one pixel so that the walk always ends.
    const int64_t periodX = std::max<int64_t>(1, static_cast<int64_t>(w) + gapX);
    const int64_t periodY = std::max<int64_t>(1, static_cast<int64_t>(h) + gapY);
    int64_t y = dest.Top;
    bool firstRow = true;
    while (y < c.Bottom) {
        const int32_t top = firstRow ? src.Top + oy : src.Top;
        const int32_t ph = src.Bottom - top;
        if (!firstRow && y + ph <= c.Top) {
            // Jump over whole rows above the clip.
            const int64_t skip = (c.Top - (y + ph)) / periodY;
            if (skip > 0) {
                y += skip * periodY;
                continue;
            }
        }
        if (y + ph > c.Top) {
            int64_t x = dest.Left;
            bool firstCol = true;
            while (x < c.Right) {
                const int32_t left = firstCol ? src.Left + ox : src.Left;
                const int32_t pw = src.Right - left;
                if (!firstCol && x + pw <= c.Left) {
                    const int64_t skip = (c.Left - (x + pw)) / periodX;
                    if (skip > 0) {
                        x += skip * periodX;
                        continue;
                    }
                }
                if (pw > 0 && x + pw > c.Left)
                    piece(static_cast<int32_t>(x), static_cast<int32_t>(y),
                          TRect{left, top, src.Right, src.Bottom});
                x += (firstCol && pw == 0) ? gapX : std::max<int64_t>(1, static_cast<int64_t>(pw) + gapX);
                firstCol = false;
            }
        }
        y += (firstRow && ph == 0) ? gapY : std::max<int64_t>(1, static_cast<int64_t>(ph) + gapY);
        firstRow = false;
    }
}

void TCustomDIBX::TileDraw(TRect dest, int32_t gapX, int32_t originY, int32_t originX, bool transparent,
                           TRect src, TCustomDIBX* source, int32_t gapY) {
    TileGeneric(dest, gapX, originY, originX, src, gapY,
                [&](int32_t x, int32_t y, TRect p) { Draw(x, y, false, false, transparent, p, source); });
}
void TCustomDIBX::TileDrawAlpha(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t alpha,
                                bool transparent, TRect src, TCustomDIBX* source, int32_t gapY) {
    if (alpha <= 0) return;
    TileGeneric(dest, gapX, originY, originX, src, gapY, [&](int32_t x, int32_t y, TRect p) {
        DrawAlpha(x, y, alpha, false, false, transparent, p, source);
    });
}
void TCustomDIBX::TileDrawAdd(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t level,
                              TRect src, TCustomDIBX* source, int32_t gapY) {
    if (level <= 0) return;
    TileGeneric(dest, gapX, originY, originX, src, gapY,
                [&](int32_t x, int32_t y, TRect p) { DrawAdd(x, y, level, false, false, p, source); });
}
void TCustomDIBX::TileDrawMask(TRect dest, int32_t gapX, int32_t originY, int32_t originX, TCustomDIBX* mask,
                               TRect src, TCustomDIBX* source, int32_t gapY) {
    TileGeneric(dest, gapX, originY, originX, src, gapY,
                [&](int32_t x, int32_t y, TRect p) { DrawMask(x, y, mask, false, false, p, source); });
}
void TCustomDIBX::TileDrawMaskAlpha(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t alpha,
                                    TCustomDIBX* mask, TRect src, TCustomDIBX* source, int32_t gapY) {
    if (alpha <= 0) return;
    TileGeneric(dest, gapX, originY, originX, src, gapY, [&](int32_t x, int32_t y, TRect p) {
        DrawMaskAlpha(x, y, alpha, mask, false, false, p, source);
    });
}
void TCustomDIBX::TileDrawMaskAdd(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t level,
                                  TCustomDIBX* mask, TRect src, TCustomDIBX* source, int32_t gapY) {
    if (level <= 0) return;
    TileGeneric(dest, gapX, originY, originX, src, gapY, [&](int32_t x, int32_t y, TRect p) {
        DrawMaskAdd(x, y, level, mask, false, false, p, source);
    });
}

void TCustomDIBX::TileStretchGeneric(TRect dest, int32_t distX, int32_t originY, int32_t originX,
                                     int32_t blend, bool flipV, bool flipH, bool transparent, TRect src,
                                     TCustomDIBX* source, int32_t zoomY, int32_t zoomX, int32_t distY,
                                     TCustomDIBX* mask) {
    if (blend <= 0 || zoomX <= 0 || zoomY <= 0 || RectW(src) <= 0 || RectH(src) <= 0) return;
    if (blend > 255 && blend - 256 <= 0) return;
    TClipKeeper keep(this);
    const TRect c = IntersectRect(DrawClip(), dest);
    if (IsRectEmpty(c)) return;
    ClipRect = c;
    // Copies larger than any surface are cut to a size that still covers one.
    auto copySize = [](int64_t size, int32_t zoom) {
        return static_cast<int32_t>(
            std::clamp(std::trunc(size * static_cast<double>(zoom) / 256.0), 1.0, 1e9));
    };
    const int32_t cw = copySize(RectW(src), zoomX), ch = copySize(RectH(src), zoomY);
    // Start of the first copy and the period, in 16.16.
    auto axis = [](int32_t edge, int32_t dist, int32_t zoom, int32_t origin, int64_t& start, int64_t& step) {
        // Beyond 2^30 pixels only the first copy can show; a negative distance steps by one pixel.
        const double period = std::clamp(dist * static_cast<double>(zoom) / 256.0, 0.0, 1073741824.0);
        double back = 0;
        if (period > 0) {
            const double q = origin / period;
            back = (q - std::trunc(q)) * period;
            if (origin < 0) back = period + back;
        }
        start = (static_cast<int64_t>(edge) << 16) - static_cast<int64_t>(back * 65536.0);
        step = std::max<int64_t>(65536, static_cast<int64_t>(period * 65536.0));
    };
    int64_t sx0, stepX, sy0, stepY;
    axis(dest.Left, distX, zoomX, originX, sx0, stepX);
    axis(dest.Top, distY, zoomY, originY, sy0, stepY);
    // Copies wholly before the clip are skipped.
    auto firstAt = [](int64_t start, int64_t step, int32_t clipStart, int32_t size) {
        const int64_t need = (static_cast<int64_t>(clipStart) - size) << 16;
        if (start >= need) return start;
        return start + ((need - start) / step) * step;
    };
    for (int64_t y16 = firstAt(sy0, stepY, c.Top, ch); (y16 >> 16) < c.Bottom; y16 += stepY) {
        const int32_t Y = static_cast<int32_t>(y16 >> 16);
        for (int64_t x16 = firstAt(sx0, stepX, c.Left, cw); (x16 >> 16) < c.Right; x16 += stepX) {
            const int32_t X = static_cast<int32_t>(x16 >> 16);
            const TRect r = SatBounds(X, Y, cw, ch);
            if (!mask) {
                if (blend <= 255)
                    StretchDrawAlpha(r, source, blend, flipV, flipH, transparent, src);
                else
                    StretchDrawAdd(r, source, std::min(255, blend - 256), flipV, flipH, transparent, src);
            } else {
                if (blend <= 255)
                    StretchDrawMaskAlpha(r, source, blend, mask, flipV, flipH, src);
                else
                    StretchDrawMaskAdd(r, source, std::min(255, blend - 256), mask, flipV, flipH, src);
            }
        }
    }
}

void TCustomDIBX::TileStretchDraw(TRect dest, int32_t distX, int32_t originY, int32_t originX, int32_t blend,
                                  bool flipV, bool flipH, bool transparent, TRect src, TCustomDIBX* source,
                                  int32_t zoomY, int32_t zoomX, int32_t distY) {
    TileStretchGeneric(dest, distX, originY, originX, blend, flipV, flipH, transparent, src, source, zoomY,
                       zoomX, distY, nullptr);
}

void TCustomDIBX::TileStretchDrawMask(TRect dest, int32_t distX, int32_t originY, int32_t originX,
                                      int32_t blend, bool flipV, bool flipH, TCustomDIBX* mask, TRect src,
                                      TCustomDIBX* source, int32_t zoomY, int32_t zoomX, int32_t distY) {
    if (!mask) return;
    TileStretchGeneric(dest, distX, originY, originX, blend, flipV, flipH, false, src, source, zoomY, zoomX,
                       distY, mask);
}

void TCustomDIBX::FramePattern(TRect r, int32_t width, int32_t originY, int32_t originX,
                               TCustomDIBX* source) {
    FrameStrips(r, width, [&](TRect s) { TileFill(s, source, false, false, originY, originX); });
}

void TCustomDIBX::DrawPalette4(int32_t x, int32_t y, const uint32_t* palette, int32_t blend, bool flipV,
                               bool flipH, int32_t, TRect src, TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::DrawPalette4(d.v, DrawClip(), x, y, palette, 16, blend, flipV, flipH, src, s.v, KeyOf(source));
}

void TCustomDIBX::DrawPalette8Add(int32_t x, int32_t y, const uint32_t* palette, int32_t level, bool flipV,
                                  bool flipH, int32_t, TRect src, TCustomDIBX* source) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::DrawPalette8Add(d.v, DrawClip(), x, y, palette, 256, level, flipV, flipH, src, s.v, KeyOf(source));
}

void TCustomDIBX::StretchDrawPalette(TRect dest, TCustomDIBX* source, const uint32_t* palette, int32_t level,
                                     bool flipV, bool flipH, int32_t threshold, TRect src) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::StretchDrawPalette(d.v, DrawClip(), dest, s.v, palette, 256, level, flipV, flipH, threshold, src);
}

void TCustomDIBX::TileZoom(TRect dest, int32_t zoomX, int32_t blend, bool flipV, bool flipH, bool transparent,
                           int32_t originY, int32_t originX, TCustomDIBX* source, int32_t zoomY) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::TileZoom(d.v, DrawClip(), dest, zoomX, blend, flipV, flipH, transparent, originY, originX, s.v,
                 KeyOf(source), zoomY, nullptr);
}

void TCustomDIBX::TileZoomMask(TRect dest, int32_t zoomX, int32_t blend, TCustomDIBX* mask, bool flipV,
                               bool flipH, int32_t originY, int32_t originX, TCustomDIBX* source,
                               int32_t zoomY) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source), m(mask);
    if (!m.v.Valid()) return;
    px::TileZoom(d.v, DrawClip(), dest, zoomX, blend, flipV, flipH, false, originY, originX, s.v, -1, zoomY,
                 &m.v);
}

void TCustomDIBX::TileFill(TRect dest, TCustomDIBX* source, bool flipV, bool flipH, int32_t originY,
                           int32_t originX) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked s(source);
    px::TileFill(d.v, DrawClip(), dest, s.v, flipV, flipH, originY, originX);
}

void TCustomDIBX::FillMask(int32_t x, int32_t y, int32_t alpha, uint32_t colour, bool flipV, bool flipH,
                           TRect src, TCustomDIBX* mask) {
    TLocked d(this);
    if (!d.v.Valid()) return;
    TLocked m(mask);
    px::FillMask(d.v, DrawClip(), x, y, alpha, colour, flipV, flipH, src, m.v);
}

bool TCustomDIBX::LoadFromFile(const std::string& name) {
    if (!SameExt(name, ".bmp")) return false;
    std::unique_ptr<TFileStream> f;
    try {
        f = std::make_unique<TFileStream>(name, fmOpenRead);
    } catch (const EVobeError&) {
        return false;
    }
    return LoadFromStream(*f, 0);
}

bool TCustomDIBX::LoadFromStream(TStream& stream, int32_t key) {
    uint8_t sig[4] = {0, 0, 0, 0};
    stream.SetPosition(0);
    stream.Read(sig, 4);
    stream.SetPosition(0);
    TDIBSurface pic;
    if (sig[0] == 'B' && sig[1] == 'M') {
        LoadBitmapFromStream(stream, pic);
    } else if (sig[1] == 'P' && sig[2] == 'N' && sig[3] == 'G') {
        int32_t transparent;
        LoadPngFromStream(stream, pic, transparent);
    } else if (std::memcmp(sig, "Vask", 4) == 0) {
        if (!LayeredReader || !LayeredReader(stream, key, pic)) return false;
    } else {
        return false;
    }
    if (pic.Empty()) return true;
    // The picture in this surface's own format, then copied in.
    TDIBSurface conv(pic.Width(), pic.Height(), BitCount() > 0 ? BitCount() : 32);
    conv.ConvertFrom(pic);
    SetSize(pic.Width(), pic.Height(), BitCount());
    TLocked d(this);
    if (!d.v.Valid() || d.v.BitCount != conv.LogicalBitCount()) return true;
    const int64_t rowBytes = DibRowBytes(conv.Width(), conv.LogicalBitCount());
    const int64_t n = std::min<int64_t>(rowBytes, std::abs(static_cast<int64_t>(d.v.Pitch)));
    for (int32_t y = 0; y < std::min(d.v.Height, conv.Height()); ++y)
        std::memcpy(d.v.Row(y), conv.ScanLine(y), static_cast<size_t>(n));
    return true;
}

void TCustomDIBX::SaveToFile(const std::string& name) {
    if (!SameExt(name, ".bmp")) return;
    TLocked d(this);
    TDIBSurface out(std::max(0, Width()), std::max(0, Height()), 24);
    if (d.v.Valid()) {
        TDIBSurface own(d.v.Width, d.v.Height, d.v.BitCount);
        if (auto* dx = dynamic_cast<TDIBX*>(this)) own.Palette = dx->DIB()->Palette;
        const int64_t n = std::min<int64_t>(own.Pitch(), std::abs(static_cast<int64_t>(d.v.Pitch)));
        for (int32_t y = 0; y < d.v.Height; ++y)
            std::memcpy(own.ScanLine(y), d.v.Row(y), static_cast<size_t>(n));
        out.ConvertFrom(own);
    }
    TFileStream f(name, fmCreate);
    SaveBitmapToStream(out, f);
}

void TCustomDIBX::Clear() {
    FWidth = 0;
    FHeight = 0;
}

void TCustomDIBX::ReleaseSurface() {}
void TCustomDIBX::GetPalette(uint32_t* entries) {
    GetPaletteEntries(entries, 0, 256);
}
void TCustomDIBX::GetPaletteEntries(uint32_t*, int32_t, int32_t) {}
void TCustomDIBX::SetPalette(const uint32_t* entries) {
    SetPaletteEntries(entries, 0, 256);
}
void TCustomDIBX::SetPaletteEntries(const uint32_t*, int32_t, int32_t) {}

void TCustomDIBX::StretchToDC(const TPixelView& dc, TRect dest, TRect src) {
    TLocked s(this);
    if (!s.v.Valid() || !dc.Valid()) return;
    src = IntersectRect(src, BoundsRect());
    const int64_t dw = RectW(dest), dh = RectH(dest), sw = RectW(src), sh = RectH(src);
    if (dw <= 0 || dh <= 0 || sw <= 0 || sh <= 0) return;
    const TRect area = IntersectRect(dest, TRect{0, 0, dc.Width, dc.Height});
    if (IsRectEmpty(area)) return;
    const int32_t sb = s.v.BitCount, db = dc.BitCount;
    const int bpp = (StorageBitCount() + 7) / 8;
    const bool sameFormat = sb == db && sb >= 8;
    std::vector<int32_t> xs(static_cast<size_t>(area.Width()));
    for (int32_t X = area.Left; X < area.Right; ++X)
        xs[X - area.Left] = src.Left + static_cast<int32_t>((X - static_cast<int64_t>(dest.Left)) * sw / dw);
    uint32_t palette[256] = {};
    if (sb <= 8) GetPalette(palette);
    for (int32_t Y = area.Top; Y < area.Bottom; ++Y) {
        const int32_t sy = src.Top + static_cast<int32_t>((Y - static_cast<int64_t>(dest.Top)) * sh / dh);
        if (sameFormat && dw == sw) {
            std::memcpy(dc.Row(Y) + static_cast<ptrdiff_t>(area.Left) * bpp,
                        s.v.Row(sy) + static_cast<ptrdiff_t>(xs[0]) * bpp,
                        static_cast<size_t>(area.Width()) * bpp);
            continue;
        }
        for (int32_t X = area.Left; X < area.Right; ++X) {
            uint32_t v = ReadPixel(s.v, xs[X - area.Left], sy);
            if (!sameFormat) {
                uint8_t r, g, b;
                if (sb <= 8) {
                    const uint32_t e = palette[v & 0xFF];
                    r = static_cast<uint8_t>(e >> 16);
                    g = static_cast<uint8_t>(e >> 8);
                    b = static_cast<uint8_t>(e);
                } else {
                    PixelToRGB(sb, v, r, g, b);
                }
                v = RGBToNative(db, r, g, b);
            }
            WritePixel(dc, X, Y, v);
        }
    }
}

void TCustomDIBX::Dormant() {}

TRect TCustomDIBX::RotatedBounds(int32_t x, int32_t y, int32_t pivotX, int32_t pivotY, bool flipH, bool flipV,
                                 int32_t pictureWidth, int32_t pictureHeight, int32_t zoomX, int32_t zoomY,
                                 TRect src, int32_t angle) {
    return px::RotatedBounds(x, y, pivotX, pivotY, flipH, flipV, pictureWidth, pictureHeight, zoomX, zoomY,
                             src, angle);
}

// ---- TDIBX ---------------------------------------------------------------------------------------------

TDIBX::TDIBX() : FDIB(new TDIBSurface(1, 1, 15)), FBorrowed(false) {
    FWidth = 1;
    FHeight = 1;
}

TDIBX::TDIBX(TDIBSurface* borrowed) : FDIB(borrowed), FBorrowed(true) {
    FWidth = borrowed->Width();
    FHeight = borrowed->Height();
}

TDIBX::~TDIBX() {
    if (!FBorrowed) delete FDIB;
}

int32_t TDIBX::BitCount() {
    return FDIB->LogicalBitCount();
}

void TDIBX::SetBitCount(int32_t bits) {
    if (bits != 1 && bits != 4 && bits != 8 && bits != 15 && bits != 16 && bits != 24) bits = 32;
    if (bits == BitCount()) return;
    FDIB->SetSize(FDIB->Width(), FDIB->Height(), bits);
}

namespace {

TChannelLayout SurfaceLayout(int32_t bits) {
    if (bits == 24) return ChannelLayout(32);
    return ChannelLayout(bits);
}

} // namespace

uint32_t TDIBX::RedMask() {
    return SurfaceLayout(BitCount()).RMask;
}
uint32_t TDIBX::GreenMask() {
    return SurfaceLayout(BitCount()).GMask;
}
uint32_t TDIBX::BlueMask() {
    return SurfaceLayout(BitCount()).BMask;
}
int32_t TDIBX::BlueShift() {
    return SurfaceLayout(BitCount()).BShift;
}
int32_t TDIBX::GreenShift() {
    return SurfaceLayout(BitCount()).GShift;
}
int32_t TDIBX::RedShift() {
    return SurfaceLayout(BitCount()).RShift;
}
int32_t TDIBX::Pitch() {
    return FDIB->Pitch();
}
int32_t TDIBX::StorageBitCount() {
    return FDIB->BitCount();
}

uint32_t TDIBX::GetPixel(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return 0;
    return FDIB->GetPixel(x, y);
}

void TDIBX::SetPixel(int32_t x, int32_t y, uint32_t value) {
    if (x < 0 || y < 0 || x >= FWidth || y >= FHeight) return;
    FDIB->SetPixel(x, y, value);
}

void TDIBX::SetSize(int32_t width, int32_t height, int32_t bits) {
    if (bits <= 0) bits = BitCount();
    FDIB->SetSize(std::max(0, width), std::max(0, height), bits);
    FWidth = FDIB->Width();
    FHeight = FDIB->Height();
}

uint8_t* TDIBX::Lock(int32_t x, int32_t y) {
    if (!FDIB->Bits() || x < 0 || y < 0 || x >= FDIB->Width() || y >= FDIB->Height() || FWidth == 0 ||
        FHeight == 0)
        return nullptr;
    return FDIB->ScanLine(y) + static_cast<ptrdiff_t>(x) * ((FDIB->BitCount() + 7) / 8);
}

int32_t TDIBX::ColorToPixel(int32_t colour) {
    if (colour < 0) return -1;
    const int32_t bits = BitCount();
    if (bits != 15 && bits != 16 && bits != 32) return colour;
    const uint32_t c = static_cast<uint32_t>(colour);
    return static_cast<int32_t>(RGBToNative(bits, c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF));
}

void TDIBX::Assign(TCustomDIBX* source) {
    auto* s = dynamic_cast<TDIBX*>(source);
    if (s && s != this && s->Width() == Width() && s->Height() == Height() && s->Pitch() == Pitch() &&
        FDIB->Bits() && s->FDIB->Bits()) {
        std::memcpy(FDIB->Bits(), s->FDIB->Bits(),
                    static_cast<size_t>(std::abs(Pitch())) * static_cast<size_t>(Height()));
        return;
    }
    TCustomDIBX::Assign(source);
}

void TDIBX::Clear() {
    FDIB->SetSize(8, 8, FDIB->LogicalBitCount());
    FWidth = 0;
    FHeight = 0;
}

void TDIBX::GetPalette(uint32_t* entries) {
    GetPaletteEntries(entries, 0, 256);
}
void TDIBX::SetPalette(const uint32_t* entries) {
    SetPaletteEntries(entries, 0, 256);
}

void TDIBX::GetPaletteEntries(uint32_t* entries, int32_t first, int32_t count) {
    if (!entries || first < 0 || count <= 0) return;
    for (int32_t i = 0; i < count && first + i < 256; ++i) entries[i] = FDIB->Palette[first + i];
}

void TDIBX::SetPaletteEntries(const uint32_t* entries, int32_t first, int32_t count) {
    if (!entries || first < 0 || count <= 0) return;
    for (int32_t i = 0; i < count && first + i < 256; ++i) FDIB->Palette[first + i] = entries[i] & 0xFFFFFF;
}

// ---- TDIBXWave -----------------------------------------------------------------------------------------

int32_t TDIBXWave::BitCount() {
    return FTarget ? FTarget->BitCount() : 0;
}
uint32_t TDIBXWave::RedMask() {
    return FTarget ? FTarget->RedMask() : 0;
}
uint32_t TDIBXWave::GreenMask() {
    return FTarget ? FTarget->GreenMask() : 0;
}
uint32_t TDIBXWave::BlueMask() {
    return FTarget ? FTarget->BlueMask() : 0;
}
int32_t TDIBXWave::BlueShift() {
    return FTarget ? FTarget->BlueShift() : 0;
}
int32_t TDIBXWave::GreenShift() {
    return FTarget ? FTarget->GreenShift() : 0;
}
int32_t TDIBXWave::RedShift() {
    return FTarget ? FTarget->RedShift() : 0;
}
int32_t TDIBXWave::StorageBitCount() {
    return FTarget ? FTarget->StorageBitCount() : 0;
}
int32_t TDIBXWave::ColorToPixel(int32_t colour) {
    if (colour < 0) return -1;
    return FTarget ? FTarget->ColorToPixel(colour) : colour;
}

uint32_t TDIBXWave::GetPixel(int32_t x, int32_t y) {
    const int64_t i = static_cast<int64_t>(y) - OriginY;
    if (!FTarget || i < 0 || i >= static_cast<int64_t>(Offsets.size())) return 0;
    return FTarget->GetPixel(Sat32(static_cast<int64_t>(x) + Offsets[i]), y);
}

void TDIBXWave::SetPixel(int32_t x, int32_t y, uint32_t value) {
    const int64_t i = static_cast<int64_t>(y) - OriginY;
    if (!FTarget || i < 0 || i >= static_cast<int64_t>(Offsets.size())) return;
    FTarget->SetPixel(Sat32(static_cast<int64_t>(x) + Offsets[i]), y, value);
}

void TDIBXWave::SetSize(int32_t width, int32_t height, int32_t) {
    FWidth = std::max(0, width);
    FHeight = std::max(0, height);
    Offsets.resize(static_cast<size_t>(FHeight), 0);
}

void TDIBXWave::ResetClip() {
    ClipRect.Right = 0;
    if (FTarget) FTarget->ResetClip();
}

void TDIBXWave::AddClip(TRect r) {
    r.Left = std::max(r.Left, OriginX);
    r.Top = std::max(r.Top, OriginY);
    r.Right = std::min(r.Right, Sat32(static_cast<int64_t>(OriginX) + FWidth));
    r.Bottom = std::min(r.Bottom, Sat32(static_cast<int64_t>(OriginY) + FHeight));
    if (IsRectEmpty(r)) return;
    ClipRect = ClipRect.Right == 0 ? r : UnionRect(ClipRect, r);
    if (FTarget) FTarget->AddClip(ClipRect);
}

template <class Fn> void TDIBXWave::ForRuns(int32_t y, int64_t h, Fn fn) {
    if (!FTarget || h <= 0) return;
    const int64_t n = static_cast<int64_t>(Offsets.size());
    int64_t r = std::max<int64_t>(y, OriginY);
    const int64_t end = std::min<int64_t>(static_cast<int64_t>(y) + h, static_cast<int64_t>(OriginY) + n);
    while (r < end) {
        const int32_t off = Offsets[r - OriginY];
        int64_t e = r + 1;
        while (e < end && Offsets[e - OriginY] == off) ++e;
        fn(static_cast<int32_t>(r), static_cast<int32_t>(e - r), off);
        r = e;
    }
}

template <class Fn> void TDIBXWave::ForwardAt(int32_t x, int32_t y, bool flipV, TRect src, Fn fn) {
    ForRuns(y, RectH(src), [&](int32_t r0, int32_t n, int32_t off) {
        const int32_t o0 = r0 - y;
        TRect s = src;
        if (!flipV) {
            s.Top = src.Top + o0;
            s.Bottom = s.Top + n;
        } else {
            s.Bottom = src.Bottom - o0;
            s.Top = s.Bottom - n;
        }
        fn(Sat32(static_cast<int64_t>(x) + off), r0, s);
    });
}

template <class Fn> void TDIBXWave::ForwardRect(TRect r, Fn fn) {
    ForRuns(r.Top, RectH(r), [&](int32_t r0, int32_t n, int32_t off) {
        fn(TRect{Sat32(static_cast<int64_t>(r.Left) + off), r0, Sat32(static_cast<int64_t>(r.Right) + off),
                 r0 + n});
    });
}

template <class Fn> void TDIBXWave::ForwardBand(TRect dest, Fn fn) {
    if (!FTarget) return;
    TClipKeeper keep(FTarget);
    const TRect tc = IntersectRect(FTarget->GetClipRect(), FTarget->BoundsRect());
    ForRuns(dest.Top, RectH(dest), [&](int32_t r0, int32_t n, int32_t off) {
        const TRect band = IntersectRect(TRect{dest.Left, r0, dest.Right, r0 + n}, tc);
        if (IsRectEmpty(band)) return;
        FTarget->ClipRect = band;
        fn(off);
    });
}

void TDIBXWave::Fill(uint32_t value) {
    FillRect(SatBounds(OriginX, OriginY, FWidth, FHeight), value);
}

void TDIBXWave::FillRect(TRect r, uint32_t value) {
    ForwardRect(r, [&](TRect c) { FTarget->FillRect(c, value); });
}
void TDIBXWave::FillRectAlpha(TRect r, uint32_t value, int32_t alpha) {
    ForwardRect(r, [&](TRect c) { FTarget->FillRectAlpha(c, value, alpha); });
}
void TDIBXWave::FillRectAdd(TRect r, uint32_t value) {
    ForwardRect(r, [&](TRect c) { FTarget->FillRectAdd(c, value); });
}
void TDIBXWave::FillRectSub(TRect r, uint32_t value) {
    ForwardRect(r, [&](TRect c) { FTarget->FillRectSub(c, value); });
}

void TDIBXWave::Draw(int32_t x, int32_t y, bool flipV, bool flipH, bool transparent, TRect src,
                     TCustomDIBX* source) {
    ForwardAt(x, y, flipV, src, [&](int32_t X, int32_t Y, TRect s) {
        FTarget->Draw(X, Y, flipV, flipH, transparent, s, source);
    });
}
void TDIBXWave::DrawMask(int32_t x, int32_t y, TCustomDIBX* mask, bool flipV, bool flipH, TRect src,
                         TCustomDIBX* source) {
    ForwardAt(x, y, flipV, src,
              [&](int32_t X, int32_t Y, TRect s) { FTarget->DrawMask(X, Y, mask, flipV, flipH, s, source); });
}
void TDIBXWave::DrawAlpha(int32_t x, int32_t y, int32_t alpha, bool flipV, bool flipH, bool transparent,
                          TRect src, TCustomDIBX* source) {
    ForwardAt(x, y, flipV, src, [&](int32_t X, int32_t Y, TRect s) {
        FTarget->DrawAlpha(X, Y, alpha, flipV, flipH, transparent, s, source);
    });
}
void TDIBXWave::DrawMaskAlpha(int32_t x, int32_t y, int32_t alpha, TCustomDIBX* mask, bool flipV, bool flipH,
                              TRect src, TCustomDIBX* source) {
    ForwardAt(x, y, flipV, src, [&](int32_t X, int32_t Y, TRect s) {
        FTarget->DrawMaskAlpha(X, Y, alpha, mask, flipV, flipH, s, source);
    });
}
void TDIBXWave::DrawAdd(int32_t x, int32_t y, int32_t level, bool flipV, bool flipH, TRect src,
                        TCustomDIBX* source) {
    ForwardAt(x, y, flipV, src,
              [&](int32_t X, int32_t Y, TRect s) { FTarget->DrawAdd(X, Y, level, flipV, flipH, s, source); });
}
void TDIBXWave::DrawMaskAdd(int32_t x, int32_t y, int32_t level, TCustomDIBX* mask, bool flipV, bool flipH,
                            TRect src, TCustomDIBX* source) {
    ForwardAt(x, y, flipV, src, [&](int32_t X, int32_t Y, TRect s) {
        FTarget->DrawMaskAdd(X, Y, level, mask, flipV, flipH, s, source);
    });
}
void TDIBXWave::DrawPalette4(int32_t x, int32_t y, const uint32_t* palette, int32_t blend, bool flipV,
                             bool flipH, int32_t threshold, TRect src, TCustomDIBX* source) {
    ForwardAt(x, y, flipV, src, [&](int32_t X, int32_t Y, TRect s) {
        FTarget->DrawPalette4(X, Y, palette, blend, flipV, flipH, threshold, s, source);
    });
}
void TDIBXWave::DrawPalette8Add(int32_t x, int32_t y, const uint32_t* palette, int32_t level, bool flipV,
                                bool flipH, int32_t threshold, TRect src, TCustomDIBX* source) {
    ForwardAt(x, y, flipV, src, [&](int32_t X, int32_t Y, TRect s) {
        FTarget->DrawPalette8Add(X, Y, palette, level, flipV, flipH, threshold, s, source);
    });
}
void TDIBXWave::FillMask(int32_t x, int32_t y, int32_t alpha, uint32_t colour, bool flipV, bool flipH,
                         TRect src, TCustomDIBX* mask) {
    ForwardAt(x, y, flipV, src, [&](int32_t X, int32_t Y, TRect s) {
        FTarget->FillMask(X, Y, alpha, colour, flipV, flipH, s, mask);
    });
}

void TDIBXWave::DrawRotate(int32_t cx, int32_t cy, int32_t blend, bool flipV, bool flipH, bool transparent,
                           int32_t angle, int32_t pivotY, int32_t pivotX, TRect src, TCustomDIBX* source,
                           int32_t zoomY, int32_t zoomX) {
    if (zoomX <= 0 || zoomY <= 0) return;
    const TRect box = px::RotatedBounds(cx, cy, pivotX, pivotY, false, false, 0, 0, zoomX, zoomY, src, angle);
    ForwardBand(box, [&](int32_t off) {
        FTarget->DrawRotate(Sat32(static_cast<int64_t>(cx) + off), cy, blend, flipV, flipH, transparent,
                            angle, pivotY, pivotX, src, source, zoomY, zoomX);
    });
}
void TDIBXWave::DrawRotateMask(int32_t cx, int32_t cy, int32_t blend, bool flipV, bool flipH,
                               TCustomDIBX* mask, int32_t angle, int32_t pivotY, int32_t pivotX, TRect src,
                               TCustomDIBX* source, int32_t zoomY, int32_t zoomX) {
    if (zoomX <= 0 || zoomY <= 0) return;
    const TRect box = px::RotatedBounds(cx, cy, pivotX, pivotY, false, false, 0, 0, zoomX, zoomY, src, angle);
    ForwardBand(box, [&](int32_t off) {
        FTarget->DrawRotateMask(Sat32(static_cast<int64_t>(cx) + off), cy, blend, flipV, flipH, mask, angle,
                                pivotY, pivotX, src, source, zoomY, zoomX);
    });
}
void TDIBXWave::StretchDrawAlpha(TRect dest, TCustomDIBX* source, int32_t alpha, bool flipV, bool flipH,
                                 bool transparent, TRect src) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->StretchDrawAlpha(SatOffset(dest, off, 0), source, alpha, flipV, flipH, transparent, src);
    });
}
void TDIBXWave::StretchDrawMaskAlpha(TRect dest, TCustomDIBX* source, int32_t alpha, TCustomDIBX* mask,
                                     bool flipV, bool flipH, TRect src) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->StretchDrawMaskAlpha(SatOffset(dest, off, 0), source, alpha, mask, flipV, flipH, src);
    });
}
void TDIBXWave::StretchDrawAdd(TRect dest, TCustomDIBX* source, int32_t level, bool flipV, bool flipH,
                               bool transparent, TRect src) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->StretchDrawAdd(SatOffset(dest, off, 0), source, level, flipV, flipH, transparent, src);
    });
}
void TDIBXWave::StretchDrawMaskAdd(TRect dest, TCustomDIBX* source, int32_t level, TCustomDIBX* mask,
                                   bool flipV, bool flipH, TRect src) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->StretchDrawMaskAdd(SatOffset(dest, off, 0), source, level, mask, flipV, flipH, src);
    });
}
void TDIBXWave::StretchDrawPalette(TRect dest, TCustomDIBX* source, const uint32_t* palette, int32_t level,
                                   bool flipV, bool flipH, int32_t threshold, TRect src) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->StretchDrawPalette(SatOffset(dest, off, 0), source, palette, level, flipV, flipH, threshold,
                                    src);
    });
}
void TDIBXWave::DrawGlyph(int32_t x, int32_t y, int32_t sub, int32_t alpha, bool flipV, bool flipH,
                          uint32_t colour, TRect src, TCustomDIBX* source) {
    if (sub <= 0) return;
    ForwardBand(SatBounds(x, y, RectW(src) / sub, RectH(src) / sub), [&](int32_t off) {
        FTarget->DrawGlyph(Sat32(static_cast<int64_t>(x) + off), y, sub, alpha, flipV, flipH, colour, src,
                           source);
    });
}
void TDIBXWave::DrawGlyph3(int32_t x, int32_t y, int32_t sub, int32_t blend, bool flipV, bool flipH,
                           const std::array<uint32_t, 3>& colours, TRect src, TCustomDIBX* source) {
    if (sub <= 0) return;
    ForwardBand(SatBounds(x, y, RectW(src) / sub, RectH(src) / sub), [&](int32_t off) {
        FTarget->DrawGlyph3(Sat32(static_cast<int64_t>(x) + off), y, sub, blend, flipV, flipH, colours, src,
                            source);
    });
}
void TDIBXWave::TileDraw(TRect dest, int32_t gapX, int32_t originY, int32_t originX, bool transparent,
                         TRect src, TCustomDIBX* source, int32_t gapY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileDraw(SatOffset(dest, off, 0), gapX, originY, originX, transparent, src, source, gapY);
    });
}
void TDIBXWave::TileDrawAlpha(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t alpha,
                              bool transparent, TRect src, TCustomDIBX* source, int32_t gapY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileDrawAlpha(SatOffset(dest, off, 0), gapX, originY, originX, alpha, transparent, src,
                               source, gapY);
    });
}
void TDIBXWave::TileDrawAdd(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t level,
                            TRect src, TCustomDIBX* source, int32_t gapY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileDrawAdd(SatOffset(dest, off, 0), gapX, originY, originX, level, src, source, gapY);
    });
}
void TDIBXWave::TileDrawMask(TRect dest, int32_t gapX, int32_t originY, int32_t originX, TCustomDIBX* mask,
                             TRect src, TCustomDIBX* source, int32_t gapY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileDrawMask(SatOffset(dest, off, 0), gapX, originY, originX, mask, src, source, gapY);
    });
}
void TDIBXWave::TileDrawMaskAlpha(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t alpha,
                                  TCustomDIBX* mask, TRect src, TCustomDIBX* source, int32_t gapY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileDrawMaskAlpha(SatOffset(dest, off, 0), gapX, originY, originX, alpha, mask, src, source,
                                   gapY);
    });
}
void TDIBXWave::TileDrawMaskAdd(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t level,
                                TCustomDIBX* mask, TRect src, TCustomDIBX* source, int32_t gapY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileDrawMaskAdd(SatOffset(dest, off, 0), gapX, originY, originX, level, mask, src, source,
                                 gapY);
    });
}
void TDIBXWave::TileStretchDraw(TRect dest, int32_t distX, int32_t originY, int32_t originX, int32_t blend,
                                bool flipV, bool flipH, bool transparent, TRect src, TCustomDIBX* source,
                                int32_t zoomY, int32_t zoomX, int32_t distY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileStretchDraw(SatOffset(dest, off, 0), distX, originY, originX, blend, flipV, flipH,
                                 transparent, src, source, zoomY, zoomX, distY);
    });
}
void TDIBXWave::TileStretchDrawMask(TRect dest, int32_t distX, int32_t originY, int32_t originX,
                                    int32_t blend, bool flipV, bool flipH, TCustomDIBX* mask, TRect src,
                                    TCustomDIBX* source, int32_t zoomY, int32_t zoomX, int32_t distY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileStretchDrawMask(SatOffset(dest, off, 0), distX, originY, originX, blend, flipV, flipH,
                                     mask, src, source, zoomY, zoomX, distY);
    });
}
void TDIBXWave::FramePattern(TRect r, int32_t width, int32_t originY, int32_t originX, TCustomDIBX* source) {
    ForwardBand(r, [&](int32_t off) {
        FTarget->FramePattern(SatOffset(r, off, 0), width, originY, originX, source);
    });
}
void TDIBXWave::TileZoom(TRect dest, int32_t zoomX, int32_t blend, bool flipV, bool flipH, bool transparent,
                         int32_t originY, int32_t originX, TCustomDIBX* source, int32_t zoomY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileZoom(SatOffset(dest, off, 0), zoomX, blend, flipV, flipH, transparent, originY, originX,
                          source, zoomY);
    });
}
void TDIBXWave::TileZoomMask(TRect dest, int32_t zoomX, int32_t blend, TCustomDIBX* mask, bool flipV,
                             bool flipH, int32_t originY, int32_t originX, TCustomDIBX* source,
                             int32_t zoomY) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileZoomMask(SatOffset(dest, off, 0), zoomX, blend, mask, flipV, flipH, originY, originX,
                              source, zoomY);
    });
}
void TDIBXWave::TileFill(TRect dest, TCustomDIBX* source, bool flipV, bool flipH, int32_t originY,
                         int32_t originX) {
    ForwardBand(dest, [&](int32_t off) {
        FTarget->TileFill(SatOffset(dest, off, 0), source, flipV, flipH, originY, originX);
    });
}

} // namespace vobe
