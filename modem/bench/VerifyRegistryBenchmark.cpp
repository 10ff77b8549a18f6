// The registry check on a large driver: an install section whose AddReg
// directive names 20 sections of 500 lines each (strings, DWORDs, binary
// data and multi-strings under 200 keys), against a registry that matches.
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

constexpr int kSections = 20;
constexpr int kLinesPerSection = 500;
constexpr int kValuesPerKey = 50;

const char kDriverKey[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// One INF line and its registry value; the kind cycles through the types.
void addLine(int section, int line, std::string* inf, std::string* reg)
{
    char text[256];
    if (line % kValuesPerKey == 0) {
        std::snprintf(text, sizeof(text), "\n[%s\\Bench\\S%02d\\K%02d]\n", kDriverKey, section, line / kValuesPerKey);
        *reg += text;
    }
    const int key = line / kValuesPerKey;
    switch (line % 4) {
    case 0:
        std::snprintf(text, sizeof(text), "HKR, Bench\\S%02d\\K%02d, V%03d,, \"AT+BENCH=%d,%d<cr>\"\r\n", section, key,
                      line, section, line);
        *inf += text;
        std::snprintf(text, sizeof(text), "\"V%03d\"=\"AT+BENCH=%d,%d<cr>\"\n", line, section, line);
        break;
    case 1:
        std::snprintf(text, sizeof(text), "HKR, Bench\\S%02d\\K%02d, V%03d, 0x10001, %d\r\n", section, key, line,
                      section * 1000 + line);
        *inf += text;
        std::snprintf(text, sizeof(text), "\"V%03d\"=dword:%08x\n", line, section * 1000 + line);
        break;
    case 2:
        std::snprintf(text, sizeof(text), "HKR, Bench\\S%02d\\K%02d, V%03d, 1, %02x,00,%02x,00,00,00,00,00,00,00\r\n",
                      section, key, line, section, line & 0xff);
        *inf += text;
        std::snprintf(text, sizeof(text), "\"V%03d\"=hex:%02x,00,%02x,00,00,00,00,00,00,00\n", line, section,
                      line & 0xff);
        break;
    default:
        std::snprintf(text, sizeof(text), "HKR, Bench\\S%02d\\K%02d, V%03d, 0x10000, \"Data\", \"Fax\"\r\n", section,
                      key, line);
        *inf += text;
        // "Data\0Fax\0\0" as UTF-16LE, the form of a 5.00 registry file.
        std::snprintf(text, sizeof(text),
                      "\"V%03d\"=hex(7):44,00,61,00,74,00,61,00,00,00,46,00,61,00,78,00,00,00,00,00\n", line);
        break;
    }
    *reg += text;
}

// The default machine with the large driver.
class LargeDriver {
public:
    LargeDriver()
    {
        plat::devinst::RegisterLoader();
        std::filesystem::copy(std::string(RAVLIN_SOURCE_DIR) + "/machines/default", m_profile.Folder(),
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        std::string inf = readFile(m_profile.Path("drive_c/Windows/INF/oem12.inf"));
        std::string directive = "AddReg =";
        std::string sections;
        std::string reg = "Windows Registry Editor Version 5.00\n";
        for (int s = 0; s < kSections; ++s) {
            char name[32];
            std::snprintf(name, sizeof(name), "Bench%02d", s);
            directive += std::string(s ? ", " : " ") + name;
            sections += std::string("\r\n[") + name + "]\r\n";
            for (int line = 0; line < kLinesPerSection; ++line)
                addLine(s, line, &sections, &reg);
        }
        const std::string original = "AddReg = All, MfgAddReg, Responses";
        inf.replace(inf.find(original), original.size(), directive);
        m_profile.Write("drive_c/Windows/INF/oem12.inf", inf + sections);
        m_profile.Write("registry/90-bench.reg", reg);
        m_error = m_profile.Load();
        if (m_error.empty() && !m_modem.SearchModem())
            m_error = "the modem was not found";
    }
    const std::string& Error() const { return m_error; }
    CModemDevice& Modem() { return m_modem; }

private:
    plat::testing::TempProfile m_profile;
    std::string m_error;
    CModemDevice m_modem;
};

void BM_VerifyModemRegistry20x500(benchmark::State& state)
{
    TraceSetLevel(0); // the check's cost, not the trace file's
    static LargeDriver driver;
    if (!driver.Error().empty()) {
        state.SkipWithError(driver.Error().c_str());
        return;
    }
    for (auto _ : state) {
        int passed = driver.Modem().VerifyModemRegistry();
        if (passed != 1) {
            state.SkipWithError("the registry check failed");
            return;
        }
        benchmark::DoNotOptimize(passed);
    }
    state.counters["lines"] = kSections * kLinesPerSection;
}
BENCHMARK(BM_VerifyModemRegistry20x500)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
