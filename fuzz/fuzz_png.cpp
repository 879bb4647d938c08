// The PNG reader on arbitrary bytes: a picture or an EVobeError, nothing else.
#include <cstddef>
#include <cstdint>

#include "graphics/image_loader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vobe::TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
    vobe::TDIBSurface picture;
    int32_t transparent = -1;
    try {
        vobe::LoadPngFromStream(stream, picture, transparent);
        volatile uint32_t sum = 0;
        for (int32_t y = 0; y < picture.Height(); ++y)
            for (int32_t x = 0; x < picture.Width(); ++x) sum = sum + picture.GetPixel(x, y);
        if (picture.HasMask())
            sum = sum + picture.Mask()->GetPixel(picture.Width() - 1, picture.Height() - 1);
    } catch (const vobe::EVobeError&) {
    }
    return 0;
}
