// The process's kernel handle table. Every HANDLE that kernel32-style calls
// hand out (files, ports, events, threads, processes, find searches) names a
// KernelObject here. Handle values are never reused, so a stale handle fails
// with ERROR_INVALID_HANDLE instead of reaching a newer object.
#pragma once

#include <win/types.h>

#include <memory>

namespace plat {

class KernelObject {
public:
    virtual ~KernelObject() = default;

    // I/O on the object; the defaults fail with ERROR_INVALID_FUNCTION.
    virtual BOOL Read(void* buffer, DWORD size, DWORD* transferred, OVERLAPPED* overlapped);
    virtual BOOL Write(const void* buffer, DWORD size, DWORD* transferred, OVERLAPPED* overlapped);
    virtual BOOL OverlappedResult(OVERLAPPED* overlapped, DWORD* transferred, BOOL wait);
    // Which outstanding requests a cancel ends: those one thread issued
    // (CancelIo), all of them, or the one of an OVERLAPPED (CancelIoEx).
    struct CancelScope {
        DWORD thread = 0;                 // 0: every thread's
        const OVERLAPPED* only = nullptr; // null: every request
    };
    // Ends the outstanding requests in scope with ERROR_OPERATION_ABORTED;
    // returns how many it ended. Objects whose requests always complete at
    // once have none.
    virtual int CancelRequests(CancelScope) { return 0; }

    // Waitable objects (events, threads, processes) override these.
    virtual bool IsWaitable() const { return false; }
    // Waits up to `milliseconds` (INFINITE for no limit); true when signalled.
    virtual bool WaitSignalled(DWORD milliseconds);

    // Called when the last handle to the object is closed.
    virtual void OnClose() {}

private:
    friend struct HandleCount;
    int m_handleCount = 0; // guarded by the handle table's lock
};

namespace handles {

HANDLE Insert(std::shared_ptr<KernelObject> object);
// A second handle to the object of `handle` (DuplicateHandle); null when unknown.
HANDLE Duplicate(HANDLE handle);
std::shared_ptr<KernelObject> Get(HANDLE handle);
// Removes the handle; returns the object (null for an unknown handle).
// `lastHandle` tells whether no other handle refers to the object any more.
std::shared_ptr<KernelObject> Remove(HANDLE handle, bool* lastHandle = nullptr);

template <typename T>
std::shared_ptr<T> GetAs(HANDLE handle)
{
    return std::dynamic_pointer_cast<T>(Get(handle));
}

} // namespace handles
} // namespace plat
