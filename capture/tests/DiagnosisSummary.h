// What Ravlin makes of the machine that is loaded: detection, then the
// installation checks in the program's order, and the trace lines they
// wrote. Two profiles of the same PC give the same summary.
#pragma once

#include <string>

namespace capture_testing {

// "Device ID = " lines of devices that hold no served hardware-ID fragment
// are left out (a capture holds only the modems), and handle values are
// written as "(handle)".
std::string DiagnosisSummary();

} // namespace capture_testing
