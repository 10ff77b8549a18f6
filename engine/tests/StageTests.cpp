// Whole runs of the engine's thread over the scripted modem: each way a run
// can end, the verdict it posts and the trace lines that explain it.
#include "EngineHarness.h"
#include "FakeMachine.h"

#include <tapi.h>

using fake::PumpClock;
using fake::Reply;
using harness::CEngineProbe;
using harness::Dialog;
using harness::TraceFile;

namespace {

class Runs : public ::testing::Test {
protected:
    Runs() : m_trace(harness::TestName())
    {
        fake::Reset();
        plat::clock::Reset();
        std::map<std::string, std::string>& replies = fake::Line().replies;
        replies["ATZ"] = Reply({"OK"});
        replies["ATI9"] = Reply({"(1.0)FAK0001\\0000\\MODEM\\Fake Modem", "OK"});
        replies["ATI5"] = Reply({"FAKE 5.0", "OK"});
        replies["ATI3"] = Reply({"Fake Data Fax Modem 1.0", "OK"});
        replies["AT|DMA=10000"] = Reply({"PASS", "OK"});
        replies["AT&T1"] = Reply({"OK"});
        replies["AT|DT=7000"] = Reply({"PASS", "OK"});
        replies["ATS7=5"] = Reply({"OK"});
        replies["ATDT"] = Reply({"NO CARRIER"});
    }
    ~Runs() override { plat::clock::Reset(); }

    WPARAM Detect()
    {
        m_engine.SetWnd(m_dialog.Wnd(), NULL);
        m_engine.ResumeTest();
        WPARAM detect = 0;
        EXPECT_TRUE(m_dialog.WaitFor(WM_DETECT_RESULT, &detect));
        return detect;
    }

    // One test run; the verdict, or -1 when none came.
    int Run(const char* number = NULL)
    {
        m_engine.SetWnd(m_dialog.Wnd(), number);
        m_engine.ResumeTest();
        WPARAM result = 0;
        if (!m_dialog.WaitFor(WM_TEST_RESULT, &result, 30000, PumpClock))
            return -1;
        EXPECT_EQ(m_engine.StageNow(), STAGE_IDLE);
        EXPECT_FALSE(fake::LineOpen()) << "every end of a stage closes the line";
        return static_cast<int>(result);
    }

    // Makes the n-th time (1-based) that `command` reaches the modem do `what`.
    void OnCommand(const std::string& command, int occurrence, std::function<void()> what)
    {
        auto seen = std::make_shared<int>(0);
        fake::Line().onCommand = [=](const std::string& line) {
            if (line == command && ++*seen == occurrence)
                what();
        };
    }

    Dialog m_dialog;
    TraceFile m_trace;
    CEngineProbe m_engine;
};

TEST_F(Runs, APassingRunGoesFromTheCardTestStraightToTheDialToneTest)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    EXPECT_EQ(Run(), RESULT_PASSED);
    EXPECT_EQ(fake::Line().commands,
              (std::vector<std::string>{"ATZ", "ATI9", "ATI3", "ATZ", "AT|DMA=10000", "AT&T1", "ATZ", "AT|DT=7000"}));
    EXPECT_EQ(fake::Line().dataWritten, "*");
    EXPECT_TRUE(m_trace.InOrder({"Verify Modem Registry passed ", "Starting passed", "Send test byte *",
                                 "... receive byte *", "Receive test byte passed", "Card test passed",
                                 "Dial tone test passed"}))
        << m_trace.Dump();
    EXPECT_FALSE(m_trace.Has("Line Test--Uses AT|LC=2000 command, timeout=4 seconds"));
    EXPECT_FALSE(m_trace.Has("Dialing test"));
    EXPECT_EQ(fake::Line().numbers, std::vector<std::string>(4, "(null)")) << "no call to a number";
    EXPECT_TRUE(m_dialog.Take().empty()) << "one message per run";
}

struct VerdictCase {
    const char* name;
    std::function<void()> setup;
    int result;
    std::vector<std::string> trace;
};

class Verdicts : public Runs, public ::testing::WithParamInterface<VerdictCase> {};

TEST_P(Verdicts, EndTheRunWithTheirCodeAndTheirTrace)
{
    GetParam().setup();
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    EXPECT_EQ(Run(), GetParam().result);
    EXPECT_TRUE(m_trace.InOrder(GetParam().trace)) << m_trace.Dump();
}

