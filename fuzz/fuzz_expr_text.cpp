// The expression compiler: any text compiles or fails with the system's own error, never crashes or
// loops; what compiles is written, read back and evaluated.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/stream.h"
#include "platform/error.h"
#include "values/build_vobe_parser.h"
#include "values/param_collection.h"
#include "values/vobe_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace vobe;
    const std::string text(reinterpret_cast<const char*>(data), size);
    TMemoryStream m;
    try {
        TBuildVobeParser build;
        build.Compile(text);
        build.SaveToStream(m);
    } catch (const EVobeError&) {
        return 0;
    }
    TParamCollection* store = CreateParamCollection();
    store->AddNamedParam(PT_INT, "a")->SetAsInt(3);
    store->AddNamedParam(PT_FLOAT, "f")->SetAsFloat(2.5L);
    store->AddNamedParam(PT_INT, "t")->SetDims({2, 3});
    try {
        m.SetPosition(0);
        TVobeParser parser;
        parser.LoadFromStream(m);
        parser.Execute();
    } catch (const EVobeError&) {
    }
    FreeParamCollection();
    return 0;
}
