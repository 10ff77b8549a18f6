// Test support: a device with a driver INF of several decorated models and
// install sections, for the driver-list and file-queue tests.
#pragma once

#include "DevinstProfile.h"

#include <setupapi.h>

#include <gtest/gtest.h>

#include <string>

namespace plat::devinst::testing {

inline const char kTestInf[] = R"([Version]
Signature="$Windows NT$"
Class=Modem
ClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}
Provider=%Prov%
DriverVer=06/14/2019,7.80.4.0

[ControlFlags]
ExcludeFromSelect=hdaudio\func_02&ven_5a1e&dev_2c08

[Manufacturer]
%Mfg%=Models, NTamd64, NTx86
%Old%=OldModels

[Models.NTamd64]
%Desc1% = Install1, HWID_A, COMPAT_1, COMPAT_2
%Desc1% = Install1, HWID_B
%Desc2% = Install2, HDAUDIO\FUNC_02&VEN_5A1E&DEV_2C08

[Models.NTx86]
%Desc32% = Install32, HWID_A

[OldModels]
Legacy Modem = LegacyInstall, HWID_L

[DestinationDirs]
DefaultDestDir = 12
Files64 = 11
FilesNT = 11, Vendor\Sub
Files9x = 10
AbsFiles = -1, D:\Abs

[Install1.NTamd64]
CopyFiles = Files64

[Install1.NT]
CopyFiles = FilesNT

[Install1]
CopyFiles = Files9x

[Install2.NT]
CopyFiles = FilesNT, @single.sys
CopyFiles = AbsFiles

[Install32.NT]
CopyFiles = FilesNT

[Files64]
a64.dll
B64.CTY,,,0x20

[FilesNT]
nt.dll, nt_src.dll

[Files9x]
old.vxd

[AbsFiles]
abs.bin

[Strings]
Prov = "Tarn"
Mfg = "Tarn"
Old = "Tarn Legacy"
Desc1 = "Tarn Modem One"
Desc2 = "Tarn Modem Two"
Desc32 = "Tarn Modem 32"
)";

// A PC with one modem device whose driver INF is kTestInf as "test.inf".
class DriverFixture : public ::testing::Test {
protected:
    void LoadPc(const char* os = "{\"major\": 10, \"minor\": 0, \"build\": 19045, \"bits\": 64}",
                const char* classGuid = "{4D36E96D-E325-11CE-BFC1-08002BE10318}")
    {
        if (os)
            m_pc.SetOs(os);
        TestDevice modem{"PCI\\VEN_5A1E&DEV_0C41\\1", classGuid, "", "DN_STARTED",
                         "0", "\"HardwareID\"=hex(7):48,00,57,00,49,00,44,00,5f,00,41,00,00,00,00,00\n"};
        m_pc.Add(modem);
        m_pc.WriteInf("test.inf", kTestInf);
        ASSERT_EQ(m_pc.Load(), "");
        m_set = SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_ALLCLASSES);
        ASSERT_NE(m_set, INVALID_HANDLE_VALUE);
        m_device.cbSize = sizeof(m_device);
        ASSERT_TRUE(SetupDiEnumDeviceInfo(m_set, 0, &m_device));
    }
    void TearDown() override
    {
        if (m_set != INVALID_HANDLE_VALUE)
            SetupDiDestroyDeviceInfoList(m_set);
    }

    // Points DriverPath at the INF, with extra install flags, and builds
    // the class-driver list.
    void BuildList(const char* inf = "test.inf", DWORD flagsEx = 0)
    {
        SP_DEVINSTALL_PARAMS_A params{};
        params.cbSize = sizeof(params);
        ASSERT_TRUE(SetupDiGetDeviceInstallParamsA(m_set, &m_device, &params));
        params.Flags |= DI_ENUMSINGLEINF;
        params.FlagsEx |= flagsEx;
        std::strcpy(params.DriverPath, inf);
        ASSERT_TRUE(SetupDiSetDeviceInstallParamsA(m_set, &m_device, &params));
        SetLastError(0xdeadbeef);
        ASSERT_TRUE(SetupDiBuildDriverInfoList(m_set, &m_device, SPDIT_CLASSDRIVER));
        EXPECT_EQ(GetLastError(), 0u);
    }

    std::vector<std::string> Descriptions()
    {
        std::vector<std::string> out;
        SP_DRVINFO_DATA_A info{};
        info.cbSize = sizeof(info);
        for (DWORD i = 0; SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_CLASSDRIVER, i, &info); ++i)
            out.push_back(info.Description);
        return out;
    }

    DevinstProfile m_pc;
    HDEVINFO m_set = INVALID_HANDLE_VALUE;
    SP_DEVINFO_DATA m_device{};
};

} // namespace plat::devinst::testing
