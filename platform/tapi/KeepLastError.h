// TAPI reports through its return codes only: the Win32 calls that the
// emulated provider makes inside a TAPI function (CreateFileA, events ...)
// must not change the caller's last error.
#pragma once

#include <win/kernel.h>

namespace plat::tapi {

class KeepLastError {
public:
    KeepLastError() : m_error(GetLastError()) {}
    ~KeepLastError() { SetLastError(m_error); }
    KeepLastError(const KeepLastError&) = delete;
    KeepLastError& operator=(const KeepLastError&) = delete;

private:
    DWORD m_error;
};

} // namespace plat::tapi
