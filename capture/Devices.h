// The devices a capture takes: every device of the modem class and every
// device whose instance ID holds one of the served hardware-ID fragments, in
// the device installer's enumeration order, with their device-node state.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace capture {

struct CapturedDevice {
    std::string instanceId;
    std::string driver;   // the Driver property: the driver key below Control\Class
    bool modemClass = false;
    bool served = false;  // holds a served hardware-ID fragment
    bool present = false; // CM_Get_DevNode_Status answered CR_SUCCESS
    bool statusFilled = false; // ... and filled its outputs
    ULONG status = 0;
    ULONG problem = 0;
};

extern const char kModemClassGuid[];

// The devices of interest; `notes` gets a line for what could not be read.
std::vector<CapturedDevice> FindDevices(const std::vector<std::string>& servedFragments,
                                        std::vector<std::string>& notes);

// The hardware-ID fragments of a modem list INF (section "Modems", key
// "Modem", field 1); empty when it does not open.
std::vector<std::string> ReadServedFragments(const std::string& infPath);

} // namespace capture