void Replies(const std::string& command, const std::string& reply)
{
    fake::Line().replies[command] = reply;
}

void NoEcho(const std::string& deviceId, const std::string& version)
{
    fake::Line().loopback = "";
    fake::Modem().deviceId = deviceId;
    fake::Modem().driverVersion = version;
}

const char kAdvice[] = "This driver doesn't support AT&T1 command properly. Update the driver to 7.39 or above if "
                       "the modem doesn't work properly.";
const char kPciId[] = "PCI\\VEN_1234&DEV_5678&SUBSYS_00000000\\3&0&78";
const char kHdaId[] = "HDAUDIO\\FUNC_02&VEN_1234&DEV_5678\\4&0&0001";

INSTANTIATE_TEST_SUITE_P(
    Stages, Verdicts,
    ::testing::Values(
        VerdictCase{"DeviceStatus", [] { fake::Modem().deviceStatus = 0; }, RESULT_DRIVER_PROBLEM,
                    {"Driver problem"}},
        VerdictCase{"DriverFiles", [] { fake::Modem().files = 0; }, RESULT_DRIVER_PROBLEM, {"Driver problem"}},
        VerdictCase{"Registry", [] { fake::Modem().registry = 0; }, RESULT_DRIVER_PROBLEM,
                    {"open modem ...", "Close TapiLine", "TapiLine closed", "Verify Modem Registry failed ",
                     "Driver problem"}},
        VerdictCase{"PortHeld", [] { fake::Line().openResult = (int)LINEERR_OPERATIONFAILED; },
                    RESULT_PORT_IN_USE,
                    {"Verify Modem Registry passed ", "Open modem failed.",
                     "[ERROR: DetectStatusProblem-->Port already openned"}},
        VerdictCase{"PortBroken", [] { fake::Line().openResult = (int)LINEERR_RESOURCEUNAVAIL; },
                    RESULT_HARDWARE_PROBLEM,
                    {"Open modem failed.", "[ERROR: Can not open port because hardware failure"}},
        VerdictCase{"CallRefused", [] { fake::Line().makeCallResult = (int)LINEERR_OPERATIONFAILED; },
                    RESULT_DRIVER_PROBLEM, {"Make Outgoing Call failed. (number = (null))", "Driver problem"}},
        VerdictCase{"NoReplyToAtz", [] { Replies("ATZ", ""); }, RESULT_PORT_IN_USE,
                    {"AT Command = ATZ\r\n timeout, Response = ATZ", "Close TapiLine",
                     "[ERROR: DetectStatusProblem-->Port already openned"}},
        VerdictCase{"NoReplyToAti3", [] { Replies("ATI3", ""); }, RESULT_DRIVER_PROBLEM,
                    {"AT Command = ATI3\r\n timeout, Response = ATI3", "Driver problem"}},
        VerdictCase{"SelfTestFails", [] { Replies("AT|DMA=10000", Reply({"FAIL", "OK"})); },
                    RESULT_HARDWARE_PROBLEM, {"Starting passed", "ERROR: Card test failed [Hardware]"}},
        VerdictCase{"SelfTestAnsweredOnlyOk", [] { Replies("AT|DMA=10000", Reply({"OK"})); },
                    RESULT_HARDWARE_PROBLEM, {"ERROR: Card test failed [Hardware]"}},
        VerdictCase{"NoSelfTestIsNoFault", [] { Replies("AT|DMA=10000", Reply({"ERROR"})); }, RESULT_PASSED,
                    {"AT Command = AT|DMA=10000\r\n not supported, Response = AT|DMA=10000\nERROR\n",
                     "Send AT Command = AT&T1\r\n", "Card test passed"}},
        VerdictCase{"NoLoopbackCommandIsNoFault", [] { Replies("AT&T1", Reply({"ERROR"})); }, RESULT_PASSED,
                    {"Send test byte *", "Receive test byte passed"}},
        VerdictCase{"OtherBytesBeforeTheEcho", [] { fake::Line().loopback = "a\r*"; }, RESULT_PASSED,
                    {"... receive byte a", "... receive byte \r", "... receive byte *", "Receive test byte passed"}},
        VerdictCase{"NoEchoOnAFixedDriver", [] { NoEcho(kPciId, "7.80"); }, RESULT_HARDWARE_PROBLEM,
                    {"ERROR: Receive test byte timeout", "ERROR: Card test failed [Hardware]"}},
        VerdictCase{"NoEchoOnDriver7_39", [] { NoEcho(kPciId, "7.39"); }, RESULT_HARDWARE_PROBLEM,
                    {"ERROR: Receive test byte timeout"}},
        VerdictCase{"NoEchoOnDriver7_4", [] { NoEcho(kPciId, "7.4"); }, RESULT_HARDWARE_PROBLEM,
                    {"ERROR: Receive test byte timeout"}},
        VerdictCase{"NoEchoOnDriver7_38", [] { NoEcho(kPciId, "7.38"); }, RESULT_PASSED,
                    {kAdvice, "Card test passed"}},
        VerdictCase{"NoEchoOnDriver7_100", [] { NoEcho(kPciId, "7.100.0.0"); }, RESULT_PASSED,
                    {kAdvice, "Card test passed"}},
        VerdictCase{"NoEchoWithoutDriverVersion", [] { NoEcho(kPciId, ""); }, RESULT_PASSED, {kAdvice}},
        VerdictCase{"NoEchoWithTextVersion", [] { NoEcho(kPciId, "v8"); }, RESULT_PASSED, {kAdvice}},
        // Only plain decimal digits count: no exponent, hexadecimal, infinity or NaN.
        VerdictCase{"NoEchoWithExponentVersion", [] { NoEcho(kPciId, "1e1"); }, RESULT_PASSED, {kAdvice}},
        VerdictCase{"NoEchoWithHexVersion", [] { NoEcho(kPciId, "0x9"); }, RESULT_PASSED, {kAdvice}},
        VerdictCase{"NoEchoWithInfVersion", [] { NoEcho(kPciId, "inf"); }, RESULT_PASSED, {kAdvice}},
        VerdictCase{"NoEchoWithNanVersion", [] { NoEcho(kPciId, "nan"); }, RESULT_PASSED, {kAdvice}},
        VerdictCase{"NoEchoOnDriver7_39WithExponent", [] { NoEcho(kPciId, "7.39e-5"); }, RESULT_HARDWARE_PROBLEM,
                    {"ERROR: Receive test byte timeout"}},
        VerdictCase{"NoEchoOnHdAudio", [] { NoEcho(kHdaId, "7.80"); }, RESULT_PASSED, {kAdvice}},
        VerdictCase{"NoEchoOnHdAudioWithoutCountry",
                    [] {
                        NoEcho(kHdaId, "7.80");
                        fake::Modem().countryFound = 0; // the device ID reads empty then
                    },
                    RESULT_HARDWARE_PROBLEM, {"ERROR: Receive test byte timeout"}},
        VerdictCase{"TestByteNeverTaken",
                    [] {
                        fake::Line().onCommand = [](const std::string& command) {
                            if (command == "AT&T1")
                                fake::Line().refuseData = true;
                        };
                    },
                    RESULT_HARDWARE_PROBLEM, {"Send test byte *", "ERROR: Card test failed [Hardware]"}},
        VerdictCase{"DialToneMissing", [] { Replies("AT|DT=7000", Reply({"NO DIALTONE"})); },
                    RESULT_NO_DIALTONE,
                    {"Card test passed", "Dial Tone test failed", "ERROR: Dial tone test failed [NO Dialtone]"}},
        VerdictCase{"DialToneAnsweredOnlyOk", [] { Replies("AT|DT=7000", Reply({"OK"})); }, RESULT_NO_DIALTONE,
                    {"Dial Tone test failed", "ERROR: Dial tone test failed [NO Dialtone]"}},
        VerdictCase{"NoDialToneCommandAndNoCarrier", [] { Replies("AT|DT=7000", Reply({"ERROR"})); },
                    RESULT_PASSED,
                    {"Sending ATDT command to detect the dial tone ...", "Send AT Command = ATS7=5\r\n",
                     "Send AT Command = ATDT\r\n", " Response = ATDT\nNO CARRIER\n", "Dial tone test passed"}},
        VerdictCase{"NoDialToneCommandAndNoDialtone",
                    [] {
                        Replies("AT|DT=7000", Reply({"ERROR"}));
                        Replies("ATDT", Reply({"NO DIALTONE"}));
                    },
                    RESULT_NO_DIALTONE,
                    {"Send AT Command = ATDT\r\n", "Dial Tone test failed", "Close TapiLine", "TapiLine closed",
                     "ERROR: Dial tone test failed [NO Dialtone]"}},
        VerdictCase{"S7Unsupported", [] {
                        Replies("AT|DT=7000", Reply({"ERROR"}));
                        Replies("ATS7=5", Reply({"ERROR"}));
                    },
                    RESULT_PASSED, {"Send AT Command = ATDT\r\n", "Dial tone test passed"}},
        VerdictCase{"DialToneTestTimesOut", [] { Replies("AT|DT=7000", ""); }, RESULT_NO_DIALTONE,
                    {"AT Command = AT|DT=7000\r\n timeout, Response = AT|DT=7000", "Dial Tone test aborted",
                     "ERROR: Dial tone test failed [NO Dialtone]"}}),
    [](const ::testing::TestParamInfo<VerdictCase>& info) { return std::string(info.param.name); });

