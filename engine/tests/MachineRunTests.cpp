// One whole run per verdict on the built-in machines: discovery, TAPI, the
// modem firmware behind a real pty, and the engine's thread. The modem runs
// at a hundredth of its own times and the machine's clock is moved on
// while the engine waits, so a run takes well under a second or two.
#include "WholeRun.h"

using harness::ClockPump;
using harness::Dialog;
using harness::FastMachine;
using harness::TraceFile;

namespace {

struct MachineCase {
    const char* machine;
    WPARAM detect;
    int result;
    std::vector<std::string> trace;
    const char* number = NULL;
    std::function<void(nlohmann::json&)> edit = {};
};

class MachineRuns : public ::testing::TestWithParam<MachineCase> {
protected:
    ~MachineRuns() override { plat::clock::Reset(); }
};

bool PortOpens(const char* name)
{
    HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (port == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(port);
    return true;
}

TEST_P(MachineRuns, EndWithTheirVerdict)
{
    const MachineCase& c = GetParam();
    FastMachine machine(c.machine, c.edit);
    ASSERT_EQ(machine.Start(), "");
    TraceFile trace(harness::TestName());
    Dialog dialog;
    bool portWasFree = PortOpens("COM3");
    {
        CTestThread engine;
        engine.SetWnd(dialog.Wnd(), NULL);
        engine.ResumeTest();
        WPARAM detect = 0;
        ASSERT_TRUE(dialog.WaitFor(WM_DETECT_RESULT, &detect, 30000));
        EXPECT_EQ(detect, c.detect);

        engine.SetWnd(dialog.Wnd(), c.number);
        engine.ResumeTest();
        WPARAM result = 0;
        ASSERT_TRUE(dialog.WaitFor(WM_TEST_RESULT, &result, 60000, ClockPump(trace))) << trace.Dump();
        EXPECT_EQ(result, (WPARAM)c.result) << trace.Dump();
        EXPECT_TRUE(trace.InOrder(c.trace)) << trace.Dump();
        EXPECT_TRUE(dialog.Take().empty());
        EXPECT_EQ(PortOpens("COM3"), portWasFree) << "every stage end closes the line";
    }
    std::vector<std::string> lines = trace.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Close TapiLine");
    EXPECT_EQ(lines.back(), "TapiLine closed");
}

const char kAdvice[] = "This driver doesn't support AT&T1 command properly. Update the driver to 7.39 or above if "
                       "the modem doesn't work properly.";

INSTANTIATE_TEST_SUITE_P(
    Engine, MachineRuns,
    ::testing::Values(
        MachineCase{"default",
                    DETECT_FOUND,
                    RESULT_PASSED,
                    {"Verify Modem Registry passed ", "Make Outgoing Call passed", " Response = ATZ\nOK\n",
                     "Starting passed", " Response = AT|DMA=10000\nPASS\n\nOK\n", "Send test byte *",
                     "... receive byte *", "Receive test byte passed", "Card test passed",
                     " Response = AT|DT=7000\nPASS\n\nOK\n", "Dial tone test passed"}},
        MachineCase{"no-dialtone",
                    DETECT_FOUND,
                    RESULT_NO_DIALTONE,
                    {"Card test passed", " Response = AT|DT=7000\nNO DIALTONE\n", "Dial Tone test failed",
                     "ERROR: Dial tone test failed [NO Dialtone]"}},
        MachineCase{"no-dialtone-command",
                    DETECT_FOUND,
                    RESULT_NO_DIALTONE,
                    {"AT Command = AT|DT=7000\r\n not supported, Response = AT|DT=7000\nERROR\n",
                     "Sending ATDT command to detect the dial tone ...", "Send AT Command = ATS7=5\r\n",
                     " Response = ATDT\nNO DIALTONE\n", "Dial Tone test failed",
                     "ERROR: Dial tone test failed [NO Dialtone]"}},
        MachineCase{"card-selftest-fails",
                    DETECT_FOUND,
                    RESULT_HARDWARE_PROBLEM,
                    {"Starting passed", " Response = AT|DMA=10000\nFAIL\n\nOK\n", "Close TapiLine",
                     "ERROR: Card test failed [Hardware]"}},
        MachineCase{"no-loopback",
                    DETECT_FOUND,
                    RESULT_PASSED,
                    {"Send test byte *", kAdvice, "Card test passed", "Dial tone test passed"}},
        MachineCase{"no-loopback-pci",
                    DETECT_FOUND,
                    RESULT_HARDWARE_PROBLEM,
                    {"Send test byte *", "Close TapiLine", "ERROR: Receive test byte timeout",
                     "ERROR: Card test failed [Hardware]"}},
        MachineCase{"no-reply-atz",
                    DETECT_FOUND,
                    RESULT_PORT_IN_USE,
                    {"Verify Modem Registry passed ", "AT Command = ATZ\r\n timeout, Response = ATZ",
                     "[ERROR: DetectStatusProblem-->Port already openned"}},
        MachineCase{"port-held",
                    DETECT_FOUND,
                    RESULT_PORT_IN_USE,
                    {"Verify Modem Registry passed ", "ERROR: GetLastError(). Return code = 5", "Open modem failed.",
                     "[ERROR: DetectStatusProblem-->Port already openned"}},
        MachineCase{"port-absent",
                    DETECT_FOUND,
                    RESULT_HARDWARE_PROBLEM,
                    {"Verify Modem Registry passed ", "Open modem failed.",
                     "[ERROR: Can not open port because hardware failure"}},
        MachineCase{"missing-file", DETECT_FOUND, RESULT_DRIVER_PROBLEM, {"Driver problem"}},
        MachineCase{"no-hardware", DETECT_NO_HARDWARE, RESULT_HARDWARE_PROBLEM, {"Hardware problem"}},
        MachineCase{"default",
                    DETECT_FOUND,
                    RESULT_DIALING_FAILED,
                    {"Dialing test", "Make Outgoing Call passed", "ERROR: Dialing test not tested",
                     "ERROR: Dialing test failed [TEST_RESULT_CONNECT]"},
                    "5550100",
                    [](nlohmann::json& json) { json["modems"]["hda56"]["dial"] = {{"default", "BUSY"}}; }}),
    [](const ::testing::TestParamInfo<MachineCase>& info) {
        std::string name = std::string(info.param.machine) + (info.param.number ? "_dialing" : "");
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

} // namespace
