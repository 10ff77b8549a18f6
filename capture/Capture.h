// Captures the PC the program runs on as a machine profile, in memory: the
// registry keys Ravlin reads (regedit exports), the served modem's driver INF,
// an empty placeholder for each file that INF installs and is on disk, and
// machine.json. Everything is read; nothing on the PC is changed.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace capture {

struct CapturedProfile {
    // Relative path in the profile folder ("registry/10-enum.reg") and the
    // file's bytes.
    std::vector<std::pair<std::string, std::string>> files;
    // What could not be captured, or was taken from a fallback.
    std::vector<std::string> notes;
    std::string servedModem; // instance ID, "" when none was found
    size_t registryKeys = 0;
    size_t placeholders = 0;
};

// `servedFragments` are the hardware-ID fragments of the served modems (the
// "Modem" lines of Ravlin's htm\modem.inf).
CapturedProfile CaptureMachine(const std::vector<std::string>& servedFragments);

// The name of the notes file in the profile.
extern const char kNotesFile[];

} // namespace capture
