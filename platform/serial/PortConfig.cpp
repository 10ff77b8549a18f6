#include "serial/PortConfig.h"

#include "core/AsciiText.h"
#include "modemfw/ModemProfile.h"

#include <cctype>

namespace plat::serial {
namespace {

constexpr unsigned kSpeeds[] = {1200, 2400, 4800, 9600, 19200, 38400, 57600, 115200, 230400};

// "COM1" .. "COM255", any case; the upper-cased name or "".
std::string portName(const std::string& key)
{
    std::string up = text::UpperAscii(key);
    if (up.size() < 4 || up.size() > 6 || up.compare(0, 3, "COM") != 0 || up[3] == '0')
        return {};
    unsigned n = 0;
    for (size_t i = 3; i < up.size(); ++i) {
        if (!std::isdigit(static_cast<unsigned char>(up[i])))
            return {};
        n = n * 10 + static_cast<unsigned>(up[i] - '0');
    }
    return n <= 255 ? up : std::string();
}

bool readPort(const Machine& machine, const std::string& key, const nlohmann::json& value, PortConfig* port,
              ProfileError* error)
{
    const std::string where = "ports." + key + ".";
    if (!value.is_object()) {
        *error = machine.KeyError("ports." + key,
                                  "expected an object with \"modem\", \"device\" or \"absent\": true");
        return false;
    }
    int kinds = 0;
    for (auto& [name, v] : value.items()) {
        if (name == "modem") {
            ++kinds;
            port->kind = PortConfig::Kind::Modem;
            if (!machine.ReadString(value, "modem", where, &port->modem, error))
                return false;
        } else if (name == "device") {
            ++kinds;
            port->kind = PortConfig::Kind::Device;
            if (!machine.ReadString(value, "device", where, &port->device, error))
                return false;
            if (port->device.empty() || port->device[0] != '/') {
                *error = machine.KeyError(where + "device", "expected the absolute path of a tty");
                return false;
            }
        } else if (name == "absent") {
            ++kinds;
            port->kind = PortConfig::Kind::Absent;
            if (!v.is_boolean() || !v.get<bool>()) {
                *error = machine.KeyError(where + "absent", "expected true");
                return false;
            }
        } else if (name == "heldBy") {
            if (!machine.ReadString(value, "heldBy", where, &port->heldBy, error))
                return false;
            if (port->heldBy.empty()) {
                *error = machine.KeyError(where + "heldBy", "name the program that holds the port");
                return false;
            }
        } else if (name == "baud") {
            DWORD baud = 0;
            if (!machine.ReadUInt(value, "baud", where, &baud, error))
                return false;
            bool known = false;
            for (unsigned s : kSpeeds)
                known = known || s == baud;
            if (!known) {
                *error = machine.KeyError(where + "baud", "not a serial speed (1200 .. 230400)");
                return false;
            }
            port->baud = baud;
        } else {
            *error = machine.KeyError(where + name, "unknown key (modem, device, baud, absent, heldBy)");
            return false;
        }
    }
    if (kinds != 1) {
        *error = machine.KeyError("ports." + key, "give exactly one of \"modem\", \"device\" and \"absent\"");
        return false;
    }
    if (port->baud != 0 && port->kind != PortConfig::Kind::Device) {
        *error = machine.KeyError(where + "baud", "only a \"device\" port has a speed");
        return false;
    }
    if (!port->heldBy.empty() && port->kind == PortConfig::Kind::Absent) {
        *error = machine.KeyError(where + "heldBy", "an absent port cannot be held");
        return false;
    }
    return true;
}

} // namespace

bool ReadPortConfigs(const Machine& machine, std::vector<PortConfig>* out, ProfileError* error)
{
    out->clear();
    const nlohmann::json& json = machine.Json();
    if (auto modems = json.find("modems"); modems != json.end()) {
        if (!modems->is_object()) {
            *error = machine.KeyError("modems", "expected an object of named modems");
            return false;
        }
        for (const std::string& name : modemfw::ProfileModemNames(machine)) {
            modemfw::ModemSettings ignored;
            if (!modemfw::LoadProfileModem(machine, name, &ignored, error))
                return false;
        }
    }
    auto ports = json.find("ports");
    if (ports == json.end())
        return true;
    if (!ports->is_object()) {
        *error = machine.KeyError("ports", "expected an object of COM ports, such as {\"COM3\": {\"modem\": \"m\"}}");
        return false;
    }
    for (auto& [key, value] : ports->items()) {
        PortConfig port;
        port.name = portName(key);
        if (port.name.empty()) {
            *error = machine.KeyError("ports." + key, "a port name is COM1 .. COM255");
            return false;
        }
        for (const PortConfig& earlier : *out) {
            if (earlier.name == port.name) {
                *error = machine.KeyError("ports." + key, "the port is named twice");
                return false;
            }
        }
        if (!readPort(machine, key, value, &port, error))
            return false;
        if (port.kind == PortConfig::Kind::Modem &&
            !modemfw::LoadProfileModem(machine, port.modem, &port.settings, error)) {
            if (error->key == "modems." + port.modem || error->key == "modems")
                *error = machine.KeyError("ports." + key + ".modem", "no modem \"" + port.modem + "\" in \"modems\"");
            return false;
        }
        out->push_back(std::move(port));
    }
    return true;
}

} // namespace plat::serial
