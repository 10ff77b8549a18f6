// CRavlinApp: the program's application object. It hands a 32-bit process
// on 64-bit Windows over to the 64-bit build, and otherwise runs the main
// dialog modally (one Ravlin at a time: a second start shows the first
// and ends); the program ends when the dialog closes.
#pragma once

#include <afxwin.h>

class CRavlinApp : public CWinApp {
public:
    CRavlinApp();

    BOOL InitInstance() override;

    DECLARE_MESSAGE_MAP()
};

extern CRavlinApp theApp;
