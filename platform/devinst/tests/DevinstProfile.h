// Test support: a small PC for the device installer's tests, built from
// device descriptions into a TempProfile (registry, devnodes, INF files).
#pragma once

#include "core/testing/TempProfile.h"
#include "devinst/DevNodes.h"
#include "registry/RegExportText.h"

#include <map>
#include <utility>
#include <string>
#include <vector>

namespace plat::devinst::testing {

struct TestDevice {
    TestDevice(std::string id, std::string guid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}", std::string drv = "",
               std::string state = "", std::string prob = "0", std::string extra = "")
        : instanceId(std::move(id)), classGuid(std::move(guid)), driver(std::move(drv)), status(std::move(state)),
          problem(std::move(prob)), extraValues(std::move(extra))
    {
    }
    std::string instanceId;
    std::string classGuid;
    std::string driver;      // "Driver" value; empty for none
    std::string status;      // devnode status; empty = not present
    std::string problem;     // devnode problem
    std::string extraValues; // further .reg value lines of the instance key
};

class DevinstProfile {
public:
    DevinstProfile() { RegisterLoader(); }

    void Add(const TestDevice& device) { m_devices.push_back(device); }
    // Lines of a key below HKLM (path without the root) appended to the registry.
    void AddKey(const std::string& path, const std::string& values)
    {
        m_extra += registry::RegKeyLine("HKEY_LOCAL_MACHINE\\" + path) + values + "\n";
    }
    void SetOs(const std::string& os) { m_os = os; }
    void WriteInf(const std::string& name, const std::string& text) const
    {
        m_profile.Write("drive_c/Windows/INF/" + name, text);
    }
    void WriteFile(const std::string& relative, const std::string& text) const { m_profile.Write(relative, text); }

    // Writes everything and loads it; "" or the error.
    std::string Load() const
    {
        std::string reg = registry::kRegFileHeader;
        std::string devnodes;
        for (const TestDevice& d : m_devices) {
            reg += registry::RegKeyLine("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\" + d.instanceId);
            reg += registry::RegStringLine("ClassGUID", d.classGuid);
            if (!d.driver.empty())
                reg += registry::RegStringLine("Driver", d.driver);
            reg += d.extraValues + "\n";
            if (!d.status.empty()) {
                devnodes += std::string(devnodes.empty() ? "" : ",\n") + "\"" + escape(d.instanceId) +
                            "\": {\"status\": \"" + d.status + "\", \"problem\": \"" + d.problem + "\"}";
            }
        }
        m_profile.Write("registry/10-devices.reg", reg + m_extra);
        m_profile.Write("machine.json", "{\"os\": " + m_os + ",\n\"devnodes\": {" + devnodes + "}}");
        return m_profile.Load();
    }

    const plat::testing::TempProfile& Profile() const { return m_profile; }

    // A JSON string's content: backslashes and quotes escaped.
    static std::string escape(const std::string& text)
    {
        std::string out;
        for (char c : text) {
            if (c == '\\' || c == '"')
                out += '\\';
            out += c;
        }
        return out;
    }

private:
    plat::testing::TempProfile m_profile;
    std::vector<TestDevice> m_devices;
    std::string m_extra;
    std::string m_os = "{\"major\": 10, \"minor\": 0, \"build\": 19045, \"bits\": 64}";
};

} // namespace plat::devinst::testing
