// The cursor file reader on arbitrary bytes: a picture or an EVobeError, nothing else.
#include <cstddef>
#include <cstdint>

#include "graphics/cursor_file.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        vobe::TCursorImage c = vobe::DecodeCursor(data, size);
        volatile uint32_t sum = 0;
        for (uint32_t p : c.Pixels) sum = sum + p;
        if (c.Pixels.size() != static_cast<size_t>(c.Width) * static_cast<size_t>(c.Height)) __builtin_trap();
    } catch (const vobe::EVobeError&) {
    }
    return 0;
}
