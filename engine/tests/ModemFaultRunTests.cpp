// Modem faults as whole runs: each fault the modem emulator offers, at each
// command of a run, on the default machine (discovery, TAPI, the engine's
// thread and the firmware behind a real pty). Every case ends in its
// verdict with the line closed, the port not held, and the trace ending in
// the line's close. docs/modem-faults.md gives the table with the reasons.
#include "WholeRun.h"

#include <nlohmann/json.hpp>

#include <atomic>

using harness::Dialog;
using harness::TraceFile;

namespace {

struct FaultCase {
    const char* name;
    const char* line;  // the command line the fault hits, as the modem matches it
    const char* fault; // the fault (JSON)
    int result;
    std::vector<std::string> trace; // lines in this order
    const char* timeout = nullptr;  // the command that must have ended by its limit
    const char* number = nullptr;   // the dialing test's number
    const char* modem = nullptr;    // further modem settings (JSON object), merged
};

void PrintTo(const FaultCase& c, std::ostream* os)
{
    *os << c.name;
}

// Faults in modem milliseconds; the modem runs at a hundredth of them.
const char kNoReply[] = R"({"kind": "noReply", "count": 1})";
const char kLate[] = R"({"kind": "late", "ms": 3000000, "count": 1})"; // 30 s: beyond every command's limit
const char kGarbage[] = R"({"kind": "garbage", "hex": "00 ff 80 fe 00 41 0d 0a", "thenReply": true, "count": 1})";
const char kPartial[] = R"({"kind": "partial", "count": 1})";
const char kBefore[] = R"({"kind": "unsolicited", "text": "RING", "count": 1})";
const char kAfter[] = R"({"kind": "unsolicited", "text": "RING", "after": true, "ms": 500, "count": 1})";
const char kGone[] = R"({"kind": "portGone", "ms": 0})";

const char kPortInUse[] = "[ERROR: DetectStatusProblem-->Port already openned";
const char kDriver[] = "Driver problem";
const char kCard[] = "ERROR: Card test failed [Hardware]";
const char kDialTone[] = "Dial tone test passed";
const char kDialing[] = "ERROR: Dialing test failed [TEST_RESULT_CONNECT]";

std::vector<FaultCase> Cases()
{
    std::vector<FaultCase> cases;
    // Passes as a healthy run would: the reply is still there in full.
    auto passes = [&](const char* name, const char* line, const char* fault) {
        cases.push_back({name, line, fault, RESULT_PASSED, {"Card test passed", kDialTone}});
    };
    // The command gets no final reply within its limit.
    auto times = [&](const char* name, const char* line, const char* fault, int result,
                     std::vector<std::string> trace) {
        cases.push_back({name, line, fault, result, std::move(trace), line});
    };
    struct Command {
        const char* tag;
        const char* line;
        int result;
        std::vector<std::string> trace;
    } commands[] = {
        {"ATZ", "ATZ", RESULT_PORT_IN_USE, {kPortInUse}},
        {"ATI9", "ATI9", RESULT_DRIVER_PROBLEM, {kDriver}},
        {"ATI5", "ATI5", RESULT_DRIVER_PROBLEM, {kDriver}},
        {"ATI3", "ATI3", RESULT_DRIVER_PROBLEM, {kDriver}},
        {"DMA", "AT|DMA=10000", RESULT_HARDWARE_PROBLEM, {"Starting passed", kCard}},
        {"T1", "AT&T1", RESULT_HARDWARE_PROBLEM, {"Starting passed", kCard}},
        {"DT", "AT|DT=7000", RESULT_NO_DIALTONE,
         {"Card test passed", "Dial Tone test aborted", "ERROR: Dial tone test failed [NO Dialtone]"}},
    };
    static std::vector<std::string> names; // kept alive for the cases' name pointers
    names.reserve(100);
    auto name = [&](const char* tag, const char* kind) { return names.emplace_back(std::string(tag) + "_" + kind).c_str(); };
    for (const Command& c : commands) {
        times(name(c.tag, "noReply"), c.line, kNoReply, c.result, c.trace);
        times(name(c.tag, "late"), c.line, kLate, c.result, c.trace);
        passes(name(c.tag, "garbage"), c.line, kGarbage);
        times(name(c.tag, "partial"), c.line, kPartial, c.result, c.trace);
        passes(name(c.tag, "unsolicitedBefore"), c.line, kBefore);
        passes(name(c.tag, "unsolicitedAfter"), c.line, kAfter);
        times(name(c.tag, "portGone"), c.line, kGone, c.result, c.trace);
    }

    // The test byte: it goes out once AT&T1 is answered and comes back.
    cases.push_back({"Byte_swallowed", "", "null", RESULT_PASSED,
                     {"Send test byte *",
                      "This driver doesn't support AT&T1 command properly. Update the driver to 7.39 or above if the "
                      "modem doesn't work properly.",
                      "Card test passed", kDialTone},
                     nullptr, nullptr, R"({"loopback": false})"});
    cases.push_back({"Byte_unsolicitedFirst", "AT&T1", kAfter, RESULT_PASSED,
                     {"Send test byte *", "... receive byte *", "Receive test byte passed", "Card test passed",
                      kDialTone}});
    // The port goes 1 ms (machine time) after AT&T1's OK is due: whether the
    // OK is out first is a matter of scheduling, and either way the card
    // test fails (AT&T1 timed out, or the byte never comes back).
    cases.push_back({"Byte_portGone", "AT&T1", R"({"kind": "portGone", "ms": 5100})", RESULT_HARDWARE_PROBLEM,
                     {kCard}});

    // The dialing test's dial command, sent by TAPI's modem dialer.
    // A string literal, not a local array: the cases outlive this function.
    const char* const kDial = "ATDT5550100";
    auto dial = [&](const char* kind, const char* fault, int result, std::vector<std::string> trace) {
        cases.push_back({name("ATDT", kind), kDial, fault, result, std::move(trace), nullptr, "5550100"});
    };
    dial("noReply", kNoReply, RESULT_DIALING_FAILED, {"Dialing test", kDialing});
    // A call may take its time to connect: TAPI's dialer waits 90 s for the
    // dial's answer (noReply shows it giving up), and the dialing test 120 s
    // from the dial tone test's last command.
    dial("late", kLate, RESULT_PASSED, {"Dialing test passed"});
    dial("garbage", kGarbage, RESULT_PASSED, {"Dialing test passed"});
    dial("partial", kPartial, RESULT_DIALING_FAILED, {"Dialing test", kDialing});
    dial("unsolicitedBefore", kBefore, RESULT_PASSED, {"Dialing test passed"});
    dial("unsolicitedAfter", kAfter, RESULT_PASSED, {"Dialing test passed"});
    dial("portGone", kGone, RESULT_DIALING_FAILED, {"Dialing test", kDialing});

    // A RING 5 ms after every answer: each next command is held while the
    // modem sends it, and answered.
    cases.push_back({"Every_unsolicitedAfter", "*", R"({"kind": "unsolicited", "text": "RING", "after": true, "ms": 500})",
                     RESULT_PASSED, {"Starting passed", "Card test passed", kDialTone}});
    return cases;
}

class ModemFaultRuns : public ::testing::TestWithParam<FaultCase> {
protected:
    ~ModemFaultRuns() override { plat::clock::Reset(); }
};

// Whether the port can be had: the error when not (0 when it opened).
DWORD PortProblem(const char* name)
{
    HANDLE port = CreateFileA(name, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (port == INVALID_HANDLE_VALUE)
        return GetLastError();
    CloseHandle(port);
    return 0;
}

TEST_P(ModemFaultRuns, EndInTheirVerdict)
{
    const FaultCase& c = GetParam();
    harness::FastMachine machine("default", [&](nlohmann::json& json) {
        nlohmann::json& modem = json["modems"]["hda56"];
        if (c.line[0])
            modem["faults"][c.line] = nlohmann::json::parse(c.fault);
        if (c.modem)
            modem.merge_patch(nlohmann::json::parse(c.modem));
    });
    ASSERT_EQ(machine.Start(), "");
    TraceFile trace(harness::TestName());
    Dialog dialog;
    ASSERT_EQ(PortProblem("COM3"), 0u);
    const auto started = plat::clock::Now();
    {
        CTestThread engine;
        engine.SetWnd(dialog.Wnd(), NULL);
        engine.ResumeTest();
        WPARAM detect = 0;
        ASSERT_TRUE(dialog.WaitFor(WM_DETECT_RESULT, &detect, 30000));
        ASSERT_EQ(detect, (WPARAM)DETECT_FOUND);

        engine.SetWnd(dialog.Wnd(), c.number);
        engine.ResumeTest();
        WPARAM result = 0;
        ASSERT_TRUE(dialog.WaitFor(WM_TEST_RESULT, &result, 90000, harness::ClockPump(trace))) << trace.Dump();
        EXPECT_EQ(result, (WPARAM)c.result) << trace.Dump();
        EXPECT_TRUE(trace.InOrder(c.trace)) << trace.Dump();
        if (c.timeout) {
            std::string timedOut = std::string("AT Command = ") + c.timeout + "\r\n timeout, Response = ";
            EXPECT_NE(trace.Dump().find(timedOut), std::string::npos) << trace.Dump();
        }
    }
    // Within its limits: the slowest run is a healthy one with a dialing
    // test (the card test's settling, the dial tone test, the call), or one
    // that waits out the dialing test's two minutes.
    const auto took = std::chrono::duration_cast<std::chrono::seconds>(plat::clock::Now() - started);
    EXPECT_LE(took.count(), c.number ? 150 : 60) << trace.Dump();
    EXPECT_NE(PortProblem("COM3"), (DWORD)ERROR_ACCESS_DENIED) << "the port is not held after the run";
    std::vector<std::string> lines = trace.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Close TapiLine") << trace.Dump();
    EXPECT_EQ(lines.back(), "TapiLine closed") << trace.Dump();
}

INSTANTIATE_TEST_SUITE_P(Table, ModemFaultRuns, ::testing::ValuesIn(Cases()),
                         [](const ::testing::TestParamInfo<FaultCase>& info) { return std::string(info.param.name); });

} // namespace
