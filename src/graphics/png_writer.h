// Writing a picture of native display pixels (15-bit 5-5-5, 16-bit 5-6-5 or 32-bit 0x00RRGGBB) as a
// 24-bit PNG: the screenshots of the command line and of the tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vobe {

class TStream;

// Expands one native pixel to 8-bit channels the way the display shows it (each channel's top bits
// repeated into the low bits, so that full intensity stays 255).
void NativeToRgb(uint32_t pixel, int32_t depth, uint8_t& r, uint8_t& g, uint8_t& b);

// Encodes the picture; raises EVobeError for a depth other than 15, 16 or 32 or a bad size.
std::vector<uint8_t> EncodePng24(const void* pixels, int32_t pitchBytes, int32_t depth, int32_t width,
                                 int32_t height);
void SavePng24(TStream& dest, const void* pixels, int32_t pitchBytes, int32_t depth, int32_t width,
               int32_t height);

// Encodes 8-bit RGBA pixels (four bytes a pixel, rows without padding) as a PNG with alpha; raises
// EVobeError for a bad size.
std::vector<uint8_t> EncodePngRgba(const uint8_t* rgba, int32_t width, int32_t height);

// Reads a PNG into 0x00RRGGBB pixels (alpha dropped); false when it is not a readable PNG. For tests
// and tools that compare screenshots.
bool DecodePngRgb(const uint8_t* data, size_t size, std::vector<uint32_t>& pixels, int32_t& width,
                  int32_t& height);

} // namespace vobe