TEST_F(Runs, Ati9AnsweredWithErrorAsksAti5)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    fake::Line().replies["ATI9"] = Reply({"ERROR"});
    EXPECT_EQ(Run(), RESULT_PASSED);
    EXPECT_EQ(std::vector<std::string>(fake::Line().commands.begin(), fake::Line().commands.begin() + 4),
              (std::vector<std::string>{"ATZ", "ATI9", "ATI5", "ATI3"}));
}

TEST_F(Runs, NoReplyToAtzInTheCardTestIsAPortInUse)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    OnCommand("ATZ", 2, [] { fake::Line().replies["ATZ"] = ""; });
    EXPECT_EQ(Run(), RESULT_PORT_IN_USE);
    EXPECT_TRUE(m_trace.InOrder({"Starting passed", "AT Command = ATZ\r\n timeout, Response = ATZ",
                                 "[ERROR: No reponse to ATZ in Card Test-->Port already openned"}))
        << m_trace.Dump();
}

TEST_F(Runs, NoReplyToAtzInTheDialToneTestIsNoDialTone)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    OnCommand("ATZ", 3, [] { fake::Line().replies["ATZ"] = ""; });
    EXPECT_EQ(Run(), RESULT_NO_DIALTONE);
    EXPECT_TRUE(m_trace.InOrder({"Card test passed", "AT Command = ATZ\r\n timeout, Response = ATZ",
                                 "ERROR: Dial tone test failed [NO Dialtone]"}));
}

