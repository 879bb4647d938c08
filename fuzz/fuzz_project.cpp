// Project files and installation records: any bytes either read or fail with the player's error.
#include <cstddef>
#include <cstdint>

#include "script/install_set.h"
#include "script/project.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    {
        vobe::TReadOnlyMemoryStream s(data, static_cast<int64_t>(size));
        vobe::TProjectFile project;
        try {
            project.LoadFromStream(s);
        } catch (const vobe::EVobeError&) {
        }
    }
    {
        vobe::TReadOnlyMemoryStream s(data, static_cast<int64_t>(size));
        vobe::TVobeInstallSet install;
        try {
            install.LoadFromStream(s);
        } catch (const vobe::EVobeError&) {
        }
    }
    return 0;
}
