// CWinApp: the application object. Exactly one global instance exists; the
// program's main() (plat_framework_main) loads the machine, then runs the
// object's InitInstance, and Run when InitInstance returns TRUE.
#pragma once

#include "afx/String.h"
#include "afx/WinThread.h"

class CWinApp : public CWinThread {
    DECLARE_DYNAMIC(CWinApp)

public:
    explicit CWinApp(LPCTSTR lpszAppName = NULL);
    ~CWinApp() override;

    BOOL InitInstance() override;
    int ExitInstance() override;
    // The main message loop; ends at once when there is no main window.
    int Run() override;

    // Names the per-user settings key. Nothing is stored under it.
    void SetRegistryKey(LPCTSTR lpszRegistryKey);

    // The executable's icon resource (LoadIconA of the resources family).
    HICON LoadIcon(UINT nIDResource) const;
    HICON LoadIcon(LPCTSTR lpszResourceName) const;

    afx_msg void OnHelp();

    LPCTSTR m_pszAppName = NULL;
    LPCTSTR m_pszRegistryKey = NULL;
    HINSTANCE m_hInstance = NULL;

    DECLARE_MESSAGE_MAP()

private:
    CString m_strAppName;
    CString m_strRegistryKey;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();
HINSTANCE AfxGetInstanceHandle();
HINSTANCE AfxGetResourceHandle();

// Runs the application object on the calling thread, which becomes its
// thread: InitInstance, then Run or ExitInstance. Returns the exit code.
int AfxWinMain(CWinApp* pApp);
