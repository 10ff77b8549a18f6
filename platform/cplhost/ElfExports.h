// Whether a library exports a function, read from its ELF dynamic symbol
// table without loading it (a host must not run the code of every library
// in a folder to find the applets among them).
#pragma once

#include <string>

namespace plat::cplhost {

// True when the file is an ELF shared object (32 or 64 bits) whose dynamic
// symbol table defines the global function `name`.
bool ExportsFunction(const std::string& hostPath, const std::string& name);

} // namespace plat::cplhost
