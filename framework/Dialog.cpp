#include <afx/Dialog.h>

#include <afx/WinThread.h>

IMPLEMENT_DYNAMIC(CDialog, CWnd)

BEGIN_MESSAGE_MAP(CDialog, CWnd)
    ON_COMMAND(IDOK, OnOK)
    ON_COMMAND(IDCANCEL, OnCancel)
END_MESSAGE_MAP()

namespace {
// How long the modal loop waits for a message before it calls OnModalIdle.
constexpr DWORD kModalIdleMs = 50;
} // namespace

CDialog::CDialog(UINT nIDTemplate, CWnd* pParentWnd)
    : m_nIDHelp(nIDTemplate), m_lpszTemplateName(MAKEINTRESOURCEA(nIDTemplate)), m_pParentWnd(pParentWnd)
{
}

CDialog::CDialog(LPCTSTR lpszTemplateName, CWnd* pParentWnd)
    : m_lpszTemplateName(lpszTemplateName), m_pParentWnd(pParentWnd)
{
}

INT_PTR CDialog::DoModal()
{
    if (!CreateDialogWindow(m_lpszTemplateName, m_pParentWnd ? m_pParentWnd->GetSafeHwnd() : NULL))
        return -1;
    m_bModalEnded = FALSE;
    m_nModalResult = -1;
    OnInitDialog();
    if (GetShowCmd() == SW_HIDE)
        ShowWindow(SW_SHOW); // dialogs are visible once initialised
    INT_PTR result = m_bModalEnded ? m_nModalResult : RunModalLoop();
    DestroyWindow();
    return result;
}

BOOL CDialog::OnInitDialog()
{
    UpdateData(FALSE);
    return TRUE;
}

INT_PTR CDialog::RunModalLoop()
{
    while (ContinueModal()) {
        MSG msg;
        if (!::PeekMessage(&msg, NULL, 0, 0, PM_REMOVE)) {
            if (::MsgWaitForMultipleObjects(0, NULL, FALSE, kModalIdleMs, QS_ALLINPUT) == WAIT_TIMEOUT)
                OnModalIdle();
            continue;
        }
        if (msg.message == WM_QUIT) {
            ::PostQuitMessage(static_cast<int>(msg.wParam)); // leave it for the outer loop
            return -1;
        }
        if (PreTranslateMessage(&msg))
            continue;
        CWinThread* thread = AfxGetThread();
        if (thread && thread->PreTranslateMessage(&msg))
            continue;
        ::TranslateMessage(&msg);
        ::DispatchMessage(&msg);
    }
    return m_nModalResult;
}

BOOL CDialog::ContinueModal()
{
    return !m_bModalEnded;
}

void CDialog::EndDialog(int nResult)
{
    m_nModalResult = nResult;
    m_bModalEnded = TRUE;
}

void CDialog::OnOK()
{
    if (!UpdateData(TRUE))
        return;
    EndDialog(IDOK);
}

void CDialog::OnCancel()
{
    EndDialog(IDCANCEL);
}

LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) {
        // A dialog's close box is its Cancel button.
        SendMessage(WM_COMMAND, IDCANCEL, 0);
        return 0;
    }
    return CWnd::DefWindowProc(message, wParam, lParam);
}
