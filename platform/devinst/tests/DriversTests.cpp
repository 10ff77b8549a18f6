// Class-driver lists built from one INF: decorations, exclusions, the
// version-1 and version-2 layouts and the detail buffer rules.
#include "TestInf.h"

#include <cstddef>
#include <cstring>

using plat::devinst::testing::DriverFixture;

TEST_F(DriverFixture, ModelLinesOfTheDecorationTheSystemPicks)
{
    LoadPc();
    BuildList();
    // Desc2 is excluded from selection; the undecorated OldModels do not count on x64.
    EXPECT_EQ(Descriptions(), (std::vector<std::string>{"Tarn Modem One", "Tarn Modem One"}));

    SP_DEVINSTALL_PARAMS_A params{};
    params.cbSize = sizeof(params);
    ASSERT_TRUE(SetupDiGetDeviceInstallParamsA(m_set, &m_device, &params));
    EXPECT_TRUE(params.Flags & DI_DIDCLASS);
    ASSERT_TRUE(SetupDiDestroyDriverInfoList(m_set, &m_device, SPDIT_CLASSDRIVER));
    SP_DRVINFO_DATA_A info{};
    info.cbSize = sizeof(info);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_CLASSDRIVER, 0, &info));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));

    BuildList("test.inf", DI_FLAGSEX_ALLOWEXCLUDEDDRVS);
    EXPECT_EQ(Descriptions(), (std::vector<std::string>{"Tarn Modem One", "Tarn Modem One", "Tarn Modem Two"}));
}

TEST_F(DriverFixture, ThirtyTwoBitSystemsUseTheirDecorationAndUndecoratedSections)
{
    LoadPc("{\"major\": 10, \"minor\": 0, \"build\": 19045, \"bits\": 32}");
    BuildList();
    EXPECT_EQ(Descriptions(), (std::vector<std::string>{"Tarn Modem 32", "Legacy Modem"}));
}

TEST_F(DriverFixture, AnInfOfAnotherClassOrNoInfGivesAnEmptyList)
{
    LoadPc(nullptr, "{4D36E972-E325-11CE-BFC1-08002BE10318}");
    BuildList();
    EXPECT_TRUE(Descriptions().empty());
    ASSERT_TRUE(SetupDiDestroyDriverInfoList(m_set, &m_device, SPDIT_CLASSDRIVER));
    BuildList("missing.inf");
    EXPECT_TRUE(Descriptions().empty());
}

