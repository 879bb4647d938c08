// Cursor files (".cur", also ".ico"): the directory of pictures, each a device-independent bitmap
// with an AND mask. The player shows the first picture as the pointer over the panel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace vobe {

struct TCursorImage {
    int32_t Width = 0, Height = 0;
    int32_t HotX = 0, HotY = 0;
    std::vector<uint32_t> Pixels; // 0xAARRGGBB, rows top-down
};

// Decodes the first picture of a cursor or icon file. Damaged data raises EVobeError naming what
// failed; a picture stored as PNG is refused the same way.
TCursorImage DecodeCursor(const uint8_t* data, size_t size);

} // namespace vobe
