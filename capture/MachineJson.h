// machine.json of a captured PC: OS version, languages, the program folder,
// the device nodes and the COM ports.
#pragma once

#include "Devices.h"
#include "SystemInfo.h"

#include <string>
#include <vector>

namespace capture {

struct MachineFacts {
    SystemInfo system;
    std::vector<CapturedDevice> devices; // the present ones become devnodes
    std::string programFolder;           // App Paths "Path", "" when none
    std::string modemPort;               // the served modem's AttachedTo, "" when none
};

// The name under "modems" of the emulator that stands for the served modem.
extern const char kCapturedModemName[];

std::string MachineJsonText(const MachineFacts& facts);

// The status bits as DN_ names joined by '|' (bits without a name as a
// number), "0" for none.
std::string StatusText(ULONG status);

// A JSON string literal.
std::string JsonString(const std::string& text);

} // namespace capture
