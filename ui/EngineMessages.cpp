// The engine's two messages: the detection outcome and a run's verdict.
#include "RavlinDlg.h"

#include "Trace.h"

LRESULT CRavlinDlg::OnTestResult(WPARAM wParam, LPARAM /*lParam*/)
{
    if (!m_bTesting) {
        // Stopped by the user, or not started from the start page.
        NavigatePage(PAGE_START);
        return 0;
    }
    m_bTesting = FALSE;
    switch (wParam) {
    case RESULT_PASSED: NavigatePage(PAGE_RES0); break;
    case RESULT_NO_DIALTONE: NavigatePage(PAGE_RES1); break;
    case RESULT_DRIVER_PROBLEM: NavigatePage(PAGE_RES2); break;
    case RESULT_HARDWARE_PROBLEM:
    case RESULT_DIALING_FAILED: NavigatePage(PAGE_RES3); break;
    case RESULT_PORT_IN_USE: NavigatePage(PAGE_RES4); break;
    default: break;
    }
    return 0;
}

LRESULT CRavlinDlg::OnDetectResult(WPARAM wParam, LPARAM /*lParam*/)
{
    m_bDetectDone = TRUE;
    // A start clicked during detection keeps the progress page up. One
    // stopped before detection ended is dropped: the outcome's own page
    // replaces the progress page.
    BOOL bStartStopped = m_bStartPending && !m_bTesting;
    if (bStartStopped)
        m_bStartPending = FALSE;
    BOOL bKeepPage = m_bStartPending;
    switch (wParam) {
    case DETECT_FOUND: {
        const char* szName = m_TestThread.GetFriendlyName();
        const char* szVersion = m_TestThread.GetDriverVersion();
        const char* szCountry = m_TestThread.GetCountryName();
        m_strModemName = szName ? szName : "";
        m_strDriverVersion = szVersion ? szVersion : "";
        m_strCountry = szCountry ? szCountry : "";
        if (m_strCountry.IsEmpty())
            m_strCountry = _T("Generic");
        if (bStartStopped)
            NavigatePage(PAGE_START);
        break;
    }
    case DETECT_NO_HARDWARE:
        if (!bKeepPage)
            NavigatePage(PAGE_STARTERR);
        break;
    case DETECT_NO_DRIVER:
        m_strModemName = _T("Unknown");
        m_strDriverVersion = _T("No driver was detected");
        m_strCountry = _T("Unknown");
        if (!bKeepPage) {
            NavigatePage(PAGE_START);
            TraceWrite(20, "MDM_INIT_NO_DRIVER:::Nevigate page %sStart.htm", static_cast<LPCTSTR>(m_strHtmPath));
        }
        break;
    default: break;
    }
    TraceWrite(20, "Modem Name: %s", static_cast<LPCTSTR>(m_strModemName));
    TraceWrite(20, "Driver Version: %s", static_cast<LPCTSTR>(m_strDriverVersion));
    TraceWrite(20, "Country: %s", static_cast<LPCTSTR>(m_strCountry));
    UpdateData(FALSE);
    if (m_bStartPending)
        StartPendingTest();
    return 0;
}
