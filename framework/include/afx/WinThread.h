// CWinThread: a thread with its own message queue and message loop. The
// loop calls OnIdle(count) again and again while the queue is empty and
// OnIdle returns TRUE; when it returns FALSE the loop waits for the next
// message. Thread messages (posted with PostThreadMessage, no window) go to
// the ON_THREAD_MESSAGE entries of the message map; WM_QUIT ends the loop.
#pragma once

#include "afx/MessageMap.h"

class CWnd;

class CWinThread : public CCmdTarget {
    DECLARE_DYNAMIC(CWinThread)

public:
    CWinThread();
    ~CWinThread() override; // closes the thread handle; the thread itself is not stopped
    CWinThread(const CWinThread&) = delete;
    CWinThread& operator=(const CWinThread&) = delete;

    // Starts the thread, which runs InitInstance and then Run (or
    // ExitInstance when InitInstance fails), and then Delete. Returns once
    // the thread has its message queue. CREATE_SUSPENDED holds it (before
    // InitInstance) until ResumeThread.
    BOOL CreateThread(DWORD dwCreateFlags = 0, UINT nStackSize = 0, LPSECURITY_ATTRIBUTES lpSecurityAttrs = NULL);
    DWORD SuspendThread();
    DWORD ResumeThread();
    BOOL PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam);

    virtual BOOL InitInstance();
    virtual int ExitInstance();
    virtual int Run();
    virtual BOOL OnIdle(LONG lCount);
    virtual BOOL PreTranslateMessage(MSG* pMsg);
    virtual BOOL PumpMessage();
    virtual BOOL IsIdleMessage(MSG* pMsg);
    virtual CWnd* GetMainWnd() { return m_pMainWnd; }
    // Called on the thread as it ends: deletes the object when m_bAutoDelete
    // is set. An object that is not on the heap, or that its creator deletes,
    // must clear m_bAutoDelete first.
    virtual void Delete();

    operator HANDLE() const { return m_hThread; }

    HANDLE m_hThread = NULL;
    DWORD m_nThreadID = 0;
    CWnd* m_pMainWnd = NULL;
    BOOL m_bAutoDelete = TRUE;
    MSG m_msgCur = {};

    DECLARE_MESSAGE_MAP()

private:
    static DWORD WINAPI ThreadEntry(LPVOID pThread);
    // Runs a thread message through the message map; FALSE when unmapped.
    BOOL DispatchThreadMessage(MSG* pMsg);
};

// The CWinThread object of the calling thread (the application object on
// the main thread), or NULL.
CWinThread* AfxGetThread();
void AfxSetThread(CWinThread* pThread);

// Retrieves and dispatches one message of the calling thread, waiting for
// it; FALSE on WM_QUIT.
BOOL AfxPumpMessage();
