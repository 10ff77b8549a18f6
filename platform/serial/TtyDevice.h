// A tty (the emulator's pty slave or a real serial device) opened the way
// Windows opens a COM port: exclusively, raw, with empty buffers. The
// exclusion is real for other programs too: an flock on the device and
// TIOCEXCL, both dropped when the tty is closed.
#pragma once

#include "modemfw/UniqueFd.h"

#include <win/types.h>

#include <string>

namespace plat::serial {

class ExclusiveTty {
public:
    ExclusiveTty() = default;
    ~ExclusiveTty();
    ExclusiveTty(ExclusiveTty&&) noexcept = default;
    ExclusiveTty& operator=(ExclusiveTty&& other) noexcept;
    ExclusiveTty(const ExclusiveTty&) = delete;
    ExclusiveTty& operator=(const ExclusiveTty&) = delete;

    // Opens `path`; `baud` 0 keeps the device's speed. On failure the result
    // is not Valid() and `error` holds the Win32 error: ERROR_FILE_NOT_FOUND
    // when the device is not there, ERROR_ACCESS_DENIED when someone holds it.
    static ExclusiveTty Open(const std::string& path, unsigned baud, DWORD* error);

    bool Valid() const { return m_fd.Valid(); }
    int Fd() const { return m_fd.Get(); }
    void Close();

private:
    UniqueFd m_fd;
};

} // namespace plat::serial
