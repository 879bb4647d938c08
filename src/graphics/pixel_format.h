// Pixel formats and the plain view of a locked pixel buffer on which the pixel operations work.
//
// Native values: 15 bits 5-5-5, 16 bits 5-6-5, 32 bits 0x00RRGGBB (top byte ignored), 24 bits the
// colour in Windows order 0x00BBGGRR (stored as the bytes B, G, R), 8 bits and below a palette index
// or a level.
#pragma once

#include <cstddef>
#include <cstdint>

namespace vobe {

struct TPixelView {
    uint8_t* Bits = nullptr;
    int32_t Pitch = 0; // bytes from one row to the next row down
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t BitCount = 0; // 1, 4, 8, 15, 16, 24 or 32 (15 = 5-5-5 in 16-bit words)

    bool Valid() const { return Bits != nullptr && Width > 0 && Height > 0; }
    uint8_t* Row(int32_t y) const { return Bits + static_cast<ptrdiff_t>(y) * Pitch; }
};

// Bytes of a row of `width` pixels, rounded up to a multiple of 4 as device-independent bitmaps are.
inline int64_t DibRowBytes(int32_t width, int32_t bitCount) {
    int64_t bits = bitCount == 15 ? 16 : bitCount;
    return ((bits * width + 31) / 32) * 4;
}

// The channel layout of a format. 8-bit has one channel (kept in the blue slot); 1 and 4 bits have none.
struct TChannelLayout {
    uint32_t RMask, GMask, BMask;
    int32_t RShift, GShift, BShift;
};

inline TChannelLayout ChannelLayout(int32_t bitCount) {
    switch (bitCount) {
    case 15: return {0x7C00, 0x03E0, 0x001F, 10, 5, 0};
    case 16: return {0xF800, 0x07E0, 0x001F, 11, 5, 0};
    case 24: return {0x0000FF, 0x00FF00, 0xFF0000, 0, 8, 16};
    case 32: return {0xFF0000, 0x00FF00, 0x0000FF, 16, 8, 0};
    case 8: return {0, 0, 0xFF, 0, 0, 0};
    default: return {0, 0, 0, 0, 0, 0};
    }
}

inline uint32_t ReadPixel(const TPixelView& v, int32_t x, int32_t y) {
    const uint8_t* r = v.Row(y);
    switch (v.BitCount) {
    case 1: return (r[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (x & 1) ? (r[x >> 1] & 0x0F) : (r[x >> 1] >> 4);
    case 8: return r[x];
    case 15:
    case 16: return reinterpret_cast<const uint16_t*>(r)[x];
    case 24: {
        const uint8_t* p = r + x * 3;
        return p[2] | (p[1] << 8) | (static_cast<uint32_t>(p[0]) << 16);
    }
    case 32: return reinterpret_cast<const uint32_t*>(r)[x];
    default: return 0;
    }
}

inline void WritePixel(const TPixelView& v, int32_t x, int32_t y, uint32_t value) {
    uint8_t* r = v.Row(y);
    switch (v.BitCount) {
    case 1: {
        uint8_t bit = static_cast<uint8_t>(0x80 >> (x & 7));
        r[x >> 3] = (value & 1) ? (r[x >> 3] | bit) : (r[x >> 3] & ~bit);
        break;
    }
    case 4:
        if (x & 1)
            r[x >> 1] = static_cast<uint8_t>((r[x >> 1] & 0xF0) | (value & 0x0F));
        else
            r[x >> 1] = static_cast<uint8_t>((r[x >> 1] & 0x0F) | ((value & 0x0F) << 4));
        break;
    case 8: r[x] = static_cast<uint8_t>(value); break;
    case 15:
    case 16: reinterpret_cast<uint16_t*>(r)[x] = static_cast<uint16_t>(value); break;
    case 24: {
        uint8_t* p = r + x * 3;
        p[0] = static_cast<uint8_t>(value >> 16);
        p[1] = static_cast<uint8_t>(value >> 8);
        p[2] = static_cast<uint8_t>(value);
        break;
    }
    case 32: reinterpret_cast<uint32_t*>(r)[x] = value; break;
    default: break;
    }
}

// Red, green and blue (0..255) of a native value of a direct-colour format: the high bits of each
// channel, the low bits zero, as the system's colour conversion gives them.
inline void PixelToRGB(int32_t bitCount, uint32_t v, uint8_t& r, uint8_t& g, uint8_t& b) {
    switch (bitCount) {
    case 15:
        r = static_cast<uint8_t>(((v >> 10) & 31) << 3);
        g = static_cast<uint8_t>(((v >> 5) & 31) << 3);
        b = static_cast<uint8_t>((v & 31) << 3);
        break;
    case 16:
        r = static_cast<uint8_t>(((v >> 11) & 31) << 3);
        g = static_cast<uint8_t>(((v >> 5) & 63) << 2);
        b = static_cast<uint8_t>((v & 31) << 3);
        break;
    case 24:
        r = static_cast<uint8_t>(v);
        g = static_cast<uint8_t>(v >> 8);
        b = static_cast<uint8_t>(v >> 16);
        break;
    case 32:
        r = static_cast<uint8_t>(v >> 16);
        g = static_cast<uint8_t>(v >> 8);
        b = static_cast<uint8_t>(v);
        break;
    default: r = g = b = static_cast<uint8_t>(v); break;
    }
}

// The native value of (r, g, b) in a direct-colour format (channels truncated to their high bits).
inline uint32_t RGBToNative(int32_t bitCount, uint32_t r, uint32_t g, uint32_t b) {
    switch (bitCount) {
    case 15: return ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3);
    case 16: return ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3);
    case 24: return r | (g << 8) | (b << 16);
    case 32: return (r << 16) | (g << 8) | b;
    default: return (r * 77 + g * 150 + b * 29) >> 8;
    }
}

} // namespace vobe
