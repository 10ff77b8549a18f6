// Conformance of the device-set calls, the device registry properties,
// SetupDiOpenDevRegKey and the configuration manager: results and last
// errors as Windows gives them.
#include "DevinstProfile.h"

#include <cfgmgr32.h>
#include <setupapi.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

using plat::devinst::testing::DevinstProfile;
using plat::devinst::testing::TestDevice;

namespace {

const char kModemClass[] = "{4D36E96D-E325-11CE-BFC1-08002BE10318}";
const char kNetClass[] = "{4D36E972-E325-11CE-BFC1-08002BE10318}";
const GUID kModemGuid = {0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
const char kStarted[] = "DN_DRIVER_LOADED|DN_STARTED";

class Devices : public ::testing::Test {
protected:
    void SetUp() override
    {
        // Written out of order: the set lists them in key order.
        m_pc.Add({"ROOT\\SYSTEM\\0000", kNetClass, "", kStarted});
        m_pc.Add({"PCI\\VEN_5A1E&DEV_0C41\\3&1&0&E0", kModemClass, std::string(kModemClass) + "\\0000", kStarted, "0",
                  "\"Mfg\"=\"@oem3.inf,%mfg%;Tarn\"\n"
                  "\"DeviceDesc\"=\"PCI Soft Modem\"\n"
                  "\"HardwareID\"=hex(7):41,00,00,00,42,00,00,00,00,00\n"
                  "\"ConfigFlags\"=dword:00000000\n"});
        m_pc.Add({"HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06\\4&1&0&0002", kModemClass, std::string(kModemClass) + "\\0001"});
        m_pc.Add({"ACPI\\PNP0A08\\0", kNetClass, "", kStarted});
        m_pc.AddKey("SYSTEM\\CurrentControlSet\\Control\\Class\\" + std::string(kModemClass) + "\\0000",
                    "\"AttachedTo\"=\"COM3\"\n");
        ASSERT_EQ(m_pc.Load(), "");
    }

    std::vector<std::string> ids(HDEVINFO set)
    {
        std::vector<std::string> out;
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &data); ++i) {
            char id[MAX_DEVICE_ID_LEN];
            EXPECT_EQ(CM_Get_Device_IDA(data.DevInst, id, sizeof(id), 0), static_cast<CONFIGRET>(CR_SUCCESS));
            out.push_back(id);
        }
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
        return out;
    }

    // The member of `set` whose ID starts with `prefix`.
    SP_DEVINFO_DATA member(HDEVINFO set, const std::string& prefix)
    {
        SP_DEVINFO_DATA data{};
        data.cbSize = sizeof(data);
        for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &data); ++i) {
            char id[MAX_DEVICE_ID_LEN];
            CM_Get_Device_IDA(data.DevInst, id, sizeof(id), 0);
            if (std::string(id).rfind(prefix, 0) == 0)
                return data;
        }
        ADD_FAILURE() << "no member " << prefix;
        return data;
    }

    DevinstProfile m_pc;
};

} // namespace

TEST_F(Devices, AllClassesListsEveryDeviceInKeyOrderAndPresentOnlyThePresentOnes)
{
    SetLastError(0xdeadbeef);
    HDEVINFO all = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    ASSERT_NE(all, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ids(all), (std::vector<std::string>{"ACPI\\PNP0A08\\0", "HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06\\4&1&0&0002",
                                                  "PCI\\VEN_5A1E&DEV_0C41\\3&1&0&E0", "ROOT\\SYSTEM\\0000"}));
    HDEVINFO present = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | DIGCF_PRESENT);
    EXPECT_EQ(ids(present), (std::vector<std::string>{"ACPI\\PNP0A08\\0", "PCI\\VEN_5A1E&DEV_0C41\\3&1&0&E0",
                                                      "ROOT\\SYSTEM\\0000"}));
    HDEVINFO modems = SetupDiGetClassDevsA(&kModemGuid, nullptr, nullptr, 0);
    EXPECT_EQ(ids(modems).size(), 2u);
    HDEVINFO pci = SetupDiGetClassDevsA(nullptr, "pci", nullptr, DIGCF_ALLCLASSES);
    EXPECT_EQ(ids(pci), std::vector<std::string>{"PCI\\VEN_5A1E&DEV_0C41\\3&1&0&E0"});
    for (HDEVINFO set : {all, present, modems, pci}) {
        SetLastError(0xdeadbeef);
        EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
        EXPECT_EQ(GetLastError(), 0u);
    }
}

