// The layered-image reader on arbitrary bytes: frames or an EVobeError, nothing else. The input is
// read from a memory stream (blocks decoded in place) with no key, and from a plain stream with a key;
// each frame read then goes through the conversions the picture cache applies.
#include <cstddef>
#include <cstdint>

#include "graphics/dibx.h"
#include "graphics/vask_image.h"

namespace {

void Use(vobe::TVaskFrameList& list) {
    for (int32_t i = 0; i < list.Count(); ++i) {
        vobe::TVaskFrame& f = *list.Frame(i);
        // Large pictures are valid input; the per-pixel steps below would only slow the search.
        if (static_cast<int64_t>(f.Picture.Width()) * f.Picture.Height() > (1 << 20)) continue;
        vobe::TDIBX surface, mask;
        surface.SetSize(1, 1, i % 2 ? 16 : 32);
        f.CopyToSurface(surface);
        f.MaskFromKey();
        f.TrimFrame();
        f.CopyMaskToSurface(mask);
        volatile uint32_t sum = 0;
        for (int32_t y = 0; y < surface.Height(); ++y)
            for (int32_t x = 0; x < surface.Width(); ++x) sum = sum + surface.GetPixel(x, y);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        vobe::TMemoryStream stream;
        stream.WriteBuffer(data, static_cast<int64_t>(size));
        stream.SetPosition(0);
        vobe::TVaskFrameList list(0);
        try {
            list.LoadFromStream(stream, false);
        } catch (const vobe::EVobeError&) {
        }
        Use(list);
    }
    vobe::TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
    vobe::TVaskFrameList list(12345);
    try {
        list.LoadFromStream(stream, false);
    } catch (const vobe::EVobeError&) {
    }
    Use(list);
    return 0;
}
