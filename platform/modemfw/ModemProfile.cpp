#include "modemfw/ModemProfile.h"

#include "modemfw/SettingsParser.h"

#include "core/JsonText.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace plat::modemfw {
namespace {

bool readJsonFile(const std::string& path, nlohmann::json* out, ProfileError* error)
{
    // A device node or a folder named as a settings file would be read for
    // ever (/dev/zero) or not at all.
    std::error_code ec;
    if (std::filesystem::exists(path, ec) && !std::filesystem::is_regular_file(path, ec)) {
        *error = ProfileError{path, 0, "", "cannot be read: not a regular file"};
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = ProfileError{path, 0, "", "cannot be read"};
        return false;
    }
    std::stringstream buffer;
    buffer << in.rdbuf();
    std::string text = buffer.str();
    return ParseJsonText(text, path, out, error);
}

ProfileError fromSettingsError(const std::string& file, const SettingsError& e)
{
    // A fault of the whole file's value (not an object) has no key: it is
    // the value that starts the file.
    return ProfileError{file, e.key.empty() ? 1 : 0, e.key, e.message};
}

} // namespace

bool LoadSettingsFile(const std::string& path, ModemSettings* out, ProfileError* error)
{
    nlohmann::json json;
    if (!readJsonFile(path, &json, error))
        return false;
    SettingsError e;
    if (!ParseSettings(json, "", out, &e)) {
        *error = fromSettingsError(path, e);
        return false;
    }
    return true;
}

std::vector<std::string> ProfileModemNames(const Machine& machine)
{
    std::vector<std::string> names;
    auto modems = machine.Json().find("modems");
    if (modems != machine.Json().end() && modems->is_object()) {
        for (auto& [name, value] : modems->items())
            names.push_back(name);
    }
    return names;
}

bool LoadProfileModem(const Machine& machine, const std::string& name, ModemSettings* out, ProfileError* error)
{
    auto modems = machine.Json().find("modems");
    if (modems == machine.Json().end() || !modems->is_object()) {
        *error = machine.KeyError("modems", "no \"modems\" object, so there is no modem \"" + name + "\"");
        return false;
    }
    auto entry = modems->find(name);
    if (entry == modems->end()) {
        *error = machine.KeyError("modems." + name, "no such modem");
        return false;
    }
    if (!entry->is_object()) {
        *error = machine.KeyError("modems." + name, "expected an object of modem settings");
        return false;
    }
    // A "settings" file gives the base; keys beside it replace the file's.
    nlohmann::json merged = nlohmann::json::object();
    if (auto file = entry->find("settings"); file != entry->end()) {
        if (!file->is_string()) {
            *error = machine.KeyError("modems." + name + ".settings", "expected a file name relative to the profile");
            return false;
        }
        std::string path = file->get<std::string>();
        if (path.empty() || path[0] != '/')
            path = machine.ProfilePath(path);
        ModemSettings check;
        if (!readJsonFile(path, &merged, error) || !LoadSettingsFile(path, &check, error))
            return false;
    }
    for (auto& [key, value] : entry->items()) {
        if (key != "settings")
            merged[key] = value;
    }
    SettingsError e;
    if (!ParseSettings(merged, "modems." + name + ".", out, &e)) {
        *error = fromSettingsError(machine.JsonPath(), e);
        return false;
    }
    return true;
}

} // namespace plat::modemfw
