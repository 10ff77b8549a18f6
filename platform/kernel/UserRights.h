// What a standard user may not write on Windows: the Windows folder and the
// program folders (C:\Program Files, C:\Program Files (x86)) and everything
// below them. Creating or writing a file or a folder there fails with
// ERROR_ACCESS_DENIED unless the machine's user is an administrator
// ("administrator" in machine.json). Reading stays allowed.
#pragma once

#include <string>

namespace plat::files {

// True when the machine's user may not write at this host path (a file or
// folder, existing or to be created), judged by the Windows path the
// machine shows for it.
bool WriteDeniedToUser(const std::string& hostPath);

} // namespace plat::files
