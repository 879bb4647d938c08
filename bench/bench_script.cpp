// The interpreter: commands per second in tight script loops (a while with a calculation, a loop with
// an if chain, a loop of page calls), in a store of game size. items_per_second counts commands.
#include <benchmark/benchmark.h>

#include <map>
#include <string>

#include "archive/stream.h"
#include "platform/globals.h"
#include "script/call_man.h"
#include "script/page.h"
#include "tools/game_compiler.h"
#include "values/param_collection.h"

namespace {

using namespace vobe;

constexpr int32_t Passes = 100000;

// The game: pages compiled from source, read by the interpreter from memory.
class TBenchGame {
public:
    explicit TBenchGame(const std::vector<std::pair<std::string, std::string>>& pages) {
        CreateParamCollection();
        for (int k = 0; k < 300; ++k) ParamCollection->AddNamedParam(PT_INT, "var" + std::to_string(k));
        TGameCompiler c;
        for (auto& [name, text] : pages) c.AddPage(name, name + ".vss", text);
        c.Link();
        for (auto& p : c.Pages()) {
            TMemoryStream s;
            p.Page->SaveToStream(s);
            FFiles[p.Name] = s.Bytes();
        }
        PageServices().LoadFile = [this](const std::string& name, TMemoryStream& dest) {
            const std::vector<uint8_t>& b = FFiles.at(name);
            dest.Clear();
            dest.WriteBuffer(b.data(), static_cast<int64_t>(b.size()));
        };
        TCallManServices services;
        services.FileAvailable = [this](const std::string& name) { return FFiles.count(name) > 0; };
        Man = std::make_unique<TCallMan>(services);
    }
    ~TBenchGame() {
        Man.reset();
        PageServices() = TPageServices();
        FreeParamCollection();
    }
    // One run of the main page to its end (every command continues in the same frame).
    void Run() {
        Man->StartPage("main.vsb");
        Man->RunFrame();
    }

    std::unique_ptr<TCallMan> Man;

private:
    std::map<std::string, std::vector<uint8_t>> FFiles;
};

void RunBench(benchmark::State& state, const std::vector<std::pair<std::string, std::string>>& pages,
              int64_t commandsPerRun) {
    Terminating = false;
    TBenchGame game(pages);
    for (auto _ : state) game.Run();
    state.SetItemsProcessed(state.iterations() * commandsPerRun);
}

const std::string N = std::to_string(Passes);

// var, then per pass: while, calc, loop; the last while.
void BM_WhileCalc(benchmark::State& state) {
    RunBench(state,
             {{"main", "var int i = 0\n"
                       "while i < " +
                           N +
                           "\n"
                           "    calc i = i + 1\n"}},
             2 + 3 * int64_t{Passes});
}
BENCHMARK(BM_WhileCalc)->Unit(benchmark::kMillisecond);

// var, var, then per pass: while, if, (elseif,) calc, calc, loop.
void BM_IfChain(benchmark::State& state) {
    RunBench(state,
             {{"main", "var int i = 0\n"
                       "var int odd = 0\n"
                       "while i < " +
                           N +
                           "\n"
                           "    if i % 2 == 0\n"
                           "        calc odd = odd\n"
                           "    elseif i % 2 == 1\n"
                           "        calc odd = odd + 1\n"
                           "    calc i = i + 1\n"}},
             // even passes: while, if, calc, elseif (skip), calc, loop = 6; odd: while, if, elseif, calc,
             // calc, loop = 6
             3 + 6 * int64_t{Passes});
}
BENCHMARK(BM_IfChain)->Unit(benchmark::kMillisecond);

// var, then per pass: while, call, the callee's calc, calc, loop; the last while.
void BM_CallReturn(benchmark::State& state) {
    RunBench(state,
             {{"main", "var int i = 0\n"
                       "while i < " +
                           N +
                           "\n"
                           "    call sub\n"
                           "    calc i = i + 1\n"},
              {"sub", "calc var7 = var7 + 1\n"}},
             2 + 5 * int64_t{Passes});
}
BENCHMARK(BM_CallReturn)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