TEST_F(Devices, BadArgumentsAndStaleHandlesFailWithWindowsErrors)
{
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES | 0x100), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));

    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data) - 4;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 0, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    data.cbSize = sizeof(data);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 4, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));

    SP_DEVINFO_LIST_DETAIL_DATA_A detail{};
    detail.cbSize = sizeof(detail) + 1;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiGetDeviceInfoListDetailA(set, &detail));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    detail.cbSize = sizeof(detail);
    EXPECT_TRUE(SetupDiGetDeviceInfoListDetailA(set, &detail));
    EXPECT_EQ(detail.RemoteMachineName[0], '\0');

    // A member of another set is not a member of this one.
    HDEVINFO other = SetupDiGetClassDevsA(nullptr, "ROOT", nullptr, DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA foreign = member(other, "ROOT");
    foreign.Reserved = 9;
    BYTE buffer[64];
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set, &foreign, SPDRP_MFG, nullptr, buffer, sizeof(buffer), nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

    // Every call on a destroyed set.
    ASSERT_TRUE(SetupDiDestroyDeviceInfoList(set));
    SP_DEVINSTALL_PARAMS_A params{};
    params.cbSize = sizeof(params);
    data = member(other, "ROOT");
    auto check = [](const char* name, BOOL result) {
        EXPECT_FALSE(result) << name;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE)) << name;
    };
    SetLastError(0xdeadbeef);
    check("SetupDiEnumDeviceInfo", SetupDiEnumDeviceInfo(set, 0, &data));
    SetLastError(0xdeadbeef);
    check("SetupDiDestroyDeviceInfoList", SetupDiDestroyDeviceInfoList(set));
    SetLastError(0xdeadbeef);
    check("SetupDiGetDeviceInfoListDetailA", SetupDiGetDeviceInfoListDetailA(set, &detail));
    SetLastError(0xdeadbeef);
    check("SetupDiGetDeviceInstallParamsA", SetupDiGetDeviceInstallParamsA(set, nullptr, &params));
    SetLastError(0xdeadbeef);
    check("SetupDiBuildDriverInfoList", SetupDiBuildDriverInfoList(set, nullptr, SPDIT_CLASSDRIVER));
    SetLastError(0xdeadbeef);
    check("SetupDiCallClassInstaller", SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, set, nullptr));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(SetupDiOpenDevRegKey(set, &data, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ),
              reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
    SetupDiDestroyDeviceInfoList(other);
}

