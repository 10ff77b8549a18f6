// The engine's thread: waiting idle, detection, the hand-over between the
// dialog and the thread, requests ignored at the wrong time, the stage that
// no run enters, and the engine's end.
#include "EngineHarness.h"
#include "FakeMachine.h"

#include <atomic>
#include <memory>
#include <mutex>

using fake::PumpClock;
using fake::Reply;
using harness::CEngineProbe;
using harness::Dialog;
using harness::TraceFile;

namespace {

// Lets the test start an engine at a stage of its choice, the way
// ResumeTest starts it at the start stage.
class CStageProbe : public CEngineProbe {
public:
    CStageProbe() : CStageProbe(false) {}
    // With bBrokenResume the idle wait's event is missing from the start,
    // as when it could not be made.
    explicit CStageProbe(bool bBrokenResume) : CEngineProbe(START_LATER)
    {
        if (bBrokenResume) {
            m_hBrokenResume = m_hResume;
            m_hResume = NULL;
        }
        StartThread();
    }
    ~CStageProbe() override
    {
        EndThread();
        if (m_hBrokenResume)
            CloseHandle(m_hBrokenResume);
    }

    void ResumeAt(LONG nStage)
    {
        m_nStep = 0;
        m_bAbort = 0;
        InterlockedExchange(&m_nStage, nStage);
        SetEvent(m_hResume);
    }

    // Stop requests taken from the queue while holding is on are kept back
    // instead of handled, so that a test can hand one over later, as if it
    // had reached the thread late.
    BOOL PreTranslateMessage(MSG* pMsg) override
    {
        if (pMsg->message == WM_STOP_TEST && m_holdStops) {
            std::lock_guard<std::mutex> lock(m_heldMutex);
            m_held.push_back(*pMsg);
            return TRUE;
        }
        return CEngineProbe::PreTranslateMessage(pMsg);
    }
    std::vector<MSG> Held()
    {
        std::lock_guard<std::mutex> lock(m_heldMutex);
        return m_held;
    }

    BOOL OnIdle(LONG lCount) override
    {
        ++m_idleTurns;
        return CEngineProbe::OnIdle(lCount);
    }

    std::atomic<bool> m_holdStops{false};
    std::atomic<long> m_idleTurns{0};

private:
    HANDLE m_hBrokenResume = NULL;
    std::mutex m_heldMutex;
    std::vector<MSG> m_held;
};

class Thread : public ::testing::Test {
protected:
    Thread() : m_trace(harness::TestName())
    {
        fake::Reset();
        plat::clock::Reset();
        std::map<std::string, std::string>& replies = fake::Line().replies;
        for (const char* command : {"ATZ", "ATI9", "ATI3", "AT&T1", "ATS7=5"})
            replies[command] = Reply({"OK"});
        replies["AT|DMA=10000"] = Reply({"PASS", "OK"});
        replies["AT|DT=7000"] = Reply({"PASS", "OK"});
        replies["AT|LC=2000"] = Reply({"<LOOP CURRENT: 40>", "PASS", "OK"});
        m_engine = std::make_unique<CStageProbe>();
    }
    ~Thread() override
    {
        m_engine.reset();
        plat::clock::Reset();
    }

    // Nothing arrives at the window for a while.
    bool Quiet(int realMs = 50)
    {
        return !m_dialog.WaitFor(WM_TEST_RESULT, nullptr, realMs, PumpClock) && m_dialog.Others().empty() &&
               m_dialog.Take().empty();
    }

    WPARAM Resume(UINT message, CWnd* wnd)
    {
        m_engine->SetWnd(wnd, NULL);
        m_engine->ResumeTest();
        WPARAM w = 0;
        EXPECT_TRUE(m_dialog.WaitFor(message, &w, 30000, PumpClock));
        return w;
    }

