// What one emulated modem is: its defaults, its answers and its faults. The
// settings read like a command -> reply table with defaults; anything the
// modem does not know answers ERROR. docs/modem-emulator.md describes them.
#pragma once

#include "modemfw/ResultCodes.h"

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace plat::modemfw {

// A canned reply: information lines, then a result (none: no result).
struct CannedReply {
    std::vector<std::string> text;
    std::optional<ResultCode> result = ResultCode::Ok;
};

enum class DialOutcome { Connect, Busy, NoAnswer, NoCarrier, NoDialtone };

enum class FaultKind {
    NoReply,     // the echo, then nothing
    Delay,       // the reply comes `ms` later than usual ("late" is the same)
    Garbage,     // `bytes` instead of the reply (or before it, with thenReply)
    Partial,     // only the first `partialBytes` bytes of the reply
    Unsolicited, // an unsolicited line (`bytes`) before or after the reply
    PortGone,    // the port goes away `ms` after the command line ended
};

struct Fault {
    FaultKind kind = FaultKind::NoReply;
    double ms = 0;
    std::string bytes;
    std::optional<size_t> partialBytes; // default: half the reply
    bool thenReply = false;             // Garbage: the reply follows the garbage
    bool afterReply = false;            // Unsolicited: `ms` after the reply instead of before it
    int count = -1;                     // how many command lines it hits; -1 = all
};

// Durations in modem milliseconds, before the time scale.
struct Timing {
    double commandMs = 20;    // any command's own processing time
    double resetMs = 300;     // ATZ and AT&F
    double dmaMs = 1000;      // AT|DMA=<n>
    double dialDigitMs = 150; // per dialled digit
    double connectMs = 3000;  // ringing and training before CONNECT
    double busyMs = 2000;     // until the busy tone is recognised
};

struct ModemSettings {
    // All durations are multiplied by this (tests run at 0.01).
    double timeScale = 1.0;

    // State after ATZ: E, V and Q, and S-register values that differ from
    // the built-in defaults.
    bool echo = true;
    bool verbose = true;
    bool quiet = false;
    std::map<int, int> sRegisters;

    // ATI<n> answers; a missing entry answers ERROR.
    std::map<int, CannedReply> identity{{0, {{"56000"}}}, {3, {{"Virtual Data Fax Modem 1.0"}}}};
    // Whole command lines (normalised: upper case, no blanks) with fixed
    // answers; they take precedence over the built-in commands.
    std::map<std::string, CannedReply> commands;

    // Vendor commands the firmware knows: "|DMA", "&T1", "|DT", "|LC".
    std::set<std::string> vendorCommands{"|DMA", "&T1", "|DT", "|LC"};
    bool dmaPasses = true; // AT|DMA answers PASS, else FAIL
    bool loopback = true;  // after AT&T1 the next data byte comes back
    bool dialTone = true;
    int lineCurrent = 40; // mA, printed by AT|LC
    unsigned connectSpeed = 1200;

    // What dialling a number yields; the empty number waits S7 for a carrier.
    DialOutcome dialDefault = DialOutcome::Connect;
    std::map<std::string, DialOutcome> numbers;

    Timing timing;

    // Faults by normalised command line; "*" hits every line.
    std::map<std::string, std::vector<Fault>> faults;
};

// A command line as the modem matches it: upper case, no blanks, no CR/LF.
std::string NormaliseCommand(const std::string& line);

// Digits, '*', '#' and A-D of a dial string; dial modifiers are dropped.
std::string NormaliseNumber(const std::string& dialString);

} // namespace plat::modemfw
