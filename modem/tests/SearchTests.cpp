// Discovery on the built-in machines and on variants of the default PC:
// which device is accepted, the flags, the accessors and the trace lines.
#include "MachineCopy.h"
#include "ModemDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

using modem_testing::CountLines;
using modem_testing::InOrder;
using modem_testing::MachineCopy;
using modem_testing::StartTrace;
using modem_testing::TraceLines;

namespace {

const char kModemId[] = "HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06&SUBSYS_5A1E0101&REV_1002\\4&2A1B3C4D&0&0002";
const char kModemName[] = "Tarn HDA56 Soft Data Fax Modem";
const char kDriverKey[] =
    "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0000";

std::string searchOn(const MachineCopy& machine, CModemDevice& modem)
{
    std::string error = machine.Load();
    if (!error.empty())
        return error;
    StartTrace();
    modem.SearchModem();
    return "";
}

} // namespace

TEST(SearchModem, FindsTheModemOfTheDefaultPc)
{
    MachineCopy machine;
    CModemDevice modem;
    ASSERT_EQ(searchOn(machine, modem), "");
    EXPECT_EQ(modem.m_bFound, 1);
    EXPECT_EQ(modem.m_bHardwareFound, 1);
    EXPECT_STREQ(modem.GetAttachedTo(), "COM3");
    EXPECT_STREQ(modem.GetFriendlyName(), kModemName);
    EXPECT_STREQ(modem.GetDriverVersion(), "7.80.4.0");
    EXPECT_STREQ(modem.GetCountryName(), "United States of America");
    EXPECT_STREQ(modem.GetDeviceId(), kModemId);
    EXPECT_STREQ(modem.m_drvDetail.SectionName, "Modem_HDA");
    EXPECT_STREQ(modem.m_drvDetail.InfFileName, "C:\\Windows\\INF\\oem12.inf");
    EXPECT_EQ(modem.m_drvInfo.cbSize, sizeof(SP_DRVINFO_DATA_V1_A));

    std::vector<std::string> lines = TraceLines();
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines[0], "Searching for Tarn Modem ... ");
    ASSERT_GT(lines.size(), 1u);
    EXPECT_EQ(lines[1].rfind("Inf file name = ", 0), 0u) << lines[1];
    EXPECT_EQ(lines[1].substr(lines[1].size() - 13), "htm\\modem.inf");
    char softwareKey[64];
    std::snprintf(softwareKey, sizeof(softwareKey), "Software Key = %d", (int)(INT_PTR)modem.m_hDriverKey);
    EXPECT_TRUE(InOrder(lines, {"PnP = HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06", "PnP = PCI\\VEN_5A1E&DEV_0C42",
                                "Device ID = ACPI\\GENUINEX86\\_0", std::string("Device ID = ") + kModemId,
                                "CM_Get_DevNode_Status = 0", "Found Tarn modem hardware", softwareKey,
                                std::string("Friendly Name = ") + kModemName, "Driver Version = 7.80.4.0",
                                "Manufactory Name = Tarn", "Provider Name= Tarn", "Section Name = Modem_HDA",
                                std::string("Driver Description = ") + kModemName,
                                "Modem is found with driver installed.", "Current Country= United States of America"}));
    // The audio function of the same codec is looked at and passed over.
    EXPECT_EQ(CountLines(lines, "Found Tarn modem hardware"), 1);
    // Devices after the modem are not examined.
    EXPECT_EQ(CountLines(lines, "Device ID = ROOT\\BASICRENDER\\0000"), 0);

    // A second search only repeats the country lookup.
    StartTrace();
    EXPECT_EQ(modem.SearchModem(), 1);
    EXPECT_EQ(TraceLines(), std::vector<std::string>{"Current Country= United States of America"});
}

