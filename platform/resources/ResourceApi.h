// Helpers shared by the resource functions.
#pragma once

#include "resources/ResFile.h"

#include <win/types.h>

namespace plat::resources {

// The name or type an A function was given: MAKEINTRESOURCEA(n), "#n",
// or a string in the ANSI code page.
ResName NameOf(LPCSTR name);

// The module a resource function means: null is the executable.
HMODULE ModuleOrExecutable(HMODULE module);

} // namespace plat::resources
