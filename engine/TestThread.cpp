// The engine's thread: its life, the dialog's operations, and the stage
// machine that OnIdle drives one step at a time.
#include "TestThread.h"

#include "Trace.h"

#include <string.h>

IMPLEMENT_DYNCREATE(CTestThread, CWinThread)

BEGIN_MESSAGE_MAP(CTestThread, CWinThread)
    ON_THREAD_MESSAGE(WM_STOP_TEST, OnStopTest)
END_MESSAGE_MAP()

namespace {

// The pause between two tries to open a line that did not open.
const DWORD kRetryPauseMs = 1000;
// How often an idle engine whose resume event could not be made looks at
// its stage.
const DWORD kIdlePollMs = 50;

HANDLE CreateWaitEvent(BOOL bManualReset)
{
    HANDLE hEvent = CreateEventA(NULL, bManualReset, FALSE, NULL);
    if (hEvent == NULL)
        TraceWrite(20, "ERROR: CreateEvent. Return code = %d", static_cast<int>(GetLastError()));
    return hEvent;
}

} // namespace

CTestThread::CTestThread() : CTestThread(START_LATER)
{
    StartThread();
}

CTestThread::CTestThread(StartLater)
    : m_nStage(STAGE_IDLE), m_Wnd(NULL), m_bAbort(0), m_nStep(0), m_bDetected(0), m_tMark(0), m_tOpenFailed(0), m_nSendPos(-1),
      m_nRespLen(0), m_bQuit(0), m_nRun(0)
{
    m_szResponse[0] = '\0';
    m_szNumber[0] = '\0';
    m_hResume = CreateWaitEvent(FALSE);
    m_hStopWait = CreateWaitEvent(FALSE);
    m_hQueueReady = CreateWaitEvent(TRUE);
    // The dialog owns this object: the framework must not delete it when
    // the thread ends.
    m_bAutoDelete = FALSE;
}

void CTestThread::StartThread()
{
    if (CreateThread(0, 0, NULL) && m_hQueueReady)
        WaitForSingleObject(m_hQueueReady, INFINITE);
    if (m_hQueueReady) {
        CloseHandle(m_hQueueReady);
        m_hQueueReady = NULL;
    }
}

CTestThread::~CTestThread()
{
    EndThread();
    if (m_hResume)
        CloseHandle(m_hResume);
    if (m_hStopWait)
        CloseHandle(m_hStopWait);
}

void CTestThread::EndThread()
{
    // The thread blocks only in the idle wait and in the pause between two
    // tries to open the line, never while it holds a lock; both waits are
    // woken here. A run in progress ends at its next idle turn, where the
    // thread sees m_bQuit and ends its own loop.
    if (m_hThread == NULL || InterlockedExchange(&m_bQuit, 1))
        return;
    if (m_hResume)
        SetEvent(m_hResume);
    if (m_hStopWait)
        SetEvent(m_hStopWait);
    WaitForSingleObject(m_hThread, INFINITE);
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
    m_tOpenFailed = 0;
    InterlockedIncrement(&m_nRun);
    if (m_hStopWait)
        ResetEvent(m_hStopWait); // a signal left by the last run's stop
    InterlockedExchange(&m_nStage, STAGE_START);
    if (m_hResume)
        SetEvent(m_hResume);
}

void CTestThread::RequestStop()
{
    if (Stage() == STAGE_IDLE)
        return;
    // The run may end before the thread takes the message: the run number
    // keeps the request from stopping the run after it.
    LONG nRun = InterlockedCompareExchange(&m_nRun, 0, 0);
    if (!PostThreadMessage(WM_STOP_TEST, static_cast<WPARAM>(nRun), 0)) {
        TraceWrite(20, "ERROR: PostThreadMessage. Return code = %d", static_cast<int>(GetLastError()));
        return;
    }
    if (m_hStopWait)
        SetEvent(m_hStopWait);
}

BOOL CTestThread::InitInstance()
{
    // The first look at the queue creates it; from then on messages posted
    // to the thread are kept.
    MSG msg;
    PeekMessage(&msg, NULL, 0, 0, PM_NOREMOVE);
    if (m_hQueueReady)
        SetEvent(m_hQueueReady);
    return TRUE;
}

int CTestThread::ExitInstance()
{
    return CWinThread::ExitInstance();
}

void CTestThread::OnStopTest(WPARAM wParam, LPARAM)
{
    // A stop that reaches the thread after its run has ended belongs to
    // that run, also when the next run has started meanwhile; while idle
    // the dialog owns m_bAbort and m_nRun.
    if (Stage() == STAGE_IDLE)
        return;
    if (static_cast<LONG>(wParam) == InterlockedCompareExchange(&m_nRun, 0, 0))
        m_bAbort = 1;
}

BOOL CTestThread::OnIdle(LONG)
{
    if (InterlockedCompareExchange(&m_bQuit, 0, 0)) {
        // The thread ends its own loop: no message from another thread is
        // needed for that.
        PostQuitMessage(0);
        return FALSE;
    }
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
    // Without a working event the stage is looked at now and then instead.
    if (m_hResume == NULL || WaitForSingleObject(m_hResume, INFINITE) == WAIT_FAILED)
        Sleep(kIdlePollMs);
}

void CTestThread::PauseBeforeRetry()
{
    // A stop request is queued before the event is set: the loop takes it
    // right after this wait, and the next try refuses to open.
    if (m_hStopWait == NULL || WaitForSingleObject(m_hStopWait, kRetryPauseMs) == WAIT_FAILED)
        Sleep(kIdlePollMs);
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
    m_tOpenFailed = 0;
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
    case STEP_PORT_BROKEN: // tried again at the next turn
        PauseBeforeRetry();
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
    case STEP_PORT_BUSY:
    case STEP_PORT_BROKEN: // tried again at the next turn
        PauseBeforeRetry();
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
    case STEP_PORT_BUSY:
    case STEP_PORT_BROKEN: // tried again at the next turn
        PauseBeforeRetry();
        break;
    default:
        break;
    }
}
