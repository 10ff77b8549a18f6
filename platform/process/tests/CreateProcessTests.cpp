#include "core/testing/TempProfile.h"

#include <win/errors.h>
#include <win/kernel.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

using plat::testing::TempProfile;

namespace {

// A profile with the program folder "C:\Program Files\Tarn\Ravlin" and
// small shell programs that write what they were started with.
class CreateProcessTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_profile.Write("machine.json", R"({"folders": {"C:\\Program Files\\Tarn\\Ravlin": "ravlin"}})");
        WriteProgram("ravlin/Ravlin", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + Out("ravlin") + "'\n"
                                      "printf '%s\\n' \"$RAVLIN_PROBE\" > '" + Out("env") + "'\n"
                                      "pwd > '" + Out("cwd") + "'\n");
        WriteProgram("ravlin/Slow", "sleep 0.3\nexit 7\n");
        m_profile.Write("drive_c/data.exe", "just data");
        ASSERT_EQ(m_profile.Load(), "");
    }

    void WriteProgram(const std::string& relative, const std::string& body)
    {
        m_profile.Write(relative, "#!/bin/sh\n" + body);
        chmod(m_profile.Path(relative).c_str(), 0755);
    }

    std::string Out(const std::string& name) const { return m_profile.Path(name + ".out"); }

    std::string Read(const std::string& name) const
    {
        std::ifstream in(Out(name));
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

    // Starts the command line and waits for the program to end.
    DWORD Run(const char* commandLine, const char* folder = nullptr)
    {
        std::string line = commandLine;
        STARTUPINFOA startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION info = {};
        if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, folder, &startup, &info))
            return 0xFFFFFFFF;
        EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
        DWORD code = 0;
        EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return code;
    }

    TempProfile m_profile;
};

} // namespace

TEST_F(CreateProcessTest, AQuotedPathStartsTheProgramWithItsArguments)
{
    setenv("RAVLIN_PROBE", "inherited", 1);
    EXPECT_EQ(Run(R"("C:\Program Files\Tarn\Ravlin\Ravlin.exe" one "two three" four\"five)", "C:\\Windows"), 0u);
    unsetenv("RAVLIN_PROBE");
    // A shell program sees its arguments after argv[0].
    EXPECT_EQ(Read("ravlin"), "one\ntwo three\nfour\"five\n");
    EXPECT_EQ(Read("env"), "inherited\n");
    EXPECT_EQ(Read("cwd"), m_profile.Path("drive_c/Windows") + "\n");
}

TEST_F(CreateProcessTest, AnUnquotedPathWithBlanksStartsTheFirstProgramItNames)
{
    // Without a "C:\Program" the whole line is the program.
    EXPECT_EQ(Run(R"(C:\Program Files\Tarn\Ravlin\Ravlin.exe)"), 0u);
    EXPECT_TRUE(std::filesystem::exists(Out("ravlin")));
    std::filesystem::remove(Out("ravlin"));

    // With one, that program runs instead, given the rest as arguments.
    WriteProgram("drive_c/Program", "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + Out("decoy") + "'\n");
    EXPECT_EQ(Run(R"(C:\Program Files\Tarn\Ravlin\Ravlin.exe)"), 0u);
    EXPECT_EQ(Read("decoy"), "Files\\Tarn\\Ravlin\\Ravlin.exe\n");
    EXPECT_FALSE(std::filesystem::exists(Out("ravlin")));

    // Quoted, the decoy is never considered.
    std::filesystem::remove(Out("decoy"));
    EXPECT_EQ(Run(R"("C:\Program Files\Tarn\Ravlin\Ravlin.exe")"), 0u);
    EXPECT_TRUE(std::filesystem::exists(Out("ravlin")));
    EXPECT_FALSE(std::filesystem::exists(Out("decoy")));
}

TEST_F(CreateProcessTest, TheProcessHandleIsSignalledWithTheExitCode)
{
    std::string line = R"("C:\Program Files\Tarn\Ravlin\Slow.exe")";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info));
    EXPECT_NE(info.dwProcessId, 0u);
    DWORD code = 0;
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, static_cast<DWORD>(STILL_ACTIVE));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_TIMEOUT);
    EXPECT_EQ(WaitForSingleObject(info.hThread, INFINITE), WAIT_OBJECT_0);
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 0), WAIT_OBJECT_0);
    EXPECT_TRUE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(code, 7u);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);

    SetLastError(0xdeadbeef);
    EXPECT_FALSE(GetExitCodeProcess(info.hProcess, &code));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(CreateProcessTest, TheApplicationNameIsTakenAsItIs)
{
    char line[] = "Ravlin.exe from-app-name";
    STARTUPINFOA startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION info = {};
    ASSERT_TRUE(CreateProcessA("C:\\Program Files\\Tarn\\Ravlin\\Ravlin.exe", line, nullptr, nullptr, FALSE, 0,
                               nullptr, nullptr, &startup, &info));
    EXPECT_EQ(WaitForSingleObject(info.hProcess, 10000), WAIT_OBJECT_0);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    EXPECT_EQ(Read("ravlin"), "from-app-name\n");
}

TEST_F(CreateProcessTest, WinExecReportsSuccessAndFailureAsWindowsDoes)
{
    struct Case {
        const char* line;
        UINT result; // 33 for success
        DWORD error;
    } cases[] = {
        {R"("C:\Program Files\Tarn\Ravlin\Ravlin.exe")", 33, 0},
        {R"(C:\Windows\nothing.exe)", ERROR_FILE_NOT_FOUND, ERROR_FILE_NOT_FOUND},
        {R"(C:\NoSuchFolder\x.exe)", ERROR_PATH_NOT_FOUND, ERROR_PATH_NOT_FOUND},
        {R"("C:\NoSuch Folder\x.exe" arg)", ERROR_PATH_NOT_FOUND, ERROR_PATH_NOT_FOUND},
        {R"(C:\data.exe)", ERROR_BAD_FORMAT, ERROR_BAD_EXE_FORMAT},
        {"", 0, ERROR_INVALID_PARAMETER},
    };
    for (const Case& c : cases) {
        SetLastError(0xdeadbeef);
        UINT result = WinExec(c.line, 5 /* SW_SHOW */);
        if (c.result > 31) {
            EXPECT_GT(result, 31u) << c.line;
        } else {
            EXPECT_EQ(result, c.result) << c.line;
            EXPECT_EQ(GetLastError(), c.error) << c.line;
        }
    }
}