    Dialog m_dialog;
    TraceFile m_trace;
    std::unique_ptr<CStageProbe> m_engine;
};

TEST_F(Thread, WaitsIdleAfterConstruction)
{
    EXPECT_TRUE(Quiet());
    EXPECT_EQ(m_engine->StageNow(), STAGE_IDLE);
    EXPECT_EQ(fake::Modem().searches, 0);
    EXPECT_TRUE(m_trace.Lines().empty());
}

TEST_F(Thread, TheFirstResumeDetectsAndPostsOnlyTheDetection)
{
    EXPECT_EQ(Resume(WM_DETECT_RESULT, m_dialog.Wnd()), (WPARAM)DETECT_FOUND);
    EXPECT_TRUE(Quiet());
    EXPECT_EQ(m_engine->StageNow(), STAGE_IDLE);
    EXPECT_TRUE(m_engine->m_bDetected);
    EXPECT_STREQ(m_engine->GetFriendlyName(), "Fake Data Fax Modem");
    EXPECT_STREQ(m_engine->GetDriverVersion(), "7.80");
    EXPECT_STREQ(m_engine->GetCountryName(), "Fakeland");

    EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), (WPARAM)RESULT_PASSED);
    EXPECT_EQ(fake::Modem().searches, 1) << "detection is not repeated";
}

struct DetectCase {
    const char* name;
    int found;
    int hardwareFound;
    WPARAM detect;
    WPARAM result;
    const char* trace;
};

class Detection : public Thread, public ::testing::WithParamInterface<DetectCase> {};

TEST_P(Detection, DecidesEveryLaterRun)
{
    fake::Modem().found = GetParam().found;
    fake::Modem().hardwareFound = GetParam().hardwareFound;
    EXPECT_EQ(Resume(WM_DETECT_RESULT, m_dialog.Wnd()), GetParam().detect);
    for (int run = 0; run < 2; ++run)
        EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), GetParam().result);
    EXPECT_EQ(m_trace.Count(GetParam().trace), 2);
    EXPECT_EQ(fake::Line().opens, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Thread, Detection,
    ::testing::Values(DetectCase{"NoHardware", 0, 0, DETECT_NO_HARDWARE, RESULT_HARDWARE_PROBLEM, "Hardware problem"},
                      DetectCase{"NoDriver", 0, 1, DETECT_NO_DRIVER, RESULT_DRIVER_PROBLEM, "Driver problem"}),
    [](const ::testing::TestParamInfo<DetectCase>& info) { return std::string(info.param.name); });

TEST_F(Thread, ResumeTwiceInARowStartsOneRun)
{
    Resume(WM_DETECT_RESULT, m_dialog.Wnd());
    m_engine->SetWnd(m_dialog.Wnd(), NULL);
    m_engine->ResumeTest();
    m_engine->ResumeTest();
    WPARAM result = 0;
    ASSERT_TRUE(m_dialog.WaitFor(WM_TEST_RESULT, &result, 30000, PumpClock));
    EXPECT_EQ(result, (WPARAM)RESULT_PASSED);
    EXPECT_TRUE(Quiet(200));
    EXPECT_EQ(m_trace.Count("Starting passed"), 1);
}

TEST_F(Thread, AResumeRightAfterTheVerdictIsNotLost)
{
    Resume(WM_DETECT_RESULT, m_dialog.Wnd());
    for (int run = 0; run < 5; ++run)
        EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), (WPARAM)RESULT_PASSED);
    EXPECT_EQ(m_trace.Count("Dial tone test passed"), 5);
}

TEST_F(Thread, AStopWhileIdleIsIgnored)
{
    m_engine->RequestStop(); // before detection
    EXPECT_EQ(Resume(WM_DETECT_RESULT, m_dialog.Wnd()), (WPARAM)DETECT_FOUND);
    m_engine->RequestStop(); // between detection and the first run
    EXPECT_TRUE(Quiet());
    EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), (WPARAM)RESULT_PASSED);
    m_engine->RequestStop(); // after a run
    EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), (WPARAM)RESULT_PASSED);
}

// The dialog asked for a stop while a run was busy, but the run ended
// before the thread took the request: the next run is not stopped by it.
TEST_F(Thread, AStopThatArrivesAfterItsRunDoesNotStopTheNextRun)
{
    Resume(WM_DETECT_RESULT, m_dialog.Wnd());
    CStageProbe* engine = m_engine.get();
    engine->m_holdStops = true;
    fake::Line().replies["ATI9"] = ""; // the run ends by the command's time limit
    fake::Line().onCommand = [engine](const std::string& command) {
        if (command == "ATI9")
            engine->RequestStop();
    };
    EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), (WPARAM)RESULT_DRIVER_PROBLEM);
    std::vector<MSG> held = engine->Held();
    ASSERT_EQ(held.size(), 1u);

    engine->m_holdStops = false;
    fake::Line().onCommand = nullptr;
    fake::Line().replies["ATI9"] = Reply({"OK"});
    m_engine->SetWnd(m_dialog.Wnd(), NULL);
    m_engine->ResumeTest();
    ASSERT_TRUE(PostThreadMessage(m_engine->m_nThreadID, held[0].message, held[0].wParam, held[0].lParam));
    WPARAM result = 0;
    ASSERT_TRUE(m_dialog.WaitFor(WM_TEST_RESULT, &result, 30000, PumpClock));
    EXPECT_EQ(result, (WPARAM)RESULT_PASSED) << m_trace.Dump();

    // A stop for the run in progress still stops it.
    fake::Line().onCommand = [engine](const std::string& command) {
        if (command == "ATI9")
            engine->RequestStop();
    };
    EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), (WPARAM)RESULT_DRIVER_PROBLEM);
}

