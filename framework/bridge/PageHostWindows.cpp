#include "framework/bridge/PageHost.h"

#include <filesystem>

namespace plat::ui::pages {

std::optional<std::string> HostFolder(const std::string& windowsPath)
{
    return windowsPath;
}

std::optional<std::string> FindEntry(const std::string& folder, const std::string& name)
{
    // The file system matches names without regard to case already.
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::path(folder) / name, error))
        return std::nullopt;
    return name;
}

} // namespace plat::ui::pages
