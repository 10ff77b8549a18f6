// Discovery on a large PC: 5,000 devices, all before the modem in key order, and
// a driver INF of about 1 MB (the default modem INF padded with models and
// AddReg sections).
#include "ModemDevice.h"
#include "Trace.h"
#include "core/testing/TempProfile.h"
#include "devinst/DevNodes.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

const char kModemId[] = "HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06&SUBSYS_5A1E0101&REV_1002\\4&2A1B3C4D&0&0002";

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The default machine plus 5,000 more devices and a 1 MB INF.
class LargePc {
public:
    LargePc()
    {
        plat::devinst::RegisterLoader();
        std::filesystem::copy(std::string(RAVLIN_SOURCE_DIR) + "/machines/default", m_profile.Folder(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        std::string reg = "Windows Registry Editor Version 5.00\n\n";
        std::string devnodes;
        for (int i = 0; i < 5000; ++i) {
            char id[128];
            std::snprintf(id, sizeof(id), "BTHENUM\\DEV_%012X\\8&1A2B3C4D&0&%04X", i % 97, i);
            reg += std::string("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\") + id + "]\n" +
                   "\"ClassGUID\"=\"{4D36E97D-E325-11CE-BFC1-08002BE10318}\"\n\"Mfg\"=\"(Standard system devices)\"\n"
                   "\"DeviceDesc\"=\"PCI device\"\n\n";
            std::string escaped;
            for (char c : std::string(id))
                escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
            devnodes += ",\"" + escaped + "\": {\"status\": \"DN_DRIVER_LOADED|DN_STARTED\"}";
        }
        m_profile.Write("registry/50-many-devices.reg", reg);
        std::string json = readFile(m_profile.Path("machine.json"));
        size_t at = json.find("\"devnodes\": {") + 13;
        json.insert(at, devnodes.substr(1) + ",");
        m_profile.Write("machine.json", json);

        // Pad the INF to about 1 MB with further models and AddReg sections.
        std::string inf = readFile(m_profile.Path("drive_c/Windows/INF/oem12.inf"));
        std::string models, sections;
        for (int i = 0; models.size() + sections.size() < 1000000; ++i) {
            char line[256];
            std::snprintf(line, sizeof(line), "%%ModemHDA2%% = Modem_HDA2, HDAUDIO\\FUNC_02&VEN_5A1E&DEV_%04X\r\n", i);
            models += line;
            std::snprintf(line, sizeof(line), "[Extra%d]\r\nHKR, Settings, Extra%d,, \"AT+EXTRA=%d<cr>\"\r\n", i, i, i);
            sections += line;
        }
        std::string head = "[Tarn.NTamd64]\r\n";
        inf.insert(inf.find(head) + head.size(), models);
        inf += sections;
        m_profile.Write("drive_c/Windows/INF/oem12.inf", inf);
        m_infSize = inf.size();
        m_error = m_profile.Load();
    }
    const std::string& Error() const { return m_error; }
    size_t InfSize() const { return m_infSize; }

private:
    plat::testing::TempProfile m_profile;
    std::string m_error;
    size_t m_infSize = 0;
};

void BM_SearchModemOnALargePc(benchmark::State& state)
{
    static LargePc pc;
    if (!pc.Error().empty()) {
        state.SkipWithError(pc.Error().c_str());
        return;
    }
    TraceSetLevel(0); // the search's cost, not the trace file's
    for (auto _ : state) {
        CModemDevice modem;
        int found = modem.SearchModem();
        if (!found || std::string(modem.m_szDeviceId) != kModemId) {
            state.SkipWithError("the modem was not found");
            return;
        }
        benchmark::DoNotOptimize(found);
    }
    state.counters["infBytes"] = static_cast<double>(pc.InfSize());
}
BENCHMARK(BM_SearchModemOnALargePc)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
