// What the dialog takes from its module's resources: the caption of its
// dialog template (the page title) and its main icon (the page icon).
#pragma once

#include <windows.h>

#include <string>

namespace afx {

// The caption of a dialog template resource (UTF-8); "" when there is none.
std::string DialogCaption(HINSTANCE module, LPCSTR templateName);

// An .ico file made of an icon group resource and its images; "" when
// there is none.
std::string IconFile(HINSTANCE module, LPCSTR iconName);

} // namespace afx
