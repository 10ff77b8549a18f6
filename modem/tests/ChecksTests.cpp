// The installation checks after discovery: device-node status and driver
// files, on the built-in machines and on variants of the default PC.
#include "MachineCopy.h"
#include "ModemDevice.h"

#include <gtest/gtest.h>

using modem_testing::CountLines;
using modem_testing::InOrder;
using modem_testing::MachineCopy;
using modem_testing::StartTrace;
using modem_testing::TraceLines;

namespace {

struct Outcome {
    int status = -1;
    int files = -1;
    std::vector<std::string> lines; // trace of the two checks
};

Outcome runChecks(const MachineCopy& machine, CModemDevice& modem)
{
    Outcome out;
    std::string error = machine.Load();
    EXPECT_EQ(error, "");
    if (!error.empty() || !modem.SearchModem())
        return out;
    StartTrace();
    out.status = modem.CheckDeviceStatus();
    out.files = modem.VerifyModemFiles();
    out.lines = TraceLines();
    return out;
}

} // namespace

TEST(InstallationChecks, BuiltInMachines)
{
    struct Case {
        const char* machine;
        int status;
        int files;
        std::vector<std::string> trace;
    } cases[] = {
        {"default", 1, 1,
         {"CM_Get_DevNode_Status = 0", "No hardware problem found", "Verify Modem Files", "Verify Modem Files Passed"}},
        {"devnode-problem", 0, 1,
         {"CM_Get_DevNode_Status = 0", "Verify Modem Files", "Verify Modem Files Passed"}},
        {"missing-file", 1, 0, {"CM_Get_DevNode_Status = 0", "No hardware problem found", "Verify Modem Files"}},
    };
    for (const Case& c : cases) {
        MachineCopy machine(c.machine);
        CModemDevice modem;
        Outcome out = runChecks(machine, modem);
        EXPECT_EQ(out.status, c.status) << c.machine;
        EXPECT_EQ(out.files, c.files) << c.machine;
        EXPECT_EQ(out.lines, c.trace) << c.machine;
    }
}

TEST(InstallationChecks, FilesAndRegionFile)
{
    MachineCopy machine;
    CModemDevice modem;
    Outcome out = runChecks(machine, modem);
    ASSERT_EQ(out.files, 1);
    EXPECT_EQ(modem.m_nMissingFiles, 0);
    // The country file is written "tarnhda.cty": the rule upper-cases.
    EXPECT_STREQ(modem.m_szRegionFile, "C:\\Windows\\system32\\Tarn\\tarnhda.cty");

    MachineCopy missing("missing-file");
    CModemDevice incomplete;
    ASSERT_EQ(runChecks(missing, incomplete).files, 0);
    EXPECT_EQ(incomplete.m_nMissingFiles, 1);
}

TEST(InstallationChecks, DriverWithoutCountryFile)
{
    MachineCopy machine;
    std::string inf = machine.Read("drive_c/Windows/INF/oem12.inf");
    const std::string copy = ", Modem.CopyCountry";
    for (size_t at; (at = inf.find(copy)) != std::string::npos;)
        inf.erase(at, copy.size());
    machine.Write("drive_c/Windows/INF/oem12.inf", inf);
    machine.Remove("drive_c/Windows/System32/Tarn/tarnhda.cty");
    CModemDevice modem;
    Outcome out = runChecks(machine, modem);
    EXPECT_EQ(out.files, 1);
    EXPECT_STREQ(modem.m_szRegionFile, "");
}

TEST(InstallationChecks, NothingIsCheckedWithoutAModem)
{
    MachineCopy machine("no-hardware");
    ASSERT_EQ(machine.Load(), "");
    CModemDevice modem;
    EXPECT_EQ(modem.SearchModem(), 0);
    StartTrace();
    EXPECT_EQ(modem.CheckDeviceStatus(), 0);
    EXPECT_EQ(modem.VerifyModemFiles(), 0);
    EXPECT_EQ(modem.VerifyModemRegistry(), 0);
    EXPECT_EQ(TraceLines(), std::vector<std::string>{"Verify Modem Registry failed "});
}

TEST(InstallationChecks, StatusBitsDecideEvenWhenTheSearchSucceeded)
{
    struct Case {
        const char* status;
        int expected;
    } cases[] = {
        {"DN_DRIVER_LOADED|DN_STARTED", 1},
        {"DN_HAS_PROBLEM|DN_DRIVER_LOADED", 0},
        {"DN_PRIVATE_PROBLEM|DN_STARTED", 1}, // only DN_HAS_PROBLEM counts
    };
    for (const Case& c : cases) {
        MachineCopy machine;
        machine.EditJson([&](nlohmann::json& json) {
            for (auto& [id, node] : json["devnodes"].items()) {
                if (id.rfind("HDAUDIO\\FUNC_02", 0) == 0)
                    node = {{"status", c.status}, {"problem", 0}};
            }
        });
        CModemDevice modem;
        EXPECT_EQ(runChecks(machine, modem).status, c.expected) << c.status;
    }
}
