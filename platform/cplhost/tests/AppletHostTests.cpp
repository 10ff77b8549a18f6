#include "boot/Boot.h"
#include "core/testing/TempProfile.h"
#include "cplhost/AppletHost.h"
#include "cplhost/HostOutput.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

using plat::cplhost::AppletLibrary;
using plat::testing::TempProfile;

namespace {

std::string readFile(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

const std::string kRecorder = std::string(RAVLIN_TEST_APPLETS) + "/RecordingApplet.so";

class AppletHost : public ::testing::Test {
protected:
    void SetUp() override
    {
        plat::RegisterAllProfileLoaders();
        ASSERT_EQ(m_profile.Load(), "");
        m_record = std::filesystem::current_path() / "messages.txt";
        std::filesystem::remove(m_record);
        setenv("RAVLIN_CPL_RECORD", m_record.c_str(), 1);
    }
    void TearDown() override { unsetenv("RAVLIN_CPL_RECORD"); }

    TempProfile m_profile;
    std::filesystem::path m_record;
};

} // namespace

TEST_F(AppletHost, SendsTheMessagesInTheControlPanelsOrder)
{
    std::string error;
    auto library = AppletLibrary::Load(kRecorder, &error);
    ASSERT_TRUE(library) << error;
    ASSERT_EQ(library->Applets().size(), 2u);

    const auto& first = library->Applets()[0];
    EXPECT_EQ(first.name, "Recorder");
    EXPECT_EQ(first.description, "Records messages");
    EXPECT_EQ(first.data, 77);
    ASSERT_TRUE(first.icon);
    EXPECT_EQ(first.icon->width, 32);

    // The second applet answers CPL_INQUIRE only: its texts and icon come
    // from the library's resources.
    const auto& second = library->Applets()[1];
    EXPECT_EQ(second.name, "Second applet");
    EXPECT_EQ(second.description, "Answers CPL_INQUIRE only");
    EXPECT_EQ(second.data, 88);
    ASSERT_TRUE(second.icon);
    EXPECT_EQ(second.icon->bitCount, 4);

    EXPECT_TRUE(library->Open(1));
    EXPECT_FALSE(library->Open(2));
    library.reset();

    // message, lParam1, lParam2 (0 for pointers)
    EXPECT_EQ(readFile(m_record), "1 0 0\n"  // CPL_INIT
                                  "2 0 0\n"  // CPL_GETCOUNT
                                  "8 0 0\n"  // CPL_NEWINQUIRE
                                  "8 1 0\n"
                                  "3 1 0\n"  // CPL_INQUIRE for the applet that left NEWCPLINFO empty
                                  "5 1 88\n" // CPL_DBLCLK with the applet's data
                                  "6 0 77\n" // CPL_STOP for each applet
                                  "6 1 88\n"
                                  "7 0 0\n"); // CPL_EXIT
}

TEST_F(AppletHost, OnlyAppletLibrariesAreHosted)
{
    std::string error;
    EXPECT_FALSE(AppletLibrary::Load(RAVLIN_BIN_DIR "/ProcTestLib.so", &error));
    EXPECT_EQ(error, "exports no CPlApplet");
    EXPECT_FALSE(AppletLibrary::Load("C:\\NoSuchApplet.dll", &error));
    EXPECT_EQ(error, "cannot be loaded (error 126)");

    EXPECT_EQ(plat::cplhost::FindAppletLibraries(RAVLIN_TEST_APPLETS), std::vector<std::string>{kRecorder});
    std::vector<std::string> bin = plat::cplhost::FindAppletLibraries(RAVLIN_BIN_DIR);
    EXPECT_NE(std::find(bin.begin(), bin.end(), RAVLIN_BIN_DIR "/Quillset.so"), bin.end());
    EXPECT_EQ(std::find(bin.begin(), bin.end(), RAVLIN_BIN_DIR "/ProcTestLib.so"), bin.end());
}

TEST_F(AppletHost, TheListingShowsNamesDescriptionsAndIcons)
{
    std::string error;
    auto library = AppletLibrary::Load(kRecorder, &error);
    ASSERT_TRUE(library) << error;
    EXPECT_EQ(plat::cplhost::DescribeLibrary(*library, 3), "RecordingApplet.so: 2 applets\n"
                                                          "  [3] Recorder\n"
                                                          "      Records messages\n"
                                                          "      icon 32x32, 4 bits per pixel\n"
                                                          "  [4] Second applet\n"
                                                          "      Answers CPL_INQUIRE only\n"
                                                          "      icon 32x32, 4 bits per pixel\n");
}

namespace {

struct HostRun {
    int exitCode = -1;
    std::string output;
};

// Runs cplhost on the machine profile `machine`, with its output and errors.
HostRun runHost(const std::string& machine, const std::string& arguments)
{
    std::string command = "RAVLIN_MACHINE='" + machine + "' '" RAVLIN_BIN_DIR "/cplhost' " + arguments + " 2>&1";
    HostRun run;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return run;
    std::array<char, 512> buffer;
    while (size_t n = fread(buffer.data(), 1, buffer.size(), pipe))
        run.output.append(buffer.data(), n);
    int status = pclose(pipe);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

} // namespace

TEST(CplHostProgram, OpensTheAppletWhichStartsTheProgramOfAppPaths)
{
    TempProfile profile;
    profile.Write("machine.json", R"({"folders": {"C:\\Program Files\\Tarn\\Ravlin": "ravlin"}})");
    profile.Write("registry/10-apppaths.reg",
                  "Windows Registry Editor Version 5.00\r\n\r\n"
                  "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Ravlin.exe]\r\n"
                  "\"Path\"=\"C:\\\\Program Files\\\\Tarn\\\\Ravlin\"\r\n");
    std::string marker = profile.Path("started.out");
    profile.Write("ravlin/Ravlin", "#!/bin/sh\necho started > '" + marker + "'\n");
    std::filesystem::permissions(profile.Path("ravlin/Ravlin"), std::filesystem::perms::owner_all);

    HostRun run = runHost(profile.Folder(), "--open 0 '" RAVLIN_BIN_DIR "/Quillset.so'");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_EQ(run.output, "Quillset.so: 1 applet\n"
                          "  [0] Modem Diagnostic Tool\n"
                          "      Diagnose the modem hardware and software problem\n"
                          "      icon 32x32, 4 bits per pixel\n");
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(marker) && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(readFile(marker), "started\n");
}

TEST(CplHostProgram, RefusesABrokenProfileAndBadArguments)
{
    TempProfile profile;
    profile.Write("machine.json", "{\"os\": 5}");
    HostRun run = runHost(profile.Folder(), "");
    EXPECT_EQ(run.exitCode, 3);
    EXPECT_NE(run.output.find("machine.json"), std::string::npos) << run.output;

    EXPECT_EQ(runHost(profile.Folder(), "--open").exitCode, 2);
    EXPECT_EQ(runHost(profile.Folder(), "--bogus").exitCode, 2);

    profile.Write("machine.json", "{}");
    run = runHost(profile.Folder(), "--open 1 '" RAVLIN_BIN_DIR "/Quillset.so'");
    EXPECT_EQ(run.exitCode, 4);
    EXPECT_NE(run.output.find("there is no applet 1"), std::string::npos) << run.output;
}
