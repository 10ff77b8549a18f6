#include "RavlinDlg.h"

#include <stdio.h>
#include <string.h>

// The progress page lists the checks of a run; its element "testStage"
// holds the number of the stage the engine is in (STAGE_START ..
// STAGE_IDLE), and the page marks the checks before it as done and the
// ones of that stage as running.
static const char kStageElement[] = "testStage";

BOOL CRavlinDlg::ContinueModal()
{
    if (m_nPage == PAGE_PROGRESS)
        ShowTestStage();
    return CDHtmlDialog::ContinueModal();
}

void CRavlinDlg::ShowTestStage()
{
    CString shown;
    if (!GetElementText(kStageElement, shown))
        return; // not on this page, or the page is still loading
    char text[16];
    snprintf(text, sizeof(text), "%ld", (long)m_TestThread.GetStage());
    if (strcmp((LPCTSTR)shown, text) != 0)
        SetElementText(kStageElement, text);
}
