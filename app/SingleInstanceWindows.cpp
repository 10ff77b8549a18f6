#include "SingleInstance.h"

namespace {

const char kMutexName[] = "Local\\TarnRavlinInstance";
// The dialog manager's window class and the main dialog's caption.
const char kDialogClass[] = "#32770";
const char kDialogCaption[] = "Modem Diagnostic Tool";
constexpr DWORD kWindowWaitMs = 5000;
constexpr DWORD kPollMs = 100;

} // namespace

CSingleInstance::CSingleInstance()
{
    m_hMutex = CreateMutexA(NULL, FALSE, kMutexName);
    DWORD dwError = GetLastError();
    // A mutex of another user's Ravlin in this session cannot be opened
    // (access denied): that Ravlin runs all the same.
    if (m_hMutex ? dwError == ERROR_ALREADY_EXISTS : dwError == ERROR_ACCESS_DENIED)
        m_bFirst = FALSE;
}

CSingleInstance::~CSingleInstance()
{
    if (m_hMutex)
        CloseHandle(m_hMutex);
}

void CSingleInstance::BringRunningToFront()
{
    HWND hWnd = NULL;
    for (DWORD waited = 0; !hWnd && waited <= kWindowWaitMs; waited += kPollMs) {
        hWnd = FindWindowA(kDialogClass, kDialogCaption);
        if (!hWnd)
            Sleep(kPollMs);
    }
    if (!hWnd)
        return;
    DWORD dwProcessId = 0;
    GetWindowThreadProcessId(hWnd, &dwProcessId);
    AllowSetForegroundWindow(dwProcessId);
    if (IsIconic(hWnd))
        ShowWindow(hWnd, SW_RESTORE);
    SetForegroundWindow(hWnd);
}

void CSingleInstance::AllowForeground(DWORD dwProcessId)
{
    AllowSetForegroundWindow(dwProcessId);
}
