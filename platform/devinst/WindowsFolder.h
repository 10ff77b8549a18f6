// The Windows folder that DestinationDirs resolve against.
#pragma once

#include <string>

namespace plat::devinst {

// The Windows directory as GetWindowsDirectoryA gives it, without a trailing '\'.
std::string WindowsDirectory();

} // namespace plat::devinst
