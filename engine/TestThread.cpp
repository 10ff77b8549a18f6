// The engine's thread: its life, the dialog's operations, and the stage
// machine that OnIdle drives one step at a time.
#include "TestThread.h"

#include "Trace.h"

#include <string.h>

IMPLEMENT_DYNCREATE(CTestThread, CWinThread)

BEGIN_MESSAGE_MAP(CTestThread, CWinThread)
    ON_THREAD_MESSAGE(WM_STOP_TEST, OnStopTest)
END_MESSAGE_MAP()

CTestThread::CTestThread()
    : m_nStage(STAGE_IDLE), m_Wnd(NULL), m_bAbort(0), m_nStep(0), m_bDetected(0), m_tMark(0), m_nSendPos(-1),
      m_nRespLen(0), m_bQuit(0)
{
    m_szResponse[0] = '\0';
    m_szNumber[0] = '\0';
    m_hResume = CreateEventA(NULL, FALSE, FALSE, NULL);
    CreateThread(0, 0, NULL);
}

CTestThread::~CTestThread()
{
    // The thread only ever blocks in the idle wait, never inside a step, so
    // it holds no lock when it is asked to quit; a run in progress ends at
    // its next idle turn, when the loop sees WM_QUIT.
    if (m_hThread) {
        InterlockedExchange(&m_bQuit, 1);
        PostThreadMessage(WM_QUIT, 0, 0);
        SetEvent(m_hResume);
        WaitForSingleObject(m_hThread, INFINITE);
    }
    if (m_hResume)
        CloseHandle(m_hResume);
}

void CTestThread::SetWnd(CWnd* pWnd, const char* szNumber)
{
    m_Wnd = pWnd;
    if (szNumber) {
        strncpy(m_szNumber, szNumber, sizeof(m_szNumber) - 1);
        m_szNumber[sizeof(m_szNumber) - 1] = '\0';
    } else {
        m_szNumber[0] = '\0';
    }
}

void CTestThread::ResumeTest()
{
    if (Stage() != STAGE_IDLE)
        return;
    // The thread touches nothing while idle; the interlocked write of the
    // stage publishes these, and the event wakes the idle wait. A signal
    // that arrives before the thread waits stays set, so it is never lost.
    m_bAbort = 0;
    m_nStep = 0;
    InterlockedExchange(&m_nStage, STAGE_START);
    SetEvent(m_hResume);
}

void CTestThread::RequestStop()
{
    if (Stage() != STAGE_IDLE)
        PostThreadMessage(WM_STOP_TEST, 0, 0);
}

BOOL CTestThread::InitInstance()
{
    return TRUE;
}

int CTestThread::ExitInstance()
{
    return CWinThread::ExitInstance();
}

void CTestThread::OnStopTest(WPARAM, LPARAM)
{
    // A stop that reaches the thread after its run has ended belongs to
    // that run; while idle the dialog owns m_bAbort.
    if (Stage() != STAGE_IDLE)
        m_bAbort = 1;
}

BOOL CTestThread::OnIdle(LONG)
{
    if (InterlockedCompareExchange(&m_bQuit, 0, 0))
        return FALSE; // WM_QUIT is queued: let the loop take it
    switch (Stage()) {
    case STAGE_START:
        RunStartStep();
        break;
    case STAGE_CARD:
        RunCardStep();
        break;
    case STAGE_LINE:
        RunLineStep();
        break;
    case STAGE_DIALTONE:
        RunDialToneStep();
        break;
    case STAGE_DIALING:
        RunDialingStep();
        break;
    case STAGE_IDLE:
        WaitWhileIdle();
        break;
    }
    return TRUE;
}

void CTestThread::WaitWhileIdle()
{
    // Returns when ResumeTest has set a stage or the destructor asks the
    // thread to quit. A signal left over from a resume that came before
    // this wait only makes the next idle turn look at the stage again.
    WaitForSingleObject(m_hResume, INFINITE);
}

