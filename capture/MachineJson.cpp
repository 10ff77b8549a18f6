#include "MachineJson.h"

#include "Text.h"

#include <cfgmgr32.h>

#include <cstdio>

namespace capture {

const char kCapturedModemName[] = "captured";

namespace {

struct StatusBit {
    ULONG bit;
    const char* name;
};

const StatusBit kStatusBits[] = {
    {0x00000001, "DN_ROOT_ENUMERATED"}, {0x00000002, "DN_DRIVER_LOADED"},  {0x00000004, "DN_ENUM_LOADED"},
    {0x00000008, "DN_STARTED"},         {0x00000010, "DN_MANUAL"},         {0x00000020, "DN_NEED_TO_ENUM"},
    {0x00000040, "DN_NOT_FIRST_TIME"},  {0x00000080, "DN_HARDWARE_ENUM"},  {0x00000100, "DN_LIAR"},
    {0x00000200, "DN_HAS_MARK"},        {0x00000400, "DN_HAS_PROBLEM"},    {0x00000800, "DN_FILTERED"},
    {0x00001000, "DN_MOVED"},           {0x00002000, "DN_DISABLEABLE"},    {0x00004000, "DN_REMOVABLE"},
    {0x00008000, "DN_PRIVATE_PROBLEM"}, {0x00010000, "DN_MF_PARENT"},      {0x00020000, "DN_MF_CHILD"},
    {0x00040000, "DN_WILL_BE_REMOVED"}, {0x00080000, "DN_NOT_FIRST_TIMEE"}, {0x00100000, "DN_STOP_FREE_RES"},
    {0x00200000, "DN_REBAL_CANDIDATE"}, {0x00400000, "DN_BAD_PARTIAL"},    {0x00800000, "DN_NT_ENUMERATOR"},
    {0x01000000, "DN_NT_DRIVER"},       {0x02000000, "DN_NEEDS_LOCKING"},  {0x04000000, "DN_ARM_WAKEUP"},
    {0x08000000, "DN_APM_ENUMERATOR"},  {0x10000000, "DN_APM_DRIVER"},     {0x20000000, "DN_SILENT_INSTALL"},
    {0x40000000, "DN_NO_SHOW_IN_DM"},   {0x80000000, "DN_BOOT_LOG_PROB"},
};

std::string hexLangId(LANGID id)
{
    char text[16];
    std::snprintf(text, sizeof(text), "0x%04X", (unsigned)id);
    return JsonString(text);
}

} // namespace

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += (char)c;
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof(escape), "\\u%04x", (unsigned)c);
            out += escape;
        } else {
            out += (char)c;
        }
    }
    return out + "\"";
}

std::string StatusText(ULONG status)
{
    std::string out;
    for (const StatusBit& bit : kStatusBits) {
        if (!(status & bit.bit))
            continue;
        if (!out.empty())
            out += '|';
        out += bit.name;
    }
    return out.empty() ? "0" : out;
}

std::string MachineJsonText(const MachineFacts& facts)
{
    const SystemInfo& sys = facts.system;
    std::string out = "{\n";
    out += "  \"os\": {\n";
    out += "    \"major\": " + std::to_string(sys.major) + ",\n";
    out += "    \"minor\": " + std::to_string(sys.minor) + ",\n";
    out += "    \"build\": " + std::to_string(sys.build) + ",\n";
    out += "    \"platformId\": " + std::to_string(sys.platformId) + ",\n";
    out += "    \"csd\": " + JsonString(sys.csd) + ",\n";
    out += "    \"bits\": " + std::to_string(sys.bits) + "\n";
    out += "  },\n";
    out += "  \"languages\": {\n";
    out += "    \"systemDefault\": " + hexLangId(sys.systemDefault) + ",\n";
    out += "    \"userDefault\": " + hexLangId(sys.userDefault) + ",\n";
    out += "    \"userUI\": " + hexLangId(sys.userUI) + "\n";
    out += "  },\n";
    out += "  \"windowsDirectory\": " + JsonString(sys.windowsDirectory) + ",\n";
    if (!facts.programFolder.empty())
        out += "  \"folders\": {\n    " + JsonString(facts.programFolder) + ": \"@bin\"\n  },\n";

    out += "  \"devnodes\": {";
    bool first = true;
    for (const CapturedDevice& device : facts.devices) {
        if (!device.present)
            continue;
        out += first ? "\n" : ",\n";
        first = false;
        out += "    " + JsonString(device.instanceId) + ": {\n";
        out += "      \"status\": " + JsonString(StatusText(device.status)) + ",\n";
        // A problem number means something only with DN_HAS_PROBLEM set.
        ULONG problem = (device.status & DN_HAS_PROBLEM) ? device.problem : 0;
        out += "      \"problem\": " + std::to_string(problem) + "\n    }";
    }
    out += first ? "},\n" : "\n  },\n";

    out += "  \"ports\": {";
    first = true;
    for (const std::string& port : sys.comPorts) {
        out += first ? "\n" : ",\n";
        first = false;
        // Only the served modem's port has something behind it here: the
        // built-in modem emulator. The other ports are named but not there.
        if (EqualNoCase(port, facts.modemPort))
            out += "    " + JsonString(port) + ": {\"modem\": " + JsonString(kCapturedModemName) + "}";
        else
            out += "    " + JsonString(port) + ": {\"absent\": true}";
    }
    out += first ? "}" : "\n  }";
    if (!facts.modemPort.empty())
        out += ",\n  \"modems\": {\n    " + JsonString(kCapturedModemName) + ": {}\n  }";
    return out + "\n}\n";
}

} // namespace capture
