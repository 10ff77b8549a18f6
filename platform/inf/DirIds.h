// Directory identifiers: the numbers that %dirid% tokens and
// DestinationDirs use for the machine's well-known folders.
//
// Supported: 1 (the INF's own folder), 10 (Windows), 11 (system32),
// 12 (system32\drivers), 17 (INF), 18 (Help), 20 (Fonts), 24 and 30 and 54
// (root of the system drive), 25 (Windows, the shared folder), 50 (system),
// 16422 (Program Files), 16427 (Common Files), and -1 (absolute path: "").
#pragma once

#include <optional>
#include <string>

namespace plat::inf {

// The folder of `dirid` as a Windows path without a trailing '\' ("C:" for a
// drive root), or nullopt for an identifier the machine does not know.
// `windowsDirectory` is the machine's Windows folder; `infFolder` the folder
// of the INF being read ("" when it has none).
std::optional<std::string> DirIdFolder(int dirid, const std::string& windowsDirectory, const std::string& infFolder);

} // namespace plat::inf