TEST(SearchModem, BuiltInFailureMachines)
{
    struct Case {
        const char* machine;
        int found;
        int hardwareFound;
        const char* country;
    } cases[] = {
        {"no-hardware", 0, 0, ""},
        {"driver-mismatch", 0, 1, ""},
        {"devnode-problem", 1, 1, "United States of America"}, // the search reads no status bits
        {"missing-file", 1, 1, "United States of America"},
        {"no-location", 1, 1, ""},
    };
    for (const Case& c : cases) {
        MachineCopy machine(c.machine);
        CModemDevice modem;
        ASSERT_EQ(searchOn(machine, modem), "") << c.machine;
        EXPECT_EQ(modem.m_bFound, c.found) << c.machine;
        EXPECT_EQ(modem.m_bHardwareFound, c.hardwareFound) << c.machine;
        EXPECT_STREQ(modem.GetCountryName(), c.country) << c.machine;
        if (!c.found) {
            EXPECT_STREQ(modem.GetFriendlyName(), "") << c.machine;
            EXPECT_STREQ(modem.GetAttachedTo(), "") << c.machine;
            EXPECT_EQ(modem.m_hDevInfo, INVALID_HANDLE_VALUE) << c.machine;
            EXPECT_EQ(modem.m_hDriverKey, (HKEY)NULL) << c.machine;
        }
    }
}

TEST(SearchModem, RequiredDriverKeyValues)
{
    struct Case {
        const char* change; // .reg lines of the driver key
        int found;
    } cases[] = {
        {"\"AttachedTo\"=-\n", 0},
        {"\"AttachedTo\"=dword:00000003\n", 0},
        {"\"DriverVersion\"=-\n", 0},
        {"\"InfPath\"=hex(2):6f,00,65,00,6d,00,31,00,32,00,2e,00,69,00,6e,00,66,00,00,00\n", 0}, // REG_EXPAND_SZ
        {"\"ProviderName\"=-\n", 0},
        {"\"InfSection\"=\"modem_HDA\"\n", 0}, // differs only in case
        {"\"DriverDesc\"=\"Tarn HDA56 Soft Data Fax Modem \"\n", 0},
        {"\"ProviderName\"=\"tarn\"\n", 0},
        {"\"FriendlyName\"=-\n", 1}, // not required: the name stays empty
    };
    for (const Case& c : cases) {
        MachineCopy machine;
        machine.AddReg(std::string("[") + kDriverKey + "]\n" + c.change);
        CModemDevice modem;
        ASSERT_EQ(searchOn(machine, modem), "") << c.change;
        EXPECT_EQ(modem.m_bFound, c.found) << c.change;
        EXPECT_EQ(modem.m_bHardwareFound, 1) << c.change;
        if (c.found) {
            EXPECT_STREQ(modem.GetFriendlyName(), "") << c.change;
        }
    }
}

TEST(SearchModem, ManufacturerComesFromTheDeviceAndIsComparedExactly)
{
    MachineCopy machine;
    machine.AddReg(std::string("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\") + kModemId + "]\n" +
                   "\"Mfg\"=\"TARN\"\n");
    CModemDevice modem;
    ASSERT_EQ(searchOn(machine, modem), "");
    EXPECT_EQ(modem.m_bFound, 0);
    EXPECT_EQ(modem.m_bHardwareFound, 1);
    std::vector<std::string> lines = TraceLines();
    EXPECT_TRUE(InOrder(lines, {"Manufactory Name = Tarn", "Provider Name= Tarn"}));
    EXPECT_EQ(CountLines(lines, "Modem is found with driver installed."), 0);
}

TEST(SearchModem, FragmentsMatchCaseSensitively)
{
    // The same device, its instance key written in lower case.
    MachineCopy machine;
    std::string lower = kModemId;
    for (char& ch : lower)
        ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    std::string enumText = machine.Read("registry/10-system-enum.reg");
    machine.Remove("registry/10-system-enum.reg");
    std::string utf8;
    for (size_t i = 2; i + 1 < enumText.size(); i += 2)
        utf8 += enumText[i]; // the file is UTF-16LE of ASCII text
    size_t at;
    std::string upperInFile = std::string("Enum\\") + kModemId;
    while ((at = utf8.find(upperInFile)) != std::string::npos)
        utf8.replace(at, upperInFile.size(), "Enum\\" + lower);
    machine.Write("registry/10-system-enum.reg", utf8);
    machine.EditJson([&](nlohmann::json& json) {
        json["devnodes"][lower] = json["devnodes"][kModemId];
        json["devnodes"].erase(kModemId);
    });
    CModemDevice modem;
    ASSERT_EQ(searchOn(machine, modem), "");
    EXPECT_EQ(modem.m_bHardwareFound, 0);
    EXPECT_EQ(modem.m_bFound, 0);
    // The Enum key "HDAUDIO" keeps the spelling it was first written with;
    // the rest of the ID is in lower case now.
    int seen = 0;
    for (const std::string& line : TraceLines())
        seen += line.rfind("Device ID = ", 0) == 0 && line.find("func_02&ven_5a1e&dev_2c06") != std::string::npos;
    EXPECT_EQ(seen, 1);
}

