// The drawing surface: TCustomDIBX, the one interface every picture passes through, with its two kinds
// TDIBX (pixels in memory, held by a TDIBSurface) and TDIBXWave (no pixels of its own: every drawing
// call goes to a target surface with each row displaced by its own offset).
//
// Values are native pixel values of the surface's format; colours (0x00BBGGRR, -1 none) become native
// values through ColorToPixel. Rectangles are Left, Top, Right, Bottom with Right and Bottom exclusive.
// Blend values: 0 draws nothing, 1..254 alpha, 255 opaque, 256..511 additive with level value - 256.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "archive/stream.h"
#include "graphics/dib_surface.h"
#include "graphics/pixel_format.h"
#include "graphics/rect.h"

namespace vobe {

class TCustomDIBX {
public:
    // Right = 0: no clip, the whole surface.
    TRect ClipRect;
    // Colour key of this surface as a source; -1 = none.
    int32_t TransparentColor = -1;
    int32_t FHeight = 0;
    int32_t FWidth = 0;
    // The frame's draw rectangles from the layered image (empty = the whole image) and its second list.
    std::vector<TRect> DrawRects;
    std::vector<TRect> SpareRects;

    TCustomDIBX() = default;
    TCustomDIBX(const TCustomDIBX&) = delete;
    TCustomDIBX& operator=(const TCustomDIBX&) = delete;
    virtual ~TCustomDIBX() = default;

    virtual bool IsEmpty();
    virtual int32_t BitCount();
    virtual void SetBitCount(int32_t bits);
    virtual uint32_t RedMask();
    virtual uint32_t GreenMask();
    virtual uint32_t BlueMask();
    virtual int32_t Pitch();
    virtual uint32_t GetPixel(int32_t x, int32_t y);
    virtual void SetPixel(int32_t x, int32_t y, uint32_t value);
    virtual int32_t BlueShift();
    virtual int32_t GreenShift();
    virtual int32_t RedShift();
    virtual int32_t Height();
    virtual int32_t Width();
    virtual TCustomDIBX* Target();
    virtual int32_t StorageBitCount();
    virtual void SetSize(int32_t width, int32_t height, int32_t bits);
    // Address of pixel (x, y), or null when the surface holds no pixels.
    virtual uint8_t* Lock(int32_t x, int32_t y);
    virtual void Unlock();
    virtual void ResetClip();
    virtual void AddClip(TRect r);
    virtual int32_t ColorToPixel(int32_t colour);
    // The whole surface, within the clip.
    virtual void Fill(uint32_t value);

    virtual void FillRect(TRect r, uint32_t value);
    virtual void FillRectAlpha(TRect r, uint32_t value, int32_t alpha);
    virtual void FillRectAdd(TRect r, uint32_t value);
    virtual void FillRectSub(TRect r, uint32_t value);
    virtual void FrameRect(TRect r, int32_t width, uint32_t value);
    virtual void FrameRectAlpha(TRect r, int32_t width, int32_t alpha, uint32_t value);
    virtual void FrameRectAdd(TRect r, int32_t width, uint32_t value);
    virtual void Assign(TCustomDIBX* source);

