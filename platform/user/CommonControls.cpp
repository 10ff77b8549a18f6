#include <commctrl.h>

extern "C" void WINAPI InitCommonControls(void)
{
}

extern "C" BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce)
{
    return picce && picce->dwSize == sizeof(INITCOMMONCONTROLSEX);
}
