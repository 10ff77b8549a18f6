// The "tapi" section of machine.json: telephony lines that exist besides
// the lines of the installed modems (for example a voice-only line of
// another provider that carries the same name as a modem).
#pragma once

#include <win/types.h>

#include <string>
#include <vector>

namespace plat::tapi {

struct ExtraLine {
    std::string name;
    std::string port;       // COM port the line's calls use; "" for none
    DWORD mediaModes = 0;   // LINEMEDIAMODE_* bits
    bool before = false;    // listed before the modems' lines (else after them)
};

// The extra lines of the loaded machine, in profile order.
std::vector<ExtraLine> ExtraLines();

// Adds the loader of the "tapi" section; it also ends every TAPI session of
// the previous machine.
void RegisterLoader();

} // namespace plat::tapi
