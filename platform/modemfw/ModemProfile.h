// Where modem settings come from: the "modems" section of machine.json (an
// entry may name a settings file of its own, relative to the profile) or a
// settings file given to the standalone program.
#pragma once

#include "core/Machine.h"
#include "modemfw/ModemSettings.h"

#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace plat::modemfw {

// The settings of the modem `name` in the loaded machine.
bool LoadProfileModem(const Machine& machine, const std::string& name, ModemSettings* out, ProfileError* error);

// The names in the machine's "modems" section (empty when there is none).
std::vector<std::string> ProfileModemNames(const Machine& machine);

// A settings file: one JSON object of modem settings.
bool LoadSettingsFile(const std::string& path, ModemSettings* out, ProfileError* error);

} // namespace plat::modemfw
