// The telephony line devices of the emulated PC, in device-ID order. The
// modem service provider makes one line of every installed modem the way
// Windows' modem provider finds them: device instances under
// HKLM\SYSTEM\CurrentControlSet\Enum of the Modem class whose "Driver" names
// a driver key under Control\Class; the driver key's "FriendlyName" names the
// line and its "AttachedTo" is the port. When machine.json has a "devnodes"
// section only the devices listed there (the present ones) count. The
// "tapi" section's extra lines come before or after the modems' lines.
#pragma once

#include <win/types.h>

#include <string>
#include <vector>

namespace plat::tapi {

struct LineDevice {
    std::string name;        // line name (LINEDEVCAPS dwLineNameOffset)
    std::string port;        // COM port of the line's calls; "" for none
    DWORD mediaModes = 0;    // LINEMEDIAMODE_* bits
    DWORD bearerModes = 0;   // LINEBEARERMODE_* bits
    DWORD permanentId = 0;
    std::string instanceId;  // device instance of a modem line; "" for an extra line
};

// Reads the lines as TAPI does when an application initialises.
std::vector<LineDevice> BuildCatalog();

} // namespace plat::tapi
