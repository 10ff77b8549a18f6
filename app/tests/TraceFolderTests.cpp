// Where the trace file lands on a PC whose user is a standard user: the
// current folder when it can be written, else the user's local application
// data (Tarn\Ravlin). A program started from Control Panel runs in
// C:\Windows\System32, one started from its Start menu entry in its own
// folder under C:\Program Files: neither can be written.
#include "Trace.h"

#include "core/testing/TempProfile.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>

using plat::testing::TempProfile;

namespace {

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

class TraceFolder : public ::testing::Test {
protected:
    void SetUp() override { m_scratch = std::filesystem::current_path(); }
    void TearDown() override
    {
        std::filesystem::current_path(m_scratch);
        TraceSetName("Ravlin_Trace"); // closes the file
        std::filesystem::remove_all(m_appData);
        std::filesystem::remove_all(m_program);
    }

    // A machine whose program folder and local application data are host
    // folders outside the profile.
    void Load(bool administrator = false)
    {
        m_appData = m_profile.Folder() + "-appdata";
        m_program = m_profile.Folder() + "-program";
        std::filesystem::create_directories(m_program);
        m_profile.Write("drive_c/Windows/System32/kernel32.dll", "");
        m_profile.Write("machine.json",
                        std::string(R"({"administrator": )") + (administrator ? "true" : "false") +
                            R"(, "folders": {"C:\\Program Files\\Tarn\\Ravlin": ")" + m_program +
                            R"(", "C:\\Users\\User\\AppData\\Local": ")" + m_appData + R"("}})");
        ASSERT_EQ(m_profile.Load(), "");
    }

    // One program start: the name and level as the dialog sets them, a line.
    static void Start(const char* line)
    {
        TraceSetName("Ravlin_Trace");
        TraceSetLevel(20);
        TraceWrite(20, "%s", line);
    }

    std::filesystem::path Fallback() const { return m_appData + "/Tarn/Ravlin/Ravlin_Trace.trc"; }

    TempProfile m_profile;
    std::filesystem::path m_scratch;
    std::string m_appData;
    std::string m_program;
};

} // namespace

TEST_F(TraceFolder, StartedFromControlPanelTheTraceGoesToLocalAppData)
{
    Load();
    std::filesystem::current_path(m_profile.Path("drive_c/Windows/System32"));
    Start("Language code = 0409");
    TraceWrite(20, "second line");
    EXPECT_FALSE(std::filesystem::exists("Ravlin_Trace.trc"));
    std::string trace = readFile(Fallback());
    EXPECT_NE(trace.find("Language code = 0409\r\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("second line\r\n"), std::string::npos) << trace;
}

TEST_F(TraceFolder, StartedFromTheProgramFolderTheTraceGoesToLocalAppDataUnlessTheUserIsAnAdministrator)
{
    Load();
    std::filesystem::current_path(m_program);
    Start("standard user");
    EXPECT_FALSE(std::filesystem::exists(m_program + "/Ravlin_Trace.trc"));
    EXPECT_NE(readFile(Fallback()).find("standard user"), std::string::npos);

    TraceSetName("Ravlin_Trace");
    std::filesystem::remove_all(m_appData);
    Load(true);
    std::filesystem::current_path(m_program);
    Start("administrator");
    EXPECT_NE(readFile(m_program + "/Ravlin_Trace.trc").find("administrator"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(Fallback()));
}

TEST_F(TraceFolder, AWritableCurrentFolderKeepsItsPriority)
{
    Load();
    std::filesystem::path console = m_scratch / "console";
    std::filesystem::create_directories(console);
    std::filesystem::current_path(console);
    Start("from a console");
    EXPECT_NE(readFile(console / "Ravlin_Trace.trc").find("from a console"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(m_appData + "/Tarn"));
}

// Another program holds the file (the first Ravlin, still running): this
// one's trace writes nothing, neither there nor elsewhere, and never empties
// the file, not even after the other program has ended.
TEST_F(TraceFolder, AFileAnotherProgramHoldsIsNeverEmptied)
{
    Load();
    std::filesystem::path console = m_scratch / "console";
    std::filesystem::create_directories(console);
    struct Case {
        std::filesystem::path folder; // the current folder
        std::filesystem::path file;   // where the first program's trace is
    } cases[] = {
        {console, console / "Ravlin_Trace.trc"},
        {m_profile.Path("drive_c/Windows/System32"), Fallback()},
    };
    for (const Case& start : cases) {
        SCOPED_TRACE(start.folder.string());
        std::filesystem::current_path(start.folder);
        std::filesystem::create_directories(start.file.parent_path());
        { std::ofstream(start.file, std::ios::binary) << "first program's line\r\n"; }
        HANDLE first = CreateFileA(("Z:" + start.file.string()).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(first, INVALID_HANDLE_VALUE);

        Start("second program");
        TraceWrite(20, "second program, later");
        CloseHandle(first);
        TraceWrite(20, "second program, after the first ended");
        EXPECT_EQ(readFile(start.file), "first program's line\r\n");
        EXPECT_FALSE(std::filesystem::exists(m_appData + "/Tarn/Ravlin/Ravlin_Trace.trc") &&
                     start.file != Fallback())
            << "no second file elsewhere";
    }
}
