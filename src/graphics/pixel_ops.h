// The drawing operations of the surfaces, on locked pixel buffers. Every operation clips against
// `clip` (which the caller has already cut to the destination's bounds), reads sources of the
// destination's own format, and never fails: an empty area, a source of another format or a mask
// that is too small or not 8 bits draws nothing.
//
// Colours and keys are native values of the destination format; a key of -1 means none. Masks are
// 8-bit buffers read at the source's coordinates (0 transparent, 255 opaque). Blend values: 0 draws
// nothing, 1..254 alpha, 255 opaque, 256..511 additive with level value - 256.
#pragma once

#include <array>
#include <cstdint>

#include "graphics/pixel_format.h"
#include "graphics/rect.h"

namespace vobe::px {

void FillRect(const TPixelView& d, const TRect& clip, TRect r, uint32_t value);
void FillRectAlpha(const TPixelView& d, const TRect& clip, TRect r, uint32_t value, int32_t alpha);
void FillRectAdd(const TPixelView& d, const TRect& clip, TRect r, uint32_t value);
void FillRectSub(const TPixelView& d, const TRect& clip, TRect r, uint32_t value);

void Draw(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, bool flipV, bool flipH,
          bool transparent, TRect src, const TPixelView& s, int64_t key);
void DrawMask(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, const TPixelView& mask,
              bool flipV, bool flipH, TRect src, const TPixelView& s);
void DrawAlpha(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t alpha, bool flipV,
               bool flipH, bool transparent, TRect src, const TPixelView& s, int64_t key);
void DrawMaskAlpha(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t alpha,
                   const TPixelView& mask, bool flipV, bool flipH, TRect src, const TPixelView& s);
void DrawAdd(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t level, bool flipV,
             bool flipH, TRect src, const TPixelView& s, int64_t key);
void DrawMaskAdd(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t level,
                 const TPixelView& mask, bool flipV, bool flipH, TRect src, const TPixelView& s);
void FillMask(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t alpha, uint32_t colour,
              bool flipV, bool flipH, TRect src, const TPixelView& mask);

// The box that a rotated and zoomed source rectangle covers, before clipping.
TRect RotatedBounds(int32_t x, int32_t y, int32_t pivotX, int32_t pivotY, bool flipH, bool flipV,
                    int32_t pictureWidth, int32_t pictureHeight, int32_t zoomX, int32_t zoomY, TRect src,
                    int32_t angle);
// mask null: the transparent flag and key decide; mask given: it replaces them.
void DrawRotate(const TPixelView& d, const TRect& clip, int32_t cx, int32_t cy, int32_t blend, bool flipV,
                bool flipH, bool transparent, int32_t angle, int32_t pivotY, int32_t pivotX, TRect src,
                const TPixelView& s, int64_t key, int32_t zoomY, int32_t zoomX, const TPixelView* mask);

enum TStretchKind { skAlpha, skMaskAlpha, skAdd, skMaskAdd };
void StretchDraw(TStretchKind kind, const TPixelView& d, const TRect& clip, TRect dest, const TPixelView& s,
                 int32_t value, const TPixelView* mask, bool flipV, bool flipH, bool transparent, TRect src,
                 int64_t key);

void DrawGlyph(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t sub, int32_t alpha,
               bool flipV, bool flipH, uint32_t colour, TRect src, const TPixelView& s1);
void DrawGlyph3(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, int32_t sub, int32_t blend,
                bool flipV, bool flipH, const std::array<uint32_t, 3>& colours, TRect src,
                const TPixelView& s4);

void DrawPalette4(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, const uint32_t* palette,
                  int32_t paletteCount, int32_t blend, bool flipV, bool flipH, TRect src,
                  const TPixelView& s4, int64_t key);
void DrawPalette8Add(const TPixelView& d, const TRect& clip, int32_t x, int32_t y, const uint32_t* palette,
                     int32_t paletteCount, int32_t level, bool flipV, bool flipH, TRect src,
                     const TPixelView& s8, int64_t key);
void StretchDrawPalette(const TPixelView& d, const TRect& clip, TRect dest, const TPixelView& s8,
                        const uint32_t* palette, int32_t paletteCount, int32_t level, bool flipV, bool flipH,
                        int32_t threshold, TRect src);

// The origin reduced into a source of width w (an offset from its left edge, 0..w).
int32_t WrapOrigin(int32_t o, int32_t w);

// mask null: the transparent flag and key decide.
void TileZoom(const TPixelView& d, const TRect& clip, TRect dest, int32_t zoomX, int32_t blend, bool flipV,
              bool flipH, bool transparent, int32_t originY, int32_t originX, const TPixelView& s,
              int64_t key, int32_t zoomY, const TPixelView* mask);
void TileFill(const TPixelView& d, const TRect& clip, TRect dest, const TPixelView& s, bool flipV, bool flipH,
              int32_t originY, int32_t originX);

} // namespace vobe::px
