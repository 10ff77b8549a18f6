#include "kernel/UserRights.h"

#include "core/AsciiText.h"
#include "core/Machine.h"
#include "core/Paths.h"


namespace plat::files {
namespace {

bool isBelow(const std::string& path, const std::string& folder)
{
    return path.compare(0, folder.size(), folder) == 0 && (path.size() == folder.size() || path[folder.size()] == '\\');
}

} // namespace

bool WriteDeniedToUser(const std::string& hostPath)
{
    const Machine* machine = CurrentMachine();
    if (!machine || machine->UserIsAdministrator())
        return false;
    std::string path = text::UpperAscii(paths::ToWindows(hostPath));
    for (const std::string& folder :
         {text::UpperAscii(machine->WindowsDirectory()), std::string("C:\\PROGRAM FILES"), std::string("C:\\PROGRAM FILES (X86)")}) {
        if (isBelow(path, folder))
            return true;
    }
    return false;
}

} // namespace plat::files
