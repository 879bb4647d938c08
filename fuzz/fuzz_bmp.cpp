// The Windows bitmap reader on arbitrary bytes: a picture or an EVobeError, nothing else.
#include <cstddef>
#include <cstdint>

#include "graphics/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vobe::TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
    vobe::TDIBSurface picture;
    try {
        vobe::LoadBitmapFromStream(stream, picture);
        // Touch every pixel so that a wrong size shows up under the sanitizers.
        volatile uint32_t sum = 0;
        for (int32_t y = 0; y < picture.Height(); ++y)
            for (int32_t x = 0; x < picture.Width(); ++x) sum = sum + picture.GetPixel(x, y);
    } catch (const vobe::EVobeError&) {
    }
    return 0;
}
