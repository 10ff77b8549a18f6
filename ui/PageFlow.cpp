// The page flow: what each of the three page buttons does on each page.
#include "RavlinDlg.h"

#include "Trace.h"

void CRavlinDlg::NavigatePage(int nPage)
{
    m_nPage = nPage;
    CString strUrl = m_strHtmPath + PageFileName(nPage) + _T(".htm");
    Navigate(strUrl, 0, NULL, NULL, NULL, 0);
    TraceWrite(20, "Nevigate page %s", static_cast<LPCTSTR>(strUrl));
}

void CRavlinDlg::StartTest()
{
    NavigatePage(PAGE_PROGRESS);
    if (m_bTesting)
        return;
    m_bTesting = TRUE;
    if (!m_bDetectDone) {
        // The engine is still detecting and would ignore the resume; the run
        // starts when the detection result arrives.
        m_bStartPending = TRUE;
        return;
    }
    m_TestThread.SetWnd(this, NULL);
    TraceWrite(20, "Call StartTest()");
    m_TestThread.ResumeTest();
}

void CRavlinDlg::StartPendingTest()
{
    // A start stopped before detection ended never gets here (see
    // OnDetectResult).
    m_bStartPending = FALSE;
    m_TestThread.SetWnd(this, NULL);
    TraceWrite(20, "Call StartTest()");
    m_TestThread.ResumeTest();
}

HRESULT CRavlinDlg::OnButtonOK(IHTMLElement* /*pElement*/)
{
    switch (m_nPage) {
    case PAGE_START: StartTest(); break;
    case PAGE_ABOUT: NavigatePage(PAGE_START); break;
    case PAGE_CODE0: NavigatePage(PAGE_RES0); break;
    case PAGE_CODE1: NavigatePage(PAGE_RES1); break;
    case PAGE_CODE2: NavigatePage(PAGE_RES2); break;
    case PAGE_CODE3: NavigatePage(PAGE_RES3); break;
    case PAGE_START_FROM_RES4: NavigatePage(PAGE_RES4); break;
    case PAGE_RES0:
    case PAGE_RES1:
    case PAGE_RES2:
    case PAGE_RES3: NavigatePage(PAGE_START); break;
    case PAGE_STARTERR: NavigatePage(PAGE_RES3); break;
    default: OnOK(); break;
    }
    return S_OK;
}

HRESULT CRavlinDlg::OnButtonCancel(IHTMLElement* /*pElement*/)
{
    if (m_nPage == PAGE_PROGRESS) {
        m_bTesting = FALSE;
        TraceWrite(20, "Call StopTest()");
        m_TestThread.RequestStop();
        return S_OK;
    }
    OnCancel();
    return S_OK;
}

HRESULT CRavlinDlg::OnButtonSpecial(IHTMLElement* /*pElement*/)
{
    switch (m_nPage) {
    case PAGE_START: NavigatePage(PAGE_ABOUT); break;
    case PAGE_RES0: NavigatePage(PAGE_CODE0); break;
    case PAGE_RES1: NavigatePage(PAGE_RES3); break;
    case PAGE_RES2: NavigatePage(PAGE_CODE2); break;
    case PAGE_RES3: NavigatePage(PAGE_CODE3); break;
    case PAGE_RES4: NavigatePage(PAGE_START_FROM_RES4); break;
    case PAGE_STARTERR: NavigatePage(PAGE_RES3); break;
    default: OnOK(); break;
    }
    return S_OK;
}
