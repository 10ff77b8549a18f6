// Test support: machine profiles with installed modems (registry Enum and
// Class keys), COM ports and the emulated modem behind them, loaded with the
// registry, serial and TAPI families.
#pragma once

#include "core/testing/TempProfile.h"
#include "registry/Loader.h"
#include "registry/RegExportText.h"
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

// The registry of `modems`: each one's Enum key and its driver's Class key.
inline std::string RegistryFor(const std::vector<ModemEntry>& modems)
{
    using namespace plat::registry;
    std::string reg = kRegFileHeader;
    for (const ModemEntry& m : modems) {
        std::string driver = std::string(m.classGuid) + "\\" + m.driver;
        reg += RegKeyLine("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\" + m.instanceId);
        if (!m.className.empty())
            reg += RegStringLine("Class", m.className);
        reg += RegStringLine("ClassGUID", m.classGuid);
        reg += RegStringLine("Driver", driver) + "\r\n";
        reg += RegKeyLine("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\" + driver);
        if (!m.friendlyName.empty())
            reg += RegStringLine("FriendlyName", m.friendlyName);
        if (!m.attachedTo.empty())
            reg += RegStringLine("AttachedTo", m.attachedTo);
        reg += "\r\n";
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
