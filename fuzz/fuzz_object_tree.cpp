// The object-tree reader of the game save: a scene record (bases, their control trees, components,
// the event queue). The first byte chooses the save version (100-134), the rest is the record.
#include <cstddef>
#include <cstdint>

#include "archive/stream.h"
#include "framework/vobe_base_list.h"
#include "platform/error.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1) return 0;
    const int32_t version = 100 + data[0] % 35;
    vobe::TReadOnlyMemoryStream s(data + 1, static_cast<int64_t>(size - 1));
    vobe::TVobeBaseList scene;
    try {
        scene.LoadFromStream(s, version);
        // A loaded tree must save again.
        vobe::TMemoryStream out;
        scene.SaveToStream(out);
    } catch (const vobe::EVobeError&) {
    }
    return 0;
}
