#include "SerialFixture.h"

#include <fcntl.h>
#include <functional>
#include <stdlib.h>
#include <sys/file.h>
#include <unistd.h>

using plat::serial::testing::CountEntries;
using plat::serial::testing::SerialTest;

TEST_F(SerialTest, OpenIsExclusiveAndAbsentOrHeldPortsFail)
{
    HANDLE com3 = OpenPort("COM3");
    ASSERT_NE(com3, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), 0u);

    struct Case {
        const char* name;
        DWORD error;
    } cases[] = {
        {"COM3", ERROR_ACCESS_DENIED},       // open already
        {"\\\\.\\com3", ERROR_ACCESS_DENIED}, // the same port by another name
        {"COM5", ERROR_FILE_NOT_FOUND},      // marked absent
        {"COM9", ERROR_FILE_NOT_FOUND},      // not in the profile
        {"COM6", ERROR_ACCESS_DENIED},       // held by another program
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(OpenPort(c.name), INVALID_HANDLE_VALUE) << c.name;
        EXPECT_EQ(GetLastError(), c.error) << c.name;
    }
    ASSERT_TRUE(CloseHandle(com3));
    com3 = OpenPort("c:\\any\\folder\\COM3", 0);
    EXPECT_NE(com3, INVALID_HANDLE_VALUE) << "free again after the close";
    CloseHandle(com3);

    EXPECT_TRUE(plat::serial::PortExists("COM3"));
    EXPECT_TRUE(plat::serial::PortExists("com6"));
    EXPECT_FALSE(plat::serial::PortExists("COM5"));
    EXPECT_EQ(plat::serial::PortNames(), (std::vector<std::string>{"COM3", "COM4", "COM6"}));
    EXPECT_EQ(plat::serial::PortHolder("COM6"), "Fax Monitor");
}

