// What cplhost prints: each library with its applets' names,
// descriptions and icon sizes, in UTF-8 for the terminal.
#pragma once

#include "cplhost/AppletHost.h"

#include <string>

namespace plat::cplhost {

// Text in the machine's ANSI code page, as UTF-8.
std::string AnsiToUtf8(const std::string& ansi);

// The lines that list a library's applets; `firstIndex` numbers them
// across all libraries (the number --open takes).
std::string DescribeLibrary(const AppletLibrary& library, size_t firstIndex);

} // namespace plat::cplhost