TEST_F(Thread, TheDialogKeepsTheEngineObjectWhenItsThreadEnds)
{
    EXPECT_FALSE(m_engine->m_bAutoDelete);
    // The thread's queue exists once the engine is made: a message posted
    // to it at once is kept.
    EXPECT_TRUE(PostThreadMessage(m_engine->m_nThreadID, WM_NULL, 0, 0));
}

TEST_F(Thread, AnIdleEngineWhoseWaitFailsDoesNotSpin)
{
    m_engine.reset();
    m_engine = std::make_unique<CStageProbe>(true);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    long before = m_engine->m_idleTurns;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    EXPECT_LT(m_engine->m_idleTurns - before, 50) << "idle turns in half a second";
    // It still sees a resume and runs.
    EXPECT_EQ(Resume(WM_DETECT_RESULT, m_dialog.Wnd()), (WPARAM)DETECT_FOUND);
}

TEST_F(Thread, AStartStageFailingWithoutAWindowPostsNothing)
{
    fake::Modem().deviceStatus = 0;
    Resume(WM_DETECT_RESULT, m_dialog.Wnd());
    m_engine->SetWnd(NULL, NULL);
    m_engine->ResumeTest();
    EXPECT_TRUE(Quiet(200));
    EXPECT_TRUE(m_trace.Has("[ERROR: m_Wnd == NULL, test aborted")) << m_trace.Dump();
    EXPECT_FALSE(m_trace.Has("Driver problem"));
    EXPECT_EQ(m_engine->StageNow(), STAGE_IDLE);

    fake::Modem().deviceStatus = 1;
    EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), (WPARAM)RESULT_PASSED);
}

TEST_F(Thread, ARunWithoutAWindowGoesIdleWithoutPosting)
{
    Resume(WM_DETECT_RESULT, m_dialog.Wnd());
    m_engine->SetWnd(NULL, NULL);
    m_engine->ResumeTest();
    // The wait ends as soon as the run has passed its last test; the
    // deadline only bounds a run that hangs (a loaded machine or Wine is slow).
    ASSERT_TRUE(m_dialog.WaitFor(WM_NULL, nullptr, 10000, [&] {
        PumpClock();
        if (m_trace.Has("Dial tone test passed"))
            m_dialog.Wnd()->PostMessage(WM_NULL);
    }));
    EXPECT_TRUE(m_dialog.Others().empty());
    EXPECT_EQ(Resume(WM_TEST_RESULT, m_dialog.Wnd()), (WPARAM)RESULT_PASSED);
}

struct LineCase {
    const char* name;
    std::string reply;
    int result;
    const char* trace;
};

class LineTest : public Thread, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LineTest, JudgesTheLoopCurrent)
{
    fake::Line().replies["AT|LC=2000"] = GetParam().reply;
    int result = STEP_WAIT;
    int calls = 0;
    while (result == STEP_WAIT && ++calls < 10000)
        result = m_engine->TestLine();
    EXPECT_EQ(result, GetParam().result);
    EXPECT_TRUE(m_trace.Has(GetParam().trace)) << m_trace.Dump();
    EXPECT_EQ(m_trace.Count("Line Test--Uses AT|LC=2000 command, timeout=4 seconds"), calls);
    EXPECT_FALSE(fake::LineOpen());
}