TEST_F(DriverFixture, DriverDataInBothLayouts)
{
    LoadPc();
    BuildList();
    SP_DRVINFO_DATA_V1_A v1{};
    v1.cbSize = sizeof(v1);
    SetLastError(0xdeadbeef);
    ASSERT_TRUE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_CLASSDRIVER, 0, reinterpret_cast<PSP_DRVINFO_DATA_A>(&v1)));
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_STREQ(v1.MfgName, "Tarn");
    EXPECT_STREQ(v1.ProviderName, "Tarn");
    EXPECT_EQ(v1.DriverType, static_cast<DWORD>(SPDIT_CLASSDRIVER));

    SP_DRVINFO_DATA_V2_A v2{};
    v2.cbSize = sizeof(v2);
    ASSERT_TRUE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_CLASSDRIVER, 0, &v2));
    EXPECT_EQ(v2.DriverVersion, 0x0007005000040000ull);
    // 06/14/2019 in 100 ns steps since 1601.
    uint64_t date = (static_cast<uint64_t>(v2.DriverDate.dwHighDateTime) << 32) | v2.DriverDate.dwLowDateTime;
    EXPECT_EQ(date, 132049440000000000ull);

    v2.cbSize = sizeof(v2) - 8;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_CLASSDRIVER, 0, &v2));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));
    v2.cbSize = sizeof(v2);
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_COMPATDRIVER + 5, 0, &v2));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DriverFixture, DetailFixedPartAndHardwareIdList)
{
    LoadPc();
    BuildList();
    SP_DRVINFO_DATA_V1_A info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_CLASSDRIVER, 0, reinterpret_cast<PSP_DRVINFO_DATA_A>(&info)));
    auto* asV2 = reinterpret_cast<PSP_DRVINFO_DATA_A>(&info);

    // "HWID_A\0COMPAT_1\0COMPAT_2\0\0" is 26 bytes after the fixed part.
    const DWORD needed = offsetof(SP_DRVINFO_DETAIL_DATA_A, HardwareID) + 26;
    SP_DRVINFO_DETAIL_DATA_A fixed{};
    fixed.cbSize = sizeof(fixed);
    DWORD required = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiGetDriverInfoDetailA(m_set, &m_device, asV2, &fixed, sizeof(fixed), &required));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(required, needed);
    EXPECT_STREQ(fixed.SectionName, "Install1");
    EXPECT_STREQ(fixed.InfFileName, "C:\\Windows\\INF\\test.inf");
    EXPECT_STREQ(fixed.DrvDescription, "Tarn Modem One");

    std::vector<char> buffer(needed);
    auto* full = reinterpret_cast<SP_DRVINFO_DETAIL_DATA_A*>(buffer.data());
    full->cbSize = sizeof(SP_DRVINFO_DETAIL_DATA_A);
    SetLastError(0xdeadbeef);
    ASSERT_TRUE(SetupDiGetDriverInfoDetailA(m_set, &m_device, asV2, full, needed, nullptr));
    EXPECT_EQ(GetLastError(), 0u);
    EXPECT_EQ(std::string(full->HardwareID, 26), std::string("HWID_A\0COMPAT_1\0COMPAT_2\0\0", 26));
    EXPECT_EQ(full->CompatIDsOffset, 7u);
    EXPECT_EQ(full->CompatIDsLength, 19u);

    struct Case {
        DWORD cbSize;
        DWORD size;
        bool withBuffer;
        DWORD error;
    } cases[] = {
        {sizeof(SP_DRVINFO_DETAIL_DATA_A) - 1, sizeof(SP_DRVINFO_DETAIL_DATA_A), true, ERROR_INVALID_USER_BUFFER},
        {sizeof(SP_DRVINFO_DETAIL_DATA_A), 100, true, ERROR_INVALID_USER_BUFFER},
        {0, 0, false, ERROR_INSUFFICIENT_BUFFER}, // size query
    };
    for (const Case& c : cases) {
        SP_DRVINFO_DETAIL_DATA_A detail{};
        detail.cbSize = c.cbSize;
        required = 0;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(SetupDiGetDriverInfoDetailA(m_set, &m_device, asV2, c.withBuffer ? &detail : nullptr, c.size,
                                                 &required));
        EXPECT_EQ(GetLastError(), c.error) << c.cbSize << "/" << c.size;
        EXPECT_EQ(required, needed);
    }

    // A driver named by its texts alone (Reserved 0) is found as well.
    info.Reserved = 0;
    EXPECT_TRUE(SetupDiSetSelectedDriverA(m_set, &m_device, asV2));
    EXPECT_EQ(info.Reserved, 1u);
    std::strcpy(info.Description, "No Such Modem");
    info.Reserved = 0;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiSetSelectedDriverA(m_set, &m_device, asV2));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(DriverFixture, CompatibleDriversMatchTheDeviceIds)
{
    LoadPc();
    SP_DEVINSTALL_PARAMS_A params{};
    params.cbSize = sizeof(params);
    ASSERT_TRUE(SetupDiGetDeviceInstallParamsA(m_set, &m_device, &params));
    params.Flags |= DI_ENUMSINGLEINF;
    std::strcpy(params.DriverPath, "test.inf");
    ASSERT_TRUE(SetupDiSetDeviceInstallParamsA(m_set, &m_device, &params));
    ASSERT_TRUE(SetupDiBuildDriverInfoList(m_set, &m_device, SPDIT_COMPATDRIVER));
    SP_DRVINFO_DATA_A info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_COMPATDRIVER, 0, &info));
    EXPECT_STREQ(info.Description, "Tarn Modem One"); // the HWID_A line only
    EXPECT_FALSE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_COMPATDRIVER, 1, &info));
}
