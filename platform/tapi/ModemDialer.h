// How the modem provider dials: it writes "ATDT<number>" CR to the modem's
// port and reads the modem's lines until a final result. Verbose and
// numeric results both count; the command's echo and information lines
// are passed over.
#pragma once

#include <win/types.h>

#include <atomic>
#include <optional>
#include <string>

namespace plat::tapi {

enum class DialResult {
    Connected,  // CONNECT (with or without a speed), or OK after a dial string ending in ';'
    Busy,       // BUSY
    NoAnswer,   // NO ANSWER, or no final result in time
    NoDialtone, // NO DIALTONE / NO DIAL TONE
    NoCarrier,  // NO CARRIER
    Error,      // ERROR
    Aborted,    // the call was dropped while dialling
    PortFailed, // the port refused a read or write
};

// The final result that one line of the modem's output stands for; nullopt
// for anything else (the echo, blank and information lines).
std::optional<DialResult> ClassifyModemLine(const std::string& line);

// The LINEDISCONNECTMODE_* that a failed dial reports.
DWORD DisconnectModeOf(DialResult result);

// Dials `number` through the modem on `port` (opened overlapped) and waits
// up to `timeoutMs` of machine time for the outcome. Setting `abort` stops
// the dial: the provider sends a CR, which makes the modem give up.
DialResult DialModem(HANDLE port, const std::string& number, const std::atomic<bool>& abort, DWORD timeoutMs);

} // namespace plat::tapi
