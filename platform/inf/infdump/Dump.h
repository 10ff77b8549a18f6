// infdump's output: an open INF as SetupAPI sees it, read through the
// SetupAPI functions only. The format is described in docs/tools.md.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

namespace infdump {

// A field in double quotes: '"' and '\' are escaped with '\', and bytes
// outside printable ASCII are written \xNN.
std::string Quote(std::string_view text);

// The symbolic name of a SetupAPI or Win32 error code, or "" when unknown.
std::string ErrorName(unsigned long code);

// Opens `windowsPath` with INF_STYLE_OLDNT | INF_STYLE_WIN4 and writes it
// to `out`; on failure writes one line naming the file, line and error to
// `err`. Returns the process exit code: 0, or 1 when the file did not open.
int DumpInf(const std::string& windowsPath, std::ostream& out, std::ostream& err);

} // namespace infdump
