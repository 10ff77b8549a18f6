#include "framework/bridge/PageHost.h"

#include <windows.h>

#include <string>

namespace plat::ui::pages {

std::optional<std::string> HostFolder(const std::string& windowsPath)
{
    return windowsPath;
}

std::filesystem::path HostPath(const std::string& ansiPath)
{
    if (ansiPath.empty())
        return {};
    int length = MultiByteToWideChar(CP_ACP, 0, ansiPath.data(), static_cast<int>(ansiPath.size()), nullptr, 0);
    if (length <= 0)
        return {};
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansiPath.data(), static_cast<int>(ansiPath.size()), wide.data(), length);
    return std::filesystem::path(wide);
}

std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& folder, const std::string& name)
{
    // The file system matches names without regard to case already.
    std::filesystem::path entry = HostPath(name);
    std::error_code error;
    if (entry.empty() || !std::filesystem::exists(folder / entry, error))
        return std::nullopt;
    return entry;
}

} // namespace plat::ui::pages
