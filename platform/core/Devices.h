// DOS device names ("COM3") in CreateFileA. The serial port family installs
// the opener when it loads a machine; without one every device is absent.
#pragma once

#include <win/types.h>

#include <functional>
#include <string>

namespace plat::devices {

// Opens the named device (upper-cased, e.g. "COM3"); returns a handle, or
// INVALID_HANDLE_VALUE with the last error set.
using Opener = std::function<HANDLE(const std::string& device, DWORD access, DWORD share, DWORD flags)>;

void SetOpener(Opener opener);
HANDLE Open(const std::string& device, DWORD access, DWORD share, DWORD flags);

} // namespace plat::devices
