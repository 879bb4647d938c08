// The display surface: the memory picture of the game screen that the scene draws into and the
// window presents. Native pixels: 15-bit 5-5-5, 16-bit 5-6-5 or 32-bit 0x00RRGGBB, rows top-down.
#pragma once

#include <cstdint>
#include <vector>

namespace vobe {

struct TDisplaySurface {
    int32_t Width = 0, Height = 0;
    int32_t Depth = 32; // 15, 16 or 32
    int32_t Pitch = 0;  // bytes per row
    std::vector<uint8_t> Pixels;

    TDisplaySurface(int32_t w, int32_t h, int32_t depth)
        : Width(w > 0 ? w : 0), Height(h > 0 ? h : 0), Depth(depth), Pitch(Width * (depth == 32 ? 4 : 2)),
          Pixels(size_t(Pitch) * Height, 0) {}
    int32_t BytesPerPixel() const { return Depth == 32 ? 4 : 2; }
    uint8_t* Row(int32_t y) { return Pixels.data() + size_t(y) * Pitch; }
    const uint8_t* Row(int32_t y) const { return Pixels.data() + size_t(y) * Pitch; }
};

} // namespace vobe
