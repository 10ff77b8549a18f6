#include "inf/DirIds.h"

#include <win/setupapi_inf.h>

namespace plat::inf {

std::optional<std::string> DirIdFolder(int dirid, const DirIdPlace& place)
{
    std::string windows = place.windowsDirectory;
    while (windows.size() > 2 && (windows.back() == '\\' || windows.back() == '/'))
        windows.pop_back();
    const std::string drive = windows.substr(0, 2); // "C:"
    const std::string system = windows + "\\system32";
    const bool wide = place.bits == 64;
    switch (dirid) {
    case DIRID_ABSOLUTE: return std::string();
    case DIRID_SRCPATH:
        if (place.infFolder.empty())
            return std::nullopt;
        return place.infFolder;
    case DIRID_WINDOWS:
    case 25:    // the shared folder of a shared Windows installation
    case 16420: // CSIDL_WINDOWS
        return windows;
    case DIRID_SYSTEM: return system;
    case DIRID_DRIVERS: return system + "\\drivers";
    case DIRID_INF: return windows + "\\INF";
    case DIRID_HELP: return windows + "\\help";
    case DIRID_FONTS: return windows + "\\Fonts";
    case 21: return system + "\\viewers";
    case 23: return system + "\\spool\\drivers\\color";
    case 24:        // the system drive
    case DIRID_BOOT:
    case 54:        // the partition the boot loader sits on
        return drive;
    case DIRID_SYSTEM16: return windows + "\\system";
    case 51: return system + "\\spool";
    case 52: return system + "\\spool\\drivers";
    case 55: return system + "\\spool\\prtprocs\\" + (wide ? "x64" : "w32x86");
    case 16419: return drive + "\\ProgramData"; // CSIDL_COMMON_APPDATA
    case DIRID_PROGRAM_FILES: return drive + "\\Program Files";
    case 16425: return wide ? windows + "\\SysWOW64" : system;                          // CSIDL_SYSTEMX86
    case 16426: return drive + (wide ? "\\Program Files (x86)" : "\\Program Files"); // CSIDL_PROGRAM_FILESX86
    case DIRID_COMMON_FILES: return drive + "\\Program Files\\Common Files";
    default: return std::nullopt;
    }
}

} // namespace plat::inf
