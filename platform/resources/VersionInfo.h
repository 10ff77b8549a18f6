// RT_VERSION resources: VS_VERSIONINFO with the fixed file information and
// the StringFileInfo tables (one per language and code page, such as
// "040904b0") and the VarFileInfo translations.
#pragma once

#include <win/types.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace plat::resources {

struct VersionInfo {
    DWORD fileVersionMS = 0, fileVersionLS = 0;
    DWORD productVersionMS = 0, productVersionLS = 0;
    DWORD fileFlags = 0, fileOS = 0, fileType = 0;
    // table key ("040904b0") -> value name -> value, in UTF-8
    std::map<std::string, std::map<std::string, std::string>> strings;
    std::vector<DWORD> translations; // LOWORD language, HIWORD code page
};

// Reads a version resource; nullopt when it is malformed.
std::optional<VersionInfo> ParseVersionInfo(const BYTE* data, DWORD size);

} // namespace plat::resources
