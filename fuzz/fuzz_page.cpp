// Page files: any bytes either load or fail with the player's error, never crash, hang or allocate
// beyond what the data can hold.
#include <cstddef>
#include <cstdint>

#include "script/page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Old pages ask for a rebuild: no box here.
    vobe::PageServices().RebuildAndClose = [](const std::string&, const std::string&) {};
    vobe::TReadOnlyMemoryStream s(data, static_cast<int64_t>(size));
    vobe::TPage page;
    page.SetName("fuzz.vsb");
    try {
        page.LoadFromStream(s);
        // A page that loads must also write.
        vobe::TMemoryStream out;
        page.SaveToStream(out);
    } catch (const vobe::EVobeError&) {
    }
    return 0;
}
