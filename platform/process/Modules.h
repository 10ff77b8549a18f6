// Modules of the process. An HMODULE is the base address at which the
// module's image is mapped, as on Windows: the executable, every shared
// library (found with dladdr), and one pseudo-module, "kernel32", which
// stands for the platform itself and answers GetProcAddress for the
// kernel32 functions that programs look up at run time.
#pragma once

#include <win/types.h>

#include <optional>
#include <string>

namespace plat::modules {

// The executable's module (GetModuleHandleA(NULL)).
HMODULE Executable();

// The module whose image contains the address; null when none does.
HMODULE FromAddress(const void* address);

// The "kernel32" pseudo-module.
HMODULE Kernel32();

// The host path of a module's image file; nullopt for an unknown module
// or the pseudo-module.
std::optional<std::string> HostPath(HMODULE module);

// The dynamic loader's message for the calling thread's last failed
// LoadLibraryA, for diagnostics ("" when it did not get as far).
std::string LastLoadError();

// The kernel32 export of that name, or null.
FARPROC Kernel32Export(const char* name);

} // namespace plat::modules