TEST_F(Devices, ConfigurationManagerAnswersByDevNodeState)
{
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA absent = member(set, "HDAUDIO");
    SP_DEVINFO_DATA present = member(set, "PCI");
    ULONG status = 77, problem = 77;
    EXPECT_EQ(CM_Get_DevNode_Status(&status, &problem, present.DevInst, 0), static_cast<CONFIGRET>(CR_SUCCESS));
    EXPECT_EQ(status, static_cast<ULONG>(DN_DRIVER_LOADED | DN_STARTED));
    EXPECT_EQ(problem, 0u);
    status = problem = 77;
    EXPECT_EQ(CM_Get_DevNode_Status(&status, &problem, absent.DevInst, 0), static_cast<CONFIGRET>(CR_NO_SUCH_DEVINST));
    EXPECT_EQ(problem, 77u) << "a failed call leaves the problem number alone";
    EXPECT_EQ(CM_Get_DevNode_Status(&status, &problem, 0xFFFFFF, 0), static_cast<CONFIGRET>(CR_INVALID_DEVNODE));
    EXPECT_EQ(CM_Get_DevNode_Status(&status, &problem, present.DevInst, 1), static_cast<CONFIGRET>(CR_INVALID_FLAG));
    EXPECT_EQ(CM_Get_DevNode_Status(nullptr, &problem, present.DevInst, 0), static_cast<CONFIGRET>(CR_INVALID_POINTER));

    // Device IDs: "PCI\VEN_5A1E&DEV_0C41\3&1&0&E0" has 30 characters.
    struct Case {
        ULONG length;
        CONFIGRET result;
        const char* text;
    } cases[] = {
        {200, CR_SUCCESS, "PCI\\VEN_5A1E&DEV_0C41\\3&1&0&E0"},
        {31, CR_SUCCESS, "PCI\\VEN_5A1E&DEV_0C41\\3&1&0&E0"},
        {30, CR_SUCCESS, "PCI\\VEN_5A1E&DEV_0C41\\3&1&0&E0#"}, // no room for the terminator
        {10, CR_BUFFER_SMALL, "PCI\\VEN_5A#"},
    };
    for (const Case& c : cases) {
        char buffer[64];
        std::memset(buffer, '#', sizeof(buffer));
        buffer[63] = '\0';
        EXPECT_EQ(CM_Get_Device_IDA(present.DevInst, buffer, c.length, 0), c.result) << c.length;
        EXPECT_EQ(std::string(buffer, std::strlen(c.text)), c.text) << c.length;
    }
    ULONG size = 0;
    EXPECT_EQ(CM_Get_Device_ID_Size(&size, present.DevInst, 0), static_cast<CONFIGRET>(CR_SUCCESS));
    EXPECT_EQ(size, 30u);
    DEVINST located = 0;
    EXPECT_EQ(CM_Locate_DevNodeA(&located, "pci\\ven_5a1e&dev_0c41\\3&1&0&e0", 0), static_cast<CONFIGRET>(CR_SUCCESS));
    EXPECT_EQ(located, present.DevInst);
    EXPECT_EQ(CM_Locate_DevNodeA(&located, "HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06\\4&1&0&0002", 0),
              static_cast<CONFIGRET>(CR_NO_SUCH_DEVNODE));
    EXPECT_EQ(CM_Locate_DevNodeA(&located, "HDAUDIO\\FUNC_02&VEN_5A1E&DEV_2C06\\4&1&0&0002",
                                 CM_LOCATE_DEVNODE_PHANTOM),
              static_cast<CONFIGRET>(CR_SUCCESS));
    EXPECT_EQ(located, absent.DevInst);
    SetupDiDestroyDeviceInfoList(set);
}

TEST_F(Devices, RegistryPropertiesFollowTheBufferRules)
{
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA modem = member(set, "PCI");
    DWORD type = 0, required = 0;
    char text[64];

    // Setup's "@file,%key%;text" form reads as its text.
    SetLastError(0xdeadbeef);
    ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyA(set, &modem, SPDRP_MFG, &type, reinterpret_cast<BYTE*>(text),
                                                  sizeof(text), &required));
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_STREQ(text, "Tarn");
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(required, 5u);

    struct Case {
        DWORD property;
        DWORD size;
        BOOL result;
        DWORD error;
        DWORD required;
    } cases[] = {
        {SPDRP_DEVICEDESC, 14, FALSE, ERROR_INSUFFICIENT_BUFFER, 15},
        {SPDRP_DEVICEDESC, 15, TRUE, 0, 15},
        {SPDRP_HARDWAREID, 5, TRUE, 0, 5}, // "A\0B\0\0"
        {SPDRP_CONFIGFLAGS, 4, TRUE, 0, 4},
        {SPDRP_ENUMERATOR_NAME, 64, TRUE, 0, 4},
        {SPDRP_CLASSGUID, 64, TRUE, 0, 39},
        {SPDRP_FRIENDLYNAME, 64, FALSE, ERROR_INVALID_DATA, 0},
        {SPDRP_UNUSED0, 64, FALSE, ERROR_INVALID_REG_PROPERTY, 0},
        {SPDRP_MAXIMUM_PROPERTY, 64, FALSE, ERROR_INVALID_REG_PROPERTY, 0},
    };
    for (const Case& c : cases) {
        required = 0;
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SetupDiGetDeviceRegistryPropertyA(set, &modem, c.property, nullptr, reinterpret_cast<BYTE*>(text),
                                                    c.size, &required),
                  c.result)
            << c.property;
        EXPECT_EQ(GetLastError(), c.error) << c.property;
        EXPECT_EQ(required, c.required) << c.property;
    }
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set, &modem, SPDRP_MFG, nullptr, nullptr, 4, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    SetupDiDestroyDeviceInfoList(set);
}

