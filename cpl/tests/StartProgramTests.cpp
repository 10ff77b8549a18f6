#include "AppletFixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

const char kKey[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Ravlin.exe]\r\n";

std::string pathValue(const std::string& escapedFolder)
{
    return std::string(kKey) + "\"Path\"=\"" + escapedFolder + "\"\r\n";
}

// "C:\\Program Files\\Tarn\\Ravlin" with `dots` extra "\\." components.
std::string programFolder(int dots)
{
    std::string folder = "C:\\\\Program Files\\\\Tarn\\\\Ravlin";
    for (int i = 0; i < dots; ++i)
        folder += "\\\\.";
    return folder;
}

// The hex: form of a REG_BINARY value holding `text`.
std::string binaryValue(const std::string& text)
{
    std::ostringstream out;
    out << kKey << "\"Path\"=hex:";
    for (size_t i = 0; i < text.size(); ++i) {
        char digits[4];
        std::snprintf(digits, sizeof(digits), "%02x", static_cast<unsigned char>(text[i]));
        out << (i ? "," : "") << digits;
    }
    out << "\r\n";
    return out.str();
}

} // namespace

// The program folder holds Ravlin (a shell program standing in for the
// diagnostic program) and drive C: holds a decoy "C:\Program", which an
// unquoted command line "C:\Program Files\..." would start instead.
class AppletStart : public AppletTest {
protected:
    void SetUp() override
    {
        AppletTest::SetUp();
        WriteProgram("ravlin/Ravlin", "started");
        WriteProgram("drive_c/Program", "decoy");
    }

    void WriteProgram(const std::string& relative, const std::string& marker)
    {
        m_profile.Write(relative, "#!/bin/sh\necho \"$@\" > '" + Marker(marker) + "'\n");
        std::filesystem::permissions(m_profile.Path(relative), std::filesystem::perms::owner_all);
    }

    std::string Marker(const std::string& name) const { return m_profile.Path(name + ".out"); }

    // Sends CPL_DBLCLK on a machine whose registry is `registry`; true when
    // Ravlin started. A program that starts does so before CPL_DBLCLK
    // returns and writes its marker at once; the waits only cover its run.
    bool Open(const std::string& registry)
    {
        UseMachine(0x0409, 0x0409, registry);
        std::filesystem::remove(Marker("started"));
        EXPECT_EQ(Send(CPL_INIT), 1);
        EXPECT_EQ(Send(CPL_DBLCLK), 0);
        auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(m_expectStart ? 10000 : 300);
        while (std::chrono::steady_clock::now() < deadline) {
            if (std::filesystem::exists(Marker("started")))
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }

    bool m_expectStart = true;
};

TEST_F(AppletStart, TheAppPathsFolderStartsTheProgramEvenBehindADecoy)
{
    EXPECT_TRUE(Open(pathValue(programFolder(0))));
    EXPECT_FALSE(std::filesystem::exists(Marker("decoy"))) << "an unquoted path would start C:\\Program";
}

TEST_F(AppletStart, FoldersThatStillNameTheProgramStartIt)
{
    struct Case {
        const char* what;
        std::string registry;
    } cases[] = {
        {"a trailing backslash (kept, so the path has two)", pathValue(programFolder(0) + "\\\\")},
        {"a long folder (248 characters)", pathValue(programFolder(110))},
        {"a value of another type", binaryValue("C:\\Program Files\\Tarn\\Ravlin")},
        {"text up to the first NUL", binaryValue(std::string("C:\\Program Files\\Tarn\\Ravlin\0junk", 33))},
    };
    for (const Case& c : cases)
        EXPECT_TRUE(Open(c.registry)) << c.what;
    EXPECT_FALSE(std::filesystem::exists(Marker("decoy")));
}

TEST_F(AppletStart, NothingStartsWithoutAUsablePath)
{
    m_expectStart = false;
    struct Case {
        const char* what;
        std::string registry;
    } cases[] = {
        {"no App Paths key", ""},
        {"no Path value", std::string(kKey) + "@=\"C:\\\\Program Files\\\\Tarn\\\\Ravlin\\\\Ravlin.exe\"\r\n"},
        {"an empty Path: \"\\Ravlin.exe\" alone", pathValue("")},
        {"a value longer than the 255-byte buffer", pathValue(programFolder(114))},
        {"a stale folder", pathValue("C:\\\\Program Files\\\\Tarn\\\\Old")},
    };
    for (const Case& c : cases)
        EXPECT_FALSE(Open(c.registry)) << c.what;
    EXPECT_FALSE(std::filesystem::exists(Marker("decoy")));
}
