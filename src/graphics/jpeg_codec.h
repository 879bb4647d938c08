// JPEG colour blocks of layered images: decoding into 24-bit pictures and encoding from any picture.
// Input is untrusted: damaged data raises EVobeError naming the fault.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graphics/dib_surface.h"

namespace vobe {

// Decodes a complete JPEG image into `picture`, which becomes a 24-bit bitmap of the image's size
// (rows written straight as B, G, R). Pictures above maxPixels pixels are refused before anything is
// allocated. Grey images become grey colours; CMYK images are refused. A truncated image raises.
void DecodeJpeg(const uint8_t* data, size_t size, TDIBSurface& picture, int64_t maxPixels);

// Encodes the picture (any format, converted through its colours) as a baseline JPEG of that quality
// (1..100, clamped).
std::vector<uint8_t> EncodeJpeg(const TDIBSurface& picture, int32_t quality);

} // namespace vobe
