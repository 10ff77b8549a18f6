// The standard directory identifiers (DIRIDs) of INF DestinationDirs,
// resolved on the emulated PC's drive from its Windows directory.
#pragma once

#include "devinst/Decorations.h"

#include <optional>
#include <string>

namespace plat::devinst {

// The folder of a DIRID, without a trailing '\'; nullopt for an unknown one.
// DIRID -1 (absolute) has no folder of its own: its subdirectory is the path.
std::optional<std::string> DiridFolder(int dirid, const std::string& windowsDirectory, const TargetOs& os);

// The Windows directory as GetWindowsDirectoryA gives it, without a trailing '\'.
std::string WindowsDirectory();

} // namespace plat::devinst