TEST_F(SerialTest, HoldingIsARealConditionForEveryone)
{
    ASSERT_TRUE(plat::serial::HoldPort("COM3", "Sync Tool"));
    EXPECT_FALSE(plat::serial::HoldPort("COM3", "Another"));
    EXPECT_EQ(OpenPort("COM3"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    // Another process sees the lock as well.
    std::string device = plat::serial::PortDevice("COM3");
    int fd = open(device.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    EXPECT_NE(flock(fd, LOCK_EX | LOCK_NB), 0);
    close(fd);
    ASSERT_TRUE(plat::serial::ReleasePort("COM3"));
    HANDLE port = OpenPort("COM3");
    EXPECT_NE(port, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(plat::serial::HoldPort("COM3", "Sync Tool")) << "open by us now";
    CloseHandle(port);
}

TEST_F(SerialTest, DevicePortReachesAnotherProgramsPty)
{
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    ASSERT_GE(master, 0);
    ASSERT_EQ(grantpt(master), 0);
    ASSERT_EQ(unlockpt(master), 0);
    std::string slave = ptsname(master);
    m_profile.Write("machine.json", R"({"ports": {"COM1": {"device": ")" + slave + R"(", "baud": 115200}}})");
    ASSERT_EQ(m_profile.Load(), "");

    // The other program locks its tty: the port is in use.
    int other = open(slave.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_EQ(flock(other, LOCK_EX | LOCK_NB), 0);
    EXPECT_EQ(OpenPort("COM1"), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    close(other);

    HANDLE port = OpenPort("COM1");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Send(port, "ATI3\r\n");
    char buffer[16] = {};
    ASSERT_EQ(read(master, buffer, sizeof(buffer)), 6);
    EXPECT_STREQ(buffer, "ATI3\r\n") << "raw: no CR/LF translation";
    ASSERT_EQ(write(master, "\r\nOK\r\n", 6), 6);
    EXPECT_EQ(Receive(port, 6), "\r\nOK\r\n");
    // The other program ends: its tty hangs up under us.
    close(master);
    DWORD n = 0;
    char c;
    OVERLAPPED ov{};
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(ReadFile(port, &c, 1, &n, &ov));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_COMMAND));
    CloseHandle(port);
}

TEST_F(SerialTest, CommFunctionsWorkOnPortHandlesOnly)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    COMMTIMEOUTS t{};

    SetLastError(0xdeadbeef);
    EXPECT_TRUE(GetCommTimeouts(port, &t));
    EXPECT_EQ(t.ReadIntervalTimeout, 0u);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 0u);

    COMMTIMEOUTS invalid{MAXDWORD, MAXDWORD, MAXDWORD, 0, 0};
    const HANDLE bogus = reinterpret_cast<HANDLE>(0x7777);
    struct Case {
        const char* what;
        std::function<BOOL()> call;
        DWORD error;
    } cases[] = {
        {"GetCommTimeouts(event)", [&] { return GetCommTimeouts(event, &t); }, ERROR_INVALID_FUNCTION},
        {"GetCommTimeouts(bogus)", [&] { return GetCommTimeouts(bogus, &t); }, ERROR_INVALID_HANDLE},
        {"SetCommTimeouts(event)", [&] { return SetCommTimeouts(event, &t); }, ERROR_INVALID_FUNCTION},
        {"SetCommTimeouts(invalid)", [&] { return SetCommTimeouts(port, &invalid); }, ERROR_INVALID_PARAMETER},
        {"PurgeComm(event)", [&] { return PurgeComm(event, PURGE_RXCLEAR); }, ERROR_INVALID_FUNCTION},
        {"PurgeComm(bogus)", [&] { return PurgeComm(bogus, PURGE_RXCLEAR); }, ERROR_INVALID_HANDLE},
        {"PurgeComm(flags)", [&] { return PurgeComm(port, 0x100); }, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(c.call()) << c.what;
        EXPECT_EQ(GetLastError(), c.error) << c.what;
    }

    COMMTIMEOUTS set{MAXDWORD, 0, 0, 2, 100};
    EXPECT_TRUE(SetCommTimeouts(port, &set));
    EXPECT_TRUE(GetCommTimeouts(port, &t));
    EXPECT_EQ(t.ReadIntervalTimeout, MAXDWORD);
    EXPECT_EQ(t.WriteTotalTimeoutConstant, 100u);
    CloseHandle(event);
    CloseHandle(port);
}

TEST_F(SerialTest, SynchronousReadsFollowTheTimeouts)
{
    HANDLE port = OpenPort("COM3", 0);
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(port, "ATZ\r\n", 5, &n, nullptr));
    EXPECT_EQ(n, 5u);
    // All-zero timeouts: the read waits for every byte asked for.
    char reply[16] = {};
    ASSERT_TRUE(ReadFile(port, reply, 10, &n, nullptr));
    EXPECT_EQ(std::string(reply, n), "ATZ\r\r\nOK\r\n");

    // MAXDWORD interval, no totals: at once, with what is there.
    COMMTIMEOUTS now{MAXDWORD, 0, 0, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(port, &now));
    n = 99;
    EXPECT_TRUE(ReadFile(port, reply, 10, &n, nullptr));
    EXPECT_EQ(n, 0u);

    // A total limit ends a read short of its size, successfully.
    COMMTIMEOUTS total{0, 0, 60, 0, 0};
    ASSERT_TRUE(SetCommTimeouts(port, &total));
    ASSERT_TRUE(WriteFile(port, "AT\r\n", 4, &n, nullptr));
    auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(ReadFile(port, reply, sizeof(reply), &n, nullptr));
    EXPECT_EQ(std::string(reply, n), "AT\r\r\nOK\r\n");
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(55));
    CloseHandle(port);
}

TEST_F(SerialTest, ClosingThePortHangsTheModemUp)
{
    HANDLE port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Send(port, "ATE0D5551234\r\n");
    EXPECT_EQ(Receive(port, 29), "ATE0D5551234\r\r\nCONNECT 1200\r\n");
    CloseHandle(port);
    port = OpenPort("COM3");
    ASSERT_NE(port, INVALID_HANDLE_VALUE);
    Send(port, "AT\r\n");
    EXPECT_EQ(Receive(port, 6), "\r\nOK\r\n") << "in command mode again";
    CloseHandle(port);
}

TEST_F(SerialTest, ReloadingLeavesNoThreadsOrDescriptors)
{
    plat::testing::TempProfile empty;
    ASSERT_EQ(empty.Load(), "");
    const int threads = CountEntries("/proc/self/task");
    const int fds = CountEntries("/proc/self/fd");
    for (int round = 0; round < 3; ++round) {
        ASSERT_EQ(m_profile.Load(), "");
        HANDLE port = OpenPort("COM3");
        ASSERT_NE(port, INVALID_HANDLE_VALUE);
        Send(port, "AT\r\n");
        EXPECT_EQ(Receive(port, 9), "AT\r\r\nOK\r\n");
        HANDLE kept = OpenPort("COM4");
        ASSERT_NE(kept, INVALID_HANDLE_VALUE);
        CloseHandle(port);
        // A handle kept across a reload: its device is gone with the old machine.
        ASSERT_EQ(empty.Load(), "");
        DWORD n = 0;
        SetLastError(0xdeadbeef);
        EXPECT_FALSE(WriteFile(kept, "AT\r\n", 4, &n, nullptr));
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_COMMAND));
        EXPECT_FALSE(plat::serial::PortExists("COM3"));
        CloseHandle(kept);
    }
    EXPECT_EQ(CountEntries("/proc/self/task"), threads);
    EXPECT_EQ(CountEntries("/proc/self/fd"), fds);
}
