// Time, languages, the OS version and the debug channel, all answered from
// the current machine profile and the machine's clock.
#include "core/Clock.h"
#include "core/LastError.h"
#include "core/Machine.h"

#include <time.h>
#include <win/errors.h>
#include <win/kernel.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/resource.h>

namespace {

void fillSystemTime(const std::tm& tm, int milliseconds, LPSYSTEMTIME out)
{
    out->wYear = static_cast<WORD>(tm.tm_year + 1900);
    out->wMonth = static_cast<WORD>(tm.tm_mon + 1);
    out->wDayOfWeek = static_cast<WORD>(tm.tm_wday);
    out->wDay = static_cast<WORD>(tm.tm_mday);
    out->wHour = static_cast<WORD>(tm.tm_hour);
    out->wMinute = static_cast<WORD>(tm.tm_min);
    out->wSecond = static_cast<WORD>(tm.tm_sec);
    out->wMilliseconds = static_cast<WORD>(milliseconds);
}

const plat::Languages& languages()
{
    static const plat::Languages fallback;
    const plat::Machine* machine = plat::CurrentMachine();
    return machine ? machine->Langs() : fallback;
}

} // namespace

extern "C" void WINAPI GetLocalTime(LPSYSTEMTIME lpSystemTime)
{
    if (!lpSystemTime)
        return;
    plat::clock::LocalTime local = plat::clock::ToLocal(plat::clock::Now());
    fillSystemTime(local.tm, local.milliseconds, lpSystemTime);
}

extern "C" void WINAPI GetSystemTime(LPSYSTEMTIME lpSystemTime)
{
    if (!lpSystemTime)
        return;
    using namespace std::chrono;
    auto now = plat::clock::Now().time_since_epoch();
    auto secs = duration_cast<seconds>(now);
    std::time_t t = static_cast<std::time_t>(secs.count());
    std::tm tm{};
    gmtime_r(&t, &tm);
    fillSystemTime(tm, static_cast<int>(duration_cast<milliseconds>(now - secs).count()), lpSystemTime);
}

extern "C" DWORD WINAPI GetTickCount(void)
{
    using namespace std::chrono;
    return static_cast<DWORD>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

extern "C" __time64_t _time64(__time64_t* timer)
{
    using namespace std::chrono;
    __time64_t now = duration_cast<seconds>(plat::clock::Now().time_since_epoch()).count();
    if (timer)
        *timer = now;
    return now;
}

extern "C" LANGID WINAPI GetSystemDefaultLangID(void)
{
    return languages().systemDefault;
}

extern "C" LANGID WINAPI GetUserDefaultLangID(void)
{
    return languages().userDefault;
}

extern "C" LANGID WINAPI GetUserDefaultUILanguage(void)
{
    return languages().userUI;
}

extern "C" BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA lpVersionInformation)
{
    // OSVERSIONINFOA is 148 bytes; OSVERSIONINFOEXA adds 8 more.
    if (!lpVersionInformation)
        return plat::Fail(ERROR_INVALID_PARAMETER);
    DWORD size = lpVersionInformation->dwOSVersionInfoSize;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOA) + 8)
        return plat::Fail(ERROR_INSUFFICIENT_BUFFER);
    static const plat::OsVersion fallback;
    const plat::Machine* machine = plat::CurrentMachine();
    const plat::OsVersion& os = machine ? machine->Os() : fallback;
    lpVersionInformation->dwMajorVersion = os.major;
    lpVersionInformation->dwMinorVersion = os.minor;
    lpVersionInformation->dwBuildNumber = os.build;
    lpVersionInformation->dwPlatformId = os.platformId;
    std::memset(lpVersionInformation->szCSDVersion, 0, sizeof(lpVersionInformation->szCSDVersion));
    std::strncpy(lpVersionInformation->szCSDVersion, os.csd.c_str(), sizeof(lpVersionInformation->szCSDVersion) - 1);
    if (size > sizeof(OSVERSIONINFOA))
        std::memset(reinterpret_cast<char*>(lpVersionInformation) + sizeof(OSVERSIONINFOA), 0, 8);
    return TRUE;
}

extern "C" BOOL WINAPI GetProcessTimes(HANDLE hProcess, LPFILETIME lpCreationTime, LPFILETIME lpExitTime,
                                       LPFILETIME lpKernelTime, LPFILETIME lpUserTime)
{
    if (hProcess != GetCurrentProcess() || !lpCreationTime || !lpExitTime || !lpKernelTime || !lpUserTime)
        return plat::Fail(ERROR_INVALID_HANDLE);
    struct rusage usage;
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return plat::Fail(ERROR_GEN_FAILURE);
    auto toFileTime = [](const struct timeval& tv, LPFILETIME out) {
        uint64_t units = static_cast<uint64_t>(tv.tv_sec) * 10000000ull + static_cast<uint64_t>(tv.tv_usec) * 10ull;
        out->dwLowDateTime = static_cast<DWORD>(units);
        out->dwHighDateTime = static_cast<DWORD>(units >> 32);
    };
    toFileTime(usage.ru_stime, lpKernelTime);
    toFileTime(usage.ru_utime, lpUserTime);
    *lpCreationTime = FILETIME{0, 0};
    *lpExitTime = FILETIME{0, 0};
    return TRUE;
}

// The debug channel stays silent unless RAVLIN_DEBUG_OUTPUT names a
// destination: "stderr", or a file that receives the text appended.
extern "C" void WINAPI OutputDebugStringA(LPCSTR lpOutputString)
{
    static const char* destination = std::getenv("RAVLIN_DEBUG_OUTPUT");
    if (!destination || !*destination || !lpOutputString)
        return;
    static std::mutex mutex;
    std::lock_guard<std::mutex> lock(mutex);
    if (std::strcmp(destination, "stderr") == 0) {
        std::fputs(lpOutputString, stderr);
        return;
    }
    if (FILE* f = std::fopen(destination, "ab")) {
        std::fputs(lpOutputString, f);
        std::fclose(f);
    }
}

// A debugger listens when the debug channel has a destination.
extern "C" BOOL WINAPI IsDebuggerPresent(void)
{
    const char* destination = std::getenv("RAVLIN_DEBUG_OUTPUT");
    return destination && *destination ? TRUE : FALSE;
}
