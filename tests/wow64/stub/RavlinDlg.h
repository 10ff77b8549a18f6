// Stand-in for the main dialog in the 32-bit hand-over build. Debian offers
// no 32-bit build of the page server's HTTP library, so the 32-bit program
// is the real application object (CRavlinApp::InitInstance, its WOW64
// check and hand-over) with a dialog that ends at once when it is shown.
// On the 64-bit machines the hand-over is all a 32-bit build ever does.
#pragma once

#include <afxwin.h>

class CRavlinDlg : public CDialog {
public:
    explicit CRavlinDlg(CWnd* pParent = NULL) : CDialog(102u, pParent) {}
    INT_PTR DoModal() override { return IDCANCEL; }
};
