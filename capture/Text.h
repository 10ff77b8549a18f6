// Small string helpers shared by the capture's files.
#pragma once

#include <string>

namespace capture {

// ASCII comparison without regard to case, as Windows compares registry and
// INF names.
bool EqualNoCase(const std::string& a, const std::string& b);

// "C:\Windows\INF\oem12.inf" -> "drive_c/Windows/INF/oem12.inf": where a file
// of the captured PC lives in the profile; "" for a path without a drive.
std::string ProfilePathOf(const std::string& windowsPath);

// The text after the last '\' or '/'.
std::string FileNameOf(const std::string& path);

} // namespace capture