INSTANTIATE_TEST_SUITE_P(
    Thread, LineTest,
    ::testing::Values(
        LineCase{"Typical", Reply({"<LOOP CURRENT: 40>", "PASS", "OK"}), STEP_PASS, "Line Test passed"},
        LineCase{"Lowest", Reply({"<LOOP CURRENT: 20>", "PASS", "OK"}), STEP_PASS, "Line Test passed"},
        LineCase{"Highest", Reply({"<LOOP CURRENT: 65>", "PASS", "OK"}), STEP_PASS, "Line Test passed"},
        LineCase{"TooLow", Reply({"<LOOP CURRENT: 19>", "PASS", "OK"}), STEP_FAIL, "ERROR: Line Test failed"},
        LineCase{"TooHigh", Reply({"<LOOP CURRENT: 66>", "PASS", "OK"}), STEP_FAIL, "ERROR: Line Test failed"},
        LineCase{"NoNumber", Reply({"<LOOP CURRENT: >", "PASS", "OK"}), STEP_FAIL, "ERROR: Line Test failed"},
        LineCase{"NotPassed", Reply({"<LOOP CURRENT: 40>", "FAIL", "OK"}), STEP_FAIL,
                 "ERROR: Line Test RESULT_LINETEST_NOT_DETECTED"},
        LineCase{"Unsupported", Reply({"ERROR"}), STEP_FAIL, "ERROR: Line Test RESULT_LINETEST_NOT_DETECTED"},
        LineCase{"NoReply", "", STEP_FAIL, "ERROR: Line Test Aborted!"}),
    [](const ::testing::TestParamInfo<LineCase>& info) { return std::string(info.param.name); });

TEST_F(Thread, TheLineStageLeadsToTheDialToneTestOrToNoDialTone)
{
    m_engine->SetWnd(m_dialog.Wnd(), NULL);
    m_engine->ResumeAt(STAGE_LINE);
    WPARAM result = 0;
    ASSERT_TRUE(m_dialog.WaitFor(WM_TEST_RESULT, &result, 30000, PumpClock));
    EXPECT_EQ(result, (WPARAM)RESULT_PASSED);
    EXPECT_TRUE(m_trace.InOrder({"Line Test passed", "Line test passed", "Send AT Command = AT|DT=7000\r\n",
                                 "Dial tone test passed"}));

    fake::Line().replies["AT|LC=2000"] = Reply({"ERROR"});
    m_engine->ResumeAt(STAGE_LINE);
    ASSERT_TRUE(m_dialog.WaitFor(WM_TEST_RESULT, &result, 30000, PumpClock));
    EXPECT_EQ(result, (WPARAM)RESULT_NO_DIALTONE);
    EXPECT_TRUE(m_trace.Has("ERROR: Line test no dialtone"));
}

TEST_F(Thread, EndingAnIdleEngineJoinsItsThreadAndClosesTheLine)
{
    Resume(WM_DETECT_RESULT, m_dialog.Wnd());
    Resume(WM_TEST_RESULT, m_dialog.Wnd());
    HANDLE thread = NULL;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), m_engine->m_hThread, GetCurrentProcess(), &thread, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    m_engine.reset();
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0) << "the thread has ended";
    CloseHandle(thread);
    std::vector<std::string> lines = m_trace.Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], "Close TapiLine");
    EXPECT_EQ(lines.back(), "TapiLine closed");
}

TEST_F(Thread, EndingAnEngineInTheMiddleOfARunStopsItBetweenSteps)
{
    Resume(WM_DETECT_RESULT, m_dialog.Wnd());
    fake::Line().replies["ATI9"] = ""; // the run waits for a reply that never comes
    fake::Line().idleStepMs = 0;
    m_engine->SetWnd(m_dialog.Wnd(), NULL);
    m_engine->ResumeTest();
    ASSERT_FALSE(m_dialog.WaitFor(WM_TEST_RESULT, nullptr, 100));
    ASSERT_TRUE(m_trace.Has("Send AT Command = ATI9\r\n"));
    m_engine.reset();
    EXPECT_FALSE(fake::LineOpen());
    std::vector<std::string> lines = m_trace.Lines();
    EXPECT_EQ(lines.back(), "TapiLine closed");
    EXPECT_TRUE(m_dialog.Take().empty());
}

TEST_F(Thread, EndingAnEngineThatNeverRanLeavesNoThread)
{
    HANDLE thread = NULL;
    ASSERT_TRUE(DuplicateHandle(GetCurrentProcess(), m_engine->m_hThread, GetCurrentProcess(), &thread, 0, FALSE,
                                DUPLICATE_SAME_ACCESS));
    m_engine.reset();
    EXPECT_EQ(WaitForSingleObject(thread, 0), WAIT_OBJECT_0);
    CloseHandle(thread);
    EXPECT_EQ(m_trace.Lines(), (std::vector<std::string>{"Close TapiLine", "TapiLine closed"}));
}

} // namespace
