// Reads a modem's settings from JSON (a "modems" entry of machine.json, or
// a settings file of the standalone program). Unknown keys and values of the
// wrong type are refused with the dotted key that holds them.
#pragma once

#include "modemfw/ModemSettings.h"

#include <nlohmann/json.hpp>

#include <string>

namespace plat::modemfw {

struct SettingsError {
    std::string key;     // dotted path, e.g. "modems.soft.faults.ATZ.kind"
    std::string message; // what is wrong
};

// Parses `json` (an object) into `out`, starting from the defaults.
// `keyPrefix` is prepended to keys in errors ("modems.soft.").
bool ParseSettings(const nlohmann::json& json, const std::string& keyPrefix, ModemSettings* out,
                   SettingsError* error);

} // namespace plat::modemfw
