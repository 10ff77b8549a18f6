// The calling thread's last-error value, shared by every emulated API family.
#pragma once

#include <win/types.h>

namespace plat {

// Sets the thread's last error and returns FALSE, for the common
// "fail at the Win32 boundary" shape: `return plat::Fail(ERROR_X);`.
BOOL Fail(DWORD error);

// Sets the last error to `error`, ERROR_SUCCESS included, and returns
// whether that is ERROR_SUCCESS: the end of a function that reports its
// result either way, `return plat::Finish(error);`.
BOOL Finish(DWORD error);

// Sets the last error and returns the given value.
template <typename T>
T FailWith(DWORD error, T result)
{
    Fail(error);
    return result;
}

} // namespace plat
