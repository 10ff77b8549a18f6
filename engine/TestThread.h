// CTestThread: the modem test engine. A worker thread with its own message
// loop that detects the modem on its first run and, each time the dialog
// resumes it, runs the test stages one short step per idle turn and posts
// one verdict to the dialog. Between runs it waits, using no processor time.
#pragma once

#include <afxwin.h>
#include <time.h>

#include "ModemDevice.h"
#include "TapiLine.h"

// Messages between the dialog and the engine (lParam always 0).
#define WM_TEST_RESULT (WM_USER + 100)   // to the dialog: wParam = RESULT_*
#define WM_STOP_TEST (WM_USER + 101)     // to the engine's thread
#define WM_DETECT_RESULT (WM_USER + 102) // to the dialog: wParam = DETECT_*

// Verdicts of a test run (wParam of WM_TEST_RESULT).
#define RESULT_PASSED 0
#define RESULT_NO_DIALTONE 1
#define RESULT_DRIVER_PROBLEM 2
#define RESULT_HARDWARE_PROBLEM 3
#define RESULT_DIALING_FAILED 4
#define RESULT_PORT_IN_USE 5

// Outcomes of detection (wParam of WM_DETECT_RESULT).
#define DETECT_FOUND 1
#define DETECT_NO_HARDWARE 2
#define DETECT_NO_DRIVER 3

// Stages of a run (m_nStage).
#define STAGE_START 0
#define STAGE_CARD 1
#define STAGE_LINE 2
#define STAGE_DIALTONE 3
#define STAGE_DIALING 4
#define STAGE_IDLE 5

// Results of one step of a stage. OpenModem answers with the first four.
#define STEP_WAIT 0
#define STEP_FAIL 1
#define STEP_PORT_BUSY 2
#define STEP_PORT_BROKEN 3
#define STEP_DETECTED 4
#define STEP_PASS 5

// Results of one call of SendATCommand.
#define AT_WAIT 0
#define AT_FAIL 1
#define AT_DONE 5

class CTestThread : public CWinThread {
    DECLARE_DYNCREATE(CTestThread)

public:
    // Starts the thread at once; it waits idle until ResumeTest.
    CTestThread();
protected:
    // For a derived class: the thread makes virtual calls on the object, so
    // it may start (StartThread) only once the derived part is built.
    enum StartLater { START_LATER };
    explicit CTestThread(StartLater);
    void StartThread();

public:
    // Ends the thread (EndThread); then the line is closed.
    ~CTestThread() override;
    // Asks the thread to quit and waits for it. A class derived from this
    // one calls it in its own destructor: the thread makes virtual calls on
    // the object until it ends, so it must end before the object's type
    // changes back to this class. Later calls do nothing.
    void EndThread();

    // Where the messages go, and the number of the dialing test (null or
    // empty: no dialing test). Called right before ResumeTest.
    void SetWnd(CWnd* pWnd, const char* szNumber);
    // Starts a run (the first one is detection); ignored unless idle.
    void ResumeTest();
    // Asks the running stage to stop; ignored while idle. The request names
    // the run it was made for, so it never stops a later run.
    void RequestStop();

    const char* GetFriendlyName() { return m_Modem.GetFriendlyName(); }
    const char* GetCountryName() { return m_Modem.GetCountryName(); }
    // The stage the engine is in now (STAGE_START .. STAGE_IDLE), for the
    // progress page.
    LONG GetStage() { return Stage(); }
    const char* GetDriverVersion() { return m_Modem.GetDriverVersion(); }

    BOOL InitInstance() override;
    BOOL OnIdle(LONG lCount) override;
    int ExitInstance() override;

protected:
    afx_msg void OnStopTest(WPARAM wParam, LPARAM lParam);

    // One step of each stage; they answer STEP_*.
    int TestStart();
    int TestCard();
    int TestLine();
    int TestDialTone();
    int TestDialing();

    // Opens the line and places the call (szNumber null: passthrough call).
    // STEP_WAIT: open, m_nStep = nNextStep; STEP_FAIL: stop requested or
    // the call could not be placed; STEP_PORT_BUSY / STEP_PORT_BROKEN: the
    // line could not be opened (the latter: the port itself failed).
    int OpenModem(const char* szNumber, int nNextStep);
    // OpenModem's answer to a line without a message thread (LINEERR_NOMEM):
    // STEP_PORT_BUSY, then STEP_FAIL once ATZ's limit has passed.
    int LineWithoutResources();
    // One small step of an AT command exchange: AT_WAIT, AT_FAIL, AT_DONE.
    int SendATCommand(const char* szCommand, int nTimeout);

    // One step of the stage machine for each stage.
    void RunStartStep();
    void RunCardStep();
    void RunLineStep();
    void RunDialToneStep();
    void RunDialingStep();
    void WaitWhileIdle();
    // The pause before a stage tries again to open a line that did not
    // open: about a second, cut short by a stop request or the engine's end.
    void PauseBeforeRetry();

    // Ends a run (or detection): the stage goes idle first, so that a
    // ResumeTest answering the message is never ignored; then the trace
    // line before the message, the message (none when message is 0 or there
    // is no window), the trace line after it.
    void EndRun(UINT message, WPARAM wParam, const char* szBefore, const char* szAfter);
    // Moves the run on to another stage at its step 0.
    void NextStage(LONG nStage);
    LONG Stage() { return InterlockedCompareExchange(&m_nStage, 0, 0); }
    // Seconds since m_tMark on the machine's calendar clock.
    __time64_t SecondsSinceMark() { return _time64(NULL) - m_tMark; }

    volatile LONG m_nStage; // read by the dialog's thread, hence interlocked
    CWnd* m_Wnd;
    BOOL m_bAbort;
    int m_nStep;
    BOOL m_bDetected;
    CModemDevice m_Modem;
    CTapiLine m_Line;
    __time64_t m_tMark;
    __time64_t m_tOpenFailed; // first failed open for want of resources; 0: none
    int m_nSendPos;
    int m_nRespLen;
    char m_szResponse[1024];
    char m_szNumber[128];

    // Auto-reset: set by ResumeTest after it has set the stage, and by the
    // destructor; the idle step waits on it.
    HANDLE m_hResume;
    // Auto-reset: set by RequestStop and the destructor; the pause between
    // two tries to open the line waits on it.
    HANDLE m_hStopWait;
    // Set by InitInstance once the thread's message queue exists; the
    // constructor waits for it, so nothing is posted to a thread without one.
    HANDLE m_hQueueReady;
    volatile LONG m_bQuit;
    // Number of the current (or last) run, counted by ResumeTest; a stop
    // request carries it as wParam.
    volatile LONG m_nRun;

    DECLARE_MESSAGE_MAP()
};
