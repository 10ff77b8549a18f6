// Finding and reading an INF file as SetupOpenInfFileA does.
#pragma once

#include "inf/InfFile.h"

#include <win/types.h>

#include <memory>

namespace plat::inf {

struct LoadOutcome {
    std::shared_ptr<const InfFile> file; // null on failure
    ParseError error;                    // code and line on failure
};

// Opens `windowsPath`: a bare file name is looked up in %windir%\INF, then
// in %windir%\system32; a path with a folder is used as given. The file is
// parsed for the current machine (its Windows folder and user default UI
// language), then checked against `style` (INF_STYLE_*) and, when not null,
// the [Version] Class `infClass`.
LoadOutcome LoadInfFile(const char* windowsPath, DWORD style, const char* infClass);

} // namespace plat::inf
