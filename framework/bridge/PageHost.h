// Where a page folder lies on the machine the program runs on: the emulated
// PC maps Windows paths to host folders (PageHostLinux.cpp); on Windows a
// Windows path is its own place (PageHostWindows.cpp).
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace afx::bridge::pages {

// The folder on the running machine for a Windows folder path, or nullopt.
std::optional<std::string> HostFolder(const std::string& windowsPath);

// A host path given in the system's ANSI code page as a path the standard
// library opens: on Windows built from its wide form (CP_ACP), since a path
// made from narrow text does not use the ANSI code page there.
std::filesystem::path HostPath(const std::string& ansiPath);

// The entry of the folder that the (ANSI) name means, without regard to
// case as Windows matches names, as it is spelled on disk; nullopt when none.
std::optional<std::filesystem::path> FindEntry(const std::filesystem::path& folder, const std::string& name);

} // namespace afx::bridge::pages
