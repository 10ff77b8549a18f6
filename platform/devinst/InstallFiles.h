// DIF_INSTALLDEVICEFILES under DI_NOVCP: the files that installing a driver
// would copy. The install section is the selected driver's, decorated as
// SetupAPI decorates it; each of its CopyFiles directives names copy
// sections (or "@file" for a single file), whose lines name the target
// files; DestinationDirs gives each section's folder (DefaultDestDir, else
// the system folder, for the others).
#pragma once

#include "devinst/Decorations.h"
#include "devinst/DriverNode.h"

#include <string>
#include <vector>

namespace plat::devinst {

// The target paths, in INF order. Returns a Win32 error code.
DWORD ListDriverFiles(const DriverNode& driver, const TargetOs& os, std::vector<std::string>* targets);

} // namespace plat::devinst
