// Host files behind kernel handles, and the mapping of errno to Win32 errors.
#pragma once

#include <win/types.h>

#include <string>

namespace plat::files {

DWORD ErrnoToWin32(int error);

// True when the host path lies inside the current machine profile, whose
// disk the emulated PC never writes (so a run cannot change a profile).
bool IsInsideProfile(const std::string& hostPath);

} // namespace plat::files
