// The display surface: the memory picture of the game screen that the scene draws into and the
// window presents. It is a drawing surface like every other (native pixels 15-bit 5-5-5, 16-bit 5-6-5
// or 32-bit 0x00RRGGBB, rows top-down), of the game size at the display depth.
#pragma once

#include <cstdint>

#include "graphics/dibx.h"

namespace vobe {

class TDisplaySurface : public TDIBX {
public:
    // Depths other than 15 and 16 (a 24-bit display, for one) give a 32-bit surface.
    TDisplaySurface(int32_t w, int32_t h, int32_t depth) {
        SetSize(w > 0 ? w : 0, h > 0 ? h : 0, depth == 15 || depth == 16 ? depth : 32);
    }
    uint8_t* Bits() { return DIB()->Bits(); }
    uint8_t* Row(int32_t y) { return DIB()->ScanLine(y); }
};

} // namespace vobe
