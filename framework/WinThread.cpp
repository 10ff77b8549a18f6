#include <afx/WinThread.h>

IMPLEMENT_DYNAMIC(CWinThread, CCmdTarget)

BEGIN_MESSAGE_MAP(CWinThread, CCmdTarget)
END_MESSAGE_MAP()

namespace {
thread_local CWinThread* t_currentThread = nullptr;
}

CWinThread* AfxGetThread()
{
    return t_currentThread;
}

void AfxSetThread(CWinThread* pThread)
{
    t_currentThread = pThread;
}

CWinThread::CWinThread() = default;

CWinThread::~CWinThread()
{
    if (m_hThread)
        CloseHandle(m_hThread);
}

namespace {

// What the creating thread and the new one exchange while it starts.
struct Startup {
    CWinThread* thread;
    HANDLE queueReady; // set by the new thread once its message queue exists
    HANDLE proceed;    // set by the creator once the thread may run its code
};

} // namespace

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    // The thread starts held, so that m_hThread and m_nThreadID are filled
    // in before any of its code can read them. CreateThread returns once the
    // thread has its message queue, so that messages posted to it from then
    // on are kept; a thread asked for suspended is held after that.
    Startup startup = {this, ::CreateEventA(NULL, TRUE, FALSE, NULL), ::CreateEventA(NULL, TRUE, FALSE, NULL)};
    if (!startup.queueReady || !startup.proceed) {
        if (startup.queueReady)
            ::CloseHandle(startup.queueReady);
        if (startup.proceed)
            ::CloseHandle(startup.proceed);
        return FALSE;
    }
    DWORD id = 0;
    HANDLE thread = ::CreateThread(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, &startup,
                                   CREATE_SUSPENDED, &id);
    if (!thread) {
        ::CloseHandle(startup.queueReady);
        ::CloseHandle(startup.proceed);
        return FALSE;
    }
    m_hThread = thread;
    m_nThreadID = id;
    ::ResumeThread(thread);
    ::WaitForSingleObject(startup.queueReady, INFINITE);
    ::CloseHandle(startup.queueReady);
    if (dwCreateFlags & CREATE_SUSPENDED)
        ::SuspendThread(thread);
    ::SetEvent(startup.proceed); // the new thread closes it
    return TRUE;
}

DWORD WINAPI CWinThread::ThreadEntry(LPVOID pStartup)
{
    // The startup record lives on the creator's stack only until queueReady.
    auto* startup = static_cast<Startup*>(pStartup);
    CWinThread* thread = startup->thread;
    HANDLE proceed = startup->proceed;
    AfxSetThread(thread);
    MSG msg;
    ::PeekMessage(&msg, NULL, WM_USER, WM_USER, PM_NOREMOVE); // makes the thread's message queue
    ::SetEvent(startup->queueReady);
    ::WaitForSingleObject(proceed, INFINITE);
    ::CloseHandle(proceed);
    int code = thread->InitInstance() ? thread->Run() : thread->ExitInstance();
    AfxSetThread(nullptr);
    thread->Delete();
    return static_cast<DWORD>(code);
}

void CWinThread::Delete()
{
    if (m_bAutoDelete)
        delete this;
}

DWORD CWinThread::SuspendThread()
{
    return ::SuspendThread(m_hThread);
}

DWORD CWinThread::ResumeThread()
{
    return ::ResumeThread(m_hThread);
}

BOOL CWinThread::PostThreadMessage(UINT message, WPARAM wParam, LPARAM lParam)
{
    return ::PostThreadMessage(m_nThreadID, message, wParam, lParam);
}

BOOL CWinThread::InitInstance()
{
    return FALSE; // a thread class overrides this to start its loop
}

int CWinThread::ExitInstance()
{
    return static_cast<int>(m_msgCur.wParam); // the WM_QUIT code, 0 without one
}

BOOL CWinThread::OnIdle(LONG lCount)
{
    return lCount < 0; // no idle work of its own
}

BOOL CWinThread::IsIdleMessage(MSG* pMsg)
{
    return pMsg->message != WM_PAINT && pMsg->message != WM_TIMER;
}

int CWinThread::Run()
{
    BOOL bIdle = TRUE;
    LONG lIdleCount = 0;
    MSG peek;
    for (;;) {
        while (bIdle && !::PeekMessage(&peek, NULL, 0, 0, PM_NOREMOVE)) {
            if (!OnIdle(lIdleCount++))
                bIdle = FALSE;
        }
        do {
            if (!PumpMessage())
                return ExitInstance();
            if (IsIdleMessage(&m_msgCur)) {
                bIdle = TRUE;
                lIdleCount = 0;
            }
        } while (::PeekMessage(&peek, NULL, 0, 0, PM_NOREMOVE));
    }
}

BOOL CWinThread::PumpMessage()
{
    if (!::GetMessage(&m_msgCur, NULL, 0, 0))
        return FALSE;
    if (!PreTranslateMessage(&m_msgCur)) {
        ::TranslateMessage(&m_msgCur);
        ::DispatchMessage(&m_msgCur);
    }
    return TRUE;
}

BOOL CWinThread::PreTranslateMessage(MSG* pMsg)
{
    return pMsg->hwnd == NULL && DispatchThreadMessage(pMsg);
}

BOOL CWinThread::DispatchThreadMessage(MSG* pMsg)
{
    const AFX_MSGMAP_ENTRY* entry = FindMessageEntry(AfxSig_thread, pMsg->message, 0);
    if (!entry)
        return FALSE;
    entry->pfn(this, pMsg->wParam, pMsg->lParam);
    return TRUE;
}

BOOL AfxPumpMessage()
{
    if (CWinThread* thread = AfxGetThread())
        return thread->PumpMessage();
    MSG msg;
    if (!::GetMessage(&msg, NULL, 0, 0))
        return FALSE;
    ::TranslateMessage(&msg);
    ::DispatchMessage(&msg);
    return TRUE;
}
