// Code-page conversion cost: the applet converts a few short strings per
// Control Panel refresh, the system's trace lines none; this keeps the
// table-driven conversion honest for longer texts.
#include "core/CodePages.h"

#include <win/resources.h>

#include <benchmark/benchmark.h>

#include <string>

static void ToAnsi(benchmark::State& state)
{
    auto codePage = static_cast<UINT>(state.range(0));
    std::u16string text;
    for (int i = 0; i < 64; ++i)
        text += codePage == 932 ? u"モデム診断ツール" : u"Diagnostiskt verktyg för modem";
    char out[8192];
    for (auto _ : state) {
        int n = WideCharToMultiByte(codePage, 0, text.c_str(), static_cast<int>(text.size()), out, sizeof(out),
                                    nullptr, nullptr);
        benchmark::DoNotOptimize(n);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size() * 2));
}
BENCHMARK(ToAnsi)->Arg(1252)->Arg(932);

static void FirstUseOfADoubleByteTable(benchmark::State& state)
{
    for (auto _ : state) {
        // Every table is built once per process; this measures a lookup after that.
        benchmark::DoNotOptimize(plat::codepages::Encode(936, u"调制解调器", "?"));
    }
}
BENCHMARK(FirstUseOfADoubleByteTable);

BENCHMARK_MAIN();
