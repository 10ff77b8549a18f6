#include "inf/DirIds.h"

#include <win/setupapi_inf.h>

namespace plat::inf {

std::optional<std::string> DirIdFolder(int dirid, const std::string& windowsDirectory, const std::string& infFolder)
{
    std::string windows = windowsDirectory;
    while (windows.size() > 2 && (windows.back() == '\\' || windows.back() == '/'))
        windows.pop_back();
    std::string drive = windows.substr(0, 2);
    switch (dirid) {
    case DIRID_ABSOLUTE: return std::string();
    case DIRID_SRCPATH:
        if (infFolder.empty())
            return std::nullopt;
        return infFolder;
    case DIRID_WINDOWS: return windows;
    case DIRID_SYSTEM: return windows + "\\system32";
    case DIRID_DRIVERS: return windows + "\\system32\\drivers";
    case DIRID_INF: return windows + "\\INF";
    case DIRID_HELP: return windows + "\\Help";
    case DIRID_FONTS: return windows + "\\Fonts";
    case 24: // the system disk
    case DIRID_BOOT:
    case 54: // the partition the boot loader sits on
        return drive;
    case 25: return windows; // the shared folder of a shared Windows installation
    case DIRID_SYSTEM16: return windows + "\\system";
    case DIRID_PROGRAM_FILES: return drive + "\\Program Files";
    case DIRID_COMMON_FILES: return drive + "\\Program Files\\Common Files";
    default: return std::nullopt;
    }
}

} // namespace plat::inf