// After the start stage a line that does not open is tried again at the
// next turn, except for a busy port in the card test.
TEST_F(Runs, AnUnopenedLineIsTriedAgainInTheDialToneTest)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    OnCommand("AT&T1", 1, [] {
        fake::Line().openResults = {(int)LINEERR_OPERATIONFAILED, (int)LINEERR_RESOURCEUNAVAIL,
                                    (int)LINEERR_OPERATIONFAILED};
    });
    EXPECT_EQ(Run(), RESULT_PASSED);
    EXPECT_EQ(m_trace.Count("Open modem failed."), 3);
}

// A port that stays held: the dial tone test keeps trying, about once a
// second, and a stop ends the run without waiting out the pause.
TEST_F(Runs, RetriesPauseBetweenTriesAndAStopEndsThemAtOnce)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    OnCommand("AT&T1", 1, [] { fake::Line().openResult = (int)LINEERR_OPERATIONFAILED; });
    auto failedTries = [&] { return m_trace.Count("Open modem failed."); };
    // Waits (real time, the clock running fast) until `done`.
    auto until = [&](const std::function<bool()>& done) {
        return m_dialog.WaitFor(WM_NULL, nullptr, 30000, [&] {
            PumpClock();
            if (done())
                m_dialog.Wnd()->PostMessage(WM_NULL);
        });
    };
    m_engine.SetWnd(m_dialog.Wnd(), NULL);
    m_engine.ResumeTest();
    ASSERT_TRUE(until([&] { return failedTries() >= 1; }));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_LE(failedTries(), 3) << "tries back to back";

    // Right after a try, so that a whole pause lies ahead.
    int seen = failedTries();
    ASSERT_TRUE(until([&] { return failedTries() > seen; }));
    auto start = std::chrono::steady_clock::now();
    m_engine.RequestStop();
    WPARAM result = 0;
    ASSERT_TRUE(m_dialog.WaitFor(WM_TEST_RESULT, &result, 5000));
    auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    EXPECT_EQ(result, (WPARAM)RESULT_NO_DIALTONE);
    EXPECT_LT(waited.count(), 700) << "the stop waited out the pause";
    EXPECT_TRUE(m_trace.InOrder({"Card test passed", "open modem ...", "Open modem failed.", "open modem ...",
                                 "Open modem failed.", "ERROR: Dial tone test failed [NO Dialtone]"}));
}

