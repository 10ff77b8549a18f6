// kernel32's serial-port functions. They work on COM port handles only: an
// unknown handle fails with ERROR_INVALID_HANDLE, any other object (a file,
// an event) with ERROR_INVALID_FUNCTION, as the driver of a file refuses a
// serial ioctl.
#include "core/Handles.h"
#include "core/LastError.h"
#include "serial/SerialPort.h"

#include <win/errors.h>
#include <win/kernel.h>

namespace {

std::shared_ptr<plat::serial::SerialPort> portOf(HANDLE handle)
{
    std::shared_ptr<plat::KernelObject> object = plat::handles::Get(handle);
    if (!object) {
        plat::Fail(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    auto port = std::dynamic_pointer_cast<plat::serial::SerialPort>(object);
    if (!port)
        plat::Fail(ERROR_INVALID_FUNCTION);
    return port;
}

} // namespace

extern "C" BOOL WINAPI GetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    auto port = portOf(hFile);
    if (!port)
        return FALSE;
    if (!lpCommTimeouts)
        return plat::Fail(ERROR_NOACCESS);
    return port->GetTimeouts(lpCommTimeouts);
}

extern "C" BOOL WINAPI SetCommTimeouts(HANDLE hFile, LPCOMMTIMEOUTS lpCommTimeouts)
{
    auto port = portOf(hFile);
    if (!port)
        return FALSE;
    if (!lpCommTimeouts)
        return plat::Fail(ERROR_NOACCESS);
    return port->SetTimeouts(*lpCommTimeouts);
}

extern "C" BOOL WINAPI PurgeComm(HANDLE hFile, DWORD dwFlags)
{
    auto port = portOf(hFile);
    if (!port)
        return FALSE;
    return port->Purge(dwFlags);
}

extern "C" BOOL WINAPI GetCommState(HANDLE hFile, LPDCB lpDCB)
{
    auto port = portOf(hFile);
    if (!port)
        return FALSE;
    if (!lpDCB)
        return plat::Fail(ERROR_NOACCESS);
    return port->GetState(lpDCB);
}

extern "C" BOOL WINAPI SetCommState(HANDLE hFile, LPDCB lpDCB)
{
    auto port = portOf(hFile);
    if (!port)
        return FALSE;
    if (!lpDCB)
        return plat::Fail(ERROR_NOACCESS);
    return port->SetState(*lpDCB);
}

extern "C" BOOL WINAPI ClearCommError(HANDLE hFile, LPDWORD lpErrors, LPCOMSTAT lpStat)
{
    auto port = portOf(hFile);
    if (!port)
        return FALSE;
    return port->ClearError(lpErrors, lpStat);
}
