// Test support: machine profiles with installed modems (registry Enum and
// Class keys), COM ports and the emulated modem behind them, loaded with the
// registry, serial and TAPI families.
#pragma once

#include "core/testing/TempProfile.h"
#include "registry/RegistryLoader.h"
#include "serial/Serial.h"
#include "tapi/TapiProfile.h"

#include <string>
#include <vector>

namespace plat::tapi::testing {

inline const char kModemClassGuid[] = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";

struct ModemEntry {
    std::string instanceId = "PCI\\VEN_1057&DEV_5600\\4&1F6B0000&0&00E1";
    std::string driver = "0000"; // driver key below the modem class key
    std::string friendlyName = "Virtual Data Fax Modem";
    std::string attachedTo = "COM3";
    std::string className = "Modem";
    std::string classGuid = kModemClassGuid;
};

// The emulated modem "m" on COM3 at a hundredth of its speed, with a number
// for each dial outcome ("5550" connects).
inline const char kModemOnCom3[] = R"(
  "ports": {"COM3": {"modem": "m"}},
  "modems": {"m": {"timeScale": 0.01,
                   "dial": {"default": "CONNECT",
                            "numbers": {"5551": "BUSY", "5552": "NO ANSWER", "5553": "NO DIALTONE",
                                        "5554": "NO CARRIER"}}}})";

inline std::string RegEscape(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out;
}

inline std::string RegistryFor(const std::vector<ModemEntry>& modems)
{
    std::string reg = "Windows Registry Editor Version 5.00\r\n";
    for (const ModemEntry& m : modems) {
        std::string driver = std::string(m.classGuid) + "\\" + m.driver;
        reg += "\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\" + m.instanceId + "]\r\n";
        if (!m.className.empty())
            reg += "\"Class\"=\"" + m.className + "\"\r\n";
        reg += "\"ClassGUID\"=\"" + m.classGuid + "\"\r\n";
        reg += "\"Driver\"=\"" + RegEscape(driver) + "\"\r\n";
        reg += "\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\" + driver + "]\r\n";
        if (!m.friendlyName.empty())
            reg += "\"FriendlyName\"=\"" + RegEscape(m.friendlyName) + "\"\r\n";
        if (!m.attachedTo.empty())
            reg += "\"AttachedTo\"=\"" + m.attachedTo + "\"\r\n";
    }
    return reg;
}

class TapiMachine {
public:
    TapiMachine()
    {
        plat::registry::RegisterLoader();
        plat::serial::RegisterLoader();
        plat::tapi::RegisterLoader();
    }

    // Loads a machine with `modems` installed and `json` (the members of
    // machine.json's top-level object); "" or the error text.
    std::string Load(const std::vector<ModemEntry>& modems, const std::string& json)
    {
        m_profile.Write("registry/10-modems.reg", RegistryFor(modems));
        m_profile.Write("machine.json", "{" + json + "}");
        return m_profile.Load();
    }

    const plat::testing::TempProfile& Profile() const { return m_profile; }

private:
    plat::testing::TempProfile m_profile;
};

} // namespace plat::tapi::testing
