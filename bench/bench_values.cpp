// Expressions: compiling and evaluating, and evaluating alone, in a store of game size.
#include <benchmark/benchmark.h>

#include <string>

#include "archive/stream.h"
#include "values/build_vobe_parser.h"
#include "values/param_collection.h"
#include "values/vobe_parser.h"

namespace {

using namespace vobe;

const char* const Texts[] = {
    "a = b + c * 2",
    "r = a < 10 == (b >= 2) <> (c == 3)",
    "t[i, j] = b + 1",
};

// The store: the system variables, the expressions' variables and a few hundred others.
void FillStore() {
    TParamCollection& s = *CreateParamCollection();
    s.AddNamedParam(PT_INT, "a");
    s.AddNamedParam(PT_INT, "b")->SetAsInt(5);
    s.AddNamedParam(PT_INT, "c")->SetAsInt(7);
    s.AddNamedParam(PT_BOOL, "r");
    s.AddNamedParam(PT_INT, "i")->SetAsInt(3);
    s.AddNamedParam(PT_INT, "j")->SetAsInt(4);
    s.AddNamedParam(PT_INT, "t")->SetDims({10, 10});
    for (int k = 0; k < 300; ++k) s.AddNamedParam(PT_INT, "var" + std::to_string(k));
}

void Compile(const char* text, TVobeParser& parser) {
    TBuildVobeParser build;
    build.Compile(text);
    TMemoryStream m;
    build.SaveToStream(m);
    m.SetPosition(0);
    parser.LoadFromStream(m);
}

void BM_CompileAndEvaluate(benchmark::State& state) {
    FillStore();
    const char* text = Texts[state.range(0)];
    for (auto _ : state) {
        TVobeParser parser;
        Compile(text, parser);
        parser.Execute();
        benchmark::DoNotOptimize(parser.Result());
    }
    state.SetLabel(text);
    FreeParamCollection();
}
BENCHMARK(BM_CompileAndEvaluate)->DenseRange(0, 2);

void BM_Evaluate(benchmark::State& state) {
    FillStore();
    const char* text = Texts[state.range(0)];
    TVobeParser parser;
    Compile(text, parser);
    for (auto _ : state) {
        parser.Execute();
        benchmark::DoNotOptimize(parser.Result());
    }
    state.SetLabel(text);
    FreeParamCollection();
}
BENCHMARK(BM_Evaluate)->DenseRange(0, 2);

} // namespace

BENCHMARK_MAIN();
