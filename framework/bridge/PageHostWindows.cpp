#include "framework/bridge/PageHost.h"
#include "framework/bridge/TextCodec.h"

#include <windows.h>

#include <string>

namespace afx::bridge::pages {

std::optional<std::string> HostFolder(const std::string& windowsPath)
{
    return windowsPath;
}

std::filesystem::path HostPath(const std::string& ansiPath)
{
    return std::filesystem::path(ToWide(CP_ACP, ansiPath));
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

} // namespace afx::bridge::pages
