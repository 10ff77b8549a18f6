// The Control Panel entry point of Quillset.
#include "AppletText.h"
#include "QuillsetApp.h"
#include "StartProgram.h"
#include "resource.h"

#include <cpl.h>

namespace {

// The applets of the library: one.
struct APPLETS {
    DWORD icon;
    DWORD namestring;
    DWORD descstring;
    DWORD helpstring;
};

const APPLETS g_applets[] = {
    {IDI_APPLET, IDS_APPLET_NAME, IDS_APPLET_DESC, IDS_APPLET_HELP},
};

void FillNewCplInfo(NEWCPLINFOA* pInfo)
{
    const APPLETS& applet = g_applets[0];
    HINSTANCE hInstance = theApp.m_hInstance;
    LANGID wLangID = static_cast<LANGID>(theApp.m_wLangID);

    pInfo->dwSize = sizeof(NEWCPLINFOA);
    pInfo->dwFlags = 0;
    pInfo->dwHelpContext = 0;
    pInfo->lData = 0;
    pInfo->hIcon = LoadIconA(hInstance, MAKEINTRESOURCEA(applet.icon));
    pInfo->szHelpFile[0] = '\0';
    LoadAppletText(hInstance, applet.namestring, wLangID, pInfo->szName, sizeof(pInfo->szName));
    LoadAppletText(hInstance, applet.descstring, wLangID, pInfo->szInfo, sizeof(pInfo->szInfo));
}

} // namespace

extern "C" LONG APIENTRY CPlApplet(HWND, UINT uMsg, LPARAM, LPARAM lParam2)
{
    switch (uMsg) {
    case CPL_INIT:
        theApp.InitLanguage();
        return 1;
    case CPL_GETCOUNT:
        return sizeof(g_applets) / sizeof(g_applets[0]);
    case CPL_NEWINQUIRE:
        if (lParam2)
            FillNewCplInfo(reinterpret_cast<NEWCPLINFOA*>(lParam2));
        return 0;
    case CPL_DBLCLK:
        StartDiagnosticProgram();
        return 0;
    case CPL_INQUIRE:
    case CPL_SELECT:
    case CPL_STOP:
    case CPL_EXIT:
    default:
        return 0;
    }
}
