// Test support for the registry check: a copy of a machine whose driver INF
// and registry a test changes, and one verification run on it.
#pragma once

#include "MachineCopy.h"
#include "ModemDevice.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace verify_testing {

using modem_testing::CountLines;
using modem_testing::InOrder;

// The modem's driver key on the default machine.
inline const char kDriverKey[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";
// The modem's response table on the default machine.
inline const char kResponsesKey[] = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Unimodem\\"
                                    "DeviceSpecific\\Tarn HDA56 Soft Data Fax Modem::Tarn::Tarn\\Responses";
inline const char kInf[] = "drive_c/Windows/INF/oem12.inf";

struct Verification {
    int result = -1;
    std::vector<std::string> lines; // the verification's trace lines alone
};

class DriverMachine {
public:
    explicit DriverMachine(const std::string& name = "default") : m_machine(name) {}

    // Makes the install section's AddReg directive name `sections` and adds
    // the INF text `text` (sections written with "\n" line ends).
    void SetAddReg(const std::string& sections, const std::string& text)
    {
        std::string inf = m_machine.Read(kInf);
        const std::string directive = "AddReg = All, MfgAddReg, Responses";
        inf.replace(inf.find(directive), directive.size(), "AddReg = " + sections);
        m_machine.Write(kInf, inf + "\r\n" + text);
    }
    // Adds INF text at the end of the driver INF.
    void AppendInf(const std::string& text) { m_machine.Write(kInf, m_machine.Read(kInf) + "\r\n" + text); }
    // Registry lines applied over the machine's own: `key` below the driver
    // key ("" for the driver key itself), then value lines.
    void DriverKey(const std::string& key, const std::string& values)
    {
        Registry(std::string(kDriverKey) + (key.empty() ? "" : "\\" + key), values);
    }
    void Registry(const std::string& fullKey, const std::string& values)
    {
        m_reg += "[" + fullKey + "]\n" + values + "\n";
    }
    // The system, user and UI language of the machine.
    void SetLanguage(int langId)
    {
        char text[8];
        snprintf(text, sizeof(text), "0x%04x", langId);
        m_machine.EditJson([&](nlohmann::json& json) {
            json["languages"] = {{"systemDefault", text}, {"userDefault", text}, {"userUI", text}};
        });
    }
    void SetOsMajor(int major)
    {
        m_machine.EditJson([&](nlohmann::json& json) { json["os"]["major"] = major; });
    }

    // Loads the machine, finds the modem and, with `checkFiles`, runs the
    // file check (which records the country file), then verifies.
    Verification Verify(bool checkFiles = true)
    {
        Verification out;
        CModemDevice modem;
        if (!Find(modem))
            return out;
        if (checkFiles && modem.VerifyModemFiles() != 1)
            ADD_FAILURE() << "the file check failed";
        modem_testing::StartTrace();
        out.result = modem.VerifyModemRegistry();
        out.lines = modem_testing::TraceLines();
        return out;
    }

    bool Find(CModemDevice& modem)
    {
        if (!m_reg.empty())
            m_machine.AddReg(m_reg);
        std::string error = m_machine.Load();
        EXPECT_EQ(error, "");
        bool found = error.empty() && modem.SearchModem();
        EXPECT_TRUE(found) << "the modem was not found";
        return found;
    }

private:
    modem_testing::MachineCopy m_machine;
    std::string m_reg;
};

// The verification of one AddReg section `text` named "T" against the
// default machine with the driver-key lines `values` under `key`.
inline Verification VerifySection(const std::string& text, const std::string& key = "",
                                  const std::string& values = "")
{
    DriverMachine machine;
    machine.SetAddReg("T", "[T]\n" + text);
    if (!values.empty())
        machine.DriverKey(key, values);
    return machine.Verify(false);
}

// The failure line of a verification: the line before "~~ Failed ~~".
inline std::string FailureLine(const Verification& out)
{
    for (size_t i = 1; i < out.lines.size(); ++i) {
        if (out.lines[i] == "~~ Failed ~~")
            return out.lines[i - 1];
    }
    return "";
}

} // namespace verify_testing
