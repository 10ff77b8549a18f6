// The Win32 API as the emulated PC offers it. The system includes this
// header where it would include the Windows SDK's windows.h.
#pragma once

#include "win/types.h"
#include "win/errors.h"
#include "win/kernel.h"
#include "win/registry.h"
#include "win/resources.h"
#include "win/user.h"