    virtual void Draw(int32_t x, int32_t y, bool flipV, bool flipH, bool transparent, TRect src,
                      TCustomDIBX* source);
    virtual void DrawMask(int32_t x, int32_t y, TCustomDIBX* mask, bool flipV, bool flipH, TRect src,
                          TCustomDIBX* source);
    virtual void DrawAlpha(int32_t x, int32_t y, int32_t alpha, bool flipV, bool flipH, bool transparent,
                           TRect src, TCustomDIBX* source);
    virtual void DrawMaskAlpha(int32_t x, int32_t y, int32_t alpha, TCustomDIBX* mask, bool flipV, bool flipH,
                               TRect src, TCustomDIBX* source);
    virtual void DrawAdd(int32_t x, int32_t y, int32_t level, bool flipV, bool flipH, TRect src,
                         TCustomDIBX* source);
    virtual void DrawMaskAdd(int32_t x, int32_t y, int32_t level, TCustomDIBX* mask, bool flipV, bool flipH,
                             TRect src, TCustomDIBX* source);
    virtual void DrawRotate(int32_t cx, int32_t cy, int32_t blend, bool flipV, bool flipH, bool transparent,
                            int32_t angle, int32_t pivotY, int32_t pivotX, TRect src, TCustomDIBX* source,
                            int32_t zoomY, int32_t zoomX);
    virtual void DrawRotateMask(int32_t cx, int32_t cy, int32_t blend, bool flipV, bool flipH,
                                TCustomDIBX* mask, int32_t angle, int32_t pivotY, int32_t pivotX, TRect src,
                                TCustomDIBX* source, int32_t zoomY, int32_t zoomX);
    virtual void StretchDrawAlpha(TRect dest, TCustomDIBX* source, int32_t alpha, bool flipV, bool flipH,
                                  bool transparent, TRect src);
    virtual void StretchDrawMaskAlpha(TRect dest, TCustomDIBX* source, int32_t alpha, TCustomDIBX* mask,
                                      bool flipV, bool flipH, TRect src);
    virtual void StretchDrawAdd(TRect dest, TCustomDIBX* source, int32_t level, bool flipV, bool flipH,
                                bool transparent, TRect src);
    virtual void StretchDrawMaskAdd(TRect dest, TCustomDIBX* source, int32_t level, TCustomDIBX* mask,
                                    bool flipV, bool flipH, TRect src);
    virtual void DrawGlyph(int32_t x, int32_t y, int32_t sub, int32_t alpha, bool flipV, bool flipH,
                           uint32_t colour, TRect src, TCustomDIBX* source);
    virtual void DrawGlyph3(int32_t x, int32_t y, int32_t sub, int32_t blend, bool flipV, bool flipH,
                            const std::array<uint32_t, 3>& colours, TRect src, TCustomDIBX* source);
    virtual void TileDraw(TRect dest, int32_t gapX, int32_t originY, int32_t originX, bool transparent,
                          TRect src, TCustomDIBX* source, int32_t gapY);
    virtual void TileDrawAlpha(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t alpha,
                               bool transparent, TRect src, TCustomDIBX* source, int32_t gapY);
    virtual void TileDrawAdd(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t level,
                             TRect src, TCustomDIBX* source, int32_t gapY);
    virtual void TileDrawMask(TRect dest, int32_t gapX, int32_t originY, int32_t originX, TCustomDIBX* mask,
                              TRect src, TCustomDIBX* source, int32_t gapY);
    virtual void TileDrawMaskAlpha(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t alpha,
                                   TCustomDIBX* mask, TRect src, TCustomDIBX* source, int32_t gapY);
    virtual void TileDrawMaskAdd(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t level,
                                 TCustomDIBX* mask, TRect src, TCustomDIBX* source, int32_t gapY);
    virtual void TileStretchDraw(TRect dest, int32_t distX, int32_t originY, int32_t originX, int32_t blend,
                                 bool flipV, bool flipH, bool transparent, TRect src, TCustomDIBX* source,
                                 int32_t zoomY, int32_t zoomX, int32_t distY);
    virtual void TileStretchDrawMask(TRect dest, int32_t distX, int32_t originY, int32_t originX,
                                     int32_t blend, bool flipV, bool flipH, TCustomDIBX* mask, TRect src,
                                     TCustomDIBX* source, int32_t zoomY, int32_t zoomX, int32_t distY);
    virtual void FramePattern(TRect r, int32_t width, int32_t originY, int32_t originX, TCustomDIBX* source);
    // Palettes are arrays of native values: 16 entries for the 4-bit draw, 256 for the 8-bit ones.
    virtual void DrawPalette4(int32_t x, int32_t y, const uint32_t* palette, int32_t blend, bool flipV,
                              bool flipH, int32_t threshold, TRect src, TCustomDIBX* source);
    virtual void DrawPalette8Add(int32_t x, int32_t y, const uint32_t* palette, int32_t level, bool flipV,
                                 bool flipH, int32_t threshold, TRect src, TCustomDIBX* source);
    virtual void StretchDrawPalette(TRect dest, TCustomDIBX* source, const uint32_t* palette, int32_t level,
                                    bool flipV, bool flipH, int32_t threshold, TRect src);
    virtual void TileZoom(TRect dest, int32_t zoomX, int32_t blend, bool flipV, bool flipH, bool transparent,
                          int32_t originY, int32_t originX, TCustomDIBX* source, int32_t zoomY);
    virtual void TileZoomMask(TRect dest, int32_t zoomX, int32_t blend, TCustomDIBX* mask, bool flipV,
                              bool flipH, int32_t originY, int32_t originX, TCustomDIBX* source,
                              int32_t zoomY);
    virtual void TileFill(TRect dest, TCustomDIBX* source, bool flipV, bool flipH, int32_t originY,
                          int32_t originX);

