#include "tapi/TapiProfile.h"

#include "core/Machine.h"
#include "tapi/Objects.h"

#include <tapi.h>

#include <mutex>

namespace plat::tapi {
namespace {

struct MediaName {
    const char* name;
    DWORD bit;
};

const MediaName kMediaNames[] = {
    {"unknown", LINEMEDIAMODE_UNKNOWN},
    {"interactivevoice", LINEMEDIAMODE_INTERACTIVEVOICE},
    {"automatedvoice", LINEMEDIAMODE_AUTOMATEDVOICE},
    {"datamodem", LINEMEDIAMODE_DATAMODEM},
    {"g3fax", LINEMEDIAMODE_G3FAX},
    {"tdd", LINEMEDIAMODE_TDD},
    {"g4fax", LINEMEDIAMODE_G4FAX},
    {"digitaldata", LINEMEDIAMODE_DIGITALDATA},
    {"teletex", LINEMEDIAMODE_TELETEX},
    {"videotex", LINEMEDIAMODE_VIDEOTEX},
    {"telex", LINEMEDIAMODE_TELEX},
    {"mixed", LINEMEDIAMODE_MIXED},
    {"adsi", LINEMEDIAMODE_ADSI},
    {"voiceview", LINEMEDIAMODE_VOICEVIEW},
    {"video", LINEMEDIAMODE_VIDEO},
};

std::mutex g_mutex;
std::vector<ExtraLine>& extraLines()
{
    static std::vector<ExtraLine> lines;
    return lines;
}

bool readMediaModes(const Machine& machine, const nlohmann::json& value, const std::string& where, DWORD* out,
                    ProfileError* error)
{
    if (!value.is_array() || value.empty()) {
        *error = machine.KeyError(where, "expected a non-empty list such as [\"interactivevoice\", \"datamodem\"]");
        return false;
    }
    DWORD modes = 0;
    for (const auto& item : value) {
        bool known = false;
        if (item.is_string()) {
            for (const MediaName& m : kMediaNames) {
                if (item.get<std::string>() == m.name) {
                    modes |= m.bit;
                    known = true;
                }
            }
        }
        if (!known) {
            std::string names;
            for (const MediaName& m : kMediaNames)
                names += std::string(names.empty() ? "" : ", ") + m.name;
            *error = machine.KeyError(where, "unknown media mode " + item.dump() + " (known: " + names + ")");
            return false;
        }
    }
    *out = modes;
    return true;
}

bool readExtraLine(const Machine& machine, const nlohmann::json& entry, const std::string& where, ExtraLine* out,
                   ProfileError* error)
{
    if (!entry.is_object()) {
        *error = machine.KeyError(where, "expected an object with \"name\", \"port\", \"mediaModes\", \"before\"");
        return false;
    }
    for (auto& [member, ignored] : entry.items()) {
        if (member != "name" && member != "port" && member != "mediaModes" && member != "before") {
            *error = machine.KeyError(where + "." + member,
                                      "unknown member (expected \"name\", \"port\", \"mediaModes\", \"before\")");
            return false;
        }
    }
    if (!machine.ReadString(entry, "name", where + ".", &out->name, error))
        return false;
    if (out->name.empty()) {
        *error = machine.KeyError(where + ".name", "a line needs a name");
        return false;
    }
    if (!machine.ReadString(entry, "port", where + ".", &out->port, error))
        return false;
    out->mediaModes = out->port.empty() ? LINEMEDIAMODE_INTERACTIVEVOICE
                                        : LINEMEDIAMODE_INTERACTIVEVOICE | LINEMEDIAMODE_DATAMODEM;
    if (auto m = entry.find("mediaModes"); m != entry.end() &&
                                           !readMediaModes(machine, *m, where + ".mediaModes", &out->mediaModes, error))
        return false;
    if (auto b = entry.find("before"); b != entry.end()) {
        if (!b->is_boolean()) {
            *error = machine.KeyError(where + ".before", "expected true or false");
            return false;
        }
        out->before = b->get<bool>();
    }
    return true;
}

bool loadTapi(const Machine& machine, ProfileError* error)
{
    std::vector<ExtraLine> lines;
    auto section = machine.Json().find("tapi");
    if (section != machine.Json().end()) {
        if (!section->is_object()) {
            *error = machine.KeyError("tapi", "expected an object with \"extraLines\"");
            return false;
        }
        for (auto& [member, value] : section->items()) {
            if (member != "extraLines") {
                *error = machine.KeyError("tapi." + member, "unknown member (expected \"extraLines\")");
                return false;
            }
            if (!value.is_array()) {
                *error = machine.KeyError("tapi.extraLines", "expected a list of lines");
                return false;
            }
            for (size_t i = 0; i < value.size(); ++i) {
                ExtraLine line;
                if (!readExtraLine(machine, value[i], "tapi.extraLines[" + std::to_string(i) + "]", &line, error))
                    return false;
                lines.push_back(std::move(line));
            }
        }
    }
    // Sessions of the previous machine refer to its devices and ports.
    ShutdownAll();
    std::lock_guard<std::mutex> lock(g_mutex);
    extraLines() = std::move(lines);
    return true;
}

} // namespace

std::vector<ExtraLine> ExtraLines()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return extraLines();
}

void RegisterLoader()
{
    RegisterProfileLoader("tapi", loadTapi);
}

} // namespace plat::tapi