void CTestThread::EndRun(UINT message, WPARAM wParam, const char* szBefore, const char* szAfter)
{
    // Everything the dialog may change once the stage is idle is read
    // before: only the trace and the message come after.
    HWND hWnd = m_Wnd ? m_Wnd->m_hWnd : NULL;
    InterlockedExchange(&m_nStage, STAGE_IDLE);
    if (szBefore)
        TraceWrite(20, "%s", szBefore);
    if (message && hWnd)
        ::PostMessage(hWnd, message, wParam, 0);
    if (szAfter)
        TraceWrite(20, "%s", szAfter);
}

void CTestThread::NextStage(LONG nStage)
{
    m_nStep = 0;
    InterlockedExchange(&m_nStage, nStage);
}

void CTestThread::RunStartStep()
{
    const char* szNoWnd = "[ERROR: m_Wnd == NULL, test aborted";
    switch (TestStart()) {
    case STEP_FAIL:
        if (!m_Wnd)
            EndRun(0, 0, szNoWnd, NULL);
        else if (m_Modem.m_bHardwareFound)
            EndRun(WM_TEST_RESULT, RESULT_DRIVER_PROBLEM, "Driver problem", NULL);
        else
            EndRun(WM_TEST_RESULT, RESULT_HARDWARE_PROBLEM, NULL, "Hardware problem");
        break;
    case STEP_PORT_BUSY:
        if (!m_Wnd)
            EndRun(0, 0, szNoWnd, NULL);
        else
            EndRun(WM_TEST_RESULT, RESULT_PORT_IN_USE, "[ERROR: DetectStatusProblem-->Port already openned", NULL);
        break;
    case STEP_PORT_BROKEN:
        if (!m_Wnd)
            EndRun(0, 0, szNoWnd, NULL);
        else
            EndRun(WM_TEST_RESULT, RESULT_HARDWARE_PROBLEM, NULL, "[ERROR: Can not open port because hardware failure");
        break;
    case STEP_PASS:
        TraceWrite(20, "Starting passed");
        NextStage(STAGE_CARD);
        break;
    default: // STEP_WAIT; after detection (STEP_DETECTED too) the stage is already idle
        break;
    }
}

void CTestThread::RunCardStep()
{
    switch (TestCard()) {
    case STEP_FAIL:
        EndRun(WM_TEST_RESULT, RESULT_HARDWARE_PROBLEM, "ERROR: Card test failed [Hardware]", NULL);
        break;
    case STEP_PORT_BUSY:
        EndRun(WM_TEST_RESULT, RESULT_PORT_IN_USE, "[ERROR: No reponse to ATZ in Card Test-->Port already openned", NULL);
        break;
    case STEP_PASS:
        // Straight on to the dial tone test: the line test is not part of a
        // run (see TestLine.cpp).
        NextStage(STAGE_DIALTONE);
        TraceWrite(20, "Card test passed");
        break;
    default:
        break;
    }
}

void CTestThread::RunLineStep()
{
    switch (TestLine()) {
    case STEP_FAIL:
        EndRun(WM_TEST_RESULT, RESULT_NO_DIALTONE, NULL, "ERROR: Line test no dialtone");
        break;
    case STEP_PASS:
        TraceWrite(20, "Line test passed");
        NextStage(STAGE_DIALTONE);
        break;
    default:
        break;
    }
}

void CTestThread::RunDialToneStep()
{
    switch (TestDialTone()) {
    case STEP_FAIL:
        EndRun(WM_TEST_RESULT, RESULT_NO_DIALTONE, NULL, "ERROR: Dial tone test failed [NO Dialtone]");
        break;
    case STEP_PASS:
        if (m_szNumber[0] == '\0')
            EndRun(WM_TEST_RESULT, RESULT_PASSED, NULL, "Dial tone test passed");
        else
            NextStage(STAGE_DIALING);
        break;
    default:
        break;
    }
}

void CTestThread::RunDialingStep()
{
    switch (TestDialing()) {
    case STEP_FAIL:
        EndRun(WM_TEST_RESULT, RESULT_DIALING_FAILED, NULL, "ERROR: Dialing test failed [TEST_RESULT_CONNECT]");
        break;
    case STEP_PASS:
        EndRun(WM_TEST_RESULT, RESULT_PASSED, NULL, "Dialing test passed");
        break;
    default:
        break;
    }
}
