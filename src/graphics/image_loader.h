// Windows bitmaps and PNG pictures, read from streams into TDIBSurface, and the 24-bit bitmap writer.
// Input is untrusted: a truncated, inconsistent or oversized file raises EVobeError naming the fault,
// before any allocation the file cannot justify.
#pragma once

#include <cstdint>

#include "archive/stream.h"
#include "graphics/dib_surface.h"

namespace vobe {

// The largest picture a loader accepts, in pixels.
constexpr int64_t MaxLoadPixels = int64_t{64} << 20;

// A Windows bitmap from the stream's position: 1-, 4- and 8-bit palette pictures (uncompressed or run-
// length encoded), 16-bit (5-5-5, or the masks it declares), 24- and 32-bit. The picture keeps its own
// format (15 for 5-5-5, 16 for 5-6-5); other bit-field layouts become 24-bit.
void LoadBitmapFromStream(TStream& stream, TDIBSurface& picture);

// A PNG picture from the stream's position. Palette pictures become 8-bit with their palette, grey
// ones 8-bit with a grey palette, the others 24-bit. An alpha channel (or a palette with partial
// transparency) becomes the picture's mask (255 = opaque); a single transparent colour is returned in
// `transparent` as a native value of the picture (the palette index for palette pictures), else -1.
void LoadPngFromStream(TStream& stream, TDIBSurface& picture, int32_t& transparent);

// Writes the picture as an uncompressed 24-bit Windows bitmap.
void SaveBitmapToStream(const TDIBSurface& picture, TStream& stream);

} // namespace vobe
