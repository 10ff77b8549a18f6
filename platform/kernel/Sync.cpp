// Events, waits, interlocked operations and Sleep.
#include "kernel/Threads.h"
#include "kernel/Waitable.h"

#include "core/LastError.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <atomic>
#include <chrono>
#include <thread>

using plat::Waitable;

extern "C" HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES, BOOL bManualReset, BOOL bInitialState, LPCSTR lpName)
{
    if (lpName && *lpName) {
        // Named events are shared between processes on Windows; nothing here needs them.
        plat::Fail(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    SetLastError(ERROR_SUCCESS);
    return plat::handles::Insert(std::make_shared<Waitable>(bManualReset != FALSE, bInitialState != FALSE));
}

extern "C" BOOL WINAPI SetEvent(HANDLE hEvent)
{
    auto event = plat::handles::GetAs<Waitable>(hEvent);
    if (!event || plat::threads::IsThreadObject(event.get()))
        return plat::Fail(ERROR_INVALID_HANDLE);
    event->Signal();
    return TRUE;
}

extern "C" BOOL WINAPI ResetEvent(HANDLE hEvent)
{
    auto event = plat::handles::GetAs<Waitable>(hEvent);
    if (!event || plat::threads::IsThreadObject(event.get()))
        return plat::Fail(ERROR_INVALID_HANDLE);
    event->Reset();
    return TRUE;
}

extern "C" DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    std::shared_ptr<plat::KernelObject> object = plat::handles::Get(hHandle);
    if (!object || !object->IsWaitable()) {
        plat::Fail(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    plat::threads::SuspensionPoint();
    bool signalled = object->WaitSignalled(dwMilliseconds);
    plat::threads::SuspensionPoint(); // a thread suspended during its wait stays held when the wait ends
    return signalled ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
}

extern "C" void WINAPI Sleep(DWORD dwMilliseconds)
{
    plat::threads::SuspensionPoint();
    if (dwMilliseconds == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

static_assert(sizeof(std::atomic<LONG>) == sizeof(LONG), "interlocked operations work on plain LONGs");

extern "C" LONG WINAPI InterlockedCompareExchange(LONG volatile* Destination, LONG Exchange, LONG Comparand)
{
    return __sync_val_compare_and_swap(Destination, Comparand, Exchange);
}

extern "C" LONG WINAPI InterlockedExchange(LONG volatile* Target, LONG Value)
{
    return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}

extern "C" LONG WINAPI InterlockedIncrement(LONG volatile* Addend)
{
    return __atomic_add_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}

extern "C" LONG WINAPI InterlockedDecrement(LONG volatile* Addend)
{
    return __atomic_sub_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}
