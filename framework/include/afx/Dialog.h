// CDialog: a modal dialog. DoModal creates the window, runs OnInitDialog
// and then pumps the calling thread's messages (thread messages included)
// until EndDialog; WM_CLOSE acts as Cancel. IDOK and IDCANCEL commands go to
// OnOK and OnCancel.
#pragma once

#include "afx/Wnd.h"

class CDialog : public CWnd {
    DECLARE_DYNAMIC(CDialog)

public:
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
    explicit CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd = NULL);

    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    void EndDialog(int nResult);

    // OK reads the window's data back into the members (UpdateData(TRUE))
    // and ends the dialog with IDOK; Cancel ends it with IDCANCEL.
    virtual void OnOK();
    virtual void OnCancel();

    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    UINT m_nIDHelp = 0;
    LPCTSTR m_lpszTemplateName = NULL;
    CWnd* m_pParentWnd = NULL;

protected:
    // Runs until EndDialog; returns the result (-1 when WM_QUIT arrived).
    virtual INT_PTR RunModalLoop();
    // Called by the modal loop whenever it has waited a little while
    // without a message.
    virtual void OnModalIdle() {}
    BOOL IsModalEnded() const { return m_bModalEnded; }
    INT_PTR GetModalResult() const { return m_nModalResult; }

    DECLARE_MESSAGE_MAP()

private:
    BOOL m_bModalEnded = FALSE;
    INT_PTR m_nModalResult = -1;
};
