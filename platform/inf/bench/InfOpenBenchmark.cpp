// Opening a large driver INF: 100,000 lines, about 5 MB, of AddReg lines
// with string substitutions and quoted fields, as real modem INFs have.
#include "core/testing/TempProfile.h"

#include <win/kernel.h>
#include <win/setupapi_inf.h>

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

std::string makeLargeInf(int lines)
{
    std::string text = "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Modem\r\nProvider=%Mfg%\r\n"
                       "[Strings]\r\nMfg=\"Tarn Systems\"\r\nModem=\"Tarn V.92 Data Fax Voice Modem\"\r\n";
    char line[160];
    int written = 0;
    for (int section = 0; written < lines; ++section) {
        std::snprintf(line, sizeof(line), "\r\n[Modem%d.AddReg] ; registry values\r\n", section);
        text += line;
        for (int i = 0; i < 500 && written < lines; ++i, ++written) {
            std::snprintf(line, sizeof(line),
                          "HKR,Init%04d,Val%05d,0x%08x,\"AT&F E0\",%%Modem%%\r\n",
                          section, i, i & 1 ? 0x10001 : 0);
            text += line;
        }
    }
    return text;
}

void BM_OpenLargeInf(benchmark::State& state)
{
    plat::testing::TempProfile profile;
    std::string text = makeLargeInf(100000);
    profile.Write("drive_c/Windows/INF/large.inf", text);
    if (!profile.Load().empty()) {
        state.SkipWithError("profile did not load");
        return;
    }
    for (auto _ : state) {
        HINF inf = SetupOpenInfFileA("large.inf", nullptr, INF_STYLE_WIN4, nullptr);
        if (inf == INVALID_HANDLE_VALUE) {
            state.SkipWithError("large.inf did not open");
            return;
        }
        benchmark::DoNotOptimize(SetupGetLineCountA(inf, "Modem0.AddReg"));
        SetupCloseInfFile(inf);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
    state.counters["file_bytes"] = static_cast<double>(text.size());
}
BENCHMARK(BM_OpenLargeInf)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
