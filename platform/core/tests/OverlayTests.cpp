// Overlay profiles: the chain of bases, machine.json merged as a JSON merge
// patch, the layered drive C:, and the refusals that name file and key.
#include "core/Machine.h"
#include "core/Overlay.h"
#include "core/testing/TempProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

using plat::testing::TempProfile;

namespace {

std::string readHost(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return in ? text.str() : "<none>";
}

// Two profiles side by side: "bottom" and "top" in one parent folder, so a
// bare base name finds its sibling the way the built-in machines do.
class Overlay : public ::testing::Test {
protected:
    std::string Put(const std::string& relative, const std::string& text)
    {
        m_parent.Write(relative, text);
        return m_parent.Path(relative);
    }
    std::string Load(const std::string& name)
    {
        plat::ProfileError error;
        return plat::LoadMachine(m_parent.Path(name), &error) ? std::string() : error.ToString();
    }
    TempProfile m_parent;
};

TEST_F(Overlay, MachineJsonIsMergedDownTheChain)
{
    Put("bottom/machine.json", R"({"os": {"major": 6, "minor": 1, "csd": "Service Pack 1"},
        "languages": {"systemDefault": "0x0409"}, "ports": {"COM3": {"modem": "m"}}, "modems": {"m": {}}})");
    Put("middle/machine.json", R"({"base": "bottom", "os": {"minor": 3}, "languages": {"systemDefault": "0x0407"}})");
    Put("top/machine.json", R"({"base": "../middle", "os": {"csd": null}, "ports": {"COM3": null}, "modems": null})");
    ASSERT_EQ(Load("top"), "");
    const plat::Machine* m = plat::CurrentMachine();
    EXPECT_EQ(m->Os().major, 6u);
    EXPECT_EQ(m->Os().minor, 3u);
    EXPECT_EQ(m->Os().csd, "");
    EXPECT_EQ(m->Langs().systemDefault, 0x0407);
    EXPECT_FALSE(m->Json().contains("ports") && m->Json()["ports"].contains("COM3"));
    EXPECT_FALSE(m->Json().contains("modems"));
    EXPECT_FALSE(m->Json().contains("base"));
    ASSERT_EQ(m->Layers().size(), 3u);
    EXPECT_EQ(m->Layers().front(), m_parent.Path("bottom"));
    EXPECT_EQ(m->Layers().back(), m_parent.Path("top"));
}

TEST_F(Overlay, DriveCIsTheLayersOverEachOtherLessRemovedFiles)
{
    Put("bottom/machine.json", "{}");
    Put("bottom/drive_c/Windows/INF/oem1.inf", "base inf");
    Put("bottom/drive_c/Windows/System32/a.sys", "a");
    Put("bottom/drive_c/Windows/System32/drivers/b.sys", "b");
    Put("bottom/drive_c/Tools/x.txt", "x");
    Put("top/machine.json",
        R"({"base": "bottom", "removeFiles": ["C:\\Windows\\System32\\A.SYS", "c:/tools"]})");
    Put("top/drive_c/windows/inf/OEM1.inf", "overlay inf");
    Put("top/drive_c/Windows/new.txt", "new");
    ASSERT_EQ(Load("top"), "");
    const std::string drive = plat::CurrentMachine()->DriveC();
    EXPECT_NE(drive, m_parent.Path("top/drive_c"));
    // One folder per name whatever its case; the overlay's file wins.
    EXPECT_EQ(readHost(drive + "/Windows/INF/oem1.inf"), "overlay inf");
    EXPECT_FALSE(std::filesystem::exists(drive + "/windows"));
    EXPECT_EQ(readHost(drive + "/Windows/new.txt"), "new");
    EXPECT_EQ(readHost(drive + "/Windows/System32/drivers/b.sys"), "b");
    EXPECT_FALSE(std::filesystem::exists(drive + "/Windows/System32/a.sys"));
    EXPECT_FALSE(std::filesystem::exists(drive + "/Tools"));
    // A file changed in a layer is seen without building the drive again.
    Put("bottom/drive_c/Windows/System32/drivers/b.sys", "b2");
    ASSERT_EQ(Load("top"), "");
    EXPECT_EQ(plat::CurrentMachine()->DriveC(), drive);
    EXPECT_EQ(readHost(drive + "/Windows/System32/drivers/b.sys"), "b2");
    // The merged drive is as read-only as the profiles themselves.
    auto readOnly = plat::CurrentMachine()->ReadOnlyFolders();
    EXPECT_NE(std::find(readOnly.begin(), readOnly.end(), drive), readOnly.end());
    EXPECT_NE(std::find(readOnly.begin(), readOnly.end(), m_parent.Path("bottom")), readOnly.end());
}

