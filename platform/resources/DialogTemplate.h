// RT_DIALOG resources: the header of a dialog template (DLGTEMPLATE or
// DLGTEMPLATEEX) with its caption and font, for the window that shows it.
#pragma once

#include <win/types.h>

#include <optional>
#include <string>

namespace plat::resources {

struct DialogTemplate {
    bool extended = false; // DIALOGEX
    DWORD style = 0;
    DWORD exStyle = 0;
    int items = 0;
    int x = 0, y = 0, cx = 0, cy = 0; // dialog units
    std::string caption;              // UTF-8
    int pointSize = 0;                // 0 without DS_SETFONT
    std::string fontName;             // UTF-8
};

// Reads a dialog template's header; nullopt when it is malformed.
std::optional<DialogTemplate> ParseDialogTemplate(const BYTE* data, DWORD size);

} // namespace plat::resources
