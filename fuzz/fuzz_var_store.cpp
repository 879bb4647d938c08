// The variable store's game and status data, as saves hold them: any bytes are refused cleanly or
// read, and the store that results can be used and written again.
#include <cstddef>
#include <cstdint>

#include "archive/stream.h"
#include "platform/error.h"
#include "values/param_collection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vobe;
    if (size < 1) return 0;
    TParamCollection* store = CreateParamCollection();
    TReadOnlyMemoryStream s(data + 1, static_cast<int64_t>(size - 1));
    try {
        if (data[0] & 1)
            store->LoadStatusFromStream(s);
        else
            store->LoadFromStream(s, 100 + data[0] / 2);
    } catch (const EVobeError&) {
    }
    try {
        for (int32_t i = 0; i < store->Count(); ++i) {
            TParamCollectionItem* item = store->Item(i);
            item->GetAsStr();
            for (int32_t k = 0; k < item->GetCount() && k < 4; ++k) item->GetStrAt(k);
        }
        TMemoryStream out;
        store->SaveToStream(out);
        store->SaveStatusToStream(out);
        store->ClearGame();
    } catch (const EVobeError&) {
    }
    FreeParamCollection();
    return 0;
}
