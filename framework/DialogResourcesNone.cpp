// Builds without the resources family: dialogs have no caption or icon of
// their own, and the pages keep their titles.
#include "framework/DialogResources.h"

namespace afx {

std::string DialogCaption(HINSTANCE, LPCSTR)
{
    return "";
}

std::string IconFile(HINSTANCE, LPCSTR)
{
    return "";
}

} // namespace afx
