#include "framework/bridge/PageHost.h"

#include "core/Paths.h"

namespace plat::ui::pages {

std::optional<std::string> HostFolder(const std::string& windowsPath)
{
    return plat::paths::ToHost(windowsPath.c_str());
}

std::optional<std::string> FindEntry(const std::string& folder, const std::string& name)
{
    return plat::paths::FindEntryNoCase(folder, name);
}

} // namespace plat::ui::pages