TEST_F(Devices, DriverKeyOpensForTheRegistryApi)
{
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA modem = member(set, "PCI");
    SetLastError(0xdeadbeef);
    HKEY key = SetupDiOpenDevRegKey(set, &modem, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
    ASSERT_NE(key, reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE));
    EXPECT_EQ(GetLastError(), 0u);
    char port[16] = {};
    DWORD size = sizeof(port), type = 0;
    EXPECT_EQ(RegQueryValueExA(key, "AttachedTo", nullptr, &type, reinterpret_cast<BYTE*>(port), &size), ERROR_SUCCESS);
    EXPECT_STREQ(port, "COM3");
    EXPECT_EQ(RegCloseKey(key), ERROR_SUCCESS);

    struct Case {
        const char* device;
        DWORD scope;
        DWORD keyType;
        DWORD error;
    } cases[] = {
        {"HDAUDIO", DICS_FLAG_GLOBAL, DIREG_DRV, ERROR_KEY_DOES_NOT_EXIST}, // its Class key is missing
        {"ROOT", DICS_FLAG_GLOBAL, DIREG_DRV, ERROR_KEY_DOES_NOT_EXIST},    // no "Driver" value
        {"PCI", DICS_FLAG_GLOBAL, DIREG_BOTH, ERROR_INVALID_FLAGS},
        {"PCI", 0x10, DIREG_DRV, ERROR_INVALID_FLAGS},
    };
    for (const Case& c : cases) {
        SP_DEVINFO_DATA data = member(set, c.device);
        SetLastError(0xdeadbeef);
        EXPECT_EQ(SetupDiOpenDevRegKey(set, &data, c.scope, 0, c.keyType, KEY_READ),
                  reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE))
            << c.device;
        EXPECT_EQ(GetLastError(), c.error) << c.device;
    }
    SetupDiDestroyDeviceInfoList(set);
}

TEST(DeviceIds, AnIdThatDoesNotFitMaxDeviceIdLenIsNoDevice)
{
    DevinstProfile pc;
    pc.Add({"PCI\\VEN_1\\" + std::string(189, 'A')}); // 199 characters
    pc.Add({"PCI\\VEN_2\\" + std::string(190, 'B')}); // 200 characters
    ASSERT_EQ(pc.Load(), "");
    HDEVINFO set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
    SP_DEVINFO_DATA data{};
    data.cbSize = sizeof(data);
    ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &data));
    char id[MAX_DEVICE_ID_LEN];
    EXPECT_EQ(CM_Get_Device_IDA(data.DevInst, id, sizeof(id), 0), static_cast<CONFIGRET>(CR_SUCCESS));
    EXPECT_EQ(std::strlen(id), 199u);
    EXPECT_FALSE(SetupDiEnumDeviceInfo(set, 1, &data));
    SetupDiDestroyDeviceInfoList(set);
}
