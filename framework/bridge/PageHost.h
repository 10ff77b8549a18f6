// Where a page folder lies on the machine the program runs on: the emulated
// PC maps Windows paths to host folders (PageHostLinux.cpp); on Windows a
// Windows path is its own place (PageHostWindows.cpp).
#pragma once

#include <optional>
#include <string>

namespace plat::ui::pages {

// The folder on the running machine for a Windows folder path, or nullopt.
std::optional<std::string> HostFolder(const std::string& windowsPath);

// The entry of the folder that the name means (without regard to case, as
// Windows matches names), as it is spelled on disk; nullopt when none.
std::optional<std::string> FindEntry(const std::string& folder, const std::string& name);

} // namespace plat::ui::pages
