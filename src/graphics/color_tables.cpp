#include "graphics/color_tables.h"

#include <iterator>

#include "graphics/pixel_format.h"

namespace vobe {

TColorTable Grey16{};
TColorTable Grey32{};
TColorTable Fire32{};
TColorTable Fire16{};
int32_t DisplayBitCount = 32;

namespace {

struct TKey {
    int32_t at, r, g, b;
};
constexpr TKey FireKeys[] = {{0, 0, 0, 0},        {32, 102, 39, 3},    {112, 213, 97, 7},
                             {160, 243, 157, 13}, {192, 255, 192, 55}, {255, 255, 230, 175}};

} // namespace

void FireColor(int32_t h, uint32_t& r, uint32_t& g, uint32_t& b) {
    if (h < 0) h = 0;
    if (h > 255) h = 255;
    int k = 0;
    while (k + 2 < static_cast<int>(std::size(FireKeys)) && h > FireKeys[k + 1].at) ++k;
    const TKey& a = FireKeys[k];
    const TKey& z = FireKeys[k + 1];
    const int32_t span = z.at - a.at, t = h - a.at;
    // Each channel rises linearly between the key colours, truncated.
    r = static_cast<uint32_t>(a.r + (z.r - a.r) * t / span);
    g = static_cast<uint32_t>(a.g + (z.g - a.g) * t / span);
    b = static_cast<uint32_t>(a.b + (z.b - a.b) * t / span);
}

void VobeInitColor(int32_t depth) {
    if (depth != 15 && depth != 16) depth = 32;
    DisplayBitCount = depth;
    const int32_t grey16Format = depth == 15 ? 15 : 16;
    for (uint32_t v = 0; v < 256; ++v) {
        Grey16[v] = RGBToNative(grey16Format, v, v, v);
        Grey32[v] = v * 0x010101u;
        uint32_t r, g, b;
        FireColor(static_cast<int32_t>(v), r, g, b);
        Fire32[v] = RGBToNative(32, r, g, b);
        const uint32_t p565 = RGBToNative(16, r, g, b);
        // The 5-5-5 form drops the lowest green bit of the 5-6-5 value.
        Fire16[v] = depth == 15 ? (((p565 & 0xF800) >> 1) | ((p565 & 0x07C0) >> 1) | (p565 & 0x001F)) : p565;
    }
}

} // namespace vobe
