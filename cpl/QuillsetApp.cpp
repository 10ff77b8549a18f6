#include "QuillsetApp.h"

BEGIN_MESSAGE_MAP(CQuillsetApp, CWinApp)
END_MESSAGE_MAP()

CQuillsetApp theApp;

CQuillsetApp::CQuillsetApp() : CWinApp(NULL), m_wLangID(0) {}

void CQuillsetApp::InitLanguage()
{
    LANGID wLangID = GetUserDefaultUILanguage();
    if (wLangID == 0)
        wLangID = GetUserDefaultLangID();

    WORD wPrimary = PRIMARYLANGID(wLangID);
    WORD wSub = SUBLANGID(wLangID);
    if (wSub != SUBLANG_DEFAULT && !(wPrimary == LANG_CHINESE && wSub == SUBLANG_CHINESE_SIMPLIFIED))
        wSub = SUBLANG_DEFAULT;
    m_wLangID = MAKELANGID(wPrimary, wSub);
}
