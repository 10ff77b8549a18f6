// Command lines as Windows reads them. CreateProcess takes the program from
// the front of the line: a quoted first token whole, or else the shortest
// prefix ending at a blank that names an existing program (so an unquoted
// "C:\Program Files\..." may start "C:\Program"). The started program splits
// its own line into arguments with the C runtime's rules.
#pragma once

#include <string>
#include <vector>

namespace plat::process {

// The program names CreateProcess tries for a command line, in the order it
// tries them. A quoted first token gives one name; otherwise every prefix
// that ends before a blank, then the whole line without trailing blanks.
std::vector<std::string> ProgramCandidates(const std::string& commandLine);

// The name with ".exe" appended when its last component has no extension
// (a name ending in '.' loses the dot and gets none).
std::string WithDefaultExtension(const std::string& program);

// The arguments as the C runtime splits the line: argv[0] up to the first
// blank outside quotes, quotes removed and backslashes kept; the others with
// the backslash-quote rules (2n backslashes + '"' give n backslashes and
// toggle quoting, 2n+1 give n backslashes and a literal '"', "" inside
// quotes gives a literal '"').
std::vector<std::string> SplitArguments(const std::string& commandLine);

} // namespace plat::process
