// The machine's COM ports as the "ports" section of machine.json describes
// them: the built-in modem emulator on a pty, a real tty, or nothing; a port
// may be held by another program from the start.
#pragma once

#include "core/Machine.h"
#include "modemfw/ModemSettings.h"

#include <string>
#include <vector>

namespace plat::serial {

struct PortConfig {
    enum class Kind { Modem, Device, Absent };

    std::string name; // "COM3"
    Kind kind = Kind::Absent;
    std::string modem; // Kind::Modem: the "modems" entry
    modemfw::ModemSettings settings;
    std::string device; // Kind::Device: the tty's path
    unsigned baud = 0;  // Kind::Device: 0 keeps the device's speed
    std::string heldBy; // another program that holds the port open
};

// Reads "ports" (and every "modems" entry, so a broken modem is refused even
// when no port uses it).
bool ReadPortConfigs(const Machine& machine, std::vector<PortConfig>* out, ProfileError* error);

} // namespace plat::serial
