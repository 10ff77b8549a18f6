#include "devinst/DevNodes.h"

#include "core/AsciiText.h"
#include "core/Machine.h"
#include "devinst/Text.h"

#include <cfgmgr32.h>

#include <cstdlib>
#include <map>
#include <mutex>
#include <vector>

namespace plat::devinst {
namespace {

struct Tables {
    std::mutex mutex;
    std::map<std::string, DevNodeState> present; // upper-cased instance ID -> state
    std::map<std::string, DWORD> handleOf;       // upper-cased instance ID -> DEVINST
    std::vector<std::string> idOf;               // DEVINST - 1 -> instance ID
};

Tables& tables()
{
    static Tables t;
    return t;
}

struct NamedBit {
    const char* name;
    DWORD value;
};

const NamedBit kStatusBits[] = {
    {"DN_ROOT_ENUMERATED", DN_ROOT_ENUMERATED}, {"DN_DRIVER_LOADED", DN_DRIVER_LOADED},
    {"DN_ENUM_LOADED", DN_ENUM_LOADED},         {"DN_STARTED", DN_STARTED},
    {"DN_MANUAL", DN_MANUAL},                   {"DN_NEED_TO_ENUM", DN_NEED_TO_ENUM},
    {"DN_NOT_FIRST_TIME", DN_NOT_FIRST_TIME},   {"DN_HARDWARE_ENUM", DN_HARDWARE_ENUM},
    {"DN_LIAR", DN_LIAR},                       {"DN_HAS_MARK", DN_HAS_MARK},
    {"DN_HAS_PROBLEM", DN_HAS_PROBLEM},         {"DN_FILTERED", DN_FILTERED},
    {"DN_MOVED", DN_MOVED},                     {"DN_DISABLEABLE", DN_DISABLEABLE},
    {"DN_REMOVABLE", DN_REMOVABLE},             {"DN_PRIVATE_PROBLEM", DN_PRIVATE_PROBLEM},
    {"DN_MF_PARENT", DN_MF_PARENT},             {"DN_MF_CHILD", DN_MF_CHILD},
    {"DN_WILL_BE_REMOVED", DN_WILL_BE_REMOVED}, {"DN_NOT_FIRST_TIMEE", DN_NOT_FIRST_TIMEE},
    {"DN_STOP_FREE_RES", DN_STOP_FREE_RES},     {"DN_REBAL_CANDIDATE", DN_REBAL_CANDIDATE},
    {"DN_BAD_PARTIAL", DN_BAD_PARTIAL},         {"DN_NT_ENUMERATOR", DN_NT_ENUMERATOR},
    {"DN_NT_DRIVER", DN_NT_DRIVER},             {"DN_NEEDS_LOCKING", DN_NEEDS_LOCKING},
    {"DN_ARM_WAKEUP", DN_ARM_WAKEUP},           {"DN_APM_ENUMERATOR", DN_APM_ENUMERATOR},
    {"DN_APM_DRIVER", DN_APM_DRIVER},           {"DN_SILENT_INSTALL", DN_SILENT_INSTALL},
    {"DN_NO_SHOW_IN_DM", DN_NO_SHOW_IN_DM},     {"DN_BOOT_LOG_PROB", DN_BOOT_LOG_PROB},
};

const NamedBit kProblems[] = {
    {"CM_PROB_NOT_CONFIGURED", CM_PROB_NOT_CONFIGURED},
    {"CM_PROB_FAILED_START", CM_PROB_FAILED_START},
    {"CM_PROB_NEED_RESTART", CM_PROB_NEED_RESTART},
    {"CM_PROB_REINSTALL", CM_PROB_REINSTALL},
    {"CM_PROB_REGISTRY", CM_PROB_REGISTRY},
    {"CM_PROB_DISABLED", CM_PROB_DISABLED},
    {"CM_PROB_DEVICE_NOT_THERE", CM_PROB_DEVICE_NOT_THERE},
    {"CM_PROB_FAILED_INSTALL", CM_PROB_FAILED_INSTALL},
    {"CM_PROB_HARDWARE_DISABLED", CM_PROB_HARDWARE_DISABLED},
    {"CM_PROB_FAILED_ADD", CM_PROB_FAILED_ADD},
    {"CM_PROB_DISABLED_SERVICE", CM_PROB_DISABLED_SERVICE},
    {"CM_PROB_FAILED_DRIVER_ENTRY", CM_PROB_FAILED_DRIVER_ENTRY},
    {"CM_PROB_DRIVER_FAILED_LOAD", CM_PROB_DRIVER_FAILED_LOAD},
    {"CM_PROB_DRIVER_SERVICE_KEY_INVALID", CM_PROB_DRIVER_SERVICE_KEY_INVALID},
    {"CM_PROB_FAILED_POST_START", CM_PROB_FAILED_POST_START},
    {"CM_PROB_HALTED", CM_PROB_HALTED},
    {"CM_PROB_PHANTOM", CM_PROB_PHANTOM},
    {"CM_PROB_DRIVER_BLOCKED", CM_PROB_DRIVER_BLOCKED},
    {"CM_PROB_UNSIGNED_DRIVER", CM_PROB_UNSIGNED_DRIVER},
};

// A number, or a text: a number ("0x400", "10") or names joined by '|'.
bool parseFlags(const nlohmann::json& value, const NamedBit* names, size_t count, DWORD* out, std::string* why)
{
    if (value.is_number_unsigned() || (value.is_number_integer() && value.get<int64_t>() >= 0)) {
        uint64_t v = value.get<uint64_t>();
        if (v > 0xFFFFFFFFull) {
            *why = "does not fit in 32 bits";
            return false;
        }
        *out = static_cast<DWORD>(v);
        return true;
    }
    if (!value.is_string()) {
        *why = "expected a number or a text such as \"DN_DRIVER_LOADED|DN_STARTED\"";
        return false;
    }
    DWORD result = 0;
    for (const std::string& raw : SplitList(value.get<std::string>(), '|')) {
        std::string part = Trim(raw);
        if (part.empty())
            continue;
        if (part[0] >= '0' && part[0] <= '9') {
            char* end = nullptr;
            unsigned long long v = std::strtoull(part.c_str(), &end, 0);
            if (*end != '\0' || v > 0xFFFFFFFFull) {
                *why = "\"" + part + "\" is not a 32-bit number";
                return false;
            }
            result |= static_cast<DWORD>(v);
            continue;
        }
        bool known = false;
        for (size_t i = 0; i < count; ++i) {
            if (part == names[i].name) {
                result |= names[i].value;
                known = true;
                break;
            }
        }
        if (!known) {
            *why = "unknown name \"" + part + "\"";
            return false;
        }
    }
    *out = result;
    return true;
}

} // namespace

bool LoadDevNodes(const Machine& machine, ProfileError* error)
{
    std::map<std::string, DevNodeState> present;
    auto section = machine.Json().find("devnodes");
    if (section != machine.Json().end()) {
        if (!section->is_object()) {
            *error = machine.KeyError("devnodes", "expected an object of \"instance ID\": {\"status\", \"problem\"}");
            return false;
        }
        for (auto& [id, entry] : section->items()) {
            std::string where = "devnodes." + id;
            if (id.empty() || id.size() >= MAX_DEVICE_ID_LEN) {
                *error = machine.KeyError(where, "an instance ID has 1 to 199 characters");
                return false;
            }
            if (!entry.is_object()) {
                *error = machine.KeyError(where, "expected an object with \"status\" and \"problem\"");
                return false;
            }
            for (auto& [member, ignored] : entry.items()) {
                if (member != "status" && member != "problem") {
                    *error = machine.KeyError(where + "." + member, "unknown member (expected \"status\", \"problem\")");
                    return false;
                }
            }
            DevNodeState state;
            std::string why;
            if (auto s = entry.find("status"); s != entry.end() &&
                                              !parseFlags(*s, kStatusBits, std::size(kStatusBits), &state.status, &why)) {
                *error = machine.KeyError(where + ".status", why);
                return false;
            }
            if (auto p = entry.find("problem"); p != entry.end() &&
                                               !parseFlags(*p, kProblems, std::size(kProblems), &state.problem, &why)) {
                *error = machine.KeyError(where + ".problem", why);
                return false;
            }
            if (state.problem != 0 && !(state.status & DN_HAS_PROBLEM)) {
                *error = machine.KeyError(where, "a problem number needs DN_HAS_PROBLEM in the status");
                return false;
            }
            if (!present.emplace(plat::text::UpperAscii(id), state).second) {
                *error = machine.KeyError(where, "the same device is listed twice (instance IDs ignore case)");
                return false;
            }
        }
    }
    std::lock_guard<std::mutex> lock(tables().mutex);
    tables().present = std::move(present);
    return true;
}

std::optional<DevNodeState> FindDevNode(const std::string& instanceId)
{
    std::lock_guard<std::mutex> lock(tables().mutex);
    auto it = tables().present.find(plat::text::UpperAscii(instanceId));
    if (it == tables().present.end())
        return std::nullopt;
    return it->second;
}

DWORD DevInstOf(const std::string& instanceId)
{
    Tables& t = tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    auto [it, added] = t.handleOf.emplace(plat::text::UpperAscii(instanceId), static_cast<DWORD>(t.idOf.size() + 1));
    if (added)
        t.idOf.push_back(instanceId);
    else
        t.idOf[it->second - 1] = instanceId; // keep the spelling of the current machine
    return it->second;
}

std::optional<std::string> InstanceIdOf(DWORD devInst)
{
    Tables& t = tables();
    std::lock_guard<std::mutex> lock(t.mutex);
    if (devInst == 0 || devInst > t.idOf.size())
        return std::nullopt;
    return t.idOf[devInst - 1];
}

} // namespace plat::devinst
