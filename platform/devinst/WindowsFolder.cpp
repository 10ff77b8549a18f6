#include "devinst/WindowsFolder.h"

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

} // namespace plat::devinst
