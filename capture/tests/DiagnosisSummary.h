// What Ravlin makes of the machine that is loaded: detection, then the
// installation checks in the program's order, and the trace lines they
// wrote. Two profiles of the same PC give the same summary.
#pragma once

#include <string>

namespace capture_testing {

// Trace lines naming a device that was examined and passed over
// ("Device ID = ...") are left out: a capture holds only the modems.
std::string DiagnosisSummary();

} // namespace capture_testing
