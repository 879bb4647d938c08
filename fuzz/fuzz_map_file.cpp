// The map-file reader of image maps on arbitrary bytes: regions or an EVobeError, nothing else.
#include <cstddef>
#include <cstdint>

#include "archive/stream.h"
#include "components/vobe_map_image.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    vobe::TReadOnlyMemoryStream stream(data, static_cast<int64_t>(size));
    std::vector<vobe::TMapRegion> regions;
    std::vector<std::string> names;
    try {
        vobe::ReadMapRegions(stream, regions, names);
        // Every region answers its pixels and its box.
        volatile int hits = 0;
        for (const vobe::TMapRegion& r : regions) {
            const vobe::TRect b = r.BoxRect();
            hits = hits + r.Contains(b.Left, b.Top) + r.Contains(0, 0);
        }
    } catch (const vobe::EVobeError&) {
    }
    return 0;
}