TEST_F(Overlay, RelativeFilesComeFromTheLayerThatHasThem)
{
    Put("bottom/machine.json", R"({"folders": {"C:\\Tool": "tool"}})");
    Put("bottom/tool/t.exe", "t");
    Put("top/machine.json", R"({"base": "bottom"})");
    ASSERT_EQ(Load("top"), "");
    EXPECT_EQ(plat::CurrentMachine()->ProfilePath("tool"), m_parent.Path("bottom/tool"));
    const auto& folders = plat::CurrentMachine()->Folders();
    auto tool = std::find_if(folders.begin(), folders.end(), [](const auto& f) { return f.windowsUpper == "C:\\TOOL"; });
    ASSERT_NE(tool, folders.end());
    EXPECT_EQ(tool->host, m_parent.Path("bottom/tool"));
}

TEST_F(Overlay, BrokenChainsAreRefusedNamingFileAndKey)
{
    Put("bottom/machine.json", "{}");
    Put("loop-a/machine.json", R"({"base": "loop-b"})");
    Put("loop-b/machine.json", R"({"base": "loop-a"})");
    Put("self/machine.json", R"({"base": "self"})");
    Put("missing/machine.json", R"({"base": "no-such-machine"})");
    Put("number/machine.json", R"({"base": 3})");
    Put("bad-base/machine.json", R"({"base": "broken"})");
    Put("broken/machine.json", "{\n  \"os\": ,\n}");
    Put("gone/machine.json", R"({"base": "bottom", "removeFiles": ["C:\\Windows\\nothing.dll"]})");
    Put("not-c/machine.json", R"({"base": "bottom", "removeFiles": ["D:\\x.dll"]})");
    Put("not-list/machine.json", R"({"base": "bottom", "removeFiles": "C:\\x.dll"})");
    struct Case {
        const char* name;
        const char* expected; // substrings of the message, in order
        const char* more;
    } cases[] = {
        {"loop-a", "loop-b/machine.json: base: the bases loop", ""},
        {"self", "self/machine.json: base: the bases loop", ""},
        {"missing", "missing/machine.json: base: the base \"no-such-machine\"", "cannot be read"},
        {"number", "number/machine.json: base: expected a string", ""},
        {"bad-base", "bad-base/machine.json: base:", "broken/machine.json:2: not valid JSON"},
        {"gone", "gone/machine.json: removeFiles[0]: \"C:\\Windows\\nothing.dll\" is not in the base", ""},
        {"not-c", "not-c/machine.json: removeFiles[0]:", "not a path on drive C:"},
        {"not-list", "not-list/machine.json: removeFiles: expected a list", ""},
    };
    for (const Case& c : cases) {
        std::string message = Load(c.name);
        EXPECT_NE(message.find(c.expected), std::string::npos) << c.name << ": " << message;
        EXPECT_NE(message.find(c.more), std::string::npos) << c.name << ": " << message;
    }
}

// The Python tools (diagnose.py, make-overlay.py) merge profiles through
// tools/profiles: on every built-in machine they must come to the same
// machine.json as the platform.
std::string commandOutput(const std::string& command, int* status)
{
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) {
        *status = -1;
        return output;
    }
    char buffer[4096];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof(buffer), pipe)) > 0)
        output.append(buffer, got);
    *status = pclose(pipe);
    return output;
}

TEST(OverlayTools, BuiltInMachinesMergeAsThePythonToolsMergeThem)
{
    std::vector<std::string> folders;
    for (const auto& entry : std::filesystem::directory_iterator(RAVLIN_SOURCE_DIR "/machines")) {
        if (std::filesystem::exists(entry.path() / "machine.json"))
            folders.push_back(entry.path().string());
    }
    std::string command = "cd '" RAVLIN_SOURCE_DIR "/tools' && python3 -B -m profiles merged";
    for (const std::string& folder : folders)
        command += " '" + folder + "'";
    int status = 0;
    std::string output = commandOutput(command + " 2>&1", &status);
    ASSERT_EQ(status, 0) << output;
    nlohmann::json merged = nlohmann::json::parse(output);
    ASSERT_EQ(merged.size(), folders.size());
    int overlays = 0;
    for (size_t i = 0; i < folders.size(); ++i) {
        std::vector<plat::overlay::Layer> chain;
        plat::ProfileError error;
        ASSERT_TRUE(plat::overlay::ReadChain(folders[i], &chain, &error)) << error.ToString();
        overlays += chain.size() > 1 ? 1 : 0;
        EXPECT_EQ(merged[i], plat::overlay::MergedJson(chain)) << folders[i];
    }
    EXPECT_GT(overlays, 0);
}

} // namespace
