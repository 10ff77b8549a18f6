#include "RavlinApp.h"

#include "RavlinDlg.h"
#include "SingleInstance.h"

#include <commctrl.h>

#include <cstring>
#include <memory>

BEGIN_MESSAGE_MAP(CRavlinApp, CWinApp)
    ON_COMMAND(ID_HELP, CWinApp::OnHelp)
END_MESSAGE_MAP()

CRavlinApp::CRavlinApp() = default;

CRavlinApp theApp;

namespace {

// True for a 32-bit process on 64-bit Windows. IsWow64Process is looked up
// at run time, as older systems do not have it.
BOOL IsUnderWow64()
{
    typedef BOOL(WINAPI * IsWow64ProcessFn)(HANDLE, PBOOL);
    HMODULE hKernel = GetModuleHandleA("kernel32");
    IsWow64ProcessFn pfnIsWow64 =
        hKernel ? reinterpret_cast<IsWow64ProcessFn>(
                      reinterpret_cast<void (*)(void)>(GetProcAddress(hKernel, "IsWow64Process")))
                : NULL;
    BOOL bWow64 = FALSE;
    if (pfnIsWow64 && !pfnIsWow64(GetCurrentProcess(), &bWow64))
        bWow64 = FALSE;
    return bWow64;
}

// Starts "ravlin64.exe" from this executable's folder; nothing is waited
// for and nothing is reported.
void StartSixtyFourBitBuild()
{
    char szPath[MAX_PATH + 16];
    DWORD nLength = GetModuleFileNameA(NULL, szPath, MAX_PATH);
    if (nLength >= MAX_PATH)
        nLength = MAX_PATH - 1;
    szPath[nLength] = '\0';
    char* pCut = szPath;
    for (char* p = szPath; *p; ++p)
        if (*p == '\\' || *p == '/')
            pCut = p + 1;
    std::strcpy(pCut, "ravlin64.exe");

    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof(startup));
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof(process));
    if (CreateProcessA(szPath, NULL, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process)) {
        // The child's window may come to the front, as this program's would
        // have (it is still starting: it has no window yet).
        CSingleInstance::AllowForeground(process.dwProcessId);
        // The child runs on its own; its handles are not needed here.
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
    }
}

} // namespace

BOOL CRavlinApp::InitInstance()
{
    if (IsUnderWow64()) {
        StartSixtyFourBitBuild();
        return FALSE;
    }

    // One Ravlin at a time: a second start shows the running one and ends
    // before it opens the trace or the modem.
    CSingleInstance instance;
    if (!instance.IsFirst()) {
        CSingleInstance::BringRunningToFront();
        return FALSE;
    }

    InitCommonControls();
    CWinApp::InitInstance();
    SetRegistryKey(_T("Local AppWizard-Generated Applications"));

    std::unique_ptr<CRavlinDlg> pDlg(new CRavlinDlg(NULL));
    m_pMainWnd = pDlg.get();
    pDlg->DoModal();
    m_pMainWnd = NULL;
    pDlg.reset();
    return FALSE;
}
