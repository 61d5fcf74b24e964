// Speed of compiled expressions: loop-body expressions run again and again
// (items = operations executed), and the run-time compiler on a 200-character
// expression.
#include <benchmark/benchmark.h>

#include <stdexcept>

#include "data/streams.hpp"
#include "script/build_parser.hpp"
#include "script/mivo_parser.hpp"
#include "script/param_collection.hpp"
#include "script/sysfuncs.hpp"

using namespace mivo;
using namespace mivo::script;

namespace {

TMivoParser Compile(const std::string& text) {
    TMivoParser parser;
    std::string error;
    if (!CompileExpression(text, parser, &error)) throw std::runtime_error(error);
    return parser;
}

void RunExpression(benchmark::State& state, const std::string& text) {
    TParamCollection vars;
    TSysFuncMan funcs(vars);
    // A collection of a realistic size: a few hundred game variables.
    for (int k = 0; k < 300; ++k) vars.VarNew("v" + std::to_string(k), PT_INT, VarScope::Global, nullptr);
    vars.VarNew("i", PT_INT, VarScope::Global, nullptr);
    vars.VarNew("b", PT_BOOL, VarScope::Global, nullptr);
    vars.VarNew("s", PT_STR, VarScope::Global, nullptr);
    vars.VarNew("name", PT_STR, VarScope::Global, nullptr).P().SetStr("Mivo");
    vars.VarNew("a", PT_INT, VarScope::Global, nullptr).P().SetDims({16, 16});
    TMivoParser parser = Compile(text);
    int64_t ops = static_cast<int64_t>(parser.Operations().size());
    for (auto _ : state) {
        parser.Execute(funcs);
        benchmark::DoNotOptimize(parser.Result());
    }
    if (!parser.LastError().empty()) state.SkipWithError(parser.LastError().c_str());
    state.SetItemsProcessed(state.iterations() * ops);
    state.counters["ops/expr"] = static_cast<double>(ops);
}

void BM_Increment(benchmark::State& state) { RunExpression(state, "i = i + 1"); }
void BM_Compare(benchmark::State& state) { RunExpression(state, "b = i < 1000"); }
void BM_StringJoin(benchmark::State& state) { RunExpression(state, "s = name ++ \"-san\""); }
void BM_ArrayWrite(benchmark::State& state) { RunExpression(state, "a[3, 5] = i"); }

void BM_Compile200(benchmark::State& state) {
    const std::string text =
        "s = IntToStr(Max(a[1, 2] * 3 + (i - 4) / 2, Abs(i % 7 - 3)), 4) ++ \"/\" ++ "
        "Copy(name, 1 + (i & 3), Length(name) - 1) ++ \"(\" ++ JCopy(\"a,b\", 1, 2) ++ \")\" ++ "
        "IntToHex((v1 << 2) | (v2 >> 1) ^ 255, 8)";
    for (auto _ : state) {
        TBuildMivoParser build;
        build.Build(text);
        benchmark::DoNotOptimize(build.Operations().data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
    state.counters["chars"] = static_cast<double>(text.size());
}

}  // namespace

BENCHMARK(BM_Increment);
BENCHMARK(BM_Compare);
BENCHMARK(BM_StringJoin);
BENCHMARK(BM_ArrayWrite);
BENCHMARK(BM_Compile200);
BENCHMARK_MAIN();
