#include "core/LastError.h"
#include "core/Paths.h"
#include "core/testing/TempProfile.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

#include <filesystem>

using plat::testing::TempProfile;

class Paths : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_profile.Write("machine.json", R"({"folders": {"C:\\Program Files\\Tarn\\Tool": "tool"}})");
        m_profile.Write("drive_c/Windows/INF/oem12.inf", "x");
        m_profile.Write("tool/Pages/start.htm", "x");
        ASSERT_EQ(m_profile.Load(), "");
    }
    TempProfile m_profile;
};

TEST_F(Paths, DrivePathsMapIntoTheProfileCaseInsensitively)
{
    EXPECT_EQ(*plat::paths::ToHost("C:\\Windows\\INF\\oem12.inf"), m_profile.Path("drive_c/Windows/INF/oem12.inf"));
    EXPECT_EQ(*plat::paths::ToHost("c:\\WINDOWS\\inf\\OEM12.INF"), m_profile.Path("drive_c/Windows/INF/oem12.inf"));
    EXPECT_EQ(*plat::paths::ToHost("C:/Windows/INF/oem12.inf"), m_profile.Path("drive_c/Windows/INF/oem12.inf"));
    // A component that does not exist keeps the case it was written with.
    EXPECT_EQ(*plat::paths::ToHost("C:\\Windows\\New.txt"), m_profile.Path("drive_c/Windows/New.txt"));
    EXPECT_EQ(*plat::paths::ToHost("C:\\Windows\\..\\Windows\\.\\INF"), m_profile.Path("drive_c/Windows/INF"));
}

TEST_F(Paths, MappedFoldersWinOverTheirDrive)
{
    EXPECT_EQ(*plat::paths::ToHost("C:\\program files\\tarn\\tool\\pages\\START.HTM"),
              m_profile.Path("tool/Pages/start.htm"));
    EXPECT_EQ(plat::paths::ToWindows(m_profile.Path("tool/Pages/start.htm")),
              "C:\\Program Files\\Tarn\\Tool\\Pages\\start.htm");
    EXPECT_EQ(plat::paths::ToWindows(m_profile.Path("drive_c/Windows")), "C:\\Windows");
    EXPECT_EQ(plat::paths::ToWindows("/usr/bin/env"), "Z:\\usr\\bin\\env");
}

TEST_F(Paths, UnknownDrivesAndEmptyPathsFail)
{
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(plat::paths::ToHost("Q:\\x"));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(plat::paths::ToHost(""));
    EXPECT_FALSE(plat::paths::ToHost(nullptr));
}

TEST_F(Paths, RelativePathsFollowTheCurrentDirectory)
{
    std::string cwd = std::filesystem::current_path().string();
    EXPECT_EQ(*plat::paths::ToHost("Ravlin_Trace.trc"), cwd + "/Ravlin_Trace.trc");
    EXPECT_EQ(*plat::paths::ToHost("Z:\\tmp"), "/tmp");
    std::string parent = std::filesystem::current_path().parent_path().string();
    EXPECT_EQ(*plat::paths::ToHost("..\\x.inf"), parent + "/x.inf");
}

TEST(PathsDevices, ComPortsAreDeviceNamesInAnyFolder)
{
    EXPECT_EQ(plat::paths::DeviceName("COM3"), "COM3");
    EXPECT_EQ(plat::paths::DeviceName("com3"), "COM3");
    EXPECT_EQ(plat::paths::DeviceName("C:\\any\\folder\\COM1"), "COM1");
    EXPECT_EQ(plat::paths::DeviceName("COM3.log"), "COM3");
    EXPECT_EQ(plat::paths::DeviceName("\\\\.\\COM12"), "COM12");
    EXPECT_EQ(plat::paths::DeviceName("COM0"), "");
    EXPECT_EQ(plat::paths::DeviceName("COM10"), "");
    EXPECT_EQ(plat::paths::DeviceName("COMMON"), "");
}
