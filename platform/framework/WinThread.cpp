#include <afx/WinThread.h>

#include "framework/MessageQueue.h"

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

BOOL CWinThread::CreateThread(DWORD dwCreateFlags, UINT nStackSize, LPSECURITY_ATTRIBUTES lpSecurityAttrs)
{
    // The thread starts held, so that m_hThread and m_nThreadID are filled
    // in before any of its code can read them.
    DWORD id = 0;
    HANDLE thread = ::CreateThread(lpSecurityAttrs, nStackSize, &CWinThread::ThreadEntry, this,
                                   dwCreateFlags | CREATE_SUSPENDED, &id);
    if (!thread)
        return FALSE;
    m_hThread = thread;
    m_nThreadID = id;
    if (!(dwCreateFlags & CREATE_SUSPENDED))
        ::ResumeThread(thread);
    return TRUE;
}

DWORD WINAPI CWinThread::ThreadEntry(LPVOID pThread)
{
    auto* thread = static_cast<CWinThread*>(pThread);
    AfxSetThread(thread);
    plat::ui::CurrentQueue(); // the queue exists before InitInstance runs
    int code = thread->InitInstance() ? thread->Run() : thread->ExitInstance();
    AfxSetThread(nullptr);
    return static_cast<DWORD>(code);
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
