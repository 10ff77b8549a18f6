// DIF_INSTALLDEVICEFILES under DI_NOVCP and the file-queue scan: which
// install section, which folders, and what the scan reports.
#include "TestInf.h"

#include <cstring>

using plat::devinst::testing::DriverFixture;

namespace {

class InstallFiles : public DriverFixture {
protected:
    // Selects the driver of class-list entry `index` and queues its files.
    void QueueFiles(DWORD index, DWORD flagsEx = 0)
    {
        BuildList("test.inf", flagsEx);
        SP_DRVINFO_DATA_A info{};
        info.cbSize = sizeof(info);
        ASSERT_TRUE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_CLASSDRIVER, index, &info));
        ASSERT_TRUE(SetupDiSetSelectedDriverA(m_set, &m_device, &info));
        m_queue = SetupOpenFileQueue();
        ASSERT_NE(m_queue, INVALID_HANDLE_VALUE);
        SP_DEVINSTALL_PARAMS_A params{};
        params.cbSize = sizeof(params);
        ASSERT_TRUE(SetupDiGetDeviceInstallParamsA(m_set, &m_device, &params));
        params.Flags |= DI_NOVCP;
        params.FileQueue = m_queue;
        ASSERT_TRUE(SetupDiSetDeviceInstallParamsA(m_set, &m_device, &params));
        SetLastError(0xdeadbeef);
        ASSERT_TRUE(SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, m_set, &m_device));
        EXPECT_EQ(GetLastError(), 0u);
    }

    std::vector<std::string> Targets()
    {
        std::vector<std::string> paths;
        DWORD result = 99;
        EXPECT_TRUE(SetupScanFileQueueA(m_queue, SPQ_SCAN_USE_CALLBACK, nullptr, collect, &paths, &result));
        EXPECT_EQ(result, 0u);
        return paths;
    }

    static UINT CALLBACK collect(PVOID context, UINT notification, UINT_PTR param1, UINT_PTR)
    {
        EXPECT_EQ(notification, static_cast<UINT>(SPFILENOTIFY_QUEUESCAN));
        static_cast<std::vector<std::string>*>(context)->push_back(reinterpret_cast<const char*>(param1));
        return NO_ERROR;
    }

    void TearDown() override
    {
        if (m_queue != INVALID_HANDLE_VALUE)
            SetupCloseFileQueue(m_queue);
        DriverFixture::TearDown();
    }

    HSPFILEQ m_queue = INVALID_HANDLE_VALUE;
};

} // namespace

TEST_F(InstallFiles, PlatformSectionFirstWithItsDestinationDirs)
{
    LoadPc();
    QueueFiles(0);
    EXPECT_EQ(Targets(), (std::vector<std::string>{"C:\\Windows\\system32\\a64.dll", "C:\\Windows\\system32\\B64.CTY"}));
}

TEST_F(InstallFiles, NtSectionWithSubfoldersSingleFilesAndAbsolutePaths)
{
    LoadPc();
    QueueFiles(2, DI_FLAGSEX_ALLOWEXCLUDEDDRVS); // Install2 has only a .NT section
    EXPECT_EQ(Targets(), (std::vector<std::string>{"C:\\Windows\\system32\\Vendor\\Sub\\nt.dll",
                                                   "C:\\Windows\\system32\\drivers\\single.sys", "D:\\Abs\\abs.bin"}));
}

TEST_F(InstallFiles, ThirtyTwoBitSystemsFallBackToTheNtSection)
{
    LoadPc("{\"major\": 10, \"minor\": 0, \"build\": 19045, \"bits\": 32}");
    QueueFiles(0);
    EXPECT_EQ(Targets(), std::vector<std::string>{"C:\\Windows\\system32\\Vendor\\Sub\\nt.dll"});
}

TEST_F(InstallFiles, ScanStopsAtACallbackErrorAndReportsPresence)
{
    LoadPc();
    QueueFiles(0);
    auto refuse = [](PVOID, UINT, UINT_PTR, UINT_PTR) -> UINT { return 1223u; };
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupScanFileQueueA(m_queue, SPQ_SCAN_USE_CALLBACK, nullptr, refuse, nullptr, nullptr));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(1223u));

    DWORD result = 99;
    ASSERT_TRUE(SetupScanFileQueueA(m_queue, SPQ_SCAN_FILE_PRESENCE, nullptr, nullptr, nullptr, &result));
    EXPECT_EQ(result, 0u);
    m_pc.WriteFile("drive_c/Windows/System32/a64.dll", "x");
    m_pc.WriteFile("drive_c/Windows/System32/b64.cty", "x"); // paths ignore case
    ASSERT_TRUE(SetupScanFileQueueA(m_queue, SPQ_SCAN_FILE_PRESENCE, nullptr, nullptr, nullptr, &result));
    EXPECT_EQ(result, 1u);

    UINT count = 0;
    EXPECT_TRUE(SetupGetFileQueueCount(m_queue, FILEOP_COPY, &count));
    EXPECT_EQ(count, 2u);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupScanFileQueueA(m_queue, SPQ_SCAN_FILE_PRESENCE | SPQ_SCAN_USE_CALLBACK, nullptr, refuse,
                                     nullptr, &result));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(InstallFiles, ClassInstallerRefusals)
{
    LoadPc();
    BuildList();
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, m_set, &m_device));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_DRIVER_SELECTED));

    SP_DRVINFO_DATA_A info{};
    info.cbSize = sizeof(info);
    ASSERT_TRUE(SetupDiEnumDriverInfoA(m_set, &m_device, SPDIT_CLASSDRIVER, 0, &info));
    ASSERT_TRUE(SetupDiSetSelectedDriverA(m_set, &m_device, &info));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiCallClassInstaller(DIF_INSTALLDEVICEFILES, m_set, &m_device));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "without DI_NOVCP it would copy files";
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiCallClassInstaller(DIF_INSTALLDEVICE, m_set, &m_device));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DI_DO_DEFAULT));

    SP_DEVINSTALL_PARAMS_A params{};
    params.cbSize = sizeof(params);
    ASSERT_TRUE(SetupDiGetDeviceInstallParamsA(m_set, &m_device, &params));
    params.Flags |= DI_NOVCP; // but no queue
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiSetDeviceInstallParamsA(m_set, &m_device, &params));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
    params.cbSize = sizeof(params) - 8;
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupDiGetDeviceInstallParamsA(m_set, &m_device, &params));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_USER_BUFFER));

    HSPFILEQ queue = SetupOpenFileQueue();
    EXPECT_TRUE(SetupCloseFileQueue(queue));
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(SetupCloseFileQueue(queue));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
