// The library's entry point, as the framework's DLL start-up provides it on
// Windows: it gives the application object its module, the source of the
// applet's strings and icon. LoadLibraryA calls it on the first load.
#include "QuillsetApp.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE hInstance, DWORD dwReason, LPVOID)
{
    if (dwReason == DLL_PROCESS_ATTACH)
        theApp.m_hInstance = hInstance;
    return TRUE;
}
