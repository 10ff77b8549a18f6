#include "framework/bridge/PageHost.h"

#include "core/Paths.h"

namespace afx::bridge::pages {

std::optional<std::string> HostFolder(const std::string& windowsPath)
{
    return plat::paths::ToHost(windowsPath.c_str());
}

// The emulated PC's host paths are the bytes the machine shows.
std::filesystem::path HostPath(const std::string& ansiPath)
{
    return std::filesystem::path(ansiPath);
}

std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& folder, const std::string& name)
{
    auto entry = plat::paths::FindEntryNoCase(folder.string(), name);
    if (!entry)
        return std::nullopt;
    return std::filesystem::path(*entry);
}

} // namespace afx::bridge::pages