TEST(SearchModem, AbsentDeviceIsTracedWithItsProblemNumberAndSkipped)
{
    MachineCopy machine;
    machine.EditJson([](nlohmann::json& json) { json["devnodes"].erase(kModemId); });
    CModemDevice modem;
    ASSERT_EQ(searchOn(machine, modem), "");
    EXPECT_EQ(modem.m_bHardwareFound, 0);
    EXPECT_EQ(modem.m_bFound, 0);
    EXPECT_TRUE(InOrder(TraceLines(), {std::string("Device ID = ") + kModemId, "CM_Get_DevNode_Status = 13",
                                       "The problem number is = 0"}));
}

TEST(SearchModem, ALaterListedDeviceIsAcceptedWhenAnEarlierOneFails)
{
    // A second codec instance, examined first, whose driver key names
    // another description.
    const char earlier[] = "HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06&SUBSYS_00000000&REV_1001\\4&11&0&0002";
    MachineCopy machine;
    machine.AddReg(std::string("[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\") + earlier + "]\n" +
                   "\"ClassGUID\"=\"{4D36E96D-E325-11CE-BFC1-08002BE10318}\"\n"
                   "\"Driver\"=\"{4D36E96D-E325-11CE-BFC1-08002BE10318}\\\\0001\"\n"
                   "\"Mfg\"=\"Tarn\"\n\n" +
                   "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Class\\"
                   "{4D36E96D-E325-11CE-BFC1-08002BE10318}\\0001]\n"
                   "\"AttachedTo\"=\"COM4\"\n\"DriverVersion\"=\"7.10.0.0\"\n\"InfPath\"=\"oem12.inf\"\n"
                   "\"ProviderName\"=\"Tarn\"\n\"InfSection\"=\"Modem_HDA\"\n\"DriverDesc\"=\"Tarn Old Modem\"\n");
    machine.EditJson([&](nlohmann::json& json) {
        json["devnodes"][earlier] = {{"status", "DN_DRIVER_LOADED|DN_STARTED"}, {"problem", 0}};
    });
    CModemDevice modem;
    ASSERT_EQ(searchOn(machine, modem), "");
    EXPECT_EQ(modem.m_bFound, 1);
    EXPECT_STREQ(modem.GetAttachedTo(), "COM3");
    EXPECT_STREQ(modem.GetDeviceId(), kModemId);
    std::vector<std::string> lines = TraceLines();
    EXPECT_EQ(CountLines(lines, "Found Tarn modem hardware"), 2);
    EXPECT_TRUE(InOrder(lines, {std::string("Device ID = ") + earlier, "Driver Version = 7.10.0.0",
                                std::string("Device ID = ") + kModemId, "Modem is found with driver installed."}));
}

TEST(SearchModem, CountryLookupEdges)
{
    struct Case {
        const char* change;
        int countryFound;
        const char* country;
    } cases[] = {
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Country List\\1]\n"
         "\"Name\"=-\n",
         1, ""},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations]\n"
         "\"CurrentID\"=dword:00000007\n",
         0, ""},
        {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Telephony\\Locations\\Location1]\n"
         "\"Country\"=dword:00000031\n",
         1, "Germany"},
    };
    for (const Case& c : cases) {
        MachineCopy machine;
        machine.AddReg(c.change);
        CModemDevice modem;
        ASSERT_EQ(searchOn(machine, modem), "");
        EXPECT_EQ(modem.m_bFound, 1);
        EXPECT_EQ(modem.m_bCountryFound, c.countryFound) << c.change;
        EXPECT_STREQ(modem.GetCountryName(), c.country) << c.change;
        EXPECT_EQ(CountLines(TraceLines(), std::string("Current Country= ") + c.country), c.countryFound);
        // The device ID answers only with the country.
        EXPECT_STREQ(modem.GetDeviceId(), c.countryFound ? kModemId : "");
    }
}
