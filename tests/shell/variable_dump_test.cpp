#include "shell/variable_dump.h"

#include <gtest/gtest.h>

#include "platform/cp932.h"
#include "values/param.h"
#include "values/param_collection.h"

namespace vobe {
namespace {

TEST(VariableDump, SortedLinesWithoutSystemVariables) {
    TParamCollection store;
    auto* b = store.AddNamedParam(PT_INT, "b");
    b->SetAsInt(-2);
    store.AddNamedParam(PT_STR, SJ("値"))->SetAsStr(SJ("あ"));
    store.AddNamedParam(PT_STR, "Z")->SetAsStr("upper first");
    auto* arr = store.AddNamedParam(PT_FLOAT, "a");
    arr->SetDims({3});
    arr->SetFloatAt(1, 0.5L);
    auto* one = store.AddNamedParam(PT_BOOL, "c");
    one->SetDims({1}); // even a single element is listed as an element
    one->SetBoolAt(0, true);
    auto* ref = store.AddNamedParam(PT_NONE, "r");
    ref->GetParam().AsVar()->SetTarget(b);
    EXPECT_EQ(DumpVariableStore(store), "Z\tstr\tupper first\n"
                                        "a[0]\tfloat\t0\n"
                                        "a[1]\tfloat\t0.5\n"
                                        "a[2]\tfloat\t0\n"
                                        "b\tint\t-2\n"
                                        "c[0]\tbool\tTRUE\n"
                                        "r\tref\t-2\n" +
                                            SJ("値\tstr\tあ\n"));
}

} // namespace
} // namespace vobe
