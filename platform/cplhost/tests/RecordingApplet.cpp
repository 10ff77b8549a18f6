// An applet library for the host tests. It writes every message it gets to
// the file named by RAVLIN_CPL_RECORD and offers two applets: the first
// answers CPL_NEWINQUIRE, the second only CPL_INQUIRE.
#include <cpl.h>
#include <win/modules.h>
#include <win/resources.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HINSTANCE g_instance = nullptr;

void record(UINT message, LPARAM lParam1, LPARAM lParam2)
{
    const char* path = std::getenv("RAVLIN_CPL_RECORD");
    if (!path)
        return;
    if (FILE* file = std::fopen(path, "a")) {
        bool pointer = message == CPL_NEWINQUIRE || message == CPL_INQUIRE;
        std::fprintf(file, "%u %ld %ld\n", message, static_cast<long>(lParam1), pointer ? 0L : static_cast<long>(lParam2));
        std::fclose(file);
    }
}

} // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        g_instance = instance;
    return TRUE;
}

extern "C" LONG APIENTRY CPlApplet(HWND, UINT message, LPARAM lParam1, LPARAM lParam2)
{
    record(message, lParam1, lParam2);
    switch (message) {
    case CPL_INIT:
        return 1;
    case CPL_GETCOUNT:
        return 2;
    case CPL_NEWINQUIRE:
        if (lParam1 == 0) {
            auto* info = reinterpret_cast<NEWCPLINFOA*>(lParam2);
            info->dwSize = sizeof(NEWCPLINFOA);
            info->lData = 77;
            info->hIcon = LoadIconA(g_instance, MAKEINTRESOURCEA(1));
            std::strcpy(info->szName, "Recorder");
            std::strcpy(info->szInfo, "Records messages");
        }
        return 0;
    case CPL_INQUIRE: {
        auto* info = reinterpret_cast<CPLINFO*>(lParam2);
        info->idIcon = 1;
        info->idName = 10;
        info->idInfo = 11;
        info->lData = 88;
        return 0;
    }
    default:
        return 0;
    }
}
