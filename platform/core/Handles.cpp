#include "core/Handles.h"

#include "core/LastError.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <mutex>
#include <unordered_map>

namespace plat {

BOOL KernelObject::Read(void*, DWORD, DWORD*, OVERLAPPED*)
{
    return Fail(ERROR_INVALID_FUNCTION);
}

BOOL KernelObject::Write(const void*, DWORD, DWORD*, OVERLAPPED*)
{
    return Fail(ERROR_INVALID_FUNCTION);
}

BOOL KernelObject::OverlappedResult(OVERLAPPED*, DWORD*, BOOL)
{
    return Fail(ERROR_INVALID_FUNCTION);
}

bool KernelObject::WaitSignalled(DWORD)
{
    return false;
}

struct HandleCount {
    static int& Of(KernelObject& object) { return object.m_handleCount; }
};

namespace handles {
namespace {

struct Table {
    std::mutex mutex;
    std::unordered_map<uintptr_t, std::shared_ptr<KernelObject>> objects;
    uintptr_t next = 0x100;
};

Table& table()
{
    static Table* t = new Table; // lives until exit: objects may be closed by exit handlers
    return *t;
}

} // namespace

HANDLE Insert(std::shared_ptr<KernelObject> object)
{
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    uintptr_t value = t.next;
    t.next += 4;
    ++HandleCount::Of(*object);
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

HANDLE Duplicate(HANDLE handle)
{
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    if (it == t.objects.end())
        return nullptr;
    uintptr_t value = t.next;
    t.next += 4;
    ++HandleCount::Of(*it->second);
    std::shared_ptr<KernelObject> object = it->second;
    t.objects.emplace(value, std::move(object));
    return reinterpret_cast<HANDLE>(value);
}

std::shared_ptr<KernelObject> Get(HANDLE handle)
{
    Table& t = table();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
    return it == t.objects.end() ? nullptr : it->second;
}

std::shared_ptr<KernelObject> Remove(HANDLE handle, bool* lastHandle)
{
    Table& t = table();
    std::shared_ptr<KernelObject> object;
    {
        std::lock_guard<std::mutex> lock(t.mutex);
        auto it = t.objects.find(reinterpret_cast<uintptr_t>(handle));
        if (it == t.objects.end())
            return nullptr;
        object = std::move(it->second);
        t.objects.erase(it);
        int remaining = --HandleCount::Of(*object);
        if (lastHandle)
            *lastHandle = remaining == 0;
    }
    return object;
}

} // namespace handles
} // namespace plat

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject)
{
    bool last = false;
    std::shared_ptr<plat::KernelObject> object = plat::handles::Remove(hObject, &last);
    if (!object)
        return plat::Fail(ERROR_INVALID_HANDLE);
    if (last)
        object->OnClose();
    return TRUE;
}

extern "C" BOOL WINAPI DuplicateHandle(HANDLE hSourceProcessHandle, HANDLE hSourceHandle,
                                       HANDLE hTargetProcessHandle, LPHANDLE lpTargetHandle, DWORD,
                                       BOOL, DWORD)
{
    // Only this process exists on the emulated PC; GetCurrentProcess() is (HANDLE)-1.
    const HANDLE kCurrentProcess = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
    if (hSourceProcessHandle != kCurrentProcess || hTargetProcessHandle != kCurrentProcess ||
        !lpTargetHandle)
        return plat::Fail(ERROR_INVALID_PARAMETER);
    HANDLE copy = plat::handles::Duplicate(hSourceHandle);
    if (!copy)
        return plat::Fail(ERROR_INVALID_HANDLE);
    *lpTargetHandle = copy;
    return TRUE;
}
