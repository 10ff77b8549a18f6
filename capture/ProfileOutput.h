// Writes a captured profile to a folder of the PC (Win32 file API).
#pragma once

#include "Capture.h"

#include <string>

namespace capture {

// Creates `folder` and the profile's files below it. An existing profile
// there (a machine.json) is not overwritten. On failure `error` names the
// file and the system's error code.
bool WriteProfile(const std::string& folder, const CapturedProfile& profile, std::string& error);

} // namespace capture
