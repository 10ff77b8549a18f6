#include "core/testing/TempProfile.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

using plat::testing::TempProfile;

class Files : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_profile.Write("drive_c/Windows/INF/oem3.inf", "[Version]\r\n");
        m_profile.Write("drive_c/Tool/htm/Lang040c/start.htm", "<html/>");
        m_profile.Write("drive_c/Tool/htm/Lang0409/start.htm", "<html/>");
        ASSERT_EQ(m_profile.Load(), "");
        m_scratch = std::filesystem::current_path().string();
    }
    TempProfile m_profile;
    std::string m_scratch;
};

TEST_F(Files, CreateWriteReadWithWin32Rules)
{
    SetLastError(0xdeadbeef);
    HANDLE h = CreateFileA("kernel_test.trc", GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ASSERT_TRUE(WriteFile(h, "line\r\n", 6, &written, nullptr));
    EXPECT_EQ(written, 6u);
    ASSERT_TRUE(CloseHandle(h));
    EXPECT_FALSE(CloseHandle(h));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

    // CREATE_ALWAYS empties an existing file and says so in the last error.
    h = CreateFileA(".\\kernel_test.trc", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    CloseHandle(h);
    h = CreateFileA("KERNEL_TEST.TRC", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE) << "names resolve case-insensitively";
    char buffer[16];
    DWORD read = 99;
    EXPECT_TRUE(ReadFile(h, buffer, sizeof(buffer), &read, nullptr));
    EXPECT_EQ(read, 0u);
    CloseHandle(h);
}

TEST_F(Files, OpenFailuresGiveTheWindowsErrors)
{
    struct Case {
        const char* path;
        DWORD access;
        DWORD disposition;
        DWORD error;
    } cases[] = {
        {"C:\\Windows\\INF\\missing.inf", GENERIC_READ, OPEN_EXISTING, ERROR_FILE_NOT_FOUND},
        {"C:\\NoSuchFolder\\x.inf", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {"Q:\\x", GENERIC_READ, OPEN_EXISTING, ERROR_PATH_NOT_FOUND},
        {"C:\\Windows\\INF", GENERIC_READ, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        // The emulated PC's disk is never written.
        {"C:\\Windows\\INF\\oem3.inf", GENERIC_WRITE, OPEN_EXISTING, ERROR_ACCESS_DENIED},
        {"C:\\Windows\\new.txt", GENERIC_WRITE, CREATE_ALWAYS, ERROR_ACCESS_DENIED},
        {"C:\\Windows\\INF\\oem3.inf", GENERIC_READ, 99, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(CreateFileA(c.path, c.access, 0, nullptr, c.disposition, 0, nullptr), INVALID_HANDLE_VALUE)
            << c.path;
        EXPECT_EQ(GetLastError(), c.error) << c.path;
    }
    SetLastError(0xdeadbeef);
    EXPECT_EQ(CreateFileA("COM3", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr),
              INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << "no port family loaded";
}

TEST_F(Files, AttributesAndFindFirstFile)
{
    EXPECT_EQ(GetFileAttributesA("c:\\windows\\inf\\OEM3.INF") & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_NE(GetFileAttributesA("C:\\Tool\\htm") & FILE_ATTRIBUTE_DIRECTORY, 0u);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(GetFileAttributesA("C:\\Tool\\htm\\nothing"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA("C:\\Tool\\htm\\LANG040C", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    EXPECT_STREQ(data.cFileName, "Lang040c");
    EXPECT_NE(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY, 0u);
    EXPECT_FALSE(FindNextFileA(find, &data));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_FILES));
    EXPECT_TRUE(FindClose(find));

    SetLastError(0xdeadbeef);
    EXPECT_EQ(FindFirstFileA("C:\\Tool\\htm\\Lang0407", &data), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));

    find = FindFirstFileA("C:\\Tool\\htm\\lang04*", &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    int count = 1;
    while (FindNextFileA(find, &data))
        ++count;
    EXPECT_EQ(count, 2);
    FindClose(find);
}

TEST_F(Files, OverlappedFileIoCompletesAtOnce)
{
    HANDLE h = CreateFileA("overlapped.bin", GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_FLAG_OVERLAPPED, nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    OVERLAPPED ov{};
    ov.hEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    DWORD n = 0;
    ASSERT_TRUE(WriteFile(h, "abc", 3, &n, &ov));
    EXPECT_EQ(WaitForSingleObject(ov.hEvent, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(GetOverlappedResult(h, &ov, &n, FALSE));
    EXPECT_EQ(n, 3u);
    CloseHandle(ov.hEvent);
    CloseHandle(h);
}

TEST_F(Files, WindowsAndCurrentDirectories)
{
    char buffer[MAX_PATH];
    EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof(buffer)), 10u);
    EXPECT_STREQ(buffer, "C:\\Windows");
    EXPECT_EQ(GetWindowsDirectoryA(buffer, 5), 11u) << "too small: the size needed with the terminator";
    DWORD n = GetCurrentDirectoryA(sizeof(buffer), buffer);
    ASSERT_GT(n, 0u);
    EXPECT_EQ(std::string(buffer, 3), "Z:\\");
}

// An overlay's drive C: is its layers' files seen as one drive, and it is
// as read-only as a profile of its own.
TEST(OverlayFiles, TheMergedDriveReadsLikeOneAndIsNeverWritten)
{
    TempProfile parent;
    parent.Write("base/machine.json", "{}");
    parent.Write("base/drive_c/Windows/INF/oem3.inf", "[Version]\r\n");
    parent.Write("base/drive_c/Windows/INF/oem4.inf", "[Version]\r\n");
    parent.Write("top/machine.json", R"({"base": "base", "removeFiles": ["C:\\Windows\\INF\\oem4.inf"]})");
    parent.Write("top/drive_c/Windows/System32/drivers/x.sys", "x");
    plat::ProfileError error;
    ASSERT_TRUE(plat::LoadMachine(parent.Path("top"), &error)) << error.ToString();

    EXPECT_NE(GetFileAttributesA("C:\\Windows\\INF\\OEM3.INF"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("C:\\Windows\\INF\\oem4.inf"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(GetFileAttributesA("C:\\Windows\\System32\\drivers\\x.sys") & FILE_ATTRIBUTE_DIRECTORY, 0u);
    HANDLE h = CreateFileA("C:\\Windows\\System32\\drivers\\x.sys", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    char buffer[4] = {};
    DWORD read = 0;
    EXPECT_TRUE(ReadFile(h, buffer, sizeof(buffer), &read, nullptr));
    EXPECT_EQ(std::string(buffer, read), "x");
    CloseHandle(h);

    for (const char* path : {"C:\\Windows\\new.txt", "C:\\Windows\\INF\\oem3.inf", "C:\\Windows\\INF\\oem4.inf"}) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE)
            << path;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << path;
    }
}
