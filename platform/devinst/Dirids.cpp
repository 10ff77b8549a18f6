#include "devinst/Dirids.h"

#include <windows.h>

namespace plat::devinst {

std::string WindowsDirectory()
{
    char buffer[MAX_PATH];
    UINT length = GetWindowsDirectoryA(buffer, sizeof(buffer));
    std::string folder = length > 0 && length < sizeof(buffer) ? std::string(buffer) : std::string("C:\\Windows");
    while (folder.size() > 3 && (folder.back() == '\\' || folder.back() == '/'))
        folder.pop_back();
    return folder;
}

std::optional<std::string> DiridFolder(int dirid, const std::string& windows, const TargetOs& os)
{
    const std::string drive = windows.substr(0, 2); // "C:"
    const std::string system = windows + "\\system32";
    switch (dirid) {
    case 10: // DIRID_WINDOWS
    case 25: // shared folder
    case 16420: // CSIDL_WINDOWS
        return windows;
    case 11: // DIRID_SYSTEM
        return system;
    case 12: // DIRID_DRIVERS
        return system + "\\drivers";
    case 17: // DIRID_INF
        return windows + "\\INF";
    case 18: // DIRID_HELP
        return windows + "\\help";
    case 20: // DIRID_FONTS
        return windows + "\\Fonts";
    case 21: // viewers
        return system + "\\viewers";
    case 23: // colour profiles
        return system + "\\spool\\drivers\\color";
    case 24: // root of the system drive
    case 30: // boot drive
    case 54: // boot loader folder
        return drive;
    case 50: // DIRID_SYSTEM16
        return windows + "\\system";
    case 51: // spool
        return system + "\\spool";
    case 52: // spool drivers
        return system + "\\spool\\drivers";
    case 55: // print processors
        return system + "\\spool\\prtprocs\\" + (os.bits == 64 ? "x64" : "w32x86");
    case 16419: // CSIDL_COMMON_APPDATA
        return drive + "\\ProgramData";
    case 16422: // CSIDL_PROGRAM_FILES
        return drive + "\\Program Files";
    case 16425: // CSIDL_SYSTEMX86
        return os.bits == 64 ? windows + "\\SysWOW64" : system;
    case 16426: // CSIDL_PROGRAM_FILESX86
        return drive + (os.bits == 64 ? "\\Program Files (x86)" : "\\Program Files");
    case 16427: // CSIDL_PROGRAM_FILES_COMMON
        return drive + "\\Program Files\\Common Files";
    default:
        return std::nullopt;
    }
}

} // namespace plat::devinst
