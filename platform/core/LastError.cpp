#include "core/LastError.h"

#include <win/errors.h>
#include <win/kernel.h>

namespace {
thread_local DWORD t_lastError = 0;
}

extern "C" DWORD WINAPI GetLastError(void)
{
    return t_lastError;
}

extern "C" void WINAPI SetLastError(DWORD dwErrCode)
{
    t_lastError = dwErrCode;
}

namespace plat {

BOOL Fail(DWORD error)
{
    t_lastError = error;
    return FALSE;
}

BOOL Finish(DWORD error)
{
    t_lastError = error;
    return error == ERROR_SUCCESS ? TRUE : FALSE;
}

} // namespace plat
