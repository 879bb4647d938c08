// TDIBSurface: a device-independent bitmap with palette, its own clip rectangle and an optional 8-bit
// alpha mask, with the load-time image operations of the layered-image reader and writer.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "graphics/pixel_format.h"
#include "graphics/rect.h"

namespace vobe {

// Largest side and largest pixel buffer a bitmap may have; larger sizes raise EVobeError.
constexpr int32_t MaxBitmapSide = 32767;
constexpr int64_t MaxBitmapBytes = int64_t{512} << 20;

class TDIBSurface {
public:
    TDIBSurface() = default;
    TDIBSurface(int32_t width, int32_t height, int32_t bitCount) { SetSize(width, height, bitCount); }
    TDIBSurface(const TDIBSurface&) = delete;
    TDIBSurface& operator=(const TDIBSurface&) = delete;
    TDIBSurface(TDIBSurface&&) = default;
    TDIBSurface& operator=(TDIBSurface&&) = default;

    // Makes a new zeroed bitmap of that size and format (1, 4, 8, 15, 16, 24 or 32; 15 is 5-5-5 in 16-bit
    // words). Resizes the mask too. The palette is kept; the clip is reset.
    void SetSize(int32_t width, int32_t height, int32_t bitCount);
    int32_t Width() const { return FWidth; }
    int32_t Height() const { return FHeight; }
    // The storage bit count (16 for a 5-5-5 bitmap).
    int32_t BitCount() const { return FBitCount == 15 ? 16 : FBitCount; }
    // 15 for a 5-5-5 16-bit bitmap, else the bit count.
    int32_t LogicalBitCount() const { return FBitCount; }
    int32_t Pitch() const { return FPitch; }
    bool Empty() const { return FWidth == 0 || FHeight == 0; }
    uint8_t* Bits() { return FBits.empty() ? nullptr : FBits.data(); }
    const uint8_t* Bits() const { return FBits.empty() ? nullptr : FBits.data(); }
    uint8_t* ScanLine(int32_t y) { return FBits.data() + static_cast<ptrdiff_t>(y) * FPitch; }
    const uint8_t* ScanLine(int32_t y) const { return FBits.data() + static_cast<ptrdiff_t>(y) * FPitch; }
    TPixelView View() const;

    // Native values; out-of-range coordinates read 0 and write nothing.
    uint32_t GetPixel(int32_t x, int32_t y) const;
    void SetPixel(int32_t x, int32_t y, uint32_t value);
    // The Windows colour (0x00BBGGRR) of a native value, through the palette at 8 bits and fewer.
    uint32_t PixelToColor(uint32_t value) const;
    // r, g, b 0..255: a native value; the nearest palette index at 8 bits and fewer.
    uint32_t RGBToPixel(uint32_t r, uint32_t g, uint32_t b) const;

    // 256 entries of 4 bytes blue, green, red, 0 (read as little-endian 0x00RRGGBB).
    std::array<uint32_t, 256> Palette{};
    void SetGreyPalette();

    // The own clip, the whole bitmap unless set.
    TRect GetClipRect() const;
    void SetClipRect(const TRect& r) {
        FClip = r;
        FHasClip = true;
    }
    void ResetClip() { FHasClip = false; }

    // ---- mask --------------------------------------------------------------------------------------
    TDIBSurface* Mask() { return FMask.get(); }
    const TDIBSurface* Mask() const { return FMask.get(); }
    bool HasMask() const { return FMask != nullptr; }
    void CreateMask();
    void DropMask() { FMask.reset(); }
    void MaskOpaque();
    // Copies the rows of an 8-bit bitmap into the mask (made first when missing); as much as fits.
    void AssignMask(const TDIBSurface& source);

    // ---- load-time operations ------------------------------------------------------------------------
    void DrawKeyed(int32_t x, int32_t y, int64_t key, TRect src, const TDIBSurface& source);
    void DrawAlpha(int32_t x, int32_t y, int32_t alpha, int64_t key, TRect src, const TDIBSurface& source);
    void DrawMasked(int32_t x, int32_t y, int32_t alpha, TRect src, const TDIBSurface& source);
    void FillRect(TRect r, uint32_t value);
    void CopyFrom(const TDIBSurface& source, TRect r, bool withMask);
    void Crop(TRect r);
    TRect ContentRect(int64_t key) const;
    TRect Trim(int64_t key);
    void Resample(int32_t width, int32_t height);
    // Copies every pixel of `source` (any format) at (0, 0), converting through colours (a plain copy
    // when the formats are the same). The mask is not carried.
    void ConvertFrom(const TDIBSurface& source);

private:
    // Source pixel in this bitmap's format (converted through its colour when the formats differ).
    uint32_t Converted(const TDIBSurface& source, uint32_t v) const;
    bool ClipTo(int32_t& x, int32_t& y, TRect& src, const TDIBSurface& source) const;

    int32_t FWidth = 0, FHeight = 0, FBitCount = 0, FPitch = 0;
    std::vector<uint8_t> FBits;
    TRect FClip;
    bool FHasClip = false;
    std::unique_ptr<TDIBSurface> FMask;
};

} // namespace vobe
