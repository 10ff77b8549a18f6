// Windows paths on the emulated PC. Drive paths are mapped through the
// machine's folder table (C: is the profile's drive_c, Z: the host's root,
// and a profile may map further folders, such as the program's install
// folder). '\' and '/' are both separators; a relative path is relative to
// the current directory; existing components are found case-insensitively,
// keeping the case they were written with on disk. The system's paths are
// ANSI text in the machine's code page; host names are UTF-8, so a folder
// written "工具" in a profile is C:\工具 to a program on a Chinese machine.
#pragma once

#include <win/types.h>

#include <optional>
#include <string>

namespace plat::paths {

// The host path for a Windows path, or nullopt with the Win32 error set
// (ERROR_INVALID_NAME for an empty path, ERROR_PATH_NOT_FOUND for an unknown
// drive).
std::optional<std::string> ToHost(const char* windowsPath);

// The Windows path under which the machine shows a host path: the longest
// mapped folder that contains it, with backslashes.
std::string ToWindows(const std::string& hostPath);

// A host name (UTF-8) as the machine's ANSI code page spells it ('?' for
// characters the page lacks), and an ANSI name as the host spells it.
std::string HostNameToAnsi(const std::string& hostName);
std::string AnsiToHostName(const std::string& ansiName);

// The last path component of a path with either kind of separator.
std::string FileNamePart(const std::string& path);

// Case-insensitive lookup of one name in a host folder; the name as it is
// on disk, or nullopt.
std::optional<std::string> FindEntryNoCase(const std::string& folder, const std::string& name);

// If the name is a DOS device ("COM3", "\\.\COM3", "c:\any\COM3"), the
// upper-cased device name; else empty.
std::string DeviceName(const char* windowsPath);

} // namespace plat::paths
