// The stored form of expressions, as pages embed it: any bytes are refused cleanly or read, and what
// is read evaluates without crashing in a store holding a few variables and an array.
#include <cstddef>
#include <cstdint>

#include "archive/stream.h"
#include "platform/error.h"
#include "values/param_collection.h"
#include "values/vobe_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vobe;
    TReadOnlyMemoryStream s(data, static_cast<int64_t>(size));
    TVobeParser parser;
    try {
        parser.LoadFromStream(s);
    } catch (const EVobeError&) {
        return 0;
    }
    TParamCollection* store = CreateParamCollection();
    store->AddNamedParam(PT_INT, "a")->SetAsInt(3);
    store->AddNamedParam(PT_STR, "s")->SetAsStr("12");
    store->AddNamedParam(PT_INT, "t")->SetDims({2, 3});
    try {
        parser.Execute();
        TMemoryStream out;
        parser.SaveToStream(out);
    } catch (const EVobeError&) {
    }
    FreeParamCollection();
    return 0;
}