// A line that cannot start its message thread (LINEERR_NOMEM) is no port
// that may come free: the dial tone and dialing tests try again, but only
// for as long as a modem has to answer ATZ, then end as a modem that never
// answers it would end them.
TEST_F(Runs, ALineWithoutAThreadEndsTheDialToneTestAfterTheAtzLimit)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    OnCommand("AT&T1", 1, [] { fake::Line().openResult = (int)LINEERR_NOMEM; });
    EXPECT_EQ(Run(), RESULT_NO_DIALTONE);
    EXPECT_GE(m_trace.Count("Open modem failed."), 2);
    EXPECT_TRUE(m_trace.InOrder({"Card test passed", "Open modem failed.", "ERROR: Dial tone test failed [NO Dialtone]"}))
        << m_trace.Dump();
}

TEST_F(Runs, ALineWithoutAThreadEndsTheDialingTestAfterTheAtzLimit)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    OnCommand("AT|DT=7000", 1, [] { fake::Line().openResult = (int)LINEERR_NOMEM; });
    EXPECT_EQ(Run("0123456"), RESULT_DIALING_FAILED);
    EXPECT_TRUE(m_trace.InOrder({"Dialing test", "Open modem failed.", "ERROR: Dialing test failed [TEST_RESULT_CONNECT]"}))
        << m_trace.Dump();
}

TEST_F(Runs, ABrokenPortIsTriedAgainInTheCardTest)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    OnCommand("ATI3", 1, [] { fake::Line().openResults = {(int)LINEERR_RESOURCEUNAVAIL}; });
    EXPECT_EQ(Run(), RESULT_PASSED);
    EXPECT_EQ(m_trace.Count("Open modem failed."), 1);
}

TEST_F(Runs, ABusyPortInTheCardTestIsAPortInUse)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    OnCommand("ATI3", 1, [] { fake::Line().openResults = {(int)LINEERR_OPERATIONFAILED}; });
    EXPECT_EQ(Run(), RESULT_PORT_IN_USE);
    EXPECT_TRUE(m_trace.InOrder({"Starting passed", "Open modem failed.",
                                 "[ERROR: No reponse to ATZ in Card Test-->Port already openned"}));
}

TEST_F(Runs, ADialingTestRunsOnlyWithANumber)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    EXPECT_EQ(Run("0123456"), RESULT_PASSED);
    EXPECT_EQ(fake::Line().numbers.back(), "0123456");
    EXPECT_TRUE(m_trace.InOrder({"Card test passed", "Dialing test", "open modem", "open modem ...",
                                 "Make Outgoing Call passed", "Dialing test", "Dialing test passed",
                                 "Close TapiLine", "TapiLine closed", "Dialing test passed"}))
        << m_trace.Dump();
    EXPECT_FALSE(m_trace.Has("Dial tone test passed"));
}

TEST_F(Runs, ADisconnectedCallFailsTheDialingTest)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    fake::Line().onMakeCall = [](const char* number) {
        if (number)
            fake::Line().callResult = CALLRESULT_BUSY;
    };
    EXPECT_EQ(Run("0123456"), RESULT_DIALING_FAILED);
    EXPECT_TRUE(m_trace.InOrder({"ERROR: Dialing test not tested", "ERROR: Dialing test failed [TEST_RESULT_CONNECT]"}));
}

TEST_F(Runs, ADialingTestGivesUpTwoMinutesAfterTheLastDialToneCommand)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    fake::Line().onMakeCall = [](const char* number) {
        if (number) {
            fake::Line().connectDelay = 1 << 30; // the call never connects
            fake::Line().idleStepMs = 1000;
        }
    };
    EXPECT_EQ(Run("0123456"), RESULT_DIALING_FAILED);
    EXPECT_TRUE(m_trace.InOrder({"ERROR: Dialing test aborted", "ERROR: Dialing test failed [TEST_RESULT_CONNECT]"}));
}

TEST_F(Runs, TheNumberIsCutAt127Characters)
{
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    std::string number(200, '7');
    EXPECT_EQ(Run(number.c_str()), RESULT_PASSED);
    EXPECT_EQ(fake::Line().numbers.back(), std::string(127, '7'));
}

