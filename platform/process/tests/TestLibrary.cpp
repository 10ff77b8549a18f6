// A library for the loader tests: a few exports, and an entry point that
// counts attaches, reports detaches and can refuse to load.
#include <win/modules.h>

#include <cstdlib>

namespace {
int g_attaches = 0;
int* g_detachFlag = nullptr;
HINSTANCE g_instance = nullptr;
} // namespace

extern "C" int TestValue()
{
    return 42;
}

extern "C" int AttachCount()
{
    return g_attaches;
}

extern "C" HINSTANCE AttachedInstance()
{
    return g_instance;
}

extern "C" void SetDetachFlag(int* flag)
{
    g_detachFlag = flag;
}

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        if (std::getenv("RAVLIN_TESTLIB_REFUSE"))
            return FALSE;
        ++g_attaches;
        g_instance = instance;
    } else if (reason == DLL_PROCESS_DETACH && g_detachFlag) {
        *g_detachFlag = 1;
    }
    return TRUE;
}
