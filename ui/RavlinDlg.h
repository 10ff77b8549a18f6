// CRavlinDlg: the program's only window. It shows one HTML page at a time
// from the page folder, fills in the modem's texts, reacts to the pages'
// three buttons, starts and stops the test engine, and turns the engine's
// messages into the next page.
#pragma once

#include "Pages.h"
#include "TestThread.h"

#include <afxdhtml.h>

class CRavlinDlg : public CDHtmlDialog {
public:
    explicit CRavlinDlg(CWnd* pParent = NULL);
    ~CRavlinDlg() override;

    enum { IDD = 102 };

    HRESULT OnButtonOK(IHTMLElement* pElement);
    HRESULT OnButtonCancel(IHTMLElement* pElement);
    HRESULT OnButtonSpecial(IHTMLElement* pElement);

    // Shows the page: m_nPage = nPage, then the browser goes to its file.
    void NavigatePage(int nPage);

    afx_msg LRESULT OnTestResult(WPARAM wParam, LPARAM lParam);
    afx_msg LRESULT OnDetectResult(WPARAM wParam, LPARAM lParam);

    CString m_strModemName;
    CString m_strDriverVersion;
    CString m_strCountry;
    CString m_strSwVersion;
    CString m_strReleaseDate;
    int m_nPage;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    // The framework's notes on how the pages are shown go to the trace.
    void OnPageHostNote(LPCTSTR szNote) override;
    // Asked by the modal loop before each message and after each short idle
    // wait; on the progress page it also shows the engine's stage.
    BOOL ContinueModal() override;
    // Puts the engine's current stage into the progress page's "testStage"
    // element (a page without one shows nothing of it).
    void ShowTestStage();

    // Chooses the language folder below m_strHtmPath.
    void SetHtmPath();
    void StartTest();
    // Hands a start that was clicked while detection ran to the engine.
    void StartPendingTest();

    HICON m_hIcon;
    CString m_strHtmPath;

public:
    CTestThread m_TestThread;

protected:
    BOOL m_bTesting;
    // Detection has reported; until then a start click only waits.
    BOOL m_bDetectDone;
    // ButtonOK was clicked on the start page while detection still ran: the
    // run starts as soon as the detection result has been shown.
    BOOL m_bStartPending;

    DECLARE_MESSAGE_MAP()
    DECLARE_DHTML_EVENT_MAP()
};