// A stop fails the stage it reaches in its ordinary way.
struct StopCase {
    const char* name;
    const char* command; // stop when this command reaches the modem...
    int occurrence;      // ...for the n-th time
    int result;
    std::vector<std::string> trace;
};

class Stops : public Runs, public ::testing::WithParamInterface<StopCase> {};

TEST_P(Stops, YieldTheCodeOfTheStepTheyReach)
{
    const StopCase& c = GetParam();
    ASSERT_EQ(Detect(), (WPARAM)DETECT_FOUND);
    CEngineProbe* engine = &m_engine;
    std::string command = c.command;
    if (command == "CheckDeviceStatus") {
        fake::Modem().onCheck = [engine](const std::string& check) {
            if (check == "CheckDeviceStatus")
                engine->RequestStop();
        };
    } else if (command == "*") { // the test byte: the stop meets the echo wait
        fake::Line().loopback = "";
        fake::Line().onData = [engine](char) { engine->RequestStop(); };
    } else if (command == "refused *") { // the stop meets the test byte's write
        fake::Line().refuseData = true;
        fake::Line().onRefusedWrite = [engine] { engine->RequestStop(); };
    } else if (command == "dial") {
        fake::Line().onMakeCall = [engine](const char* number) {
            if (number)
                engine->RequestStop();
        };
    } else {
        OnCommand(command, c.occurrence, [engine] { engine->RequestStop(); });
    }
    EXPECT_EQ(Run(command == "dial" ? "0123" : NULL), c.result);
    EXPECT_TRUE(m_trace.InOrder(c.trace)) << m_trace.Dump();

    // The next run is not stopped.
    fake::Modem().onCheck = nullptr;
    fake::Line().onCommand = nullptr;
    fake::Line().onData = nullptr;
    fake::Line().onRefusedWrite = nullptr;
    fake::Line().onMakeCall = nullptr;
    fake::Line().refuseData = false;
    fake::Line().loopback = "*";
    EXPECT_EQ(Run(), RESULT_PASSED);
}

INSTANTIATE_TEST_SUITE_P(
    Engine, Stops,
    ::testing::Values(
        StopCase{"DuringTheInstallationChecks", "CheckDeviceStatus", 1, RESULT_DRIVER_PROBLEM,
                 {"Verify Modem Registry passed ", "open modem ...", "Driver problem"}},
        StopCase{"DuringAtzOfTheStart", "ATZ", 1, RESULT_PORT_IN_USE,
                 {" Response = ATZ\nOK\n", "[ERROR: DetectStatusProblem-->Port already openned"}},
        StopCase{"DuringTheIdentification", "ATI9", 1, RESULT_DRIVER_PROBLEM, {"Driver problem"}},
        StopCase{"DuringAtzOfTheCardTest", "ATZ", 2, RESULT_PORT_IN_USE,
                 {"[ERROR: No reponse to ATZ in Card Test-->Port already openned"}},
        StopCase{"DuringTheSelfTest", "AT|DMA=10000", 1, RESULT_HARDWARE_PROBLEM,
                 {"ERROR: Card test failed [Hardware]"}},
        StopCase{"DuringTheLoopbackCommand", "AT&T1", 1, RESULT_HARDWARE_PROBLEM,
                 {"ERROR: Card test failed [Hardware]"}},
        StopCase{"WhileWritingTheTestByte", "refused *", 1, RESULT_HARDWARE_PROBLEM,
                 {"Send test byte *", "Close TapiLine", "ERROR: Card test failed [Hardware]"}},
        StopCase{"WhileWaitingForTheEcho", "*", 1, RESULT_HARDWARE_PROBLEM,
                 {"ERROR:  Aborted. Not receive test byte", "ERROR: Card test failed [Hardware]"}},
        StopCase{"DuringAtzOfTheDialToneTest", "ATZ", 3, RESULT_NO_DIALTONE,
                 {"ERROR: Dial tone test failed [NO Dialtone]"}},
        StopCase{"DuringTheDialToneTest", "AT|DT=7000", 1, RESULT_NO_DIALTONE,
                 {"Dial Tone test aborted", "ERROR: Dial tone test failed [NO Dialtone]"}},
        StopCase{"DuringTheDialingTest", "dial", 1, RESULT_DIALING_FAILED,
                 {"ERROR: Dialing test aborted", "ERROR: Dialing test failed [TEST_RESULT_CONNECT]"}}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return std::string(info.param.name); });

} // namespace
