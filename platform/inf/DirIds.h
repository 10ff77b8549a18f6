// Directory identifiers: the numbers that %dirid% tokens in INF fields and
// DestinationDirs lines use for the machine's well-known folders. SetupAPI
// keeps one table for both, and so does this file.
//
// Known: -1 (absolute: ""), 1 (the INF's own folder), 10 (Windows),
// 11 (system32), 12 (drivers), 17 (INF), 18 (help), 20 (Fonts),
// 21 (viewers), 23 (colour profiles), 24, 30 and 54 (root of the system
// drive), 25 (Windows, the shared folder), 50 (system), 51 (spool),
// 52 (spool drivers), 55 (print processors), and the shell folders
// 16419 (ProgramData), 16420 (Windows), 16422 (Program Files),
// 16425 (the 32-bit system folder), 16426 (32-bit Program Files) and
// 16427 (Common Files).
#pragma once

#include <optional>
#include <string>

namespace plat::inf {

// What a directory identifier is resolved against.
struct DirIdPlace {
    std::string windowsDirectory = "C:\\Windows"; // the machine's Windows folder
    std::string infFolder;                        // folder of the INF being read, "" for none
    int bits = 64;                                // the system's word size
};

// The folder of `dirid` as a Windows path without a trailing '\' ("C:" for a
// drive root), or nullopt for an identifier the machine does not know.
std::optional<std::string> DirIdFolder(int dirid, const DirIdPlace& place);

} // namespace plat::inf
