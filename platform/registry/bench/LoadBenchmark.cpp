// Loading a large registry: 100,000 values in 1,000 keys, as a regedit
// export in UTF-8 and in UTF-16LE, parsed into a key tree; and the profile
// loader reading the same file from disk.
#include "registry/RegistryLoader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

constexpr int kKeys = 1000;
constexpr int kValuesPerKey = 100;

std::string makeRegFile()
{
    std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
    char line[256];
    for (int k = 0; k < kKeys; ++k) {
        std::snprintf(line, sizeof(line),
                      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4d36e96d-e325-11ce-bfc1-"
                      "08002be10318}\\%04d]\r\n",
                      k);
        text += line;
        for (int v = 0; v < kValuesPerKey; ++v) {
            switch (v % 4) {
            case 0:
                std::snprintf(line, sizeof(line), "\"String%d\"=\"Value number %d of key %d, C:\\\\Windows\"\r\n", v,
                              v, k);
                break;
            case 1:
                std::snprintf(line, sizeof(line), "\"Dword%d\"=dword:%08x\r\n", v, v * 7919);
                break;
            case 2:
                std::snprintf(line, sizeof(line),
                              "\"Binary%d\"=hex:01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,\\\r\n"
                              "  11,12,13,14,15,16,17,18\r\n",
                              v);
                break;
            default:
                std::snprintf(line, sizeof(line),
                              "\"Multi%d\"=hex(7):41,00,54,00,5a,00,00,00,41,00,54,00,49,00,33,00,00,00,00,00\r\n", v);
                break;
            }
            text += line;
        }
        text += "\r\n";
    }
    return text;
}

std::string toUtf16(const std::string& ascii)
{
    std::string out = "\xFF\xFE";
    out.reserve(ascii.size() * 2 + 2);
    for (char c : ascii) {
        out.push_back(c);
        out.push_back('\0');
    }
    return out;
}

void parseInto(benchmark::State& state, const std::string& file)
{
    for (auto _ : state) {
        plat::registry::Registry registry("S-1-5-21-1-2-3-1001");
        plat::registry::RegFileError error;
        if (!plat::registry::ApplyRegFile(file, registry, &error))
            state.SkipWithError(error.message.c_str());
        benchmark::DoNotOptimize(registry.LocalMachine().Subkeys().size());
    }
    state.counters["values"] = kKeys * kValuesPerKey;
    state.counters["MB"] = static_cast<double>(file.size()) / 1e6;
}

void BM_Parse100kValuesUtf8(benchmark::State& state)
{
    static const std::string file = makeRegFile();
    parseInto(state, file);
}
BENCHMARK(BM_Parse100kValuesUtf8)->Unit(benchmark::kMillisecond);

void BM_Parse100kValuesUtf16(benchmark::State& state)
{
    static const std::string file = toUtf16(makeRegFile());
    parseInto(state, file);
}
BENCHMARK(BM_Parse100kValuesUtf16)->Unit(benchmark::kMillisecond);

void BM_LoadProfile100kValues(benchmark::State& state)
{
    std::string folder = (std::filesystem::temp_directory_path() / ("ravlin-bench-" + std::to_string(getpid())))
                             .string();
    std::filesystem::create_directories(folder + "/registry");
    {
        std::ofstream out(folder + "/registry/system.reg", std::ios::binary);
        out << toUtf16(makeRegFile());
    }
    for (auto _ : state) {
        std::shared_ptr<plat::registry::Registry> registry;
        plat::ProfileError error;
        if (!plat::registry::LoadProfileRegistry(folder, "S-1-5-21-1-2-3-1001", &registry, &error))
            state.SkipWithError(error.ToString().c_str());
        benchmark::DoNotOptimize(registry.get());
    }
    std::filesystem::remove_all(folder);
}
BENCHMARK(BM_LoadProfile100kValues)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