    // Loads a ".bmp" file by its player path; other files and missing ones leave the surface as it was.
    virtual bool LoadFromFile(const std::string& name);
    // A bitmap, PNG or layered image (first frame, `key` its scrambling key); true when one was loaded.
    // Damaged data raises EVobeError and leaves the surface as it was.
    virtual bool LoadFromStream(TStream& stream, int32_t key);
    // Writes a 24-bit ".bmp"; other extensions do nothing.
    virtual void SaveToFile(const std::string& name);
    virtual void Clear();
    virtual void ReleaseSurface();
    // Entries of 4 bytes blue, green, red, 0 (read as 0x00RRGGBB).
    virtual void GetPalette(uint32_t* entries);
    virtual void GetPaletteEntries(uint32_t* entries, int32_t first, int32_t count);
    virtual void SetPalette(const uint32_t* entries);
    virtual void SetPaletteEntries(const uint32_t* entries, int32_t first, int32_t count);
    virtual void FillMask(int32_t x, int32_t y, int32_t alpha, uint32_t colour, bool flipV, bool flipH,
                          TRect src, TCustomDIBX* mask);
    // Copies the pixels of src to dest of a device buffer (any direct-colour format), stretching.
    virtual void StretchToDC(const TPixelView& dc, TRect dest, TRect src);
    virtual void Dormant();

    int32_t BytesPerPixel() { return (BitCount() + 7) / 8; }
    TRect BoundsRect() { return TRect{0, 0, Width(), Height()}; }
    TRect GetClipRect() { return ClipRect.Right != 0 ? ClipRect : BoundsRect(); }
    void SetClipRect(const TRect& r) { ClipRect = r; }
    static TRect RotatedBounds(int32_t x, int32_t y, int32_t pivotX, int32_t pivotY, bool flipH, bool flipV,
                               int32_t pictureWidth, int32_t pictureHeight, int32_t zoomX, int32_t zoomY,
                               TRect src, int32_t angle);

protected:
    // The clip within the bounds.
    TRect DrawClip();
    template <class Fn>
    void TileGeneric(TRect dest, int32_t gapX, int32_t originY, int32_t originX, TRect src, int32_t gapY,
                     Fn piece);
    void TileStretchGeneric(TRect dest, int32_t distX, int32_t originY, int32_t originX, int32_t blend,
                            bool flipV, bool flipH, bool transparent, TRect src, TCustomDIBX* source,
                            int32_t zoomY, int32_t zoomX, int32_t distY, TCustomDIBX* mask);
};

class TDIBX : public TCustomDIBX {
public:
    // A 1 x 1, 15-bit bitmap of its own.
    TDIBX();
    // Draws into a bitmap owned elsewhere (not freed with the surface).
    explicit TDIBX(TDIBSurface* borrowed);
    ~TDIBX() override;

    TDIBSurface* DIB() { return FDIB; }

    int32_t BitCount() override;
    void SetBitCount(int32_t bits) override;
    uint32_t RedMask() override;
    uint32_t GreenMask() override;
    uint32_t BlueMask() override;
    int32_t Pitch() override;
    uint32_t GetPixel(int32_t x, int32_t y) override;
    void SetPixel(int32_t x, int32_t y, uint32_t value) override;
    int32_t BlueShift() override;
    int32_t GreenShift() override;
    int32_t RedShift() override;
    int32_t StorageBitCount() override;
    void SetSize(int32_t width, int32_t height, int32_t bits) override;
    uint8_t* Lock(int32_t x, int32_t y) override;
    int32_t ColorToPixel(int32_t colour) override;
    void Assign(TCustomDIBX* source) override;
    void Clear() override;
    void GetPalette(uint32_t* entries) override;
    void GetPaletteEntries(uint32_t* entries, int32_t first, int32_t count) override;
    void SetPalette(const uint32_t* entries) override;
    void SetPaletteEntries(const uint32_t* entries, int32_t first, int32_t count) override;

private:
    TDIBSurface* FDIB;
    bool FBorrowed;
};

class TDIBXWave : public TCustomDIBX {
public:
    // Origin of the wave surface inside the target; Offsets has one x displacement per row.
    int32_t OriginX = 0;
    int32_t OriginY = 0;
    std::vector<int32_t> Offsets;
    TRect SavedClip;

