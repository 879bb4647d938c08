// The shared colour tables, built once at start when the display depth is known: grey levels in the
// 16- and 32-bit formats (the transitions' grey ramps) and the fire component's heat ramp.
#pragma once

#include <array>
#include <cstdint>

namespace vobe {

using TColorTable = std::array<uint32_t, 256>;

// Entry v: the native value of the colour (v, v, v); 5-5-5 on a 15-bit display, else 5-6-5.
extern TColorTable Grey16;
// Entry v: v x 0x010101.
extern TColorTable Grey32;
// The fire ramp by heat 0..255, as 32-bit native values and as 16-bit ones (5-5-5 on a 15-bit display).
extern TColorTable Fire32;
extern TColorTable Fire16;

// The display depth the tables were built for: the bit count of component images, base layers and
// image-cache frames (15, 16 or 32; 32 until VobeInitColor runs).
extern int32_t DisplayBitCount;

// Builds the four tables for a display of `depth` bits (15, 16 or 32; anything else counts as 32).
void VobeInitColor(int32_t depth);

// The red, green and blue of the fire ramp at heat h.
void FireColor(int32_t h, uint32_t& r, uint32_t& g, uint32_t& b);

} // namespace vobe
