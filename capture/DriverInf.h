// What a driver INF's install section names: the files its CopyFiles
// directives install (with their folders resolved from DestinationDirs) and
// the registry keys outside the driver key that its AddReg sections write.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace capture {

struct RegKeyName {
    std::string root; // "HKEY_LOCAL_MACHINE", ...
    std::string path;
};

struct DriverInfContents {
    bool opened = false;
    std::string section;                 // the install section that was read
    std::vector<std::string> files;      // full Windows paths
    std::vector<RegKeyName> registryKeys; // keys of AddReg lines with a fixed root
};

// Reads `infPath`'s install section `section` + `extension` (as the driver
// key records them); `windowsDirectory` resolves the folders. Folders and
// directives it cannot resolve go to `notes`.
DriverInfContents ReadDriverInf(const std::string& infPath, const std::string& section,
                                const std::string& extension, const std::string& windowsDirectory,
                                std::vector<std::string>& notes);

// The folder of a directory ID, or "" when it has none here.
std::string DiridFolder(int dirid, const std::string& windowsDirectory);

} // namespace capture
