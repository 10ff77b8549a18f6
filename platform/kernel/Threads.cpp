#include "kernel/Threads.h"

#include "core/LastError.h"

#include <win/errors.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <memory>
#include <sstream>
#include <string>
#include <sys/syscall.h>
#include <thread>
#include <unistd.h>

namespace plat::threads {
namespace {

class ThreadObject : public Waitable {
public:
    ThreadObject() : Waitable(/*manualReset=*/true) {}

    DWORD id = 0;
    DWORD exitCode = STILL_ACTIVE;

    DWORD Suspend()
    {
        std::lock_guard<std::mutex> lock(m_suspendMutex);
        return m_suspendCount++;
    }

    DWORD Resume()
    {
        std::lock_guard<std::mutex> lock(m_suspendMutex);
        DWORD previous = m_suspendCount;
        if (m_suspendCount > 0 && --m_suspendCount == 0)
            m_resumed.notify_all();
        return previous;
    }

    void WaitWhileSuspended()
    {
        std::unique_lock<std::mutex> lock(m_suspendMutex);
        m_resumed.wait(lock, [this] { return m_suspendCount == 0; });
    }

private:
    std::mutex m_suspendMutex;
    std::condition_variable m_resumed;
    DWORD m_suspendCount = 0;
};

thread_local std::shared_ptr<ThreadObject> t_self;

DWORD currentTid()
{
    return static_cast<DWORD>(syscall(SYS_gettid));
}

// The calling thread's object; threads not made by CreateThread get one on
// first use.
std::shared_ptr<ThreadObject> self()
{
    if (!t_self) {
        t_self = std::make_shared<ThreadObject>();
        t_self->id = currentTid();
    }
    return t_self;
}

const HANDLE kCurrentThread = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-2));

std::shared_ptr<ThreadObject> threadOf(HANDLE handle)
{
    if (handle == kCurrentThread)
        return self();
    return handles::GetAs<ThreadObject>(handle);
}

} // namespace

void SuspensionPoint()
{
    if (t_self)
        t_self->WaitWhileSuspended();
}

bool IsThreadObject(const KernelObject* object)
{
    return dynamic_cast<const ThreadObject*>(object) != nullptr;
}

} // namespace plat::threads

using plat::threads::ThreadObject;

extern "C" HANDLE WINAPI CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE lpStartAddress,
                                      LPVOID lpParameter, DWORD dwCreationFlags, LPDWORD lpThreadId)
{
    if (!lpStartAddress) {
        plat::Fail(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto thread = std::make_shared<ThreadObject>();
    if (dwCreationFlags & CREATE_SUSPENDED)
        thread->Suspend();

    // The new thread tells its id through this; it is shared, not on this
    // stack, because the thread may still be inside notify_one when this
    // call has seen the id and returned.
    struct Started {
        std::mutex mutex;
        std::condition_variable cv;
        bool idKnown = false;
    };
    auto started = std::make_shared<Started>();
    try {
        std::thread([thread, lpStartAddress, lpParameter, started] {
            plat::threads::t_self = thread;
            {
                std::lock_guard<std::mutex> lock(started->mutex);
                thread->id = plat::threads::currentTid();
                started->idKnown = true;
            }
            started->cv.notify_one();
            thread->WaitWhileSuspended(); // CREATE_SUSPENDED
            DWORD code = lpStartAddress(lpParameter);
            thread->exitCode = code;
            thread->Signal();
            plat::threads::t_self.reset();
        }).detach();
    } catch (const std::system_error&) {
        plat::Fail(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    {
        std::unique_lock<std::mutex> lock(started->mutex);
        started->cv.wait(lock, [&] { return started->idKnown; });
    }
    if (lpThreadId)
        *lpThreadId = thread->id;
    return plat::handles::Insert(thread);
}

extern "C" DWORD WINAPI GetCurrentThreadId(void)
{
    return plat::threads::self()->id;
}

extern "C" HANDLE WINAPI GetCurrentThread(void)
{
    return plat::threads::kCurrentThread;
}

extern "C" HANDLE WINAPI GetCurrentProcess(void)
{
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

extern "C" DWORD WINAPI GetCurrentProcessId(void)
{
    return static_cast<DWORD>(getpid());
}

extern "C" DWORD WINAPI SuspendThread(HANDLE hThread)
{
    auto thread = plat::threads::threadOf(hThread);
    if (!thread) {
        plat::Fail(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    DWORD previous = thread->Suspend();
    if (thread == plat::threads::t_self)
        thread->WaitWhileSuspended();
    return previous;
}

extern "C" DWORD WINAPI ResumeThread(HANDLE hThread)
{
    auto thread = plat::threads::threadOf(hThread);
    if (!thread) {
        plat::Fail(ERROR_INVALID_HANDLE);
        return static_cast<DWORD>(-1);
    }
    return thread->Resume();
}

extern "C" BOOL WINAPI GetThreadTimes(HANDLE hThread, LPFILETIME lpCreationTime, LPFILETIME lpExitTime,
                                      LPFILETIME lpKernelTime, LPFILETIME lpUserTime)
{
    auto thread = plat::threads::threadOf(hThread);
    if (!thread || !lpCreationTime || !lpExitTime || !lpKernelTime || !lpUserTime)
        return plat::Fail(ERROR_INVALID_HANDLE);
    // utime and stime are fields 14 and 15 of the task's stat line, in clock ticks.
    std::ifstream stat("/proc/self/task/" + std::to_string(thread->id) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    size_t paren = text.rfind(')');
    if (paren == std::string::npos)
        return plat::Fail(ERROR_INVALID_HANDLE); // the thread has ended
    std::istringstream fields(text.substr(paren + 2));
    std::string field;
    uint64_t ticks[2] = {0, 0};
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14 || i == 15)
            ticks[i - 14] = std::strtoull(field.c_str(), nullptr, 10);
    }
    uint64_t unitsPerTick = 10000000ull / static_cast<uint64_t>(sysconf(_SC_CLK_TCK));
    auto put = [unitsPerTick](uint64_t t, LPFILETIME out) {
        uint64_t units = t * unitsPerTick;
        out->dwLowDateTime = static_cast<DWORD>(units);
        out->dwHighDateTime = static_cast<DWORD>(units >> 32);
    };
    put(ticks[0], lpUserTime);
    put(ticks[1], lpKernelTime);
    *lpCreationTime = FILETIME{0, 0};
    *lpExitTime = FILETIME{0, 0};
    return TRUE;
}

extern "C" BOOL WINAPI GetExitCodeThread(HANDLE hThread, LPDWORD lpExitCode)
{
    auto thread = plat::threads::threadOf(hThread);
    if (!thread || !lpExitCode)
        return plat::Fail(ERROR_INVALID_HANDLE);
    *lpExitCode = thread->IsSignalled() ? thread->exitCode : STILL_ACTIVE;
    return TRUE;
}
