// The system's code reads the time through the import table: GetLocalTime
// (kernel32) and _time64 (the C runtime) are called through their __imp_
// pointers. A suite linked with this file gets these pointers from here
// instead of from the import libraries, and so sees the test clock.
#include "core/Clock.h"

#include <windows.h>

#include <time.h>

namespace {

void WINAPI testGetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    plat::clock::LocalTime local = plat::clock::ToLocal(plat::clock::Now());
    lpSystemTime->wYear = static_cast<WORD>(local.tm.tm_year + 1900);
    lpSystemTime->wMonth = static_cast<WORD>(local.tm.tm_mon + 1);
    lpSystemTime->wDayOfWeek = static_cast<WORD>(local.tm.tm_wday);
    lpSystemTime->wDay = static_cast<WORD>(local.tm.tm_mday);
    lpSystemTime->wHour = static_cast<WORD>(local.tm.tm_hour);
    lpSystemTime->wMinute = static_cast<WORD>(local.tm.tm_min);
    lpSystemTime->wSecond = static_cast<WORD>(local.tm.tm_sec);
    lpSystemTime->wMilliseconds = static_cast<WORD>(local.milliseconds);
}

__time64_t __cdecl testTime64(__time64_t* pTime)
{
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(plat::clock::Now().time_since_epoch());
    __time64_t now = static_cast<__time64_t>(seconds.count());
    if (pTime)
        *pTime = now;
    return now;
}

} // namespace

extern "C" {
void(WINAPI* __imp_GetLocalTime)(LPSYSTEMTIME) = &testGetLocalTime;
__time64_t(__cdecl* __imp__time64)(__time64_t*) = &testTime64;
}