    TDIBXWave() = default;
    explicit TDIBXWave(TCustomDIBX* target) : FTarget(target) {}
    void SetTarget(TCustomDIBX* target) { FTarget = target; }

    int32_t BitCount() override;
    uint32_t RedMask() override;
    uint32_t GreenMask() override;
    uint32_t BlueMask() override;
    int32_t BlueShift() override;
    int32_t GreenShift() override;
    int32_t RedShift() override;
    uint32_t GetPixel(int32_t x, int32_t y) override;
    void SetPixel(int32_t x, int32_t y, uint32_t value) override;
    TCustomDIBX* Target() override { return FTarget; }
    int32_t StorageBitCount() override;
    void SetSize(int32_t width, int32_t height, int32_t bits) override;
    void ResetClip() override;
    void AddClip(TRect r) override;
    int32_t ColorToPixel(int32_t colour) override;
    void Fill(uint32_t value) override;

    void FillRect(TRect r, uint32_t value) override;
    void FillRectAlpha(TRect r, uint32_t value, int32_t alpha) override;
    void FillRectAdd(TRect r, uint32_t value) override;
    void FillRectSub(TRect r, uint32_t value) override;
    void Draw(int32_t x, int32_t y, bool flipV, bool flipH, bool transparent, TRect src,
              TCustomDIBX* source) override;
    void DrawMask(int32_t x, int32_t y, TCustomDIBX* mask, bool flipV, bool flipH, TRect src,
                  TCustomDIBX* source) override;
    void DrawAlpha(int32_t x, int32_t y, int32_t alpha, bool flipV, bool flipH, bool transparent, TRect src,
                   TCustomDIBX* source) override;
    void DrawMaskAlpha(int32_t x, int32_t y, int32_t alpha, TCustomDIBX* mask, bool flipV, bool flipH,
                       TRect src, TCustomDIBX* source) override;
    void DrawAdd(int32_t x, int32_t y, int32_t level, bool flipV, bool flipH, TRect src,
                 TCustomDIBX* source) override;
    void DrawMaskAdd(int32_t x, int32_t y, int32_t level, TCustomDIBX* mask, bool flipV, bool flipH,
                     TRect src, TCustomDIBX* source) override;
    void DrawRotate(int32_t cx, int32_t cy, int32_t blend, bool flipV, bool flipH, bool transparent,
                    int32_t angle, int32_t pivotY, int32_t pivotX, TRect src, TCustomDIBX* source,
                    int32_t zoomY, int32_t zoomX) override;
    void DrawRotateMask(int32_t cx, int32_t cy, int32_t blend, bool flipV, bool flipH, TCustomDIBX* mask,
                        int32_t angle, int32_t pivotY, int32_t pivotX, TRect src, TCustomDIBX* source,
                        int32_t zoomY, int32_t zoomX) override;
    void StretchDrawAlpha(TRect dest, TCustomDIBX* source, int32_t alpha, bool flipV, bool flipH,
                          bool transparent, TRect src) override;
    void StretchDrawMaskAlpha(TRect dest, TCustomDIBX* source, int32_t alpha, TCustomDIBX* mask, bool flipV,
                              bool flipH, TRect src) override;
    void StretchDrawAdd(TRect dest, TCustomDIBX* source, int32_t level, bool flipV, bool flipH,
                        bool transparent, TRect src) override;
    void StretchDrawMaskAdd(TRect dest, TCustomDIBX* source, int32_t level, TCustomDIBX* mask, bool flipV,
                            bool flipH, TRect src) override;
    void DrawGlyph(int32_t x, int32_t y, int32_t sub, int32_t alpha, bool flipV, bool flipH, uint32_t colour,
                   TRect src, TCustomDIBX* source) override;
    void DrawGlyph3(int32_t x, int32_t y, int32_t sub, int32_t blend, bool flipV, bool flipH,
                    const std::array<uint32_t, 3>& colours, TRect src, TCustomDIBX* source) override;
    void TileDraw(TRect dest, int32_t gapX, int32_t originY, int32_t originX, bool transparent, TRect src,
                  TCustomDIBX* source, int32_t gapY) override;
    void TileDrawAlpha(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t alpha,
                       bool transparent, TRect src, TCustomDIBX* source, int32_t gapY) override;
    void TileDrawAdd(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t level, TRect src,
                     TCustomDIBX* source, int32_t gapY) override;
    void TileDrawMask(TRect dest, int32_t gapX, int32_t originY, int32_t originX, TCustomDIBX* mask,
                      TRect src, TCustomDIBX* source, int32_t gapY) override;
    void TileDrawMaskAlpha(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t alpha,
                           TCustomDIBX* mask, TRect src, TCustomDIBX* source, int32_t gapY) override;
    void TileDrawMaskAdd(TRect dest, int32_t gapX, int32_t originY, int32_t originX, int32_t level,
                         TCustomDIBX* mask, TRect src, TCustomDIBX* source, int32_t gapY) override;
    void TileStretchDraw(TRect dest, int32_t distX, int32_t originY, int32_t originX, int32_t blend,
                         bool flipV, bool flipH, bool transparent, TRect src, TCustomDIBX* source,
                         int32_t zoomY, int32_t zoomX, int32_t distY) override;
    void TileStretchDrawMask(TRect dest, int32_t distX, int32_t originY, int32_t originX, int32_t blend,
                             bool flipV, bool flipH, TCustomDIBX* mask, TRect src, TCustomDIBX* source,
                             int32_t zoomY, int32_t zoomX, int32_t distY) override;
    void FramePattern(TRect r, int32_t width, int32_t originY, int32_t originX, TCustomDIBX* source) override;
    void DrawPalette4(int32_t x, int32_t y, const uint32_t* palette, int32_t blend, bool flipV, bool flipH,
                      int32_t threshold, TRect src, TCustomDIBX* source) override;
    void DrawPalette8Add(int32_t x, int32_t y, const uint32_t* palette, int32_t level, bool flipV, bool flipH,
                         int32_t threshold, TRect src, TCustomDIBX* source) override;
    void StretchDrawPalette(TRect dest, TCustomDIBX* source, const uint32_t* palette, int32_t level,
                            bool flipV, bool flipH, int32_t threshold, TRect src) override;
    void TileZoom(TRect dest, int32_t zoomX, int32_t blend, bool flipV, bool flipH, bool transparent,
                  int32_t originY, int32_t originX, TCustomDIBX* source, int32_t zoomY) override;
    void TileZoomMask(TRect dest, int32_t zoomX, int32_t blend, TCustomDIBX* mask, bool flipV, bool flipH,
                      int32_t originY, int32_t originX, TCustomDIBX* source, int32_t zoomY) override;
    void TileFill(TRect dest, TCustomDIBX* source, bool flipV, bool flipH, int32_t originY,
                  int32_t originX) override;
    void FillMask(int32_t x, int32_t y, int32_t alpha, uint32_t colour, bool flipV, bool flipH, TRect src,
                  TCustomDIBX* mask) override;

private:
    // Runs of destination rows [y, y + h) with one offset each: fn(first row, row count, offset).
    template <class Fn> void ForRuns(int32_t y, int64_t h, Fn fn);
    // Positioned operations: fn(x moved by the offset, first row, source rectangle cut to the run).
    template <class Fn> void ForwardAt(int32_t x, int32_t y, bool flipV, TRect src, Fn fn);
    // Rectangle operations: fn(rectangle cut to the run and moved by the offset).
    template <class Fn> void ForwardRect(TRect r, Fn fn);
    // Stretched, rotated and tiled output: fn(offset), with the target clipped to the run's rows.
    template <class Fn> void ForwardBand(TRect dest, Fn fn);

    TCustomDIBX* FTarget = nullptr;
};

// The reader of layered images (ReadVaskFirstFrame unless another is set): the first frame's picture of the
// stream into `picture`; false when the stream holds none.
using TLayeredImageReader = bool (*)(TStream& stream, int32_t key, TDIBSurface& picture);
void SetLayeredImageReader(TLayeredImageReader reader);

} // namespace vobe
